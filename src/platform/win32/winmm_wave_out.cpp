#include "platform/win32/winmm_wave_out.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstddef>
#include <deque>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/win32/message_window.h"
#include "platform/win32/utf.h"

namespace win32 {

// The core posts the component's notifications with the numbers winmm uses.
static_assert(MM_WOM_OPEN == 0x3BB && MM_WOM_CLOSE == 0x3BC && MM_WOM_DONE == 0x3BD);

namespace {

constexpr wchar_t kClassName[] = L"VimbrelPulseGeneratorWaveOut";
// Winmm headers made at an open: more than a ring keeps in flight.
constexpr std::size_t kHeadersPerDevice = 64;

}  // namespace

// One open winmm device: a header of ours per block in flight, in the order written.
class WinmmWaveOut::Stream final : public audio::WaveStream {
public:
    Stream(WinmmWaveOut& owner, const audio::WaveLink& link, ::HWAVEOUT native,
           const audio::WAVEFORMATEX& format)
        : owner_(owner),
          link_(link),
          native_(native),
          format_(format),
          headers_(kHeadersPerDevice) {}
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    ~Stream() override { stop(); }

    ::HWAVEOUT native() const { return native_; }

    audio::MMRESULT write(const char* data, std::uint32_t bytes) override {
        auto slot = std::find_if(headers_.begin(), headers_.end(),
                                 [](const Header& h) { return !h.inFlight; });
        // Only a caller with more blocks in flight than the pool holds makes it grow; the deque
        // keeps the headers winmm holds where they are.
        Header& header = slot != headers_.end() ? *slot : headers_.emplace_back();
        header.native = ::WAVEHDR{};
        // Winmm only reads a playback buffer.
        header.native.lpData = const_cast<char*>(data);
        header.native.dwBufferLength = bytes;
        MMRESULT result = ::waveOutPrepareHeader(native_, &header.native, sizeof(::WAVEHDR));
        if (result != MMSYSERR_NOERROR) return result;
        header.inFlight = true;
        result = ::waveOutWrite(native_, &header.native, sizeof(::WAVEHDR));
        if (result != MMSYSERR_NOERROR) release(header);
        return result;
    }

    void drop() override {
        ::waveOutReset(native_);
        releaseAll();
        // Winmm has posted a DONE for each block it dropped: they must not count as played.
        owner_.takeQueuedNotifications();
    }

    void pause() override { ::waveOutPause(native_); }
    void resume() override { ::waveOutRestart(native_); }

    std::uint64_t position() override {
        ::MMTIME time{};
        time.wType = TIME_SAMPLES;
        if (::waveOutGetPosition(native_, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
        // A driver may answer in another unit than asked.
        switch (time.wType) {
            case TIME_SAMPLES:
                return time.u.sample;
            case TIME_BYTES:
                return format_.nBlockAlign != 0 ? time.u.cb / format_.nBlockAlign : 0;
            case TIME_MS:
                return std::uint64_t{time.u.ms} * format_.nSamplesPerSec / 1000;
            default:
                return 0;
        }
    }

    void close() override {
        stop();
        link_.closed();
    }

    // Winmm's MM_WOM_DONE: a header of ours still in flight has played. Any other (of a block
    // dropped, or stray) is not ours to report.
    void done(const ::WAVEHDR* native) {
        for (Header& header : headers_) {
            if (&header.native != native) continue;
            if (!header.inFlight || !(header.native.dwFlags & WHDR_DONE)) return;
            release(header);
            link_.played();
            return;
        }
    }

private:
    struct Header {
        ::WAVEHDR native{};
        bool inFlight = false;
    };

    void release(Header& header) {
        ::waveOutUnprepareHeader(native_, &header.native, sizeof(::WAVEHDR));
        header.inFlight = false;
    }
    void releaseAll() {
        for (Header& header : headers_)
            if (header.inFlight) release(header);
    }
    // Closes the winmm device now, dropping whatever it still holds.
    void stop() {
        if (native_ == nullptr) return;
        if (::waveOutClose(native_) != MMSYSERR_NOERROR) {
            ::waveOutReset(native_);
            releaseAll();
            ::waveOutClose(native_);
        }
        native_ = nullptr;
        // Winmm has posted its last notices of this device by now; none may reach a device
        // that gets the same handle value later.
        owner_.takeQueuedNotifications();
    }

    WinmmWaveOut& owner_;
    audio::WaveLink link_;
    ::HWAVEOUT native_;
    audio::WAVEFORMATEX format_;
    std::deque<Header> headers_;
};

WinmmWaveOut::WinmmWaveOut(ui::IMessageLoop& loop) : WaveDeviceCore(loop, kFirstHandle) {
    streams_.reserve(8);
    window_ = CreateMessageWindow(kClassName, &WindowProc, this);
}

WinmmWaveOut::~WinmmWaveOut() {
    EndAllDevices();
    DestroyMessageWindow(window_);
}

std::size_t WinmmWaveOut::openDevices() const {
    return static_cast<std::size_t>(std::count_if(
        streams_.begin(), streams_.end(), [](const Stream* s) { return s->native() != nullptr; }));
}

LRESULT CALLBACK WinmmWaveOut::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* device = MessageWindowOwner<WinmmWaveOut>(window, msg, lParam);
    if (msg == MM_WOM_OPEN || msg == MM_WOM_DONE || msg == MM_WOM_CLOSE) {
        if (device != nullptr) device->notify(msg, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

void WinmmWaveOut::notify(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != MM_WOM_DONE) return;
    const auto native = reinterpret_cast<::HWAVEOUT>(wParam);
    if (native == nullptr) return;
    for (Stream* stream : streams_) {
        if (stream->native() != native) continue;
        stream->done(reinterpret_cast<const ::WAVEHDR*>(lParam));
        return;
    }
}

void WinmmWaveOut::takeQueuedNotifications() {
    MSG msg;
    while (::PeekMessageW(&msg, window_, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE))
        notify(msg.message, msg.wParam, msg.lParam);
}

std::uint32_t WinmmWaveOut::DeviceCount() {
    return ::waveOutGetNumDevs();
}

audio::MMRESULT WinmmWaveOut::DeviceCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS& caps) {
    WAVEOUTCAPSW native{};
    const MMRESULT result = ::waveOutGetDevCapsW(deviceId, &native, sizeof native);
    if (result != MMSYSERR_NOERROR) return result;
    caps = audio::WAVEOUTCAPS{};
    caps.wMid = native.wMid;
    caps.wPid = native.wPid;
    caps.vDriverVersion = native.vDriverVersion;
    caps.dwFormats = native.dwFormats;
    caps.wChannels = native.wChannels;
    caps.wReserved1 = native.wReserved1;
    caps.dwSupport = native.dwSupport;
    // The name field need not be terminated when it is full.
    std::size_t length = 0;
    while (length < MAXPNAMELEN && native.szPname[length] != L'\0') ++length;
    try {
        audio::SetDeviceName(caps, WideToUtf8(std::wstring_view(native.szPname, length)));
    } catch (const std::exception&) {
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

audio::MMRESULT WinmmWaveOut::OpenStream(std::uint32_t deviceId, const audio::WAVEFORMATEX& format,
                                         const audio::WaveLink& link, audio::WaveStream*& stream) {
    ::WAVEFORMATEX native{};
    native.wFormatTag = format.wFormatTag;
    native.nChannels = format.nChannels;
    native.nSamplesPerSec = format.nSamplesPerSec;
    native.nAvgBytesPerSec = format.nAvgBytesPerSec;
    native.nBlockAlign = format.nBlockAlign;
    native.wBitsPerSample = format.wBitsPerSample;
    native.cbSize = 0;  // PCM: no extra bytes follow

    // Winmm always reports to our window, whatever the caller asked for: its MM_WOM_DONE is how
    // a block is known to have played.
    const DWORD flags = (link.flags() & ~(CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY)) | CALLBACK_WINDOW;
    ::HWAVEOUT opened = nullptr;
    const MMRESULT result =
        ::waveOutOpen(&opened, deviceId, &native, reinterpret_cast<DWORD_PTR>(window_), 0, flags);
    if (result != MMSYSERR_NOERROR) return result;
    try {
        streams_.push_back(new Stream(*this, link, opened, format));
    } catch (const std::exception&) {
        ::waveOutClose(opened);
        return MMSYSERR_NOMEM;
    }
    stream = streams_.back();
    return MMSYSERR_NOERROR;
}

void WinmmWaveOut::EndStream(audio::WaveStream* stream) {
    const auto it = std::find(streams_.begin(), streams_.end(), stream);
    if (it == streams_.end()) return;
    Stream* ended = *it;
    streams_.erase(it);
    delete ended;
}

bool WinmmWaveOut::SystemErrorText(audio::MMRESULT code, std::string& text) {
    wchar_t words[MAXERRORLENGTH] = {};
    if (::waveOutGetErrorTextW(code, words, MAXERRORLENGTH) != MMSYSERR_NOERROR) return false;
    words[MAXERRORLENGTH - 1] = L'\0';
    try {
        text = WideToUtf8(words);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace win32
