#include "platform/win32/winmm_wave_out.h"

#include <mmsystem.h>

#include <cstddef>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/win32/message_window.h"
#include "platform/win32/utf.h"

namespace win32 {

// The component's headers go to winmm as they are: same size, same members at the same places,
// in the 32-bit and in the 64-bit build.
static_assert(sizeof(audio::WAVEHDR) == sizeof(::WAVEHDR));
static_assert(offsetof(audio::WAVEHDR, lpData) == offsetof(::WAVEHDR, lpData));
static_assert(offsetof(audio::WAVEHDR, dwBufferLength) == offsetof(::WAVEHDR, dwBufferLength));
static_assert(offsetof(audio::WAVEHDR, dwBytesRecorded) == offsetof(::WAVEHDR, dwBytesRecorded));
static_assert(offsetof(audio::WAVEHDR, dwUser) == offsetof(::WAVEHDR, dwUser));
static_assert(offsetof(audio::WAVEHDR, dwFlags) == offsetof(::WAVEHDR, dwFlags));
static_assert(offsetof(audio::WAVEHDR, dwLoops) == offsetof(::WAVEHDR, dwLoops));
static_assert(offsetof(audio::WAVEHDR, lpNext) == offsetof(::WAVEHDR, lpNext));
static_assert(offsetof(audio::WAVEHDR, reserved) == offsetof(::WAVEHDR, reserved));
static_assert(sizeof(audio::HWAVEOUT) == sizeof(::HWAVEOUT));
static_assert(MM_WOM_OPEN == 0x3BB && MM_WOM_CLOSE == 0x3BC && MM_WOM_DONE == 0x3BD);

namespace {

constexpr wchar_t kClassName[] = L"VimbrelPulseGeneratorWaveOut";

::HWAVEOUT ToNative(audio::HWAVEOUT handle) {
    return reinterpret_cast<::HWAVEOUT>(handle);
}

::WAVEHDR* ToNative(audio::WAVEHDR* header) {
    return reinterpret_cast<::WAVEHDR*>(header);
}

bool IsNotification(UINT msg) {
    return msg == MM_WOM_OPEN || msg == MM_WOM_DONE || msg == MM_WOM_CLOSE;
}

}  // namespace

WinmmWaveOut::WinmmWaveOut(ui::IMessageLoop& loop) : loop_(loop) {
    routes_.reserve(8);
    window_ = CreateMessageWindow(kClassName, &WindowProc, this);
}

WinmmWaveOut::~WinmmWaveOut() {
    DestroyMessageWindow(window_);
}

LRESULT CALLBACK WinmmWaveOut::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* device = MessageWindowOwner<WinmmWaveOut>(window, msg, lParam);
    if (IsNotification(msg)) {
        if (device != nullptr) device->notify(msg, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

void WinmmWaveOut::notify(UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto handle = static_cast<audio::HWAVEOUT>(wParam);
    for (auto route = routes_.begin(); route != routes_.end(); ++route) {
        if (route->handle != handle) continue;
        ui::MessageTarget* target = route->target;
        // Nothing follows a close: a later open that gets the same handle value is a new route.
        if (msg == MM_WOM_CLOSE) routes_.erase(route);
        loop_.post(ui::Message{target, msg, wParam, static_cast<std::intptr_t>(lParam)});
        return;
    }
}

void WinmmWaveOut::takeQueuedNotifications() {
    MSG msg;
    while (::PeekMessageW(&msg, window_, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE))
        notify(msg.message, msg.wParam, msg.lParam);
}

std::uint32_t WinmmWaveOut::GetNumDevs() {
    return ::waveOutGetNumDevs();
}

audio::MMRESULT WinmmWaveOut::GetDevCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS* caps) {
    if (caps == nullptr) return MMSYSERR_INVALPARAM;
    WAVEOUTCAPSW native{};
    const MMRESULT result = ::waveOutGetDevCapsW(deviceId, &native, sizeof native);
    if (result != MMSYSERR_NOERROR) return result;
    *caps = audio::WAVEOUTCAPS{};
    caps->wMid = native.wMid;
    caps->wPid = native.wPid;
    caps->vDriverVersion = native.vDriverVersion;
    caps->dwFormats = native.dwFormats;
    caps->wChannels = native.wChannels;
    caps->wReserved1 = native.wReserved1;
    caps->dwSupport = native.dwSupport;
    // The name field need not be terminated when it is full.
    std::size_t length = 0;
    while (length < MAXPNAMELEN && native.szPname[length] != L'\0') ++length;
    try {
        audio::SetDeviceName(*caps, WideToUtf8(std::wstring_view(native.szPname, length)));
    } catch (const std::exception&) {
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

audio::MMRESULT WinmmWaveOut::Open(audio::HWAVEOUT* handle, std::uint32_t deviceId,
                                   const audio::WAVEFORMATEX& format,
                                   ui::MessageTarget* callbackWindow, std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    const std::uint32_t callbackType = flags & CALLBACK_TYPEMASK;
    DWORD_PTR callback = 0;
    if (callbackType == CALLBACK_WINDOW) {
        if (callbackWindow == nullptr) return MMSYSERR_INVALPARAM;
        callback = reinterpret_cast<DWORD_PTR>(window_);
    } else if (callbackType != CALLBACK_NULL) {
        // Function, thread and event callbacks would run outside the UI thread.
        return MMSYSERR_INVALFLAG;
    }

    ::WAVEFORMATEX native{};
    native.wFormatTag = format.wFormatTag;
    native.nChannels = format.nChannels;
    native.nSamplesPerSec = format.nSamplesPerSec;
    native.nAvgBytesPerSec = format.nAvgBytesPerSec;
    native.nBlockAlign = format.nBlockAlign;
    native.wBitsPerSample = format.wBitsPerSample;
    native.cbSize = 0;  // PCM: no extra bytes follow

    ::HWAVEOUT opened = nullptr;
    const MMRESULT result = ::waveOutOpen(&opened, deviceId, &native, callback, 0, flags);
    // A format query opens nothing.
    if (result != MMSYSERR_NOERROR || (flags & WAVE_FORMAT_QUERY) != 0) return result;
    *handle = reinterpret_cast<audio::HWAVEOUT>(opened);
    // Registered before anything is dispatched: MM_WOM_OPEN is only posted so far.
    if (callbackType == CALLBACK_WINDOW) routes_.push_back(Route{*handle, callbackWindow});
    return MMSYSERR_NOERROR;
}

audio::MMRESULT WinmmWaveOut::PrepareHeader(audio::HWAVEOUT handle, audio::WAVEHDR* header) {
    if (header == nullptr) return MMSYSERR_INVALPARAM;
    return ::waveOutPrepareHeader(ToNative(handle), ToNative(header), sizeof(::WAVEHDR));
}

audio::MMRESULT WinmmWaveOut::UnprepareHeader(audio::HWAVEOUT handle, audio::WAVEHDR* header) {
    if (header == nullptr) return MMSYSERR_INVALPARAM;
    return ::waveOutUnprepareHeader(ToNative(handle), ToNative(header), sizeof(::WAVEHDR));
}

audio::MMRESULT WinmmWaveOut::Write(audio::HWAVEOUT handle, audio::WAVEHDR* header) {
    if (header == nullptr) return MMSYSERR_INVALPARAM;
    return ::waveOutWrite(ToNative(handle), ToNative(header), sizeof(::WAVEHDR));
}

audio::MMRESULT WinmmWaveOut::Reset(audio::HWAVEOUT handle) {
    return ::waveOutReset(ToNative(handle));
}

audio::MMRESULT WinmmWaveOut::Pause(audio::HWAVEOUT handle) {
    return ::waveOutPause(ToNative(handle));
}

audio::MMRESULT WinmmWaveOut::Restart(audio::HWAVEOUT handle) {
    return ::waveOutRestart(ToNative(handle));
}

audio::MMRESULT WinmmWaveOut::GetPosition(audio::HWAVEOUT handle, audio::MMTIME* time) {
    if (time == nullptr) return MMSYSERR_INVALPARAM;
    ::MMTIME native{};
    native.wType = time->wType;
    const MMRESULT result = ::waveOutGetPosition(ToNative(handle), &native, sizeof native);
    if (result != MMSYSERR_NOERROR) return result;
    // The driver may answer in another format than asked; ours are all one 32-bit count.
    time->wType = native.wType;
    time->u.ms = native.u.ms;
    return MMSYSERR_NOERROR;
}

audio::MMRESULT WinmmWaveOut::Close(audio::HWAVEOUT handle) {
    const MMRESULT result = ::waveOutClose(ToNative(handle));
    // Winmm has posted the device's last notifications by now. Handing them to the UI loop at
    // once lets a component that is destroyed before the next pump forget them; left in the
    // thread's queue they would reach it after its end.
    if (result == MMSYSERR_NOERROR) takeQueuedNotifications();
    return result;
}

audio::MMRESULT WinmmWaveOut::GetErrorText(audio::MMRESULT code, char* buffer,
                                           std::uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) return MMSYSERR_INVALPARAM;
    wchar_t text[MAXERRORLENGTH] = {};
    const MMRESULT result = ::waveOutGetErrorTextW(code, text, MAXERRORLENGTH);
    if (result != MMSYSERR_NOERROR) return result;
    text[MAXERRORLENGTH - 1] = L'\0';
    try {
        return audio::CopyWaveText(WideToUtf8(text), buffer, capacity);
    } catch (const std::exception&) {
        return MMSYSERR_NOMEM;
    }
}

}  // namespace win32
