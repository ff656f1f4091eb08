// File descriptors watched from Qt's event loop, and the remote-control socket served there.
#include "platform/qt/qt_fd_watcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/remote_control.h"
#include "shell/remote_message.h"
#include "support/socket_test_support.h"

namespace {

using testsupport::ClientSocket;
using vpg::RemoteMessage;

// Turns Qt's loop until `done`; the bound only ends a broken run.
bool PumpQt(const std::function<bool()>& done, std::vector<ClientSocket*> clients = {}) {
    QTimer tick;  // wakes the loop when no socket does
    tick.start(1);
    for (int i = 0; i < 20000 && !done(); ++i) {
        for (ClientSocket* c : clients) c->step();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe(fds), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    int fds[2] = {-1, -1};
};

TEST(QtFdWatcher, CallsTheLatestCallbackUntilUnwatchedEvenFromInsideIt) {
    qtui::QtFdWatcher watcher;
    Pipe pipe;
    int first = 0, second = 0;
    watcher.watch(pipe.fds[0], [&] {
        ++first;
        watcher.unwatch(pipe.fds[0]);  // the byte stays unread: only unwatching stops the calls
    });
    ASSERT_EQ(::write(pipe.fds[1], "x", 1), 1);
    ASSERT_TRUE(PumpQt([&] { return first > 0; }));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(first, 1);

    watcher.watch(pipe.fds[0], [&] {
        ++second;
        // Replaced from inside its own call: the new callback takes over.
        watcher.watch(pipe.fds[0], [&] {
            char byte;
            EXPECT_EQ(::read(pipe.fds[0], &byte, 1), 1);
            second += 100;
            watcher.unwatch(pipe.fds[0]);
        });
    });
    ASSERT_TRUE(PumpQt([&] { return second >= 101; }));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 101);
}

TEST(QtFdWatcher, ServesTheRemoteControlSocketOnQtsLoop) {
    testsupport::TempFolder folder;
    const std::string path = folder.path + "/vpg.sock";
    qtui::QtFdWatcher watcher;
    std::unique_ptr<ClientSocket> a;  // connected once the server listens
    std::vector<RemoteMessage> received;
    std::vector<std::string> events;  // "+N" when message N starts, "-N" when it is done
    const auto handler = [&](std::uint32_t m, std::uint32_t w, std::intptr_t l) {
        events.push_back("+" + std::to_string(m));
        received.push_back({m, w, l});
        // This connection's next line arrives while its first one is being handled.
        if (m == 1031) {
            a->out += "1048 0 3\n";
            a->step();
        }
        // As a message box would: a nested loop while the message is handled. Another
        // connection may be served in it, as another program's message would be.
        QEventLoop nested;
        QTimer::singleShot(5, &nested, &QEventLoop::quit);
        nested.exec();
        events.push_back("-" + std::to_string(m));
        return vpg::RemoteOutcome::Acted;
    };
    posix::RemoteControlServer server(watcher, handler);
    ASSERT_TRUE(server.listen(path)) << server.error();
    a = std::make_unique<ClientSocket>(path);
    ClientSocket b(path);
    a->out = "1031 44100\n";
    b.out = "nonsense\n1025\n";
    ASSERT_TRUE(
        PumpQt([&] { return a->answerCount() == 2 && b.answerCount() == 2; }, {a.get(), &b}));
    EXPECT_EQ(a->takeAnswers(), "ok\nok\n");
    EXPECT_EQ(b.takeAnswers(), "error: MESSAGE must be a whole number from 0 to 4294967295\nok\n");
    ASSERT_EQ(received.size(), 3u);
    for (const RemoteMessage m :
         {RemoteMessage{1031, 44100, 0}, RemoteMessage{1048, 0, 3}, RemoteMessage{1025, 0, 0}})
        EXPECT_NE(std::find(received.begin(), received.end(), m), received.end()) << m.message;
    // One connection's next line starts only once its previous one is done.
    const auto at = [&](const char* event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    EXPECT_LT(at("-1031"), at("+1048"));
}

}  // namespace
