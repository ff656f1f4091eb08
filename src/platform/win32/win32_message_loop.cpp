#include "platform/win32/win32_message_loop.h"

#include "platform/win32/message_window.h"

namespace win32 {

namespace {

constexpr wchar_t kClassName[] = L"VimbrelPulseGeneratorMessageLoop";

}  // namespace

Win32MessageLoop::Win32MessageLoop(std::size_t capacity) : ring_(capacity ? capacity : 1) {
    // Message-only: never shown, but it has a queue on this thread.
    window_ = CreateMessageWindow(kClassName, &WindowProc, this);
}

Win32MessageLoop::~Win32MessageLoop() {
    // A wake still in the thread's queue finds no loop behind the window any more.
    DestroyMessageWindow(window_);
}

LRESULT CALLBACK Win32MessageLoop::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* loop = MessageWindowOwner<Win32MessageLoop>(window, msg, lParam);
    if (msg == kWakeMessage) {
        if (loop != nullptr) {
            loop->wakePosted_ = false;
            loop->dispatchPending();
        }
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

void Win32MessageLoop::post(const ui::Message& message) {
    if (count_ == ring_.size()) grow();
    ring_[(head_ + count_) % ring_.size()] = message;
    ++count_;
    wake();
}

void Win32MessageLoop::wake() {
    if (wakePosted_) return;
    // One wake stands for every message queued until it is handled. When Windows refuses it (a
    // full thread queue), the next post or processMessages tries again.
    wakePosted_ = ::PostMessageW(window_, kWakeMessage, 0, 0) != FALSE;
}

bool Win32MessageLoop::popFront(ui::Message& message) {
    if (count_ == 0) return false;
    message = ring_[head_];
    head_ = (head_ + 1) % ring_.size();
    --count_;
    return true;
}

void Win32MessageLoop::dispatchPending() {
    ui::Message message;
    for (std::size_t n = count_; n > 0 && popFront(message); --n) {
        if (message.target != nullptr) message.target->handleMessage(message);
    }
    if (count_ > 0) wake();
}

void Win32MessageLoop::grow() {
    std::vector<ui::Message> bigger(ring_.size() * 2);
    for (std::size_t i = 0; i < count_; ++i) bigger[i] = ring_[(head_ + i) % ring_.size()];
    ring_.swap(bigger);
    head_ = 0;
}

void Win32MessageLoop::processMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // Left only when a wake could not be posted: handled here all the same, in order.
    while (count_ > 0) dispatchPending();
}

void Win32MessageLoop::forget(const ui::MessageTarget* target) {
    // Compact the ring in place, keeping the order of the messages that stay.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const ui::Message m = ring_[(head_ + i) % ring_.size()];
        if (m.target != target) ring_[(head_ + kept++) % ring_.size()] = m;
    }
    count_ = kept;
}

int Win32MessageLoop::Run() {
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return -1;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace win32
