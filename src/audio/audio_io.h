#pragma once

// AudioIO: the wave output component. TAudioOut streams PCM to a wave-out device through a ring of
// two to four buffers that it asks its user to fill (OnFillBuffer); OnStart and OnStop report the
// device's opening and closing. Everything runs on the UI thread: the device posts its
// notifications to a hidden callback window (TCallBackWinOut) through the message loop.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_memory.h"
#include "audio/wave_out.h"
#include "ui/message_loop.h"
#include "ui/object.h"

namespace audio {

// Fill callback: Buffer is the first byte to fill, Size its capacity on entry (the callback may
// lower it to the bytes it filled). True when the buffer holds data to play.
using TBufferEvent = std::function<bool(std::uint8_t* Buffer, std::int32_t& Size)>;

// The platform pieces the component works through.
struct AudioPlatform {
    IWaveOut& waveOut;
    IWaveMemory& memory;
    ui::IMessageLoop& loop;
};

class TAudioOut;
class TCallBackWinOut;

// Stream format, buffer memory, state flags and buffer counters.
class TAudioIO : public ui::Object {
public:
    static constexpr int kMaxBuffers = 4;

    explicit TAudioIO(const AudioPlatform& platform, ui::Object* AOwner = nullptr);
    ~TAudioIO() override;

    virtual void StopAtOnce();
    virtual void StopGracefully();

    // Effective bytes per buffer; writing allocates the ring's memory (see setBufferSize).
    std::int32_t BufferSize() const { return FBufferSize; }
    void setBufferSize(std::int32_t value);
    std::int32_t NumBuffers() const { return FNumBuffers; }
    void setNumBuffers(std::int32_t value);
    std::int32_t FrameRate() const { return static_cast<std::int32_t>(FWaveFmtEx.nSamplesPerSec); }
    void setFrameRate(std::int32_t value);
    bool Stereo() const { return FWaveFmtEx.nChannels == 2; }
    void setStereo(bool value);
    std::uint16_t Quantization() const { return FWaveFmtEx.wBitsPerSample; }
    void setQuantization(std::uint16_t value);
    std::uint32_t WaveDevice() const { return FWaveDevice; }
    void setWaveDevice(std::uint32_t value) { FWaveDevice = value; }
    const ui::NotifyEvent& OnStart() const { return FonOpen; }
    void setOnStart(ui::NotifyEvent handler) { FonOpen = std::move(handler); }
    const ui::NotifyEvent& OnStop() const { return FonClose; }
    void setOnStop(ui::NotifyEvent handler) { FonClose = std::move(handler); }

    // The stream format handed to the device.
    const WAVEFORMATEX& WaveFormat() const { return FWaveFmtEx; }
    ui::Object* Owner() const { return FOwner; }

    std::string ErrorMessage;
    // The text of a failure that ended a stream after Start had succeeded (a device unplugged
    // or its sound server gone); empty when the run had none. Start reports its own failures.
    std::string StreamError;
    bool Active = false;
    std::int32_t FilledBuffers = 0;
    std::int32_t QueuedBuffers = 0;
    std::int32_t ProcessedBuffers = 0;

protected:
    void UpdateFormat();
    // Each returns false after a failure, with its text in ErrorMessage and its memory released.
    bool AllocateBuffers();
    void FreeBuffers();
    bool AllocateHeaders();
    void FreeHeaders();
    // True when every slot of the ring holds at least FBufferSize bytes.
    bool BuffersFitRing() const;
    // True while a device may read the buffers: they must not be freed or moved then.
    virtual bool DeviceHoldsMemory() const { return false; }

    bool FPaused = false;
    AudioPlatform FPlatform;

private:
    friend class TAudioOut;
    friend class TCallBackWinOut;

    std::int32_t FBufferSize = 0;
    std::int32_t FRequestedBufferSize = 8192;
    std::int32_t FNumBuffers = kMaxBuffers;
    WAVEFORMATEX FWaveFmtEx{};
    ui::NotifyEvent FonOpen;
    ui::NotifyEvent FonClose;
    std::uint32_t FWaveDevice = WAVE_MAPPER;
    std::array<HGLOBAL, kMaxBuffers> hWaveHeader{};
    std::array<WAVEHDR*, kMaxBuffers> WaveHdr{};
    std::array<std::uint8_t*, kMaxBuffers> WaveBuffer{};
    std::array<HGLOBAL, kMaxBuffers> hWaveBuffer{};
    std::int32_t BufIndex = 0;
    bool ContinueProcessing = false;

    ui::Object* FOwner;
    // Bytes of each allocated buffer (0 when none): the fill is never offered more.
    std::int32_t FBufferCapacity = 0;
    // The text of a header allocation failure at construction; every Start fails with it.
    std::string FHeaderFailure;
    // Set when the device could not be closed at destruction: it may still read our memory.
    bool FKeepMemory = false;
};

class TAudioOut : public TAudioIO {
public:
    explicit TAudioOut(const AudioPlatform& platform, ui::Object* AOwner = nullptr);
    ~TAudioOut() override;

    void StopAtOnce() override;
    void StopGracefully() override;

    // Opens the device and starts playing. TS is the variable that holds this component; the
    // callback window reads the component through it. False with the reason in ErrorMessage.
    bool Start(TAudioOut*& TS);
    // Seconds played since the device was opened; 0 while not active.
    double ElapsedTime();

    bool Paused() const { return FPaused; }
    void setPaused(bool value);
    const TBufferEvent& OnFillBuffer() const { return FOnFillBuffer; }
    void setOnFillBuffer(TBufferEvent handler) { FOnFillBuffer = std::move(handler); }

    // Until a close of the device has succeeded.
    bool IsWaveDeviceOpen() const { return WaveDeviceOpen; }
    TCallBackWinOut* CallBackWindow() const { return CallBackWin; }
    std::size_t CallBackWindowCount() const { return FCallBackWindows.size(); }

    HWAVEOUT WaveHandle = 0;

protected:
    bool DeviceHoldsMemory() const override { return WaveDeviceOpen; }
    virtual bool RequestBuffer(std::int32_t Index, std::int32_t Size);
    virtual void CloseDevice();
    virtual bool OpenDevice(TAudioOut*& TS);

private:
    friend class TCallBackWinOut;

    bool BeginPlayback();
    bool WriteNextBuffer();
    void ResetHeaders();
    void FillSilence(std::int32_t Index);
    std::string WaveErrorText(MMRESULT code);
    TCallBackWinOut* AcquireCallBackWindow();

    bool WaveDeviceOpen = false;
    TCallBackWinOut* CallBackWin = nullptr;
    TBufferEvent FOnFillBuffer;

    // Buffers of the open device's ring: NumBuffers written while open applies at the next open.
    std::int32_t FRingSize = 0;
    // Filled buffers whose write failed: they never come back, so they are not queued.
    std::int32_t FLostBuffers = 0;
    // Whether the last fill of each slot gave data: only such a buffer counts as lost when its
    // write fails, as only such a buffer was counted in FilledBuffers.
    std::array<bool, kMaxBuffers> FSlotFilled{};
    // Callback windows, reused once their device's MM_WOM_CLOSE has arrived or their open failed.
    std::vector<std::unique_ptr<TCallBackWinOut>> FCallBackWindows;
};

// The hidden window that receives the device's notifications. It is tied to the device opened
// through it and ignores every notification that is not of that device, or that arrives when it
// is no longer the component's current callback window.
class TCallBackWinOut final : public ui::Object, public ui::MessageTarget {
public:
    explicit TCallBackWinOut(ui::Object* AOwner) : FParent(AOwner) {}

    void handleMessage(const ui::Message& message) override;

    ui::Object* Parent() const { return FParent; }
    HWAVEOUT DeviceHandle() const { return FDevice; }
    // From the open attempt until the device's MM_WOM_CLOSE (or the failure of the open).
    bool InUse() const { return FInUse; }

private:
    friend class TAudioOut;

    void HandleWomOpen(const ui::Message& message);
    void HandleWomClose(const ui::Message& message);
    void HandleWomDone(const ui::Message& message);
    bool IsMine(const ui::Message& message) const;
    // The component, when this window is still its current one; nullptr otherwise.
    TAudioOut* Component() const;
    // The component whatever window is current: the open and the close of every run reach it.
    TAudioOut* Owner() const;

    TAudioOut** AudioComponent = nullptr;
    ui::Object* FParent;
    HWAVEOUT FDevice = 0;
    bool FInUse = false;
};

}  // namespace audio
