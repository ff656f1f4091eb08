#pragma once

// The wave-out device seam. It mirrors the winmm calls closely so that TAudioOut is written once
// and behaves the same on every platform; only the device behind IWaveOut changes. No OS header
// here: the structs and constants are our own copies of the winmm ones. Each constant is guarded
// so that a Windows source may include <windows.h> first and still use these names unqualified.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "ui/utf8.h"

namespace ui {
class MessageTarget;
}

namespace audio {

using HWAVEOUT = std::uintptr_t;  // 0 is never a valid open device
using MMRESULT = std::uint32_t;

#ifndef MMSYSERR_NOERROR
constexpr MMRESULT MMSYSERR_NOERROR = 0;
#endif
#ifndef MMSYSERR_ERROR
constexpr MMRESULT MMSYSERR_ERROR = 1;
#endif
#ifndef MMSYSERR_BADDEVICEID
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
#endif
#ifndef MMSYSERR_NOTENABLED
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
#endif
#ifndef MMSYSERR_ALLOCATED
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
#endif
#ifndef MMSYSERR_INVALHANDLE
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
#endif
#ifndef MMSYSERR_NODRIVER
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
#endif
#ifndef MMSYSERR_NOMEM
constexpr MMRESULT MMSYSERR_NOMEM = 7;
#endif
#ifndef MMSYSERR_NOTSUPPORTED
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
#endif
#ifndef MMSYSERR_BADERRNUM
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
#endif
#ifndef MMSYSERR_INVALFLAG
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
#endif
#ifndef MMSYSERR_INVALPARAM
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
#endif
#ifndef MMSYSERR_HANDLEBUSY
constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
#endif
#ifndef WAVERR_BADFORMAT
constexpr MMRESULT WAVERR_BADFORMAT = 32;
#endif
#ifndef WAVERR_STILLPLAYING
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
#endif
#ifndef WAVERR_UNPREPARED
constexpr MMRESULT WAVERR_UNPREPARED = 34;
#endif
#ifndef WAVERR_SYNC
constexpr MMRESULT WAVERR_SYNC = 35;
#endif

#ifndef WHDR_DONE
constexpr std::uint32_t WHDR_DONE = 0x01;
#endif
#ifndef WHDR_PREPARED
constexpr std::uint32_t WHDR_PREPARED = 0x02;
#endif
#ifndef WHDR_BEGINLOOP
constexpr std::uint32_t WHDR_BEGINLOOP = 0x04;
#endif
#ifndef WHDR_ENDLOOP
constexpr std::uint32_t WHDR_ENDLOOP = 0x08;
#endif
#ifndef WHDR_INQUEUE
constexpr std::uint32_t WHDR_INQUEUE = 0x10;
#endif

#ifndef WAVE_MAPPER
constexpr std::uint32_t WAVE_MAPPER = 0xFFFFFFFFu;
#endif
#ifndef WAVE_FORMAT_PCM
constexpr std::uint16_t WAVE_FORMAT_PCM = 1;
#endif
#ifndef WAVE_ALLOWSYNC
constexpr std::uint32_t WAVE_ALLOWSYNC = 0x0002;
#endif
#ifndef CALLBACK_TYPEMASK
constexpr std::uint32_t CALLBACK_TYPEMASK = 0x00070000;
#endif
#ifndef CALLBACK_NULL
constexpr std::uint32_t CALLBACK_NULL = 0x00000000;
#endif
#ifndef CALLBACK_WINDOW
constexpr std::uint32_t CALLBACK_WINDOW = 0x00010000;
#endif

#ifndef TIME_MS
constexpr std::uint32_t TIME_MS = 0x0001;
#endif
#ifndef TIME_SAMPLES
constexpr std::uint32_t TIME_SAMPLES = 0x0002;
#endif
#ifndef TIME_BYTES
constexpr std::uint32_t TIME_BYTES = 0x0004;
#endif

#ifndef MM_WOM_OPEN
constexpr std::uint32_t MM_WOM_OPEN = 0x3BB;
#endif
#ifndef MM_WOM_CLOSE
constexpr std::uint32_t MM_WOM_CLOSE = 0x3BC;
#endif
#ifndef MM_WOM_DONE
constexpr std::uint32_t MM_WOM_DONE = 0x3BD;
#endif

#ifndef MAXERRORLENGTH
constexpr std::uint32_t MAXERRORLENGTH = 256;
#endif
#ifndef MAXPNAMELEN
constexpr std::uint32_t MAXPNAMELEN = 32;
#endif

// Room for MAXPNAMELEN - 1 UTF-16 units of a device name in UTF-8 (at most 3 bytes per unit) and
// the terminator: the platform limits names in characters, we store bytes.
constexpr std::size_t kDeviceNameBytes = (MAXPNAMELEN - 1) * 3 + 1;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

// Same members in the same order as winmm's, so a Windows device can hand it through unchanged.
struct WAVEHDR {
    char* lpData;
    std::uint32_t dwBufferLength;
    std::uint32_t dwBytesRecorded;
    std::uintptr_t dwUser;
    std::uint32_t dwFlags;
    std::uint32_t dwLoops;
    WAVEHDR* lpNext;
    std::uintptr_t reserved;
};

struct MMTIME {
    std::uint32_t wType = 0;
    union {
        std::uint32_t ms;
        std::uint32_t sample;
        std::uint32_t cb;
        std::uint32_t ticks;
    } u{};
};

struct WAVEOUTCAPS {
    std::uint16_t wMid = 0;
    std::uint16_t wPid = 0;
    std::uint32_t vDriverVersion = 0;
    char szPname[kDeviceNameBytes] = {};  // UTF-8, zero-terminated
    std::uint32_t dwFormats = 0;
    std::uint16_t wChannels = 0;
    std::uint16_t wReserved1 = 0;
    std::uint32_t dwSupport = 0;
};

// One wave-out device family (winmm, ALSA, a fake, a WAV file). Every call returns
// MMSYSERR_NOERROR or an error code whose text GetErrorText gives. An open device with
// CALLBACK_WINDOW posts MM_WOM_OPEN, MM_WOM_DONE (one per written buffer) and MM_WOM_CLOSE to the
// callback window through the UI message loop: wParam = the device handle, lParam = the WAVEHDR
// address for MM_WOM_DONE. They arrive in order and never inside the call that caused them.
class IWaveOut {
public:
    virtual ~IWaveOut() = default;

    virtual std::uint32_t GetNumDevs() = 0;
    // deviceId is 0..GetNumDevs()-1 or WAVE_MAPPER. The name is cut to MAXPNAMELEN - 1 characters.
    virtual MMRESULT GetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps) = 0;
    virtual MMRESULT Open(HWAVEOUT* handle, std::uint32_t deviceId, const WAVEFORMATEX& format,
                          ui::MessageTarget* callbackWindow, std::uint32_t flags) = 0;
    virtual MMRESULT PrepareHeader(HWAVEOUT handle, WAVEHDR* header) = 0;
    // WAVERR_STILLPLAYING while the header is queued; no effect on a header that is not prepared.
    virtual MMRESULT UnprepareHeader(HWAVEOUT handle, WAVEHDR* header) = 0;
    virtual MMRESULT Write(HWAVEOUT handle, WAVEHDR* header) = 0;
    // Every pending buffer comes back, each with its MM_WOM_DONE.
    virtual MMRESULT Reset(HWAVEOUT handle) = 0;
    virtual MMRESULT Pause(HWAVEOUT handle) = 0;
    virtual MMRESULT Restart(HWAVEOUT handle) = 0;
    // The device may answer in another wType than the one asked for.
    virtual MMRESULT GetPosition(HWAVEOUT handle, MMTIME* time) = 0;
    // WAVERR_STILLPLAYING while buffers are pending; then the device stays open.
    virtual MMRESULT Close(HWAVEOUT handle) = 0;
    // capacity counts chars, the terminator included; the text is cut on a character boundary.
    virtual MMRESULT GetErrorText(MMRESULT code, char* buffer, std::uint32_t capacity) = 0;
};

// Copies `text` into a caller's buffer the way GetErrorText does: cut on a character boundary,
// always terminated.
inline MMRESULT CopyWaveText(std::string_view text, char* buffer, std::uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) return MMSYSERR_INVALPARAM;
    const std::size_t n = ui::Utf8PrefixLength(text, capacity - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return MMSYSERR_NOERROR;
}

// Stores a device name as the platform does: at most MAXPNAMELEN - 1 UTF-16 units, never cut
// inside a character.
inline void SetDeviceName(WAVEOUTCAPS& caps, std::string_view name) {
    std::size_t units = 0;
    std::size_t end = 0;
    while (end < name.size()) {
        const auto lead = static_cast<unsigned char>(name[end]);
        const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t width = len == 4 ? 2 : 1;  // a 4-byte sequence is a surrogate pair
        if (end + len > name.size() || units + width > MAXPNAMELEN - 1) break;
        units += width;
        end += len;
    }
    std::memcpy(caps.szPname, name.data(), end);
    caps.szPname[end] = '\0';
}

// The common texts of the codes above, for devices that have no better words of their own.
// Returns nullptr for a code that is not one of them.
inline const char* StandardWaveErrorText(MMRESULT code) {
    switch (code) {
        case MMSYSERR_NOERROR:
            return "The command completed successfully.";
        case MMSYSERR_ERROR:
            return "The wave output device reported an error of unknown cause.";
        case MMSYSERR_BADDEVICEID:
            return "The wave output device identifier is out of range.";
        case MMSYSERR_NOTENABLED:
            return "The wave output driver failed to enable.";
        case MMSYSERR_ALLOCATED:
            return "The wave output device is already in use.";
        case MMSYSERR_INVALHANDLE:
            return "The wave output device handle is invalid.";
        case MMSYSERR_NODRIVER:
            return "No wave output device driver is installed.";
        case MMSYSERR_NOMEM:
            return "The wave output device could not allocate or lock memory.";
        case MMSYSERR_NOTSUPPORTED:
            return "The wave output device does not support this function.";
        case MMSYSERR_BADERRNUM:
            return "The error number is out of range.";
        case MMSYSERR_INVALFLAG:
            return "An invalid flag was passed to the wave output device.";
        case MMSYSERR_INVALPARAM:
            return "An invalid parameter was passed to the wave output device.";
        case MMSYSERR_HANDLEBUSY:
            return "The wave output device handle is busy.";
        case WAVERR_BADFORMAT:
            return "The wave output device does not support this format.";
        case WAVERR_STILLPLAYING:
            return "The wave output device is still playing buffers.";
        case WAVERR_UNPREPARED:
            return "The wave header has not been prepared.";
        case WAVERR_SYNC:
            return "The wave output device is synchronous.";
        default:
            return nullptr;
    }
}

}  // namespace audio
