#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/wave_device_core.h"
#include "ui/message_loop.h"

namespace doubles {

// A deterministic wave-out device for tests. Nothing plays by itself: the test moves a virtual
// clock (advance, completeNext, completeAll), and each buffer that has played comes back with
// MM_WOM_DONE through the message loop. The platform's rules that the wave output relies on are
// the common device core's; every call is recorded in order, and faults can be injected per
// call kind.
class FakeWaveOut final : public audio::WaveDeviceCore {
public:
    using Call = audio::WaveCall;
    struct CallRecord {
        Call call;
        audio::HWAVEOUT handle;
        audio::WAVEHDR* header;  // PrepareHeader, UnprepareHeader, Write
        std::uint32_t bytes;     // Write: the buffer length handed over
        audio::MMRESULT result;
    };

    static constexpr audio::HWAVEOUT kFirstHandle = 0x1000;
    static constexpr const char* kMapperName = "Fake Sound Mapper";

    explicit FakeWaveOut(ui::IMessageLoop& loop,
                         std::vector<std::string> deviceNames = {"Fake Wave Device"});
    ~FakeWaveOut() override;

    // --- configuration
    void setDeviceNames(std::vector<std::string> names) { names_ = std::move(names); }
    // The n-th next call of that kind (n = 1: the very next) returns `code` and does nothing else.
    void failNext(Call call, audio::MMRESULT code, unsigned n = 1);
    // A text for a code of the test's own (or a replacement for a standard one).
    void setErrorText(audio::MMRESULT code, std::string text) {
        SetErrorText(code, std::move(text));
    }
    // Keep a copy of every byte that has played (off by default).
    void setCapture(bool on) { capture_ = on; }
    // Record the calls (on by default; the log is reserved up front).
    void setRecordCalls(bool on) { record_ = on; }
    // Answer GetPosition in this wType whatever is asked (0: as asked, where supported), as
    // some drivers do.
    void answerPositionIn(std::uint32_t wType) { positionType_ = wType; }

    // --- the virtual clock, on the most recently opened device
    // Plays up to `frames` sample frames; buffers that finish come back. Nothing plays while
    // paused or when nothing is pending. Returns the frames played.
    std::uint64_t advance(std::uint64_t frames);
    // Plays the rest of the oldest pending buffer; false when paused or nothing is pending.
    bool completeNext();
    // completeNext until it refuses; returns the buffers completed.
    std::size_t completeAll();

    // --- observation
    const std::vector<CallRecord>& calls() const { return calls_; }
    std::size_t count(Call call) const;
    void clearCalls() { calls_.clear(); }
    const std::vector<std::uint8_t>& played() const { return played_; }
    // Lengths of the buffers that have played, in order.
    const std::vector<std::uint32_t>& playedLengths() const { return playedLengths_; }
    void clearPlayed();
    bool isOpen() const;
    bool isPaused() const;
    std::size_t pending() const;
    audio::HWAVEOUT handle() const;
    std::uint64_t samplesPlayed() const;
    const audio::WAVEFORMATEX& format() const;
    std::uint32_t openedDeviceId() const;
    std::uint32_t openFlags() const;
    ui::MessageTarget* callbackWindow() const;

protected:
    std::uint32_t DeviceCount() override { return static_cast<std::uint32_t>(names_.size()); }
    audio::MMRESULT DeviceCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS& caps) override;
    audio::MMRESULT OpenStream(std::uint32_t deviceId, const audio::WAVEFORMATEX& format,
                               const audio::WaveLink& link, audio::WaveStream*& stream) override;
    void EndStream(audio::WaveStream* stream) override;
    std::uint32_t PositionType(std::uint32_t asked) override {
        return positionType_ != 0 ? positionType_ : asked;
    }
    audio::MMRESULT Screen(Call call) override;
    void Seen(Call call, audio::HWAVEOUT handle, audio::MMRESULT result, audio::WAVEHDR* header,
              std::uint32_t bytes) override;

private:
    // One open: it queues the blocks, the clock plays them. Kept after its close for what the
    // test reads, and used again for a later open.
    struct Track final : audio::WaveStream {
        audio::HWAVEOUT handle = 0;
        std::uint32_t deviceId = 0;
        std::uint32_t flags = 0;
        ui::MessageTarget* window = nullptr;
        audio::WAVEFORMATEX format{};
        bool open = false;
        bool ended = true;  // the core no longer uses it
        bool paused = false;
        struct Block {
            const char* data;
            std::uint32_t bytes;
        };
        std::vector<Block> blocks;
        std::uint64_t headPlayed = 0;  // frames of the oldest block already played
        std::uint64_t samples = 0;
        std::optional<audio::WaveLink> link;  // while open

        audio::MMRESULT write(const char* data, std::uint32_t bytes) override;
        void drop() override;
        void pause() override { paused = true; }
        void resume() override { paused = false; }
        std::uint64_t position() override { return samples; }
        void close() override;
    };
    struct Fault {
        Call call;
        audio::MMRESULT code;
        unsigned countdown;
    };

    const Track* current() const;
    Track* current();
    void finishHead(Track& track);
    static std::uint64_t framesOf(const Track& track, const Track::Block& block);

    std::vector<std::string> names_;
    std::vector<std::unique_ptr<Track>> tracks_;
    Track* current_ = nullptr;  // the most recently opened
    std::vector<Fault> faults_;
    std::vector<CallRecord> calls_;
    bool record_ = true;
    bool capture_ = false;
    std::uint32_t positionType_ = 0;
    std::vector<std::uint8_t> played_;
    std::vector<std::uint32_t> playedLengths_;
};

}  // namespace doubles
