#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/message_loop.h"

namespace win32 {

// The program's message queue on the Windows UI thread. post() keeps the message in a ring of
// its own (memory reserved up front, nothing allocated per message in the steady state) and
// wakes the thread's Windows message loop with one posted message to a hidden message-only
// window; that window's procedure dispatches the queued messages in order. So the program's
// messages are handled by whatever loop runs (GetMessage, a modal dialog's, processMessages),
// between the user's events.
//
// Posting is done on the UI thread only, the thread that made the loop: the ring has no lock.
// Device notifications from other threads reach the program as Windows messages to windows of
// this thread (winmm's CALLBACK_WINDOW), never through post().
class Win32MessageLoop final : public ui::IMessageLoop {
public:
    // The Windows message that wakes the loop's window.
    static constexpr UINT kWakeMessage = WM_APP + 0x2F1;

    // Throws std::runtime_error when the hidden window cannot be made: posting would otherwise
    // lose every message.
    explicit Win32MessageLoop(std::size_t capacity = 256);
    Win32MessageLoop(const Win32MessageLoop&) = delete;
    Win32MessageLoop& operator=(const Win32MessageLoop&) = delete;
    ~Win32MessageLoop() override;

    void post(const ui::Message& message) override;
    // Removes and dispatches every pending Windows message of this thread (ours among them)
    // until none is left. A WM_QUIT found on the way is put back for the main loop and ends the
    // pumping.
    void processMessages() override;
    void forget(const ui::MessageTarget* target) override;

    // The main loop: GetMessage, TranslateMessage, DispatchMessage until WM_QUIT; returns its
    // exit code.
    static int Run();

    HWND window() const { return window_; }
    // Messages posted and not yet dispatched.
    std::size_t pending() const { return count_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void wake();
    // Dispatches the messages that were pending when it began; later ones wait for the next
    // wake, so a handler that keeps posting cannot starve the user's input.
    void dispatchPending();
    bool popFront(ui::Message& message);
    void grow();

    HWND window_ = nullptr;
    std::vector<ui::Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool wakePosted_ = false;
};

}  // namespace win32
