// The wave output component on the fake device: properties, the stream's life, its failures.

#include "audio/audio_io.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/headless_message_loop.h"
#include "support/doubles/fake_wave_out.h"
#include "support/doubles/faulty_wave_memory.h"

namespace {

using audio::TAudioOut;
using Call = doubles::FakeWaveOut::Call;

constexpr const char* kNoFilledBuffer = "There must be at least one filled buffer";
constexpr const char* kAlreadyOpen = "Wave output device is already open";

std::string standardText(audio::MMRESULT code) {
    return audio::StandardWaveErrorText(code);
}

// One component on the fake device, with its events logged and a scriptable fill.
struct AudioFixture : ::testing::Test {
    portable::HeadlessMessageLoop loop;
    doubles::FakeWaveOut device{loop};
    doubles::FaultyWaveMemory memory;
    std::unique_ptr<TAudioOut> component;
    TAudioOut* AudioOut1 = nullptr;  // the variable the callback windows read

    std::vector<std::string> events;
    std::vector<ui::Object*> senders;
    // Fill script: gets the number of the call (0-based), the buffer and its size.
    std::function<bool(int, std::uint8_t*, std::int32_t&)> script;
    int fills = 0;
    std::vector<std::int32_t> offered;

    AudioFixture() { build(); }

    void build() {
        component = std::make_unique<TAudioOut>(audio::AudioPlatform{device, memory, loop});
        AudioOut1 = component.get();
        component->setOnStart([this](ui::Object* s) {
            events.push_back("OnStart");
            senders.push_back(s);
        });
        component->setOnStop([this](ui::Object* s) {
            events.push_back("OnStop");
            senders.push_back(s);
        });
        component->setOnFillBuffer([this](std::uint8_t* b, std::int32_t& size) {
            offered.push_back(size);
            events.push_back("fill");
            return script ? script(fills++, b, size) : (++fills, false);
        });
    }

    TAudioOut& out() { return *component; }

    // A fill that writes a counter pattern and returns true for the first `n` calls.
    void fillFor(int n) {
        script = [n](int call, std::uint8_t* b, std::int32_t& size) {
            for (std::int32_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(call * 7 + i);
            return call < n;
        };
    }

    bool start() { return out().Start(AudioOut1); }
    void pump() { loop.pumpAll(); }
    // Lets one buffer play and dispatches what follows from it.
    bool playOne() {
        if (!device.completeNext()) return false;
        pump();
        return true;
    }
    std::vector<std::string> lifecycle() const {
        std::vector<std::string> r;
        for (const auto& e : events)
            if (e != "fill") r.push_back(e);
        return r;
    }
    std::size_t callsSince(std::size_t mark) const { return device.calls().size() - mark; }
};

// ---------------------------------------------------------------------------------------------
// properties

using AudioOutProperties = AudioFixture;

TEST_F(AudioOutProperties, ConstructionGivesTheInitialValuesAndMemory) {
    EXPECT_EQ(out().BufferSize(), 8192);
    EXPECT_EQ(out().NumBuffers(), 4);
    EXPECT_EQ(out().FrameRate(), 22050);
    EXPECT_FALSE(out().Stereo());
    EXPECT_EQ(out().Quantization(), 16);
    EXPECT_EQ(out().WaveDevice(), audio::WAVE_MAPPER);
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().Paused());
    EXPECT_TRUE(out().ErrorMessage.empty());
    const audio::WAVEFORMATEX& f = out().WaveFormat();
    EXPECT_EQ(f.wFormatTag, audio::WAVE_FORMAT_PCM);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nBlockAlign, 2);
    EXPECT_EQ(f.nAvgBytesPerSec, 44100u);
    EXPECT_EQ(f.cbSize, 0);
    // Four headers and four buffers of 8192 bytes, all locked for their whole life.
    const std::size_t header = sizeof(audio::WAVEHDR);
    EXPECT_EQ(memory.liveSizes(),
              (std::vector<std::size_t>{header, header, header, header, 8192, 8192, 8192, 8192}));
    EXPECT_EQ(memory.lockedBlocks(), 8u);
}

struct BufferSizeCase {
    bool stereo;
    std::uint16_t bits;
    std::int32_t written;
    std::int32_t effective;
};

class AudioOutBufferSize : public AudioFixture,
                           public ::testing::WithParamInterface<BufferSizeCase> {};

TEST_P(AudioOutBufferSize, IsRaisedTo512AndTrimmedToWholeFramesAndAllocated) {
    const BufferSizeCase c = GetParam();
    out().setStereo(c.stereo);
    out().setQuantization(c.bits);
    out().setNumBuffers(3);
    out().setBufferSize(c.written);
    EXPECT_EQ(out().BufferSize(), c.effective);
    // Buffers for the NumBuffers in force, of the effective size, after the four headers.
    const std::vector<std::size_t> sizes = memory.liveSizes();
    ASSERT_EQ(sizes.size(), 7u);
    for (std::size_t i = 4; i < 7; ++i) EXPECT_EQ(sizes[i], static_cast<std::size_t>(c.effective));
}

INSTANTIATE_TEST_SUITE_P(
    Audio, AudioOutBufferSize,
    ::testing::Values(BufferSizeCase{false, 16, 100, 512}, BufferSizeCase{false, 16, -5, 512},
                      BufferSizeCase{true, 16, 8190, 8188}, BufferSizeCase{true, 16, 64536, 64536},
                      BufferSizeCase{false, 8, 8191, 8191}, BufferSizeCase{true, 24, 1000, 996}));

TEST_F(AudioOutProperties, FormatWritesTrimTheRequestedSizeAgain) {
    out().setBufferSize(8190);
    EXPECT_EQ(out().BufferSize(), 8190);
    out().setStereo(true);
    EXPECT_EQ(out().BufferSize(), 8188);
    out().setQuantization(24);
    EXPECT_EQ(out().BufferSize(), 8190);  // 1365 frames of 6 bytes
    out().setStereo(false);
    out().setQuantization(8);
    EXPECT_EQ(out().BufferSize(), 8190);
}

TEST_F(AudioOutProperties, NumBuffersIsClampedAndAllocatesNothing) {
    const std::size_t allocs = memory.allocCalls();
    const std::vector<std::pair<std::int32_t, std::int32_t>> table{
        {0, 2}, {1, 2}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {-7, 2}, {INT_MAX, 4}};
    for (const auto& [written, expected] : table) {
        out().setNumBuffers(written);
        EXPECT_EQ(out().NumBuffers(), expected) << "written " << written;
    }
    EXPECT_EQ(memory.allocCalls(), allocs);
}

TEST_F(AudioOutProperties, QuantizationIsClampedAndGivesWholeBytesPerSample) {
    struct Case {
        std::uint16_t written, stored, alignMono, alignStereo;
    };
    for (const Case c : {Case{4, 8, 1, 2}, Case{0, 8, 1, 2}, Case{8, 8, 1, 2}, Case{12, 12, 1, 2},
                         Case{15, 15, 1, 2}, Case{16, 16, 2, 4}, Case{23, 23, 2, 4},
                         Case{24, 24, 3, 6}, Case{32, 24, 3, 6}}) {
        out().setQuantization(c.written);
        out().setStereo(false);
        EXPECT_EQ(out().Quantization(), c.stored) << c.written;
        EXPECT_EQ(out().WaveFormat().nBlockAlign, c.alignMono) << c.written;
        out().setStereo(true);
        EXPECT_EQ(out().WaveFormat().nBlockAlign, c.alignStereo) << c.written;
    }
}

TEST_F(AudioOutProperties, FrameRateStereoAndDeviceAreStoredAsWritten) {
    out().setFrameRate(44100);
    out().setStereo(true);
    EXPECT_EQ(out().FrameRate(), 44100);
    EXPECT_TRUE(out().Stereo());
    EXPECT_EQ(out().WaveFormat().nChannels, 2);
    EXPECT_EQ(out().WaveFormat().nAvgBytesPerSec, 44100u * 4);
    out().setFrameRate(-3);
    EXPECT_EQ(out().FrameRate(), -3);
    out().setWaveDevice(0xFFFFFFFE);
    EXPECT_EQ(out().WaveDevice(), 0xFFFFFFFEu);
}

// ---------------------------------------------------------------------------------------------
// a stream from start to end

using AudioOutStream = AudioFixture;

TEST_F(AudioOutStream, StartOpensPreparesFillsAndWritesTheWholeRing) {
    out().setStereo(true);
    out().setFrameRate(44100);
    out().setBufferSize(4096);
    fillFor(1000);
    ASSERT_TRUE(start()) << out().ErrorMessage;

    const auto& calls = device.calls();
    ASSERT_EQ(calls.size(), 9u);
    EXPECT_EQ(calls[0].call, Call::Open);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(calls[i].call, Call::PrepareHeader);
    for (int i = 5; i <= 8; ++i) {
        EXPECT_EQ(calls[i].call, Call::Write);
        EXPECT_EQ(calls[i].bytes, 4096u);
        EXPECT_EQ(calls[i].header, calls[i - 4].header);  // written in the order prepared
    }
    EXPECT_EQ(device.openFlags(), audio::CALLBACK_WINDOW | audio::WAVE_ALLOWSYNC);
    EXPECT_EQ(device.openedDeviceId(), audio::WAVE_MAPPER);
    EXPECT_EQ(device.format().nAvgBytesPerSec, 44100u * 4);
    EXPECT_EQ(out().WaveHandle, device.handle());
    EXPECT_TRUE(out().Active);
    EXPECT_EQ(out().FilledBuffers, 4);
    EXPECT_EQ(out().QueuedBuffers, 4);
    EXPECT_EQ(out().ProcessedBuffers, 0);
    EXPECT_EQ(offered, (std::vector<std::int32_t>{4096, 4096, 4096, 4096}));

    // OnStart comes from the loop, after Start has returned, with the window as Sender.
    EXPECT_TRUE(lifecycle().empty());
    pump();
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], out().CallBackWindow());
    EXPECT_NE(senders[0], static_cast<ui::Object*>(&out()));
}

TEST_F(AudioOutStream, EachCompletionRefillsAndRequeuesUntilTheFillEndsThenClosesOnce) {
    out().setBufferSize(1024);
    device.setCapture(true);
    fillFor(10);
    ASSERT_TRUE(start());
    pump();
    int completions = 0;
    while (playOne()) {
        ++completions;
        if (completions <= 6) {
            EXPECT_TRUE(out().Active);
            EXPECT_EQ(out().QueuedBuffers, 4);  // refilled at once
        }
    }
    EXPECT_EQ(completions, 10);
    EXPECT_EQ(out().FilledBuffers, 10);
    EXPECT_EQ(out().ProcessedBuffers, 10);
    EXPECT_EQ(out().QueuedBuffers, 0);
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.count(Call::Write), 10u);
    EXPECT_EQ(device.count(Call::Close), 1u);
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    // The device played exactly what each fill wrote, in order.
    ASSERT_EQ(device.played().size(), 10u * 1024);
    for (int call = 0; call < 10; ++call)
        for (int i = 0; i < 1024; i += 97)
            ASSERT_EQ(device.played()[call * 1024 + i], static_cast<std::uint8_t>(call * 7 + i));
}

TEST_F(AudioOutStream, FillingOnlyTheFirstBufferPlaysTheRingOutBeforeOnStop) {
    device.setCapture(true);
    fillFor(1);
    ASSERT_TRUE(start());
    EXPECT_EQ(device.count(Call::Write), 4u);
    EXPECT_EQ(out().FilledBuffers, 1);
    pump();

    ASSERT_TRUE(playOne());
    // The queue count reached zero: closing is tried, but the device still holds three buffers.
    EXPECT_FALSE(out().Active);
    EXPECT_EQ(device.calls().back().call, Call::Close);
    EXPECT_EQ(device.calls().back().result, audio::WAVERR_STILLPLAYING);
    EXPECT_TRUE(out().IsWaveDeviceOpen());
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});

    ASSERT_TRUE(playOne());
    ASSERT_TRUE(playOne());
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});
    ASSERT_TRUE(playOne());
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(device.count(Call::Close), 4u);
    EXPECT_EQ(out().FilledBuffers, 1);
    EXPECT_EQ(out().ProcessedBuffers, 4);
    // The buffers without data played silence, not what the fill left in them.
    ASSERT_EQ(device.played().size(), 4u * 8192);
    for (std::size_t i = 8192; i < device.played().size(); ++i) ASSERT_EQ(device.played()[i], 0);
}

TEST_F(AudioOutStream, EightBitSilenceIsTheMidValue) {
    out().setQuantization(8);
    out().setBufferSize(600);
    device.setCapture(true);
    fillFor(1);
    ASSERT_TRUE(start());
    pump();
    while (playOne()) {
    }
    ASSERT_EQ(device.played().size(), 4u * 600);
    for (std::size_t i = 600; i < device.played().size(); ++i) ASSERT_EQ(device.played()[i], 0x80);
}

TEST_F(AudioOutStream, AFillThatResumesWhenTheQueueRanEmptyKeepsTheStreamRunning) {
    // Data for buffer 0 only at the start, then data again from the first completion on.
    script = [](int call, std::uint8_t*, std::int32_t&) { return call == 0 || call >= 4; };
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    EXPECT_TRUE(out().Active);
    EXPECT_EQ(device.count(Call::Close), 0u);
    EXPECT_EQ(device.count(Call::Write), 5u);
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(playOne());
    EXPECT_TRUE(out().Active);
    EXPECT_EQ(device.count(Call::Close), 0u);
    EXPECT_EQ(device.pending(), 4u);
}

TEST_F(AudioOutStream, ACallbackThatLowersSizeShortensThatBufferOnly) {
    device.setCapture(true);
    script = [](int call, std::uint8_t*, std::int32_t& size) {
        if (call == 1) size = 1000;
        return call < 6;
    };
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());  // buffer 0 back: refilled in full
    ASSERT_TRUE(playOne());  // buffer 1 back: offered the full size again
    EXPECT_EQ(offered, (std::vector<std::int32_t>{8192, 8192, 8192, 8192, 8192, 8192}));
    std::vector<std::uint32_t> written;
    for (const auto& r : device.calls())
        if (r.call == Call::Write) written.push_back(r.bytes);
    EXPECT_EQ(written, (std::vector<std::uint32_t>{8192, 1000, 8192, 8192, 8192, 8192}));
    EXPECT_EQ(device.playedLengths(), (std::vector<std::uint32_t>{8192, 1000}));
}

TEST_F(AudioOutStream, TheSizeAFillReportsIsKeptWithinTheBufferAndToWholeFrames) {
    struct Case {
        std::int32_t reported, written;
    };
    for (const Case c :
         {Case{1001, 1000}, Case{3, 0}, Case{-5, 0}, Case{999999, 4096}, Case{4096, 4096}}) {
        build();
        out().setStereo(true);
        out().setBufferSize(4096);
        script = [c](int, std::uint8_t*, std::int32_t& size) {
            size = c.reported;
            return true;
        };
        const std::size_t mark = device.calls().size();
        ASSERT_TRUE(start());
        EXPECT_EQ(device.calls()[mark + 5].call, Call::Write);
        EXPECT_EQ(device.calls()[mark + 5].bytes, static_cast<std::uint32_t>(c.written))
            << "reported " << c.reported;
        out().StopAtOnce();
        pump();
    }
}

TEST_F(AudioOutStream, ElapsedTimeCountsSamplesPlayedAtTheFrameRate) {
    out().setStereo(true);
    out().setFrameRate(44100);
    out().setBufferSize(44100);  // 11025 frames: the ring holds one second
    fillFor(100);
    EXPECT_EQ(out().ElapsedTime(), 0.0);
    ASSERT_TRUE(start());
    EXPECT_EQ(out().ElapsedTime(), 0.0);
    EXPECT_EQ(device.advance(22050), 22050u);
    EXPECT_EQ(out().ElapsedTime(), 0.5);
    EXPECT_EQ(device.advance(22050), 22050u);
    EXPECT_EQ(out().ElapsedTime(), 1.0);
    // A failing position query reads 0.
    device.failNext(Call::GetPosition, audio::MMSYSERR_ERROR);
    EXPECT_EQ(out().ElapsedTime(), 0.0);
    out().StopAtOnce();
    pump();
    EXPECT_EQ(out().ElapsedTime(), 0.0);
}

TEST_F(AudioOutStream, ElapsedTimeUnderstandsADeviceThatAnswersInBytes) {
    out().setStereo(true);
    out().setFrameRate(44100);
    out().setBufferSize(44100);
    fillFor(100);
    ASSERT_TRUE(start());
    device.answerPositionIn(audio::TIME_BYTES);
    device.advance(11025);
    EXPECT_EQ(out().ElapsedTime(), 0.25);
    device.answerPositionIn(audio::TIME_MS);  // neither samples nor bytes: no answer
    EXPECT_EQ(out().ElapsedTime(), 0.0);
}

// ---------------------------------------------------------------------------------------------
// pause and stop

using AudioOutControl = AudioFixture;

TEST_F(AudioOutControl, PausedBeforeStartPrimesAndWritesButPlaysOnlyAfterResume) {
    fillFor(100);
    out().setPaused(true);
    EXPECT_TRUE(out().Paused());
    EXPECT_TRUE(device.calls().empty());  // not active: only the flag
    ASSERT_TRUE(start());
    std::vector<Call> order;
    for (const auto& r : device.calls()) order.push_back(r.call);
    EXPECT_EQ(order, (std::vector<Call>{Call::Open, Call::PrepareHeader, Call::PrepareHeader,
                                        Call::PrepareHeader, Call::PrepareHeader, Call::Pause,
                                        Call::Write, Call::Write, Call::Write, Call::Write}));
    EXPECT_EQ(out().FilledBuffers, 4);
    EXPECT_FALSE(device.completeNext());
    EXPECT_EQ(device.advance(100000), 0u);
    out().setPaused(false);
    EXPECT_EQ(device.calls().back().call, Call::Restart);
    EXPECT_TRUE(playOne());
    EXPECT_EQ(out().ProcessedBuffers, 1);
}

TEST_F(AudioOutControl, PauseWhileRunningPausesTheDeviceAndCloseClearsIt) {
    fillFor(2);
    ASSERT_TRUE(start());
    out().setPaused(true);
    EXPECT_TRUE(device.isPaused());
    out().setPaused(false);
    EXPECT_FALSE(device.isPaused());
    out().setPaused(true);
    pump();
    out().StopAtOnce();
    EXPECT_FALSE(out().Paused());
    EXPECT_EQ(device.count(Call::Restart), 1u);  // clearing at close does not restart
}

TEST_F(AudioOutControl, StopAtOnceWhileClosedDoesNothing) {
    out().StopAtOnce();
    out().StopGracefully();
    EXPECT_TRUE(device.calls().empty());
    EXPECT_FALSE(out().Active);
    pump();
    EXPECT_TRUE(events.empty());
}

TEST_F(AudioOutControl, StopAtOnceHandsBackEveryPendingBufferThenClosesThenOnStop) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    const int fillsBefore = fills;
    out().StopAtOnce();
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    std::vector<Call> order;
    for (const auto& r : device.calls()) order.push_back(r.call);
    ASSERT_GE(order.size(), 6u);
    EXPECT_EQ(std::vector<Call>(order.end() - 6, order.end()),
              (std::vector<Call>{Call::Reset, Call::UnprepareHeader, Call::UnprepareHeader,
                                 Call::UnprepareHeader, Call::UnprepareHeader, Call::Close}));
    EXPECT_EQ(device.calls().back().result, audio::MMSYSERR_NOERROR);
    const std::size_t mark = device.calls().size();

    // Four completions (one per pending buffer), then the close.
    ASSERT_EQ(loop.pending(), 5u);
    for (int i = 1; i <= 4; ++i) {
        ASSERT_EQ(loop.front().msg, audio::MM_WOM_DONE);
        loop.pumpOne();
        EXPECT_EQ(out().ProcessedBuffers, 1 + i);
        EXPECT_EQ(out().Active, i < 4) << "completion " << i;
    }
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});
    ASSERT_EQ(loop.front().msg, audio::MM_WOM_CLOSE);
    loop.pumpOne();
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_EQ(fills, fillsBefore);    // the fill is not asked again
    EXPECT_EQ(callsSince(mark), 0u);  // and the closed handle is never touched again
    EXPECT_FALSE(out().Active);
}

TEST_F(AudioOutControl, StopGracefullyLetsTheQueuePlayOut) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    out().StopGracefully();
    const int fillsBefore = fills;
    EXPECT_TRUE(out().Active);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(playOne());
        EXPECT_TRUE(out().Active);
    }
    ASSERT_TRUE(playOne());
    EXPECT_FALSE(out().Active);
    EXPECT_EQ(fills, fillsBefore);
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_EQ(device.count(Call::Write), 4u);
}

// ---------------------------------------------------------------------------------------------
// Start refused, and failures after the open

using AudioOutFailures = AudioFixture;

TEST_F(AudioOutFailures, StartWhileOpenChangesNothing) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    const std::size_t mark = device.calls().size();
    const int filled = out().FilledBuffers, processed = out().ProcessedBuffers;
    auto* window = out().CallBackWindow();
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, kAlreadyOpen);
    EXPECT_EQ(callsSince(mark), 0u);
    EXPECT_EQ(out().FilledBuffers, filled);
    EXPECT_EQ(out().ProcessedBuffers, processed);
    EXPECT_EQ(out().CallBackWindow(), window);
    EXPECT_TRUE(out().Active);
    ASSERT_TRUE(playOne());  // and the stream goes on
    EXPECT_EQ(out().ProcessedBuffers, processed + 1);
}

TEST_F(AudioOutFailures, WithoutAFillCallbackStartFails) {
    out().setOnFillBuffer(nullptr);
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, kNoFilledBuffer);
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(device.count(Call::Write), 0u);
    pump();
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
}

struct AfterOpenCase {
    const char* name;
    std::function<void(AudioFixture&)> arrange;
    std::string message;
};

class AudioOutFailureAfterOpen : public AudioFixture,
                                 public ::testing::WithParamInterface<AfterOpenCase> {};

TEST_P(AudioOutFailureAfterOpen, StartFailsThenOnStartAndOnStopFollowFromTheLoop) {
    fillFor(100);
    GetParam().arrange(*this);
    bool result = true;
    EXPECT_NO_THROW(result = start());
    EXPECT_FALSE(result);
    EXPECT_EQ(out().ErrorMessage, GetParam().message);
    EXPECT_TRUE(lifecycle().empty());  // nothing inside Start
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_FALSE(device.isOpen());
    for (const auto& r : device.calls())
        if (r.header != nullptr) {
            EXPECT_EQ(r.header->dwFlags & audio::WHDR_PREPARED, 0u);
        }
    pump();
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    // A later start works on the same window.
    fillFor(100);
    EXPECT_TRUE(start()) << out().ErrorMessage;
    EXPECT_EQ(out().CallBackWindowCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Audio, AudioOutFailureAfterOpen,
    ::testing::Values(
        AfterOpenCase{"Prepare",
                      [](AudioFixture& f) {
                          f.device.failNext(Call::PrepareHeader, audio::MMSYSERR_NOMEM, 2);
                      },
                      standardText(audio::MMSYSERR_NOMEM)},
        AfterOpenCase{"FirstFill", [](AudioFixture& f) { f.fillFor(0); }, kNoFilledBuffer},
        AfterOpenCase{
            "FirstWrite",
            [](AudioFixture& f) { f.device.failNext(Call::Write, audio::MMSYSERR_NOTSUPPORTED); },
            standardText(audio::MMSYSERR_NOTSUPPORTED)}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(AudioOutFailures, OpenFailureLeavesTheDeviceClosedAndTheWindowFree) {
    fillFor(100);
    out().setWaveDevice(7);  // the fake has one device
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, standardText(audio::MMSYSERR_BADDEVICEID));
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    ASSERT_NE(out().CallBackWindow(), nullptr);
    EXPECT_FALSE(out().CallBackWindow()->InUse());
    pump();
    EXPECT_TRUE(lifecycle().empty());
    out().setWaveDevice(0);
    EXPECT_TRUE(start());
    EXPECT_EQ(out().CallBackWindowCount(), 1u);
}

TEST_F(AudioOutFailures, AWriteFailureWhilePlayingDrainsAndCloses) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    device.failNext(Call::Write, audio::MMSYSERR_NOMEM);
    ASSERT_TRUE(playOne());  // its refill cannot be written
    EXPECT_EQ(out().ErrorMessage, standardText(audio::MMSYSERR_NOMEM));
    EXPECT_TRUE(out().Active);
    const int fillsAfterFailure = fills;
    ASSERT_TRUE(playOne());
    ASSERT_TRUE(playOne());
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});
    ASSERT_TRUE(playOne());  // the last buffer the device held
    EXPECT_FALSE(playOne());
    EXPECT_EQ(fills, fillsAfterFailure);
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(out().QueuedBuffers, 0);
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
}

TEST_F(AudioOutFailures, ALaterWriteFailureAtStartStillStartsAndDrains) {
    fillFor(100);
    device.failNext(Call::Write, audio::MMSYSERR_ERROR, 2);
    EXPECT_TRUE(start());
    EXPECT_EQ(out().ErrorMessage, standardText(audio::MMSYSERR_ERROR));
    pump();
    std::size_t played = 0;
    while (playOne()) ++played;
    EXPECT_EQ(played, device.count(Call::Write) - 1);  // all that reached the device came back
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
}

TEST_F(AudioOutFailures, AFailedWriteOfASilentBufferAtStartLosesNoSignalBuffer) {
    // Buffers 0 and 1 hold the signal, 2 and 3 are silent; one silent write fails.
    for (const unsigned failingWrite : {3u, 4u}) {
        SCOPED_TRACE(failingWrite);
        build();
        events.clear();
        fills = 0;
        fillFor(2);
        device.failNext(Call::Write, audio::MMSYSERR_ERROR, failingWrite);
        ASSERT_TRUE(start());
        pump();
        EXPECT_EQ(out().FilledBuffers, 2);
        EXPECT_EQ(out().QueuedBuffers, 2);
        ASSERT_TRUE(playOne());
        // The end of the signal is still queued: the stream is active.
        EXPECT_EQ(out().QueuedBuffers, 1);
        EXPECT_TRUE(out().Active);
        ASSERT_TRUE(playOne());
        EXPECT_EQ(out().QueuedBuffers, 0);
        EXPECT_FALSE(out().Active);
        while (playOne()) {
        }
        EXPECT_FALSE(out().IsWaveDeviceOpen());
        EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    }
}

TEST_F(AudioOutFailures, ErrorTextsAreCutOnACharacterBoundaryAndNeverEmpty) {
    fillFor(100);
    std::string longText;
    while (longText.size() < 300) longText += "Gerät ";  // two-byte umlauts
    device.setErrorText(0x4242, longText);
    device.failNext(Call::Open, 0x4242);
    EXPECT_FALSE(start());
    ASSERT_LE(out().ErrorMessage.size(), audio::MAXERRORLENGTH - 1);
    EXPECT_GE(out().ErrorMessage.size(), audio::MAXERRORLENGTH - 2);
    EXPECT_EQ(longText.compare(0, out().ErrorMessage.size(), out().ErrorMessage), 0);
    EXPECT_NE(static_cast<unsigned char>(out().ErrorMessage.back()), 0xC3);  // no half umlaut

    device.failNext(Call::Open, 0x4343);  // a code without a text
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, "Wave output device error 17219");
}

// ---------------------------------------------------------------------------------------------
// memory: the four allocation failures and the guards against too little memory

struct MemoryCase {
    const char* name;
    bool atConstruction;  // else at a BufferSize write
    bool lock;
    unsigned nth;
    const char* message;
    std::size_t liveAfter;  // blocks left
};

class AudioOutMemoryFailure : public AudioFixture,
                              public ::testing::WithParamInterface<MemoryCase> {};

TEST_P(AudioOutMemoryFailure, ReportsItsTextAndReleasesItsKind) {
    const MemoryCase c = GetParam();
    if (c.lock)
        memory.failLock(c.nth);
    else
        memory.failAlloc(c.nth);
    EXPECT_NO_THROW({
        if (c.atConstruction)
            build();  // the fixture's first component is freed when this one replaces it
        else
            out().setBufferSize(2048);
    });
    EXPECT_EQ(out().ErrorMessage, c.message);
    EXPECT_EQ(memory.liveBlocks(), c.liveAfter);
    EXPECT_EQ(memory.lockedBlocks(), memory.liveBlocks());
    EXPECT_EQ(memory.badFrees(), 0u);

    fillFor(100);
    const bool started = start();
    if (c.atConstruction) {
        // Buffers cannot be handed over without headers: every start fails the same way.
        EXPECT_FALSE(started);
        EXPECT_EQ(out().ErrorMessage, c.message);
        EXPECT_TRUE(device.calls().empty());
        out().setBufferSize(4096);
        EXPECT_FALSE(start());
        EXPECT_EQ(out().ErrorMessage, c.message);
    } else {
        // The missing buffers are allocated again before the device is opened.
        EXPECT_TRUE(started) << out().ErrorMessage;
        EXPECT_EQ(offered, (std::vector<std::int32_t>{2048, 2048, 2048, 2048}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Audio, AudioOutMemoryFailure,
    ::testing::Values(
        MemoryCase{"BufferAllocFirst", false, false, 1, "Error allocating wave buffer memory", 4},
        MemoryCase{"BufferAllocThird", false, false, 3, "Error allocating wave buffer memory", 4},
        MemoryCase{"BufferLock", false, true, 2, "Error Locking wave buffer memory", 4},
        // At construction the headers come first (1-4), then the buffers (5-8).
        MemoryCase{"HeaderAlloc", true, false, 2, "Error allocating wave header memory", 4},
        MemoryCase{"HeaderLock", true, true, 4, "Could not lock header memory for recording", 4}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(AudioOutFailures, MoreBuffersThanAllocatedAreAllocatedAtStart) {
    out().setNumBuffers(2);
    out().setBufferSize(1024);
    ASSERT_EQ(memory.liveBlocks(), 6u);
    out().setNumBuffers(4);
    fillFor(100);
    ASSERT_TRUE(start()) << out().ErrorMessage;
    EXPECT_EQ(memory.liveBlocks(), 8u);
    EXPECT_EQ(device.count(Call::Write), 4u);
    EXPECT_EQ(offered, (std::vector<std::int32_t>{1024, 1024, 1024, 1024}));
}

TEST_F(AudioOutFailures, AFrameSizeChangeThatOutgrowsTheBuffersReallocatesAtStart) {
    out().setStereo(true);
    out().setBufferSize(8190);  // 8188 allocated
    out().setStereo(false);     // now 8190 would be offered
    ASSERT_EQ(out().BufferSize(), 8190);
    // The fill writes every byte it is offered; ASan sees any overrun.
    script = [](int, std::uint8_t* b, std::int32_t& size) {
        std::memset(b, 0x11, static_cast<std::size_t>(size));
        return true;
    };
    ASSERT_TRUE(start());
    EXPECT_EQ(offered, (std::vector<std::int32_t>{8190, 8190, 8190, 8190}));
    EXPECT_EQ(memory.liveSizes().back(), 8190u);
}

TEST_F(AudioOutFailures, AFailedReallocationAtStartFailsBeforeTheOpen) {
    out().setNumBuffers(2);
    out().setBufferSize(1024);
    out().setNumBuffers(4);
    memory.failLock(3);
    fillFor(100);
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, "Error Locking wave buffer memory");
    EXPECT_TRUE(device.calls().empty());
    EXPECT_EQ(memory.liveBlocks(), 4u);
}

// ---------------------------------------------------------------------------------------------
// the device stays ours until it has really closed

using AudioOutDeviceLifetime = AudioFixture;

TEST_F(AudioOutDeviceLifetime, AStartWhileARefusedCloseIsPendingTouchesNoHeader) {
    fillFor(1);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());  // close refused: three buffers are still at the device
    ASSERT_FALSE(out().Active);
    const std::size_t mark = device.calls().size();
    std::vector<std::uint32_t> flags;
    for (const auto& r : device.calls())
        if (r.call == Call::Write) flags.push_back(r.header->dwFlags);

    fillFor(100);
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, kAlreadyOpen);
    EXPECT_EQ(callsSince(mark), 0u);
    EXPECT_EQ(device.openCount(), 1u);
    std::vector<std::uint32_t> flagsAfter;
    for (std::size_t i = 0; i < mark; ++i)
        if (device.calls()[i].call == Call::Write)
            flagsAfter.push_back(device.calls()[i].header->dwFlags);
    EXPECT_EQ(flagsAfter, flags);
    EXPECT_EQ(device.pending(), 3u);
}

TEST_F(AudioOutDeviceLifetime, ABufferSizeWriteWhileTheDeviceHoldsTheBuffersWaitsForTheNextStart) {
    fillFor(1);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    const std::vector<std::size_t> before = memory.liveSizes();
    out().setBufferSize(16384);
    EXPECT_EQ(out().BufferSize(), 16384);
    EXPECT_EQ(memory.liveSizes(), before);  // the device still reads these
    while (playOne()) {
    }
    ASSERT_FALSE(out().IsWaveDeviceOpen());
    fillFor(100);
    offered.clear();
    ASSERT_TRUE(start());
    EXPECT_EQ(offered, (std::vector<std::int32_t>{16384, 16384, 16384, 16384}));
}

TEST_F(AudioOutDeviceLifetime, NumBuffersWrittenWhilePlayingAppliesFromTheNextOpen) {
    fillFor(6);
    ASSERT_TRUE(start());
    pump();
    out().setNumBuffers(2);
    while (playOne()) {
    }
    EXPECT_EQ(device.count(Call::Write), 6u);
    EXPECT_EQ(device.count(Call::UnprepareHeader), 4u * device.count(Call::Close));
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    fillFor(100);
    const std::size_t mark = device.calls().size();
    ASSERT_TRUE(start());
    EXPECT_EQ(callsSince(mark), 5u);  // open, two prepares, two writes
}

TEST_F(AudioOutDeviceLifetime, StopAtOnceEndsADrainWhoseCloseWasRefused) {
    fillFor(1);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    ASSERT_TRUE(out().IsWaveDeviceOpen());
    out().StopAtOnce();
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(device.calls().back().call, Call::Close);
    EXPECT_EQ(device.calls().back().result, audio::MMSYSERR_NOERROR);
    pump();
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    fillFor(100);
    EXPECT_TRUE(start());
}

TEST_F(AudioOutDeviceLifetime, DestroyingARunningComponentStopsTheDeviceFirst) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    component.reset();
    AudioOut1 = nullptr;
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.pending(), 0u);
    EXPECT_EQ(device.count(Call::Reset), 1u);
    EXPECT_EQ(memory.liveBlocks(), 0u);
    // Nothing is left in the loop for the windows that are gone.
    EXPECT_EQ(loop.pending(), 0u);
}

TEST_F(AudioOutDeviceLifetime, ADeviceThatWillNotCloseKeepsTheMemoryItMayStillRead) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    // The window is left to the device on purpose; keep it reachable for the leak checker (in
    // a holder that is never destroyed, since the check runs after static destructors).
    static auto* windowsLeftToTheDevice = new std::vector<ui::Object*>;
    windowsLeftToTheDevice->push_back(out().CallBackWindow());
    device.failNext(Call::Close, audio::MMSYSERR_NOMEM);
    const std::size_t blocks = memory.liveBlocks();
    component.reset();
    AudioOut1 = nullptr;
    EXPECT_EQ(device.count(Call::Reset), 1u);
    EXPECT_TRUE(device.isOpen());
    EXPECT_EQ(memory.liveBlocks(), blocks);
    EXPECT_EQ(memory.lockedBlocks(), blocks);
    // The notifications still queued reach a live window, which finds no component.
    EXPECT_EQ(loop.pumpAll(), 4u);
    EXPECT_TRUE(lifecycle() == std::vector<std::string>{"OnStart"});
}

// ---------------------------------------------------------------------------------------------
// callback windows: tied to their own device, reused once it has closed

using AudioOutCallBackWindow = AudioFixture;

TEST_F(AudioOutCallBackWindow, ANotificationOfAnotherHandleIsIgnored) {
    fillFor(100);
    ASSERT_TRUE(start());
    pump();
    auto* window = out().CallBackWindow();
    loop.post(ui::Message{window, audio::MM_WOM_DONE, out().WaveHandle + 1, 0});
    loop.post(ui::Message{window, audio::MM_WOM_CLOSE, out().WaveHandle + 1, 0});
    pump();
    EXPECT_EQ(out().ProcessedBuffers, 0);
    EXPECT_EQ(lifecycle(), std::vector<std::string>{"OnStart"});
    EXPECT_TRUE(window->InUse());
}

TEST_F(AudioOutCallBackWindow, AnEarlierOpensCompletionsDoNotReachANewRunButItsCloseDoes) {
    fillFor(1000);
    ASSERT_TRUE(start());
    pump();
    auto* first = out().CallBackWindow();
    out().StopAtOnce();  // four completions and the close are now queued for `first`
    ASSERT_TRUE(start());
    auto* second = out().CallBackWindow();
    EXPECT_NE(first, second);
    EXPECT_EQ(out().CallBackWindowCount(), 2u);
    const int fillsBefore = fills;
    pump();
    EXPECT_EQ(out().ProcessedBuffers, 0);
    EXPECT_EQ(out().QueuedBuffers, 4);
    EXPECT_EQ(fills, fillsBefore);
    EXPECT_EQ(device.count(Call::Write), 8u);
    // The earlier run's close is reported once, before the new run's open.
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop", "OnStart"}));
    EXPECT_EQ(senders[1], first);
    EXPECT_EQ(senders.back(), second);
    EXPECT_FALSE(first->InUse());  // its close did arrive: it may serve again
    ASSERT_TRUE(playOne());
    EXPECT_EQ(out().ProcessedBuffers, 1);
}

TEST_F(AudioOutCallBackWindow, RunAfterRunReusesOneWindow) {
    std::vector<ui::Object*> windows;
    for (int run = 0; run < 3; ++run) {
        fills = 0;
        fillFor(5);
        ASSERT_TRUE(start());
        windows.push_back(out().CallBackWindow());
        pump();
        while (playOne()) {
        }
    }
    EXPECT_EQ(out().CallBackWindowCount(), 1u);
    EXPECT_EQ(windows[0], windows[1]);
    EXPECT_EQ(windows[1], windows[2]);
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop", "OnStart", "OnStop",
                                                     "OnStart", "OnStop"}));
    EXPECT_EQ(senders, (std::vector<ui::Object*>(6, windows[0])));
}

TEST_F(AudioOutCallBackWindow, OnStopMayStartTheNextRunOnTheSameWindow) {
    int runs = 0;
    component->setOnStop([this, &runs](ui::Object*) {
        if (++runs < 3) {
            fills = 0;
            fillFor(2);
            EXPECT_TRUE(start()) << out().ErrorMessage;
        }
    });
    fillFor(2);
    ASSERT_TRUE(start());
    pump();
    while (playOne()) {
    }
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(out().CallBackWindowCount(), 1u);
}

TEST_F(AudioOutCallBackWindow, NotificationsReadTheComponentThroughTheVariable) {
    fillFor(100);
    ASSERT_TRUE(start());
    AudioOut1 = nullptr;  // the holder lets go: nothing reaches the component
    pump();
    EXPECT_TRUE(lifecycle().empty());
    AudioOut1 = component.get();
    ASSERT_TRUE(playOne());
    EXPECT_EQ(out().ProcessedBuffers, 1);
}

// ---------------------------------------------------------------------------------------------
// a fill that stops the stream (as the playback does when the main window lags)

using AudioOutReentry = AudioFixture;

TEST_F(AudioOutReentry, AFillThatStopsDuringStartMakesStartFailWithoutWriting) {
    script = [this](int call, std::uint8_t*, std::int32_t&) {
        if (call == 1) out().StopAtOnce();
        return call == 0;
    };
    EXPECT_FALSE(start());
    EXPECT_EQ(out().ErrorMessage, standardText(audio::MMSYSERR_INVALHANDLE));
    EXPECT_EQ(device.count(Call::Write), 0u);
    EXPECT_FALSE(out().Active);
    pump();
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_FALSE(out().Active);
}

TEST_F(AudioOutReentry, AFillThatStopsInACompletionLeavesTheStreamInactive) {
    script = [this](int call, std::uint8_t*, std::int32_t&) {
        if (call == 5) out().StopAtOnce();
        return true;  // even with data, nothing may be written to the closed device
    };
    ASSERT_TRUE(start());
    pump();
    ASSERT_TRUE(playOne());
    const std::size_t writes = device.count(Call::Write);
    ASSERT_TRUE(device.completeNext());
    pump();
    EXPECT_EQ(device.count(Call::Write), writes);
    EXPECT_FALSE(out().Active);
    EXPECT_FALSE(out().IsWaveDeviceOpen());
    EXPECT_EQ(lifecycle(), (std::vector<std::string>{"OnStart", "OnStop"}));
}

}  // namespace
