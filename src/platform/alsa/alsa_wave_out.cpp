#include "platform/alsa/alsa_wave_out.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/alsa/pcm_rules.h"

namespace alsa {

using namespace audio;
using Clock = std::chrono::steady_clock;

namespace {

// Before the first buffer is prepared the device does not know the buffer size: it opens with
// a tenth of a second and sizes ALSA's buffer to the wave buffers then.
snd_pcm_uframes_t OpeningFrames(const WAVEFORMATEX& format) {
    return format.nSamplesPerSec / 10;
}
// ALSA's buffer is cut into this many periods; the device thread wakes once per period.
constexpr snd_pcm_uframes_t kPeriodsPerBuffer = 4;
// A PCM that takes no frame for this long while it should be playing has stopped for good.
constexpr std::chrono::milliseconds kMinStallLimit{5000};
// Error wake-ups in a row, with no frame taken, after which the device counts as failed.
constexpr int kMaxErrorWakeups = 64;

std::string Reason(int alsaError) {
    return snd_strerror(alsaError);
}

// Where a set-up failed: a refused format is the caller's business, anything else the device's.
enum class SetupStep { Format, Commit, Software };

struct Setup {
    int error = 0;
    SetupStep step = SetupStep::Format;
    snd_pcm_uframes_t bufferFrames = 0;
    snd_pcm_uframes_t periodFrames = 0;
    bool canPause = false;
};

// Sets the PCM up for `format` with a buffer of about `bufferFrames` in four periods, started by
// ALSA once the buffer is full and waking the writer once a period is free.
Setup Configure(snd_pcm_t* pcm, const WAVEFORMATEX& format, snd_pcm_uframes_t bufferFrames) {
    Setup s;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    s.step = SetupStep::Format;
    if ((s.error = snd_pcm_hw_params_any(pcm, hw)) < 0 ||
        (s.error = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (s.error = snd_pcm_hw_params_set_format(pcm, hw, SampleFormatOf(format))) < 0 ||
        (s.error = snd_pcm_hw_params_set_channels(pcm, hw, format.nChannels)) < 0 ||
        (s.error = snd_pcm_hw_params_set_rate(pcm, hw, format.nSamplesPerSec, 0)) < 0)
        return s;
    s.step = SetupStep::Commit;
    snd_pcm_uframes_t buffer = std::max<snd_pcm_uframes_t>(bufferFrames, kPeriodsPerBuffer);
    snd_pcm_uframes_t period = buffer / kPeriodsPerBuffer;
    // The sizes are wishes: a PCM that cannot meet them plays with the nearest it can.
    snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer);
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, &dir);
    if ((s.error = snd_pcm_hw_params(pcm, hw)) < 0) return s;
    snd_pcm_hw_params_get_buffer_size(hw, &buffer);
    snd_pcm_hw_params_get_period_size(hw, &period, &dir);
    s.bufferFrames = buffer;
    s.periodFrames = std::max<snd_pcm_uframes_t>(period, 1);
    s.canPause = snd_pcm_hw_params_can_pause(hw) != 0;

    s.step = SetupStep::Software;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    if ((s.error = snd_pcm_sw_params_current(pcm, sw)) < 0 ||
        (s.error = snd_pcm_sw_params_set_start_threshold(pcm, sw, s.bufferFrames)) < 0 ||
        (s.error = snd_pcm_sw_params_set_avail_min(pcm, sw, s.periodFrames)) < 0 ||
        (s.error = snd_pcm_sw_params(pcm, sw)) < 0)
        return s;
    s.error = 0;
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// One open device: its PCM, the queue of written buffers and the thread that feeds them.

class AlsaWaveOut::Stream final : public WaveStream {
public:
    Stream(const WaveLink& link, std::atomic<std::uint64_t>& underruns, std::string name,
           snd_pcm_t* pcm, const WAVEFORMATEX& format, const Setup& setup, bool pcmPause)
        : link_(link),
          underruns_(underruns),
          name_(std::move(name)),
          pcm_(pcm),
          format_(format),
          frameBytes_(format.nBlockAlign),
          pcmPause_(pcmPause) {
        apply(setup);
        queue_.reserve(16);
        const int count = snd_pcm_poll_descriptors_count(pcm_);
        pcmFds_ = count > 0 ? count : 0;
        fds_.resize(static_cast<std::size_t>(pcmFds_) + 1);
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category());
        try {
            thread_ = std::thread([this] { run(); });
        } catch (...) {
            ::close(wakeFd_);
            throw;
        }
    }

    ~Stream() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        work_.notify_all();
        signal();
        if (thread_.joinable()) thread_.join();
        if (pcm_ != nullptr) snd_pcm_close(pcm_);
        ::close(wakeFd_);
    }

    // --- calls from the UI thread, through the core

    MMRESULT sizeBuffers(std::uint32_t bytes) override {
        std::lock_guard lock(mutex_);
        // The first buffer of an open tells how long a wave buffer is: ALSA's buffer takes the
        // same length, before anything has been written to it.
        const snd_pcm_uframes_t frames = bytes / frameBytes_;
        if (failed_ || frames == 0 || frames == bufferFrames_) return MMSYSERR_NOERROR;
        Setup setup = Configure(pcm_, format_, frames);
        // A PCM that will not take that size plays with the one it was opened with.
        if (setup.error < 0) setup = Configure(pcm_, format_, OpeningFrames(format_));
        if (setup.error < 0) {
            fail(setup.error, "while it was being set up");
            return kErrStopped;
        }
        apply(setup);
        return MMSYSERR_NOERROR;
    }

    MMRESULT write(const char* data, std::uint32_t bytes) override {
        {
            std::lock_guard lock(mutex_);
            if (failed_) return kErrStopped;
            // A partial frame at the end is not played: the next buffer starts on a frame.
            queue_.push_back(Entry{data, bytes / frameBytes_, 0});
        }
        work_.notify_one();
        return MMSYSERR_NOERROR;
    }

    void drop() override { reset(); }
    void resume() override { restart(); }
    std::uint64_t position() override { return played(); }

    void reset() {
        {
            std::lock_guard lock(mutex_);
            queue_.clear();
            if (!failed_) {
                snd_pcm_drop(pcm_);
                const int prepared = snd_pcm_prepare(pcm_);
                // A PCM that cannot start again has gone: later writes are refused with why.
                if (prepared < 0) fail(prepared, "while playing");
            }
            handed_ = 0;
            quietXrun_ = false;
            ++resets_;
        }
        signal();
    }

    void pause() override {
        {
            std::lock_guard lock(mutex_);
            if (paused_) return;
            paused_ = true;
            // Without a pause of the PCM's own, what ALSA holds plays out and then it runs dry:
            // that is the pause, not an underrun.
            if (!failed_ && canPause_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING)
                hwPaused_ = snd_pcm_pause(pcm_, 1) == 0;
            if (!hwPaused_) quietXrun_ = true;
        }
        signal();
    }

    void restart() {
        {
            std::lock_guard lock(mutex_);
            if (!paused_) return;
            paused_ = false;
            if (!failed_) {
                const snd_pcm_state_t state = snd_pcm_state(pcm_);
                if (hwPaused_ && state == SND_PCM_STATE_PAUSED) {
                    if (snd_pcm_pause(pcm_, 0) < 0) {
                        snd_pcm_drop(pcm_);
                        snd_pcm_prepare(pcm_);
                    }
                } else if (state == SND_PCM_STATE_XRUN) {
                    snd_pcm_prepare(pcm_);
                }
            }
            hwPaused_ = false;
            progressAt_ = Clock::now();
        }
        work_.notify_one();
        signal();
    }

    // Frames played since the open or the last reset: handed to ALSA, less what it still holds.
    std::uint64_t played() {
        std::lock_guard lock(mutex_);
        std::uint64_t frames = handed_;
        snd_pcm_sframes_t delay = 0;
        if (!failed_ && snd_pcm_delay(pcm_, &delay) == 0 && delay > 0)
            frames -= std::min<std::uint64_t>(frames, static_cast<std::uint64_t>(delay));
        return frames;
    }

    // Nothing is pending: the thread plays out what ALSA holds, closes the PCM and reports
    // the close.
    void close() override {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        work_.notify_one();
        signal();
    }

private:
    struct Entry {
        const char* data;
        std::uint32_t frames;
        std::uint32_t handed;
    };

    void apply(const Setup& setup) {
        bufferFrames_ = setup.bufferFrames;
        periodFrames_ = setup.periodFrames;
        canPause_ = setup.canPause && pcmPause_;
        const auto bufferTime = std::chrono::milliseconds(
            1000 * static_cast<std::uint64_t>(bufferFrames_) / format_.nSamplesPerSec + 1);
        pollTimeout_ = std::max(std::chrono::milliseconds(250), 2 * bufferTime);
        stallLimit_ = std::max<std::chrono::milliseconds>(kMinStallLimit, 4 * bufferTime);
    }

    // Wakes the device thread from its poll.
    void signal() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }

    // With the mutex held: the oldest buffer has been handed over whole.
    void completeFront() {
        queue_.erase(queue_.begin());
        link_.played();
    }

    // With the mutex held: the device is gone. Nothing will play any more, so every pending
    // buffer comes back and every later write is refused with the reason.
    void fail(const std::string& reason, const char* when) {
        if (failed_) return;
        failed_ = true;
        queue_.clear();
        link_.failed(kErrStopped,
                     "The sound device '" + name_ + "' stopped " + when + ": " + reason);
    }
    void fail(int alsaError, const char* when) { fail(Reason(alsaError), when); }

    // With the mutex held: an underrun or a suspend is recovered; anything else, or a recovery
    // that fails (a sound server that has gone reports an underrun first), ends the device.
    void recoverOrFail(int alsaError, const char* when) {
        if (alsaError == -EPIPE || alsaError == -ESTRPIPE || alsaError == -EINTR) {
            const int recovered = snd_pcm_recover(pcm_, alsaError, 1);
            if (recovered == 0) {
                if (alsaError == -EPIPE && !quietXrun_)
                    underruns_.fetch_add(1, std::memory_order_relaxed);
                quietXrun_ = false;
                return;
            }
            alsaError = recovered;
        }
        fail(alsaError, when);
    }

    void madeProgress() {
        progressAt_ = Clock::now();
        errorWakeups_ = 0;
        quietXrun_ = false;
    }

    // With the mutex held, when nothing is left to write: a PCM that holds frames but has not
    // started (less than its start threshold was written) must play them now.
    void startIfHolding() {
        if (snd_pcm_state(pcm_) != SND_PCM_STATE_PREPARED) return;
        const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
        if (avail >= 0 && static_cast<snd_pcm_uframes_t>(avail) < bufferFrames_)
            snd_pcm_start(pcm_);
    }

    void run() {
        std::unique_lock lock(mutex_);
        progressAt_ = Clock::now();
        while (!quit_ && !closing_) {
            if (failed_ || paused_ || queue_.empty()) {
                if (!failed_ && !paused_) startIfHolding();
                work_.wait(lock, [this] {
                    return quit_ || closing_ || (!failed_ && !paused_ && !queue_.empty());
                });
                progressAt_ = Clock::now();
                continue;
            }
            feed(lock);
        }
        finish(lock);
    }

    void feed(std::unique_lock<std::mutex>& lock) {
        Entry& entry = queue_.front();
        if (entry.handed >= entry.frames) {
            completeFront();
            return;
        }
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm_, entry.data + std::size_t{entry.handed} * frameBytes_,
                           entry.frames - entry.handed);
        if (written > 0) {
            entry.handed += static_cast<std::uint32_t>(written);
            handed_ += static_cast<std::uint64_t>(written);
            madeProgress();
            if (entry.handed >= entry.frames) completeFront();
            return;
        }
        if (written == 0 || written == -EAGAIN) {
            // Full: ALSA starts by itself at the threshold, but a PCM that did not must not wait
            // for room forever.
            if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm_);
            waitForRoom(lock);
            return;
        }
        recoverOrFail(static_cast<int>(written), "while playing");
    }

    // Waits, without the mutex, until ALSA has room, the UI thread has news, or the timeout.
    void waitForRoom(std::unique_lock<std::mutex>& lock) {
        const int count = snd_pcm_poll_descriptors(pcm_, fds_.data(), pcmFds_);
        if (count < 0) {
            fail(count, "while playing");
            return;
        }
        const auto n = static_cast<std::size_t>(count);
        fds_[n] = pollfd{wakeFd_, POLLIN, 0};
        const std::uint64_t resets = resets_;
        const auto timeout = static_cast<int>(pollTimeout_.count());
        lock.unlock();
        const int ready = ::poll(fds_.data(), n + 1, timeout);
        const int pollError = errno;
        lock.lock();
        if (fds_[n].revents & POLLIN) {
            std::uint64_t value = 0;
            [[maybe_unused]] const ssize_t r = ::read(wakeFd_, &value, sizeof value);
        }
        // The UI thread may have changed everything meanwhile: the main loop looks again.
        if (quit_ || closing_ || failed_ || paused_ || queue_.empty() || resets != resets_) return;
        if (ready < 0) {
            if (pollError != EINTR) fail(-pollError, "while playing");
            return;
        }
        if (ready == 0) {
            if (Clock::now() - progressAt_ > stallLimit_)
                fail("it took no sound for " + std::to_string(stallLimit_.count() / 1000) +
                         " seconds",
                     "while playing");
            return;
        }
        unsigned short revents = 0;
        const int checked =
            snd_pcm_poll_descriptors_revents(pcm_, fds_.data(), static_cast<unsigned>(n), &revents);
        if (checked < 0) {
            fail(checked, "while playing");
            return;
        }
        if (!(revents & (POLLERR | POLLHUP | POLLNVAL))) return;
        switch (snd_pcm_state(pcm_)) {
            case SND_PCM_STATE_XRUN:
                recoverOrFail(-EPIPE, "while playing");
                break;
            case SND_PCM_STATE_SUSPENDED:
                recoverOrFail(-ESTRPIPE, "while playing");
                break;
            case SND_PCM_STATE_DISCONNECTED:
                fail(-ENODEV, "while playing");
                break;
            default:
                // The next write tells what is wrong; a PCM that only ever reports errors has
                // stopped all the same.
                if (++errorWakeups_ > kMaxErrorWakeups) fail(-EIO, "while playing");
                break;
        }
    }

    // The end of the thread: after a close, what ALSA holds plays out (for a bounded time),
    // then the PCM is closed and MM_WOM_CLOSE is the last notification of this device.
    void finish(std::unique_lock<std::mutex>& lock) {
        if (closing_ && !quit_ && !failed_ && !paused_) playOut(lock);
        if (!failed_) snd_pcm_drop(pcm_);
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
        if (closing_) link_.closed();
    }

    void playOut(std::unique_lock<std::mutex>& lock) {
        startIfHolding();
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) return;
        const auto rate = static_cast<std::int64_t>(format_.nSamplesPerSec);
        const auto deadline =
            Clock::now() + std::chrono::milliseconds(1000 * delay / rate) + std::chrono::seconds(1);
        while (!quit_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING) {
            if (snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0) return;
            const auto now = Clock::now();
            if (now >= deadline) return;
            const auto step =
                std::chrono::milliseconds(std::clamp<std::int64_t>(500 * delay / rate, 2, 100));
            work_.wait_for(lock, std::min<Clock::duration>(step, deadline - now));
        }
    }

    const WaveLink link_;
    std::atomic<std::uint64_t>& underruns_;
    const std::string name_;
    snd_pcm_t* pcm_;
    const WAVEFORMATEX format_;
    const std::uint32_t frameBytes_;
    const bool pcmPause_;

    std::mutex mutex_;
    std::condition_variable work_;
    int wakeFd_ = -1;
    std::thread thread_;

    // Guarded by mutex_.
    std::vector<Entry> queue_;
    std::uint64_t handed_ = 0;  // frames handed to ALSA since the open or the last reset
    std::uint64_t resets_ = 0;
    bool paused_ = false;
    bool hwPaused_ = false;
    bool quietXrun_ = false;  // the next underrun is a pause's, not a failure to keep up
    bool failed_ = false;
    bool closing_ = false;
    bool quit_ = false;
    snd_pcm_uframes_t bufferFrames_ = 0;
    snd_pcm_uframes_t periodFrames_ = 0;
    bool canPause_ = false;
    std::chrono::milliseconds pollTimeout_{250};
    std::chrono::milliseconds stallLimit_{kMinStallLimit};
    Clock::time_point progressAt_ = Clock::now();
    int errorWakeups_ = 0;
    int pcmFds_ = 0;
    std::vector<pollfd> fds_;
};

// ---------------------------------------------------------------------------------------------
// AlsaWaveOut

AlsaWaveOut::AlsaWaveOut(ui::IMessageLoop& loop, AlsaOptions options)
    : WaveDeviceCore(loop, kFirstHandle), options_(std::move(options)) {
    for (MMRESULT code : {kErrOpen, kErrStopped})
        SetErrorText(code, "The sound device reported an error.");
    if (options_.config.empty()) return;
    // A private copy of the system's configuration with ours read over it; the process-wide
    // configuration stays as it is.
    snd_config_t* system = nullptr;
    int error = snd_config_update_ref(&system);
    if (error >= 0) {
        error = snd_config_copy(&config_, system);
        snd_config_unref(system);
    }
    snd_input_t* input = nullptr;
    if (error >= 0)
        error = snd_input_buffer_open(&input, options_.config.data(),
                                      static_cast<ssize_t>(options_.config.size()));
    if (error >= 0) {
        error = snd_config_load(config_, input);
        snd_input_close(input);
    }
    if (error < 0) {
        configError_ = "The ALSA configuration could not be read: " + Reason(error);
        if (config_ != nullptr) snd_config_delete(config_);
        config_ = nullptr;
    }
}

AlsaWaveOut::~AlsaWaveOut() {
    EndAllDevices();
    if (config_ != nullptr) snd_config_delete(config_);
}

const std::vector<PcmDevice>& AlsaWaveOut::devices() {
    if (enumerated_) return devices_;
    enumerated_ = true;
    if (!options_.devices.empty()) {
        devices_ = options_.devices;
        return devices_;
    }
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || hints == nullptr) return devices_;
    for (void** hint = hints; *hint != nullptr; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* description = snd_device_name_get_hint(*hint, "DESC");
        char* ioid = snd_device_name_get_hint(*hint, "IOID");
        if (name != nullptr && IsListedPlaybackPcm(name, ioid)) {
            const std::string_view words = description != nullptr ? description : name;
            devices_.push_back(PcmDevice{name, std::string(FirstLine(words))});
        }
        std::free(name);
        std::free(description);
        std::free(ioid);
    }
    snd_device_name_free_hint(hints);
    return devices_;
}

std::uint32_t AlsaWaveOut::DeviceCount() {
    return static_cast<std::uint32_t>(devices().size());
}

MMRESULT AlsaWaveOut::DeviceCaps(std::uint32_t deviceId, WAVEOUTCAPS& caps) {
    const std::vector<PcmDevice>& list = devices();
    if (deviceId != WAVE_MAPPER && deviceId >= list.size()) return MMSYSERR_BADDEVICEID;
    caps = WAVEOUTCAPS{};
    if (deviceId == WAVE_MAPPER) {
        SetDeviceName(caps, kMapperName);
    } else {
        const PcmDevice& device = list[deviceId];
        const std::string_view words = FirstLine(device.description);
        SetDeviceName(caps, words.empty() ? std::string_view(device.name) : words);
    }
    caps.wChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT AlsaWaveOut::OpenStream(std::uint32_t deviceId, const WAVEFORMATEX& format,
                                 const WaveLink& link, WaveStream*& stream) {
    std::string name;
    if (deviceId == WAVE_MAPPER) {
        name = options_.defaultPcm;
    } else {
        const std::vector<PcmDevice>& list = devices();
        if (deviceId >= list.size()) return MMSYSERR_BADDEVICEID;
        name = list[deviceId].name;
    }
    if (SampleFormatOf(format) == SND_PCM_FORMAT_UNKNOWN) return WAVERR_BADFORMAT;
    if (!configError_.empty()) return Fail(kErrOpen, configError_);

    // A closed device still playing out its last frames may hold the card this open needs (under
    // another name, too): it stops now and posts its MM_WOM_CLOSE.
    EndClosingDevices();
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: a device that another program holds is refused at once instead of waited for.
    const int opened =
        config_ != nullptr
            ? snd_pcm_open_lconf(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK,
                                 config_)
            : snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (opened < 0) {
        const MMRESULT code = OpenErrorCode(opened, kErrOpen);
        if (code != kErrOpen) return code;
        return Fail(kErrOpen, "Could not open the sound device '" + name + "': " + Reason(opened));
    }
    const Setup setup = Configure(pcm, format, OpeningFrames(format));
    if (setup.error < 0) {
        snd_pcm_close(pcm);
        if (setup.error == -EINVAL && setup.step != SetupStep::Software) return WAVERR_BADFORMAT;
        const MMRESULT code = OpenErrorCode(setup.error, kErrOpen);
        if (code != kErrOpen) return code;
        return Fail(kErrOpen,
                    "Could not set up the sound device '" + name + "': " + Reason(setup.error));
    }

    try {
        stream = new Stream(link, underruns_, name, pcm, format, setup, options_.pcmPause);
    } catch (const std::exception& e) {
        snd_pcm_close(pcm);
        return Fail(kErrOpen,
                    "Could not start the sound device '" + name + "': " + std::string(e.what()));
    }
    return MMSYSERR_NOERROR;
}

void AlsaWaveOut::EndStream(WaveStream* stream) {
    delete static_cast<Stream*>(stream);
}

}  // namespace alsa
