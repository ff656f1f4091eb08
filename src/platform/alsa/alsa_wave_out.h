#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_device_core.h"
#include "ui/message_loop.h"

typedef struct _snd_config snd_config_t;

namespace alsa {

// One PCM of the device list: the name ALSA opens and the words shown for it.
struct PcmDevice {
    std::string name;
    std::string description;
};

struct AlsaOptions {
    // The devices to offer instead of the playback PCMs that ALSA reports (empty: ask ALSA).
    std::vector<PcmDevice> devices;
    // The PCM that WAVE_MAPPER opens.
    std::string defaultPcm = "default";
    // ALSA configuration (asoundrc syntax) read over the system's, e.g. PCMs of one's own.
    std::string config;
    // Pause with the PCM's own pause where it has one; otherwise (or where a driver's pause is
    // unreliable) a pause stops feeding and lets what ALSA holds play out.
    bool pcmPause = true;
};

// The wave-out device on ALSA, on the common device core. Each open device has a thread of its
// own that feeds the PCM from the queue of written blocks (non-blocking writes, poll with a
// timeout) and reports a block played when its last frame has been handed to ALSA. ALSA's own
// buffer holds about one wave buffer, so "done" means "about to play" and a change of the signal is
// heard one buffer later. Every other call runs on the caller's (UI) thread; the queue and the
// PCM are shared with the device thread under the open device's mutex, and the thread never
// holds it while it waits.
//
// A device that fails while playing (the sound server gone, the card unplugged) hands back every
// pending buffer; each later Write fails with kErrStopped, whose text says why, and Close
// succeeds, so the stream drains and closes instead of hanging.
class AlsaWaveOut final : public audio::WaveDeviceCore {
public:
    // Device errors of our own; their texts name the device and give ALSA's reason.
    static constexpr audio::MMRESULT kErrOpen = 0x7A01;
    static constexpr audio::MMRESULT kErrStopped = 0x7A02;
    static constexpr audio::HWAVEOUT kFirstHandle = 0xA150001;
    static constexpr const char* kMapperName = "Default ALSA output";

    // `loop` receives the notifications from the device threads: its post() must be thread-safe.
    explicit AlsaWaveOut(ui::IMessageLoop& loop, AlsaOptions options = {});
    AlsaWaveOut(const AlsaWaveOut&) = delete;
    AlsaWaveOut& operator=(const AlsaWaveOut&) = delete;
    ~AlsaWaveOut() override;

    // The device list: fixed at the first look for the life of this object.
    const std::vector<PcmDevice>& devices();
    // Underruns recovered since construction, over every open (for the benchmark).
    std::uint64_t underruns() const { return underruns_.load(std::memory_order_relaxed); }

protected:
    std::uint32_t DeviceCount() override;
    audio::MMRESULT DeviceCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS& caps) override;
    audio::MMRESULT OpenStream(std::uint32_t deviceId, const audio::WAVEFORMATEX& format,
                               const audio::WaveLink& link, audio::WaveStream*& stream) override;
    void EndStream(audio::WaveStream* stream) override;

private:
    class Stream;

    AlsaOptions options_;
    snd_config_t* config_ = nullptr;  // the system's configuration with options_.config over it
    std::string configError_;
    bool enumerated_ = false;
    std::vector<PcmDevice> devices_;
    std::atomic<std::uint64_t> underruns_{0};
};

}  // namespace alsa
