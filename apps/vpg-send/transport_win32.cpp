// vpg-send's road on Windows: the generator's main window, found by its class name, which other
// programs have always used to reach it.
#include <windows.h>

#include "apps/vpg-send/transport.h"

namespace sender {

Delivery Deliver(const vpg::RemoteMessage& message, int timeoutMs) {
    const HWND generator = ::FindWindowW(L"TfrmGenerator", nullptr);
    if (generator == nullptr)
        return {kNotDelivered,
                "no Vimbrel Pulse Generator is running (no window of class TfrmGenerator)"};
    // Sent, not posted: the call returns once the generator's window procedure has handled it.
    // A generator held by a message box answers later; the message is queued all the same.
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(generator, message.message, static_cast<WPARAM>(message.wParam),
                              static_cast<LPARAM>(message.lParam), SMTO_NORMAL,
                              static_cast<UINT>(timeoutMs), &result) == 0)
        return {kNoAnswer, "the generator did not answer within " +
                               std::to_string(timeoutMs / 1000) + " s; it may still act on it"};
    // The generator's window procedure says what it did; 0 is a generator that does not say.
    switch (static_cast<std::intptr_t>(result)) {
        case vpg::kRemoteRefused:
            return {kNotDelivered,
                    "the generator refused the message (a value its settings do not allow; "
                    "see vpg-send --help)"};
        case vpg::kRemoteBusy:
            return {kNoAnswer,
                    "the generator is busy (a message box or window of it is open, or it is "
                    "starting up) and did not act on the message; send it again later"};
        default:
            return {kDelivered, {}};
    }
}

}  // namespace sender
