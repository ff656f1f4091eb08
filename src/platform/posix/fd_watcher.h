#pragma once

#include <functional>

namespace posix {

// Tells the owner of an event loop which file descriptors to look after, so that code reading
// sockets runs on the loop's own thread: the UI thread in the program, a poll() loop in tests.
class IFdWatcher {
public:
    virtual ~IFdWatcher() = default;
    // Calls `onReadable` from the loop whenever `fd` can be read without blocking (data,
    // end of file or an error), until unwatch(fd). Watching an fd again replaces its callback.
    virtual void watch(int fd, std::function<void()> onReadable) = 0;
    // Stops the calls; safe from inside any callback, that fd's own included. The caller may
    // close the fd right after.
    virtual void unwatch(int fd) = 0;
    // Calls `onWritable` from the loop whenever `fd` can be written without blocking (or has
    // an error), until unwatchWritable(fd); independent of the readable watch.
    virtual void watchWritable(int fd, std::function<void()> onWritable) = 0;
    virtual void unwatchWritable(int fd) = 0;
};

}  // namespace posix
