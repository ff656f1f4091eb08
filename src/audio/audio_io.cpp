#include "audio/audio_io.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace audio {

namespace {

constexpr std::uint32_t kBufferFlags = GMEM_MOVEABLE | GMEM_SHARE;
constexpr std::uint32_t kHeaderFlags = GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TAudioIO

TAudioIO::TAudioIO(const AudioPlatform& platform, ui::Object* AOwner)
    : FPlatform(platform), FOwner(AOwner) {
    FWaveFmtEx.wFormatTag = WAVE_FORMAT_PCM;
    FWaveFmtEx.nChannels = 1;
    FWaveFmtEx.nSamplesPerSec = 22050;
    FWaveFmtEx.wBitsPerSample = 16;
    FRequestedBufferSize = 8192;
    FNumBuffers = kMaxBuffers;
    UpdateFormat();
    WaveBuffer.fill(nullptr);
    AllocateHeaders();
    AllocateBuffers();
}

TAudioIO::~TAudioIO() {
    if (FKeepMemory) return;
    FreeBuffers();
    FreeHeaders();
}

void TAudioIO::StopAtOnce() {
    Active = false;
    ContinueProcessing = false;
}

void TAudioIO::StopGracefully() {
    ContinueProcessing = false;
}

void TAudioIO::setBufferSize(std::int32_t value) {
    FRequestedBufferSize = value < 512 ? 512 : value;
    UpdateFormat();
    // An open device still reads the old buffers; the next Start re-allocates if they are too
    // small for the new size.
    if (DeviceHoldsMemory()) return;
    FreeBuffers();
    AllocateBuffers();
}

void TAudioIO::setNumBuffers(std::int32_t value) {
    FNumBuffers = std::clamp(value, 2, kMaxBuffers);
}

void TAudioIO::setFrameRate(std::int32_t value) {
    FWaveFmtEx.nSamplesPerSec = static_cast<std::uint32_t>(value);
    UpdateFormat();
}

void TAudioIO::setStereo(bool value) {
    FWaveFmtEx.nChannels = value ? 2 : 1;
    UpdateFormat();
}

void TAudioIO::setQuantization(std::uint16_t value) {
    FWaveFmtEx.wBitsPerSample = std::clamp<std::uint16_t>(value, 8, 24);
    UpdateFormat();
}

void TAudioIO::UpdateFormat() {
    FWaveFmtEx.wFormatTag = WAVE_FORMAT_PCM;
    FWaveFmtEx.cbSize = 0;
    FWaveFmtEx.nBlockAlign =
        static_cast<std::uint16_t>((FWaveFmtEx.wBitsPerSample / 8) * FWaveFmtEx.nChannels);
    FWaveFmtEx.nAvgBytesPerSec = FWaveFmtEx.nSamplesPerSec * FWaveFmtEx.nBlockAlign;
    FBufferSize = FRequestedBufferSize - FRequestedBufferSize % FWaveFmtEx.nBlockAlign;
}

bool TAudioIO::AllocateBuffers() {
    IWaveMemory& memory = FPlatform.memory;
    for (int i = 0; i < FNumBuffers; ++i) {
        hWaveBuffer[i] = memory.GlobalAlloc(kBufferFlags, static_cast<std::size_t>(FBufferSize));
        if (hWaveBuffer[i] == 0) {
            FreeBuffers();
            ErrorMessage = "Error allocating wave buffer memory";
            return false;
        }
        WaveBuffer[i] = static_cast<std::uint8_t*>(memory.GlobalLock(hWaveBuffer[i]));
        if (WaveBuffer[i] == nullptr) {
            FreeBuffers();
            ErrorMessage = "Error Locking wave buffer memory";
            return false;
        }
        // Headers may be missing after a failure at construction; they get lpData at each open.
        if (WaveHdr[i] != nullptr) WaveHdr[i]->lpData = reinterpret_cast<char*>(WaveBuffer[i]);
    }
    FBufferCapacity = FBufferSize;
    return true;
}

void TAudioIO::FreeBuffers() {
    IWaveMemory& memory = FPlatform.memory;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (hWaveBuffer[i] == 0) continue;
        if (WaveBuffer[i] != nullptr) memory.GlobalUnlock(hWaveBuffer[i]);
        memory.GlobalFree(hWaveBuffer[i]);
        hWaveBuffer[i] = 0;
        WaveBuffer[i] = nullptr;
        if (WaveHdr[i] != nullptr) WaveHdr[i]->lpData = nullptr;
    }
    FBufferCapacity = 0;
}

bool TAudioIO::AllocateHeaders() {
    IWaveMemory& memory = FPlatform.memory;
    for (int i = 0; i < kMaxBuffers; ++i) {
        hWaveHeader[i] = memory.GlobalAlloc(kHeaderFlags, sizeof(WAVEHDR));
        if (hWaveHeader[i] == 0) {
            FreeHeaders();
            ErrorMessage = "Error allocating wave header memory";
            FHeaderFailure = ErrorMessage;
            return false;
        }
        void* block = memory.GlobalLock(hWaveHeader[i]);
        if (block == nullptr) {
            FreeHeaders();
            ErrorMessage = "Could not lock header memory for recording";
            FHeaderFailure = ErrorMessage;
            return false;
        }
        WaveHdr[i] = new (block) WAVEHDR{};
    }
    return true;
}

void TAudioIO::FreeHeaders() {
    IWaveMemory& memory = FPlatform.memory;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (hWaveHeader[i] == 0) continue;
        if (WaveHdr[i] != nullptr) memory.GlobalUnlock(hWaveHeader[i]);
        memory.GlobalFree(hWaveHeader[i]);
        hWaveHeader[i] = 0;
        WaveHdr[i] = nullptr;
    }
}

bool TAudioIO::BuffersFitRing() const {
    for (int i = 0; i < FNumBuffers; ++i) {
        if (WaveBuffer[i] == nullptr) return false;
    }
    return FBufferCapacity >= FBufferSize;
}

// ---------------------------------------------------------------------------------------------
// TAudioOut

TAudioOut::TAudioOut(const AudioPlatform& platform, ui::Object* AOwner)
    : TAudioIO(platform, AOwner) {
    // One window up front, so that a start in the steady state allocates nothing.
    FCallBackWindows.reserve(4);
    FCallBackWindows.push_back(std::make_unique<TCallBackWinOut>(AOwner));
}

TAudioOut::~TAudioOut() {
    // The device must not go on reading buffers that our base is about to free.
    if (WaveDeviceOpen) {
        Active = false;
        ContinueProcessing = false;
        FPlatform.waveOut.Reset(WaveHandle);
        CloseDevice();
    }
    if (WaveDeviceOpen) {
        // The device refused to let go: leave it the memory and the windows it may still post
        // to, cut off from a component that no longer exists.
        FKeepMemory = true;
        for (auto& window : FCallBackWindows) window.release()->AudioComponent = nullptr;
        return;
    }
    for (auto& window : FCallBackWindows) FPlatform.loop.forget(window.get());
}

void TAudioOut::StopAtOnce() {
    if (!WaveDeviceOpen) return;
    Active = false;
    ContinueProcessing = false;
    FPlatform.waveOut.Reset(WaveHandle);
    CloseDevice();
}

void TAudioOut::StopGracefully() {
    if (WaveDeviceOpen) ContinueProcessing = false;
}

bool TAudioOut::Start(TAudioOut*& TS) {
    if (!OpenDevice(TS)) return false;
    return BeginPlayback();
}

double TAudioOut::ElapsedTime() {
    if (!Active || !WaveDeviceOpen) return 0.0;
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (FPlatform.waveOut.GetPosition(WaveHandle, &time) != MMSYSERR_NOERROR) return 0.0;
    const std::int32_t rate = FrameRate();
    if (rate <= 0) return 0.0;
    // A device may answer in bytes instead of samples.
    if (time.wType == TIME_SAMPLES) return static_cast<double>(time.u.sample) / rate;
    if (time.wType == TIME_BYTES && FWaveFmtEx.nBlockAlign != 0)
        return static_cast<double>(time.u.cb / FWaveFmtEx.nBlockAlign) / rate;
    return 0.0;
}

void TAudioOut::setPaused(bool value) {
    FPaused = value;
    // The device plays until it has closed, the silent buffers after a signal's end included.
    if (!WaveDeviceOpen) return;
    if (value)
        FPlatform.waveOut.Pause(WaveHandle);
    else
        FPlatform.waveOut.Restart(WaveHandle);
}

TCallBackWinOut* TAudioOut::AcquireCallBackWindow() {
    for (auto& window : FCallBackWindows) {
        if (!window->FInUse) return window.get();
    }
    FCallBackWindows.push_back(std::make_unique<TCallBackWinOut>(FOwner));
    return FCallBackWindows.back().get();
}

bool TAudioOut::OpenDevice(TAudioOut*& TS) {
    if (WaveDeviceOpen) {
        ErrorMessage = "Wave output device is already open";
        return false;
    }
    if (WaveHdr[0] == nullptr) {
        ErrorMessage = FHeaderFailure;
        return false;
    }
    UpdateFormat();
    // NumBuffers raised or the frame size changed after BufferSize was written: the fill must
    // never be handed missing or too small memory.
    if (!BuffersFitRing()) {
        FreeBuffers();
        if (!AllocateBuffers()) return false;
    }
    BufIndex = 0;

    TCallBackWinOut* window = AcquireCallBackWindow();
    window->AudioComponent = &TS;
    window->FInUse = true;
    window->FDevice = 0;
    CallBackWin = window;

    HWAVEOUT handle = 0;
    const MMRESULT opened = FPlatform.waveOut.Open(&handle, FWaveDevice, FWaveFmtEx, window,
                                                   CALLBACK_WINDOW | WAVE_ALLOWSYNC);
    if (opened != MMSYSERR_NOERROR) {
        window->FInUse = false;  // no device will ever post to it
        ErrorMessage = WaveErrorText(opened);
        return false;
    }
    WaveHandle = handle;
    window->FDevice = handle;
    WaveDeviceOpen = true;
    FRingSize = FNumBuffers;

    ResetHeaders();
    for (int i = 0; i < FRingSize; ++i) {
        const MMRESULT prepared = FPlatform.waveOut.PrepareHeader(WaveHandle, WaveHdr[i]);
        if (prepared != MMSYSERR_NOERROR) {
            ErrorMessage = WaveErrorText(prepared);
            CloseDevice();
            return false;
        }
    }

    QueuedBuffers = 0;
    ProcessedBuffers = 0;
    FilledBuffers = 0;
    FLostBuffers = 0;
    FSlotFilled.fill(false);
    StreamError.clear();
    ContinueProcessing = true;
    Active = true;

    if (!RequestBuffer(0, FBufferSize)) {
        CloseDevice();
        ErrorMessage = "There must be at least one filled buffer";
        return false;
    }
    for (int i = 1; i < FRingSize; ++i) {
        // These are written all the same; without data they must play silence, not whatever an
        // earlier run left in them.
        if (!RequestBuffer(i, FBufferSize)) FillSilence(i);
    }
    return true;
}

void TAudioOut::ResetHeaders() {
    UpdateFormat();
    for (int i = 0; i < FRingSize; ++i) {
        WAVEHDR& header = *WaveHdr[i];
        header.lpData = reinterpret_cast<char*>(WaveBuffer[i]);
        header.dwBufferLength = static_cast<std::uint32_t>(FBufferSize);
        header.dwBytesRecorded = 0;
        header.dwUser = 0;
        header.dwFlags = 0;
        header.dwLoops = 0;
        header.lpNext = nullptr;
        header.reserved = 0;
    }
}

void TAudioOut::FillSilence(std::int32_t Index) {
    if (WaveBuffer[Index] == nullptr || WaveHdr[Index] == nullptr) return;
    const std::uint32_t length =
        std::min(WaveHdr[Index]->dwBufferLength, static_cast<std::uint32_t>(FBufferCapacity));
    // 8-bit PCM is unsigned: its silence is the mid value.
    std::memset(WaveBuffer[Index], FWaveFmtEx.wBitsPerSample <= 8 ? 0x80 : 0x00, length);
}

bool TAudioOut::BeginPlayback() {
    Active = true;
    if (!WaveDeviceOpen) {
        // A fill stopped the stream while it was starting: the handle is gone, write nothing.
        Active = false;
        ErrorMessage = WaveErrorText(MMSYSERR_INVALHANDLE);
        return false;
    }
    if (FPaused) FPlatform.waveOut.Pause(WaveHandle);
    if (!WriteNextBuffer()) {
        StreamError.clear();  // Start's false result reports this one
        CloseDevice();
        return false;
    }
    for (int i = 1; i < FRingSize; ++i) WriteNextBuffer();
    return true;
}

bool TAudioOut::RequestBuffer(std::int32_t Index, std::int32_t Size) {
    if (!ContinueProcessing) return false;
    bool result = false;
    if (FOnFillBuffer && Index >= 0 && Index < kMaxBuffers && WaveBuffer[Index] != nullptr &&
        WaveHdr[Index] != nullptr) {
        const std::int32_t offered = std::clamp(Size, 0, FBufferCapacity);
        std::int32_t filled = offered;
        result = FOnFillBuffer(WaveBuffer[Index], filled);
        // The callback may only lower the size, and the device plays whole frames.
        filled = std::clamp(filled, 0, offered);
        filled -= filled % FWaveFmtEx.nBlockAlign;
        WaveHdr[Index]->dwBufferLength = static_cast<std::uint32_t>(filled);
    }
    if (Index >= 0 && Index < kMaxBuffers) FSlotFilled[Index] = result;
    if (result) ++FilledBuffers;
    QueuedBuffers = FilledBuffers - ProcessedBuffers - FLostBuffers;
    return result;
}

bool TAudioOut::WriteNextBuffer() {
    MMRESULT written = MMSYSERR_INVALHANDLE;
    if (WaveDeviceOpen) {
        WAVEHDR* header = WaveHdr[BufIndex];
        header->dwFlags = WHDR_PREPARED;
        written = FPlatform.waveOut.Write(WaveHandle, header);
        if (written == MMSYSERR_NOERROR) {
            BufIndex = (BufIndex + 1) % FRingSize;
            return true;
        }
        ErrorMessage = WaveErrorText(written);
        StreamError = ErrorMessage;
        StopGracefully();
    }
    // The buffer never reaches the device, so it never comes back: a filled one is not queued.
    // A silent one was never counted.
    if (FSlotFilled[BufIndex]) ++FLostBuffers;
    QueuedBuffers = FilledBuffers - ProcessedBuffers - FLostBuffers;
    return false;
}

void TAudioOut::CloseDevice() {
    Active = false;
    FPaused = false;  // the device is going away: only the flag is cleared
    // Once a close has succeeded the handle is not ours any more; never call it again.
    if (!WaveDeviceOpen) return;
    IWaveOut& waveOut = FPlatform.waveOut;
    for (int i = 0; i < FRingSize; ++i) waveOut.UnprepareHeader(WaveHandle, WaveHdr[i]);
    const MMRESULT closed = waveOut.Close(WaveHandle);
    // A refused close (buffers still pending) leaves the device holding our headers and buffers:
    // it stays open, and the next completion or StopAtOnce tries again.
    if (closed == MMSYSERR_NOERROR || closed == MMSYSERR_INVALHANDLE) WaveDeviceOpen = false;
}

std::string TAudioOut::WaveErrorText(MMRESULT code) {
    char text[MAXERRORLENGTH] = {};
    const MMRESULT result = FPlatform.waveOut.GetErrorText(code, text, MAXERRORLENGTH);
    text[MAXERRORLENGTH - 1] = '\0';
    // A failure must never be reported with an empty text.
    if (result != MMSYSERR_NOERROR || text[0] == '\0')
        return "Wave output device error " + std::to_string(code);
    return text;
}

// ---------------------------------------------------------------------------------------------
// TCallBackWinOut

void TCallBackWinOut::handleMessage(const ui::Message& message) {
    switch (message.msg) {
        case MM_WOM_OPEN:
            HandleWomOpen(message);
            break;
        case MM_WOM_CLOSE:
            HandleWomClose(message);
            break;
        case MM_WOM_DONE:
            HandleWomDone(message);
            break;
        default:
            break;
    }
}

bool TCallBackWinOut::IsMine(const ui::Message& message) const {
    return FInUse && FDevice != 0 && message.wParam == FDevice;
}

TAudioOut* TCallBackWinOut::Component() const {
    if (AudioComponent == nullptr) return nullptr;
    TAudioOut* component = *AudioComponent;
    if (component == nullptr || component->CallBackWin != this) return nullptr;
    return component;
}

TAudioOut* TCallBackWinOut::Owner() const {
    return AudioComponent == nullptr ? nullptr : *AudioComponent;
}

// The open and the close of a run reach the component even after a newer start has taken
// another window: a stop followed at once by a start (that may fail) still reports the close
// of the run it ended, once.
void TCallBackWinOut::HandleWomOpen(const ui::Message& message) {
    if (!IsMine(message)) return;
    TAudioOut* component = Owner();
    if (component != nullptr && component->FonOpen) component->FonOpen(this);
}

void TCallBackWinOut::HandleWomClose(const ui::Message& message) {
    if (!IsMine(message)) return;
    TAudioOut* component = Owner();
    // The device has nothing more to say: this window may serve the next open, even one that
    // OnStop itself makes.
    FInUse = false;
    FDevice = 0;
    if (component != nullptr && component->FonClose) component->FonClose(this);
}

void TCallBackWinOut::HandleWomDone(const ui::Message& message) {
    if (!IsMine(message)) return;
    TAudioOut* component = Component();
    if (component == nullptr) return;
    TAudioOut& c = *component;
    ++c.ProcessedBuffers;
    c.QueuedBuffers = c.FilledBuffers - c.ProcessedBuffers - c.FLostBuffers;
    c.Active = c.QueuedBuffers > 0;
    // A buffer written here keeps the stream running, also when the queue had just run empty.
    if (c.RequestBuffer(c.BufIndex, c.FBufferSize) && c.WriteNextBuffer()) c.Active = true;
    if (!c.Active) {
        c.ContinueProcessing = false;
        c.CloseDevice();
    }
}

}  // namespace audio
