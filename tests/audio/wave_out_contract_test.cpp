// The contract every wave-out device keeps with the wave output component: the same cases over
// the fake, the WAV file and ALSA on Linux, the fake, the WAV file and winmm on Windows. What a
// device does beyond it has its own tests beside the device.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_io.h"
#include "support/wave_format.h"
#include "wave_out_rigs.h"

namespace {

using namespace audio;

constexpr std::int32_t kBufferBytes = 4096;  // 1024 stereo frames of 16 bits
constexpr std::int32_t kRing = 4;
constexpr const char* kNoFilledBuffer = "There must be at least one filled buffer";

template <class Rig>
class WaveOutContract : public ::testing::Test {
protected:
    WaveOutContract() {
        out.setOnStart([this](ui::Object*) { log.push_back("OnStart"); });
        out.setOnStop([this](ui::Object*) { log.push_back("OnStop"); });
        out.setOnFillBuffer([this](std::uint8_t* b, std::int32_t& size) {
            const int n = fills++;
            log.push_back("fill");
            offered.push_back(b);
            if (n >= filledLimit) return false;
            // Each fill's bytes tell it from every other fill.
            for (std::int32_t i = 0; i < size; ++i)
                b[i] = static_cast<std::uint8_t>(n * 31 + i / 2 + (i & 1) * 101);
            filled.insert(filled.end(), b, b + size);
            return true;
        });
        out.setStereo(true);
        out.setFrameRate(44100);
        out.setNumBuffers(kRing);
        out.setBufferSize(kBufferBytes);
    }

    bool start() {
        const bool started = out.Start(AudioOut1);
        log.push_back(started ? "started" : "refused");
        return started;
    }
    std::size_t count(const std::string& what) const {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), what));
    }
    bool runToStop(std::size_t stops = 1) {
        return rig.runUntil([&] { return count("OnStop") >= stops; });
    }
    // The log without the fills: what the component reported and in which order.
    std::vector<std::string> notices() const {
        std::vector<std::string> n;
        for (const std::string& e : log)
            if (e != "fill") n.push_back(e);
        return n;
    }
    // Checks that nothing of the run comes after its OnStop.
    void expectQuietAfterStop() {
        const std::size_t before = log.size();
        rig.settle();
        EXPECT_EQ(log.size(), before) << "something came after OnStop";
        EXPECT_FALSE(out.IsWaveDeviceOpen());
        EXPECT_FALSE(out.Active);
    }

    Rig rig;
    TAudioOut out{audio::AudioPlatform{rig.device(), rig.memory(), rig.loop()}};
    TAudioOut* AudioOut1 = &out;
    std::vector<std::string> log;
    std::vector<std::uint8_t*> offered;
    std::vector<std::uint8_t> filled;
    int fills = 0;
    int filledLimit = 1 << 30;
};

using Rigs = ::testing::Types<wave_rigs::FakeRig, wave_rigs::WavFileRig
#ifdef VPG_TEST_ALSA
                              ,
                              wave_rigs::AlsaRig
#endif
#ifdef _WIN32
                              ,
                              wave_rigs::WinmmRig
#endif
                              >;

class RigNames {
public:
    template <class Rig>
    static std::string GetName(int) {
        return Rig::kName;
    }
};

TYPED_TEST_SUITE(WaveOutContract, Rigs, RigNames);

// OnStart comes after Start has returned, OnStop after the last buffer, each once.
TYPED_TEST(WaveOutContract, OpenAndCloseAreNotifiedInOrderAfterTheCallsThatCauseThem) {
    this->filledLimit = 6;
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started"}));
    ASSERT_TRUE(this->runToStop());
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "OnStop"}));
    this->expectQuietAfterStop();
}

// At the device itself: OPEN, one DONE per buffer in the order written, CLOSE last.
TYPED_TEST(WaveOutContract, TheDeviceReturnsEachBufferOnceInTheOrderWrittenAndClosesLast) {
    struct Recorder final : ui::MessageTarget {
        std::vector<ui::Message> got;
        void handleMessage(const ui::Message& m) override { got.push_back(m); }
    } window;
    audio::IWaveOut& device = this->rig.device();
    audio::HWAVEOUT handle = 0;
    ASSERT_EQ(device.Open(&handle, WAVE_MAPPER, testing_support::PcmFormat(2, 16, 44100), &window,
                          CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    constexpr int kBuffers = 6;
    std::vector<std::vector<char>> data(kBuffers, std::vector<char>(kBufferBytes, 0));
    std::vector<audio::WAVEHDR> headers(kBuffers);
    for (int i = 0; i < kBuffers; ++i) {
        headers[i] = audio::WAVEHDR{};
        headers[i].lpData = data[i].data();
        headers[i].dwBufferLength = kBufferBytes;
        ASSERT_EQ(device.PrepareHeader(handle, &headers[i]), MMSYSERR_NOERROR);
        ASSERT_EQ(device.Write(handle, &headers[i]), MMSYSERR_NOERROR);
    }
    const auto done = [&] {
        std::vector<audio::WAVEHDR*> order;
        for (const ui::Message& m : window.got)
            if (m.msg == MM_WOM_DONE) order.push_back(reinterpret_cast<audio::WAVEHDR*>(m.lParam));
        return order;
    };
    ASSERT_TRUE(this->rig.runUntil([&] { return done().size() >= kBuffers; }));
    std::vector<audio::WAVEHDR*> written;
    for (audio::WAVEHDR& h : headers) written.push_back(&h);
    EXPECT_EQ(done(), written);
    for (audio::WAVEHDR& h : headers) device.UnprepareHeader(handle, &h);
    ASSERT_EQ(device.Close(handle), MMSYSERR_NOERROR);
    ASSERT_TRUE(this->rig.runUntil(
        [&] { return !window.got.empty() && window.got.back().msg == MM_WOM_CLOSE; }));
    this->rig.settle();
    ASSERT_EQ(window.got.size(), std::size_t{kBuffers} + 2);
    EXPECT_EQ(window.got.front().msg, MM_WOM_OPEN);
    EXPECT_EQ(window.got.back().msg, MM_WOM_CLOSE);
    for (const ui::Message& m : window.got) EXPECT_EQ(m.wParam, handle);
}

// The ring is filled whole inside Start, each buffer once, at its full size.
TYPED_TEST(WaveOutContract, EveryBufferIsFilledOnceBeforeTheStreamStarts) {
    this->filledLimit = 6;
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_EQ(this->fills, kRing);
    std::vector<std::uint8_t*> ring(this->offered.begin(), this->offered.end());
    std::sort(ring.begin(), ring.end());
    EXPECT_EQ(std::unique(ring.begin(), ring.end()), ring.end()) << "a buffer was filled twice";
    EXPECT_EQ(this->out.FilledBuffers, kRing);
    EXPECT_EQ(this->out.ProcessedBuffers, 0);
    ASSERT_TRUE(this->runToStop());
}

// Each played buffer is refilled in its turn, and the sound is the fills in their order.
TYPED_TEST(WaveOutContract, RefillsFollowThePlayOrderAndTheSoundIsTheFillsInOrder) {
    this->filledLimit = 25;
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->runToStop());
    ASSERT_GE(this->offered.size(), 26u);
    // Up to the first fill that gives nothing; that buffer is not written, so it is offered
    // again at the next completion.
    for (std::size_t i = kRing; i <= 25; ++i)
        EXPECT_EQ(this->offered[i], this->offered[i - kRing]) << "fill " << i;
    EXPECT_EQ(this->out.ProcessedBuffers, 25);
    EXPECT_EQ(this->filled.size(), 25u * kBufferBytes);
    std::vector<std::uint8_t> played;
    if (this->rig.played(played)) {
        EXPECT_TRUE(played == this->filled)
            << played.size() << " bytes played, " << this->filled.size() << " filled";
    }
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "OnStop"}));
    this->expectQuietAfterStop();
}

// After a false fill no buffer is queued again; those queued play out; then the device closes.
TYPED_TEST(WaveOutContract, AfterAFalseFillTheQueuedBuffersPlayOutAndTheDeviceCloses) {
    struct Case {
        int filled;  // fills that give data before the first false one
    } cases[] = {{1}, {kRing - 1}, {kRing}, {kRing + 1}, {3 * kRing + 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filled);
        this->log.clear();
        this->filled.clear();
        this->fills = 0;
        this->filledLimit = c.filled;
        const std::size_t stops = this->count("OnStop");
        ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
        ASSERT_TRUE(this->runToStop(stops + 1));
        EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "OnStop"}));
        // Every buffer written comes back, also those of the ring whose fill gave nothing.
        EXPECT_EQ(this->out.ProcessedBuffers, std::max(c.filled, kRing));
        EXPECT_LE(this->out.QueuedBuffers, 0);
        std::vector<std::uint8_t> played;
        if (this->rig.played(played)) {
            ASSERT_EQ(played.size(), std::size_t{kBufferBytes} * std::max(c.filled, kRing));
            EXPECT_TRUE(std::equal(this->filled.begin(), this->filled.end(), played.begin()));
        }
        this->expectQuietAfterStop();
    }
}

// StopAtOnce in the middle of a long stream: no fill after it, OnStop follows, nothing else.
TYPED_TEST(WaveOutContract, StopAtOnceMidStreamEndsTheRunAtOnce) {
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->rig.runUntil([&] { return this->out.ProcessedBuffers >= 3; }));
    this->out.StopAtOnce();
    EXPECT_FALSE(this->out.Active);
    const int fillsAtStop = this->fills;
    ASSERT_TRUE(this->runToStop());
    EXPECT_EQ(this->fills, fillsAtStop) << "a fill was asked for after the stop";
    const std::vector<std::string> n = this->notices();
    EXPECT_EQ(n, (std::vector<std::string>{"started", "OnStart", "OnStop"}));
    this->expectQuietAfterStop();
}

// StopAtOnce at once after Start, again and again: each run ends with its OnStop.
TYPED_TEST(WaveOutContract, StopAtOnceRightAfterStartEndsWithOnStopAndTheNextRunStarts) {
    for (std::size_t run = 1; run <= 3; ++run) {
        ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
        this->out.StopAtOnce();
        EXPECT_FALSE(this->out.Active);
        ASSERT_TRUE(this->runToStop(run)) << run;
        EXPECT_FALSE(this->out.IsWaveDeviceOpen());
    }
    this->rig.settle();
    EXPECT_EQ(this->notices(),
              (std::vector<std::string>{"started", "OnStart", "OnStop", "started", "OnStart",
                                        "OnStop", "started", "OnStart", "OnStop"}));
}

// Paused before Start: the ring is filled and written, but nothing plays until the resume.
TYPED_TEST(WaveOutContract, AStreamStartedPausedPlaysOnlyAfterItIsResumed) {
    this->filledLimit = 8;
    this->out.setPaused(true);
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    this->rig.settle();
    EXPECT_EQ(this->out.ProcessedBuffers, 0);
    std::vector<std::uint8_t> played;
    if (this->rig.played(played)) {
        EXPECT_TRUE(played.empty()) << played.size() << " bytes played while paused";
    }
    this->out.setPaused(false);
    ASSERT_TRUE(this->runToStop());
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "OnStop"}));
    EXPECT_EQ(this->out.ProcessedBuffers, 8);
    if (this->rig.played(played)) {
        EXPECT_TRUE(played == this->filled);
    }
}

// A start that fails says why; after an open that succeeded, OnStart and OnStop still follow.
TYPED_TEST(WaveOutContract, AStartThatFailsSaysWhyAndLeavesTheDeviceClosed) {
    struct Case {
        const char* name;
        bool badDevice;
        int filledLimit;
        bool opened;  // the device opened before the start failed
    } cases[] = {
        {"a device id out of range", true, 1 << 30, false},
        {"no filled buffer", false, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        this->log.clear();
        this->fills = 0;
        this->filledLimit = c.filledLimit;
        this->out.setWaveDevice(c.badDevice ? this->rig.device().GetNumDevs() + 7 : WAVE_MAPPER);
        EXPECT_FALSE(this->start());
        if (c.badDevice) {
            char text[MAXERRORLENGTH] = {};
            this->rig.device().GetErrorText(MMSYSERR_BADDEVICEID, text, MAXERRORLENGTH);
            EXPECT_EQ(this->out.ErrorMessage, text);
        } else {
            EXPECT_EQ(this->out.ErrorMessage, kNoFilledBuffer);
        }
        if (c.opened) {
            ASSERT_TRUE(this->runToStop());
        }
        this->rig.settle();
        EXPECT_EQ(this->notices(), c.opened
                                       ? (std::vector<std::string>{"refused", "OnStart", "OnStop"})
                                       : (std::vector<std::string>{"refused"}));
        EXPECT_FALSE(this->out.IsWaveDeviceOpen());
    }
    // And the component is not the worse for it.
    this->out.setWaveDevice(WAVE_MAPPER);
    this->log.clear();
    this->fills = 0;
    this->filledLimit = 5;
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->runToStop());
    EXPECT_EQ(this->out.ProcessedBuffers, 5);
}

// A new run right after StopAtOnce, before the stop has been reported, plays as a first run.
TYPED_TEST(WaveOutContract, ARestartRightAfterAStopPlaysAWholeNewRun) {
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->rig.runUntil([&] { return this->out.ProcessedBuffers >= 2; }));
    this->out.StopAtOnce();
    this->fills = 0;
    this->filled.clear();
    this->filledLimit = 7;
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->runToStop(2));
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "started", "OnStop",
                                                         "OnStart", "OnStop"}));
    EXPECT_EQ(this->out.ProcessedBuffers, 7);
    this->expectQuietAfterStop();
}

// The devices that a test can make fail by themselves: winmm under Wine cannot be.
template <class Rig>
class WaveOutContractFaults : public WaveOutContract<Rig> {};

using FailingRigs = ::testing::Types<wave_rigs::FakeRig, wave_rigs::WavFileRig
#ifdef VPG_TEST_ALSA
                                     ,
                                     wave_rigs::AlsaRig
#endif
                                     >;
TYPED_TEST_SUITE(WaveOutContractFaults, FailingRigs, RigNames);

// A device that gives up while playing ends the run with the reason, and closes.
TYPED_TEST(WaveOutContractFaults, ADeviceThatFailsMidStreamEndsTheRunWithItsReason) {
    std::uint32_t id = WAVE_MAPPER;
    this->rig.failAfter(kBufferBytes, id);
    this->out.setWaveDevice(id);
    ASSERT_TRUE(this->start()) << this->out.ErrorMessage;
    ASSERT_TRUE(this->runToStop());
    EXPECT_EQ(this->notices(), (std::vector<std::string>{"started", "OnStart", "OnStop"}));
    EXPECT_FALSE(this->out.StreamError.empty());
    EXPECT_LT(this->out.ProcessedBuffers, 1000) << "the stream ran on after the failure";
    this->expectQuietAfterStop();
}

}  // namespace
