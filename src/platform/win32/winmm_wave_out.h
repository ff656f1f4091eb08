#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wave_device_core.h"
#include "ui/message_loop.h"

namespace win32 {

// The wave-out device over winmm, on the common device core: the core keeps the caller's headers,
// the queue and the notifications; each open device plays the blocks it is given through winmm
// headers of its own (a small pool made at the open, one header per block in flight, pointing at
// the caller's data). Winmm reports to a hidden message-only window of this object; its
// MM_WOM_DONE for one of our headers is the block played. Winmm's own open and close notices are
// not passed on: the core posts the caller's.
//
// Make it, and call it, on the UI thread: its window lives in that thread's queue.
class WinmmWaveOut final : public audio::WaveDeviceCore {
public:
    static constexpr audio::HWAVEOUT kFirstHandle = 0x3E3E0001;

    // Throws std::runtime_error when the hidden window cannot be made.
    explicit WinmmWaveOut(ui::IMessageLoop& loop);
    WinmmWaveOut(const WinmmWaveOut&) = delete;
    WinmmWaveOut& operator=(const WinmmWaveOut&) = delete;
    ~WinmmWaveOut() override;

    // The window winmm reports to.
    HWND window() const { return window_; }
    // Winmm devices open at this moment (a device is closed before its MM_WOM_CLOSE is posted).
    std::size_t openDevices() const;

protected:
    std::uint32_t DeviceCount() override;
    audio::MMRESULT DeviceCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS& caps) override;
    audio::MMRESULT OpenStream(std::uint32_t deviceId, const audio::WAVEFORMATEX& format,
                               const audio::WaveLink& link, audio::WaveStream*& stream) override;
    void EndStream(audio::WaveStream* stream) override;
    bool SystemErrorText(audio::MMRESULT code, std::string& text) override;

private:
    class Stream;

    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void notify(UINT msg, WPARAM wParam, LPARAM lParam);
    // Hands on every notification already in the thread's queue for our window, so that none of
    // a device that is gone is left to find a later device.
    void takeQueuedNotifications();

    HWND window_ = nullptr;
    std::vector<Stream*> streams_;
};

}  // namespace win32
