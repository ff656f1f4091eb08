#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "audio/wave_out.h"
#include "ui/message_loop.h"

namespace headless {

// A deterministic wave-out device for tests. Nothing plays by itself: the test moves a virtual
// clock (advance, completeNext, completeAll), and each buffer that has played comes back with
// MM_WOM_DONE through the message loop. It keeps the platform's rules that the wave output relies
// on: headers must be prepared before a write and cannot be unprepared while queued, Close is
// refused with WAVERR_STILLPLAYING while buffers are pending, Reset hands back every pending
// buffer. Every call is recorded in order; faults can be injected per call kind.
class FakeWaveOut final : public audio::IWaveOut {
public:
    enum class Call {
        GetNumDevs,
        GetDevCaps,
        Open,
        PrepareHeader,
        UnprepareHeader,
        Write,
        Reset,
        Pause,
        Restart,
        GetPosition,
        Close,
        GetErrorText,
    };
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

    // --- configuration
    void setDeviceNames(std::vector<std::string> names) { names_ = std::move(names); }
    // The n-th next call of that kind (n = 1: the very next) returns `code` and does nothing else.
    void failNext(Call call, audio::MMRESULT code, unsigned n = 1);
    // A text for a code of the test's own (or a replacement for a standard one).
    void setErrorText(audio::MMRESULT code, std::string text);
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
    // Devices open at this moment.
    std::size_t openCount() const;

private:
    struct Device {
        audio::HWAVEOUT handle = 0;
        bool open = false;
        std::uint32_t deviceId = 0;
        audio::WAVEFORMATEX format{};
        ui::MessageTarget* window = nullptr;
        std::uint32_t flags = 0;
        bool paused = false;
        std::vector<audio::WAVEHDR*> pending;
        std::uint64_t headPlayed = 0;  // frames of the oldest pending buffer already played
        std::uint64_t samples = 0;
    };
    struct Fault {
        Call call;
        audio::MMRESULT code;
        unsigned countdown;
    };

    Device* find(audio::HWAVEOUT handle);
    const Device* current() const;
    Device* current();
    bool injected(Call call, audio::MMRESULT& code);
    audio::MMRESULT record(Call call, audio::HWAVEOUT handle, audio::MMRESULT result,
                           audio::WAVEHDR* header = nullptr, std::uint32_t bytes = 0);
    void post(const Device& device, std::uint32_t msg, audio::WAVEHDR* header);
    void finishHead(Device& device);
    static std::uint64_t framesOf(const Device& device, const audio::WAVEHDR& header);

    ui::IMessageLoop& loop_;
    std::vector<std::string> names_;
    std::vector<Device> devices_;
    std::size_t current_ = static_cast<std::size_t>(-1);
    audio::HWAVEOUT nextHandle_ = kFirstHandle;
    std::vector<Fault> faults_;
    std::vector<std::pair<audio::MMRESULT, std::string>> texts_;
    std::vector<CallRecord> calls_;
    bool record_ = true;
    bool capture_ = false;
    std::uint32_t positionType_ = 0;
    std::vector<std::uint8_t> played_;
    std::vector<std::uint32_t> playedLengths_;
};

}  // namespace headless
