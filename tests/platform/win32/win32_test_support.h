#pragma once

// Helpers of the Windows platform tests: pumping the thread's messages until something has
// happened, and recording what reaches a message target.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/message_loop.h"

namespace win32_testing {

// Processes the thread's messages until `done` holds; false when `timeoutMs` passed first. The
// limit only keeps a broken device from hanging the run: nothing is measured with it.
template <class Done>
bool PumpUntil(ui::IMessageLoop& loop, Done done, DWORD timeoutMs = 20000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        loop.processMessages();
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                    static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                    QS_ALLINPUT);
    }
}

// True when the tests run under Wine rather than on Windows.
inline bool IsWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Every message that reached it, in order.
class RecordingTarget final : public ui::MessageTarget {
public:
    void handleMessage(const ui::Message& message) override { messages.push_back(message); }

    std::size_t count(std::uint32_t msg) const {
        return static_cast<std::size_t>(
            std::count_if(messages.begin(), messages.end(),
                          [msg](const ui::Message& m) { return m.msg == msg; }));
    }
    std::vector<std::uint32_t> kinds() const {
        std::vector<std::uint32_t> result;
        for (const ui::Message& m : messages) result.push_back(m.msg);
        return result;
    }

    std::vector<ui::Message> messages;
};

}  // namespace win32_testing
