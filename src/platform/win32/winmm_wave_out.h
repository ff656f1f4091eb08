#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "audio/wave_out.h"
#include "ui/message_loop.h"

namespace win32 {

// The wave-out device over winmm. A device opened with CALLBACK_WINDOW reports to a hidden
// message-only window of this object (winmm posts MM_WOM_OPEN, MM_WOM_DONE and MM_WOM_CLOSE to
// it, wParam = the device handle, lParam = the header); the window hands each notification to the
// UI message loop for the callback target that was registered for that handle at Open, so the
// target sees them in order on the UI thread and a target that goes away can forget() them.
// Notifications of a handle that is no longer known are dropped.
//
// Make it, and call it, on the UI thread: its window lives in that thread's queue.
class WinmmWaveOut final : public audio::IWaveOut {
public:
    // Throws std::runtime_error when the hidden window cannot be made.
    explicit WinmmWaveOut(ui::IMessageLoop& loop);
    WinmmWaveOut(const WinmmWaveOut&) = delete;
    WinmmWaveOut& operator=(const WinmmWaveOut&) = delete;
    ~WinmmWaveOut() override;

    std::uint32_t GetNumDevs() override;
    audio::MMRESULT GetDevCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS* caps) override;
    audio::MMRESULT Open(audio::HWAVEOUT* handle, std::uint32_t deviceId,
                         const audio::WAVEFORMATEX& format, ui::MessageTarget* callbackWindow,
                         std::uint32_t flags) override;
    audio::MMRESULT PrepareHeader(audio::HWAVEOUT handle, audio::WAVEHDR* header) override;
    audio::MMRESULT UnprepareHeader(audio::HWAVEOUT handle, audio::WAVEHDR* header) override;
    audio::MMRESULT Write(audio::HWAVEOUT handle, audio::WAVEHDR* header) override;
    audio::MMRESULT Reset(audio::HWAVEOUT handle) override;
    audio::MMRESULT Pause(audio::HWAVEOUT handle) override;
    audio::MMRESULT Restart(audio::HWAVEOUT handle) override;
    audio::MMRESULT GetPosition(audio::HWAVEOUT handle, audio::MMTIME* time) override;
    audio::MMRESULT Close(audio::HWAVEOUT handle) override;
    audio::MMRESULT GetErrorText(audio::MMRESULT code, char* buffer,
                                 std::uint32_t capacity) override;

    // The window winmm reports to.
    HWND window() const { return window_; }
    // Devices opened with a callback window whose MM_WOM_CLOSE has not been handed on yet.
    std::size_t openDevices() const { return routes_.size(); }

private:
    // The callback target of one open, in the order of the opens: a handle value that winmm
    // hands out again after a close is routed to the newer target only after the older one's
    // MM_WOM_CLOSE.
    struct Route {
        audio::HWAVEOUT handle;
        ui::MessageTarget* target;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void notify(UINT msg, WPARAM wParam, LPARAM lParam);
    // Hands on every notification already in the thread's queue for our window.
    void takeQueuedNotifications();

    ui::IMessageLoop& loop_;
    HWND window_ = nullptr;
    std::vector<Route> routes_;
};

}  // namespace win32
