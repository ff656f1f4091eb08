// The ALSA wave-out device against ALSA's own null and file plugins (no sound card needed), and
// against a PulseAudio server that is killed while it plays, where one can be started.

#include "platform/alsa/alsa_wave_out.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_io.h"
#include "platform/alsa/pcm_rules.h"
#include "platform/portable/heap_wave_memory.h"
#include "support/threaded_message_loop.h"
#include "support/wave_format.h"

extern char** environ;

namespace {

using namespace audio;
using alsa::AlsaWaveOut;
using testing_support::ThreadedMessageLoop;
using namespace std::chrono_literals;

// ---------------------------------------------------------------------------------------------
// The rules that need no PCM

TEST(AlsaPcmRules, TheListOffersTheCardsAndTheSoundServerButNoPlugInsNorDefaultAliases) {
    struct Case {
        const char* name;
        const char* ioid;
        bool listed;
    } cases[] = {
        {"pulse", nullptr, true},
        {"hw:CARD=PCH,DEV=0", "Output", true},
        {"front:CARD=PCH,DEV=0", nullptr, true},
        {"dsnoop:CARD=PCH,DEV=0", "Input", false},
        {"null", nullptr, false},
        {"default", nullptr, false},
        {"default:CARD=PCH", nullptr, false},
        {"sysdefault", nullptr, false},
        {"sysdefault:CARD=PCH", "Output", false},
        {"pipewire", nullptr, true},
        {"plughw:CARD=PCH,DEV=3", nullptr, true},
        // Plug-ins of no card: they convert or route, and on their own only fail.
        {"samplerate", nullptr, false},
        {"speexrate", nullptr, false},
        {"upmix", nullptr, false},
        {"vdownmix", nullptr, false},
        {"jack", nullptr, false},
        {"oss", nullptr, false},
        {"defaults", nullptr, false},
        {"", nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(alsa::IsListedPlaybackPcm(c.name, c.ioid), c.listed) << c.name;
}

TEST(AlsaPcmRules, ADescriptionShowsItsFirstLine) {
    EXPECT_EQ(alsa::FirstLine("HDA Intel PCH, ALC892 Analog\nFront output"),
              "HDA Intel PCH, ALC892 Analog");
    EXPECT_EQ(alsa::FirstLine("PulseAudio Sound Server"), "PulseAudio Sound Server");
    EXPECT_EQ(alsa::FirstLine("Windows line\r\nsecond"), "Windows line");
    EXPECT_EQ(alsa::FirstLine("\nno first line"), "");
}

TEST(AlsaPcmRules, OpenErrorsReadAsWaveOutCodes) {
    constexpr MMRESULT kOther = 0x7777;
    EXPECT_EQ(alsa::OpenErrorCode(0, kOther), MMSYSERR_NOERROR);
    EXPECT_EQ(alsa::OpenErrorCode(-EBUSY, kOther), MMSYSERR_ALLOCATED);
    EXPECT_EQ(alsa::OpenErrorCode(-ENOMEM, kOther), MMSYSERR_NOMEM);
    EXPECT_EQ(alsa::OpenErrorCode(-ENOENT, kOther), kOther);
    EXPECT_EQ(alsa::OpenErrorCode(-ENODEV, kOther), kOther);
}

WAVEFORMATEX Format(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate,
                    std::uint16_t tag = WAVE_FORMAT_PCM) {
    WAVEFORMATEX f = testing_support::PcmFormat(channels, bits, rate);
    f.wFormatTag = tag;
    return f;
}

// Said at the program's end: only when the card ran dry, unless asked for always.
TEST(AlsaPcmRules, TheUnderrunReportSpeaksWhenTheCardRanDryOrWhenAsked) {
    const struct {
        std::uint64_t underruns;
        bool always;
        const char* report;
    } cases[] = {
        {0, false, ""},
        {0, true, "vpg: the sound card ran dry 0 times"},
        {1, false, "vpg: the sound card ran dry 1 time"},
        {7, false, "vpg: the sound card ran dry 7 times"},
        {18446744073709551615u, true, "vpg: the sound card ran dry 18446744073709551615 times"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(alsa::UnderrunReport(c.underruns, c.always), c.report)
            << c.underruns << (c.always ? " always" : "");
}

TEST(AlsaPcmRules, EachPcmFormatHasItsAlsaSampleFormat) {
    struct Case {
        WAVEFORMATEX format;
        snd_pcm_format_t expected;
    } cases[] = {
        {Format(1, 8, 8000), SND_PCM_FORMAT_U8},
        {Format(2, 16, 44100), SND_PCM_FORMAT_S16_LE},
        {Format(2, 24, 96000), SND_PCM_FORMAT_S24_3LE},
        {Format(1, 32, 48000), SND_PCM_FORMAT_S32_LE},
        {Format(2, 12, 44100), SND_PCM_FORMAT_UNKNOWN},  // not whole bytes
        {Format(2, 16, 44100, 3), SND_PCM_FORMAT_UNKNOWN},
        {Format(0, 16, 44100), SND_PCM_FORMAT_UNKNOWN},
        {Format(2, 16, 0), SND_PCM_FORMAT_UNKNOWN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(alsa::SampleFormatOf(c.format), c.expected)
            << c.format.nChannels << " x " << c.format.wBitsPerSample << " bits, tag "
            << c.format.wFormatTag;
    WAVEFORMATEX odd = Format(2, 16, 44100);
    odd.nBlockAlign = 2;  // a block that is not one frame
    EXPECT_EQ(alsa::SampleFormatOf(odd), SND_PCM_FORMAT_UNKNOWN);
}

// ---------------------------------------------------------------------------------------------
// The device on ALSA's null and file plugins

// The callback window: keeps every notification in the order it was dispatched.
struct Recorder final : ui::MessageTarget {
    std::vector<ui::Message> messages;
    void handleMessage(const ui::Message& m) override { messages.push_back(m); }
    std::size_t count(std::uint32_t msg) const {
        return static_cast<std::size_t>(
            std::count_if(messages.begin(), messages.end(),
                          [msg](const ui::Message& m) { return m.msg == msg; }));
    }
    std::vector<WAVEHDR*> done() const {
        std::vector<WAVEHDR*> headers;
        for (const ui::Message& m : messages)
            if (m.msg == MM_WOM_DONE) headers.push_back(reinterpret_cast<WAVEHDR*>(m.lParam));
        return headers;
    }
};

// A deterministic byte stream, unlike any pattern a fault might produce by accident.
struct Noise {
    std::uint32_t state = 12345;
    std::uint8_t next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    }
};

struct Buffer {
    std::vector<char> data;
    WAVEHDR header{};
};

std::filesystem::path FreshFolder() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const auto dir = std::filesystem::path(::testing::TempDir()) / ("vpg_alsa_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::vector<char> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
}

enum TestPcm : std::uint32_t { kNull, kFile, kMuLawOnly, kMissing, kTestPcms };

struct AlsaFixture : ::testing::Test {
    std::filesystem::path folder = FreshFolder();
    std::filesystem::path capture = folder / "capture.raw";
    ThreadedMessageLoop loop;
    Recorder window;
    std::unique_ptr<AlsaWaveOut> device = std::make_unique<AlsaWaveOut>(loop, Options());
    std::vector<std::unique_ptr<Buffer>> buffers;
    Noise noise;

    alsa::AlsaOptions Options() const {
        alsa::AlsaOptions options;
        options.devices = {
            {"vpg_null", "Discards all sound\nsecond line"},
            {"vpg_file", "Carte son intégrée du salon très longue\nfile"},
            {"vpg_mulaw", "Plays only mu-law"},
            {"vpg_missing", "Not defined anywhere"},
        };
        options.defaultPcm = "vpg_file";
        // The file plugin writes exactly the frames it is given, raw, over a null slave.
        options.config =
            "pcm.vpg_null { type null }\n"
            "pcm.vpg_file { type file slave.pcm null file \"" +
            capture.string() +
            "\" format raw }\n"
            "pcm.vpg_mulaw { type mulaw slave { pcm null format S16_LE } }\n";
        return options;
    }

    ~AlsaFixture() override {
        device.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    HWAVEOUT open(std::uint32_t id, const WAVEFORMATEX& format = Format(2, 16, 44100)) {
        HWAVEOUT handle = 0;
        const MMRESULT result = device->Open(&handle, id, format, &window, CALLBACK_WINDOW);
        EXPECT_EQ(result, MMSYSERR_NOERROR) << errorText(result);
        return handle;
    }

    std::string errorText(MMRESULT code) {
        char text[MAXERRORLENGTH] = {};
        device->GetErrorText(code, text, MAXERRORLENGTH);
        return text;
    }

    // A prepared buffer of `bytes` bytes of noise.
    WAVEHDR* buffer(HWAVEOUT handle, std::size_t bytes) {
        auto b = std::make_unique<Buffer>();
        b->data.resize(std::max<std::size_t>(bytes, 1));  // an empty buffer still has an address
        for (char& c : b->data) c = static_cast<char>(noise.next());
        b->header.lpData = b->data.data();
        b->header.dwBufferLength = static_cast<std::uint32_t>(bytes);
        EXPECT_EQ(device->PrepareHeader(handle, &b->header), MMSYSERR_NOERROR);
        buffers.push_back(std::move(b));
        return &buffers.back()->header;
    }

    std::vector<WAVEHDR*> write(HWAVEOUT handle, std::initializer_list<std::size_t> sizes) {
        std::vector<WAVEHDR*> written;
        for (std::size_t bytes : sizes) {
            WAVEHDR* header = buffer(handle, bytes);
            EXPECT_EQ(device->Write(handle, header), MMSYSERR_NOERROR);
            written.push_back(header);
        }
        return written;
    }

    // The bytes of whole frames in the given buffers, as a device plays them.
    static std::vector<char> Frames(const std::vector<WAVEHDR*>& headers, std::uint32_t frame) {
        std::vector<char> bytes;
        for (const WAVEHDR* h : headers)
            bytes.insert(bytes.end(), h->lpData,
                         h->lpData + (h->dwBufferLength - h->dwBufferLength % frame));
        return bytes;
    }

    bool waitForDone(std::size_t n) {
        return loop.pumpUntil([&] { return window.count(MM_WOM_DONE) >= n; });
    }
    void closeAndWait(HWAVEOUT handle) {
        const std::size_t closes = window.count(MM_WOM_CLOSE);
        ASSERT_EQ(device->Close(handle), MMSYSERR_NOERROR);
        ASSERT_TRUE(loop.pumpUntil([&] { return window.count(MM_WOM_CLOSE) > closes; }));
    }
    std::uint32_t samples(HWAVEOUT handle) {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        EXPECT_EQ(device->GetPosition(handle, &time), MMSYSERR_NOERROR);
        EXPECT_EQ(time.wType, TIME_SAMPLES);
        return time.u.sample;
    }
};

using AlsaDeviceList = AlsaFixture;
using AlsaStream = AlsaFixture;

TEST_F(AlsaDeviceList, EachDeviceShowsTheFirstLineOfItsDescriptionCutTo31Characters) {
    ASSERT_EQ(device->GetNumDevs(), kTestPcms);
    WAVEOUTCAPS caps;
    ASSERT_EQ(device->GetDevCaps(kNull, &caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Discards all sound");
    EXPECT_EQ(caps.wChannels, 2);
    ASSERT_EQ(device->GetDevCaps(kFile, &caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Carte son intégrée du salon trè");
    ASSERT_EQ(device->GetDevCaps(WAVE_MAPPER, &caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, AlsaWaveOut::kMapperName);
    EXPECT_EQ(device->GetDevCaps(kTestPcms, &caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(device->GetDevCaps(kNull, nullptr), MMSYSERR_INVALPARAM);
}

TEST(AlsaSystemDeviceList, OffersTheCardsAndTheSoundServerAlsaReportsInItsOrderAndKeepsIt) {
    std::vector<std::string> expected;
    void** hints = nullptr;
    ASSERT_EQ(snd_device_name_hint(-1, "pcm", &hints), 0);
    for (void** hint = hints; *hint != nullptr; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* ioid = snd_device_name_get_hint(*hint, "IOID");
        const std::string n = name != nullptr ? name : "";
        // A card's playback PCMs and the sound server; no plug-in of no card.
        const bool ofACard = n.find("CARD=") != std::string::npos;
        const bool server = n == "pulse" || n == "pipewire";
        if ((ioid == nullptr || std::string(ioid) == "Output") && (ofACard || server) &&
            n.rfind("default", 0) != 0 && n.rfind("sysdefault", 0) != 0)
            expected.push_back(n);
        std::free(name);
        std::free(ioid);
    }
    snd_device_name_free_hint(hints);

    ThreadedMessageLoop loop;
    AlsaWaveOut device(loop);
    const std::uint32_t count = device.GetNumDevs();
    std::vector<std::string> listed;
    for (const alsa::PcmDevice& d : device.devices()) listed.push_back(d.name);
    EXPECT_EQ(listed, expected);
    ASSERT_EQ(count, listed.size());
    for (std::uint32_t id = 0; id < count; ++id) {
        WAVEOUTCAPS caps;
        ASSERT_EQ(device.GetDevCaps(id, &caps), MMSYSERR_NOERROR);
        EXPECT_NE(caps.szPname[0], '\0') << listed[id];
        EXPECT_EQ(std::string(caps.szPname).find('\n'), std::string::npos) << listed[id];
    }
    EXPECT_EQ(device.GetNumDevs(), count);
}

TEST_F(AlsaStream, EveryOpenPostsOpenWithANewHandleAndEveryCloseEndsWithClose) {
    const HWAVEOUT first = open(kNull);
    ASSERT_NE(first, 0u);
    closeAndWait(first);
    const HWAVEOUT second = open(WAVE_MAPPER);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    closeAndWait(second);
    ASSERT_EQ(window.messages.size(), 4u);
    const std::uint32_t kinds[] = {MM_WOM_OPEN, MM_WOM_CLOSE, MM_WOM_OPEN, MM_WOM_CLOSE};
    const HWAVEOUT handles[] = {first, first, second, second};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(window.messages[i].msg, kinds[i]) << i;
        EXPECT_EQ(window.messages[i].wParam, handles[i]) << i;
    }
    // The handle of a closed device is dead for good.
    EXPECT_EQ(device->Close(first), MMSYSERR_INVALHANDLE);
}

TEST_F(AlsaStream, BuffersComeBackInTheOrderWrittenEachOnceAndCloseComesLast) {
    const HWAVEOUT h = open(kNull);
    const std::vector<WAVEHDR*> written =
        write(h, {4096, 512, 16384, 4, 0, 8192, 1000, 4096});  // 0 and 4 bytes: empty and one frame
    ASSERT_TRUE(waitForDone(written.size()));
    EXPECT_EQ(window.done(), written);
    for (WAVEHDR* header : written) {
        EXPECT_EQ(header->dwFlags, WHDR_PREPARED | WHDR_DONE);
        EXPECT_EQ(device->UnprepareHeader(h, header), MMSYSERR_NOERROR);
        EXPECT_EQ(header->dwFlags, WHDR_DONE);
    }
    closeAndWait(h);
    loop.pumpFor(100ms);
    ASSERT_EQ(window.messages.size(), written.size() + 2);
    EXPECT_EQ(window.messages.front().msg, MM_WOM_OPEN);
    EXPECT_EQ(window.messages.back().msg, MM_WOM_CLOSE);
    for (const ui::Message& m : window.messages) {
        EXPECT_EQ(m.target, &window);
        EXPECT_EQ(m.wParam, h);
    }
}

struct BytesCase {
    const char* name;
    WAVEFORMATEX format;
    std::vector<std::size_t> sizes;
};
void PrintTo(const BytesCase& c, std::ostream* os) {
    *os << c.name;
}

class AlsaFileBytes : public AlsaFixture, public ::testing::WithParamInterface<BytesCase> {};

TEST_P(AlsaFileBytes, TheFileHoldsExactlyTheWholeFramesTheBuffersHeld) {
    const BytesCase& c = GetParam();
    const HWAVEOUT h = open(kFile, c.format);
    std::vector<WAVEHDR*> written;
    for (std::size_t bytes : c.sizes) {
        written.push_back(buffer(h, bytes));
        ASSERT_EQ(device->Write(h, written.back()), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(waitForDone(written.size()));
    EXPECT_EQ(window.done(), written);
    closeAndWait(h);
    const std::vector<char> expected = Frames(written, c.format.nBlockAlign);
    const std::vector<char> got = ReadFile(capture);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "the bytes differ";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AlsaFileBytes,
    ::testing::Values(
        BytesCase{"Stereo16", Format(2, 16, 44100), {16384, 16384, 16384, 16384, 4096}},
        // Lengths that are not whole frames: the partial frame is not played.
        BytesCase{"Stereo16Ragged", Format(2, 16, 48000), {1001, 4, 7, 8190, 2}},
        BytesCase{"Mono8", Format(1, 8, 8000), {512, 333, 4096}},
        BytesCase{"Stereo24", Format(2, 24, 96000), {6000, 6001, 600}},
        BytesCase{"Mono32", Format(1, 32, 22050), {4096, 12}}),
    [](const ::testing::TestParamInfo<BytesCase>& p) { return p.param.name; });

TEST_F(AlsaStream, APausedDeviceHandsNothingBackUntilItIsRestarted) {
    const HWAVEOUT h = open(kFile);
    ASSERT_EQ(device->Pause(h), MMSYSERR_NOERROR);
    const std::vector<WAVEHDR*> written = write(h, {4096, 4096, 4096, 4096});
    loop.pumpFor(300ms);
    EXPECT_EQ(window.count(MM_WOM_DONE), 0u);
    EXPECT_EQ(samples(h), 0u);
    for (WAVEHDR* header : written) EXPECT_TRUE(header->dwFlags & WHDR_INQUEUE);
    ASSERT_EQ(device->Restart(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitForDone(written.size()));
    EXPECT_EQ(window.done(), written);
    closeAndWait(h);
    EXPECT_TRUE(ReadFile(capture) == Frames(written, 4));
}

TEST_F(AlsaStream, PauseAndRestartWhilePlayingLoseAndRepeatNothing) {
    const HWAVEOUT h = open(kFile);
    std::vector<WAVEHDR*> written = write(h, {8192, 8192});
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(device->Pause(h), MMSYSERR_NOERROR);
        const std::vector<WAVEHDR*> more = write(h, {4096, 2048});
        written.insert(written.end(), more.begin(), more.end());
        ASSERT_EQ(device->Restart(h), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(waitForDone(written.size()));
    EXPECT_EQ(window.done(), written);
    closeAndWait(h);
    EXPECT_TRUE(ReadFile(capture) == Frames(written, 4));
}

TEST_F(AlsaStream, ResetHandsBackEveryPendingBufferInOrderAndPlaysNoneOfThem) {
    const HWAVEOUT h = open(kFile);
    ASSERT_EQ(device->Pause(h), MMSYSERR_NOERROR);
    const std::vector<WAVEHDR*> written = write(h, {4096, 1024, 4096, 2048, 4096});
    ASSERT_EQ(device->Reset(h), MMSYSERR_NOERROR);
    // Every buffer is back as soon as Reset returns: the close that follows is not refused.
    for (WAVEHDR* header : written) EXPECT_EQ(header->dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(samples(h), 0u);
    closeAndWait(h);
    EXPECT_EQ(window.done(), written);
    EXPECT_EQ(window.messages.back().msg, MM_WOM_CLOSE);
    EXPECT_TRUE(ReadFile(capture).empty());
}

TEST_F(AlsaStream, ResetWhilePlayingHandsBackEachBufferExactlyOnce) {
    const HWAVEOUT h = open(kNull);
    for (int round = 0; round < 10; ++round) {
        const std::vector<WAVEHDR*> written = write(h, {16384, 16384, 16384, 16384});
        ASSERT_EQ(device->Reset(h), MMSYSERR_NOERROR);
        ASSERT_TRUE(waitForDone(4 * (round + 1)));
        const std::vector<WAVEHDR*> done = window.done();
        EXPECT_TRUE(std::equal(written.begin(), written.end(), done.end() - 4)) << round;
    }
    closeAndWait(h);
    loop.pumpFor(100ms);
    EXPECT_EQ(window.count(MM_WOM_DONE), 40u);
    EXPECT_EQ(window.messages.back().msg, MM_WOM_CLOSE);
}

TEST_F(AlsaStream, CloseIsRefusedWhileBuffersArePendingAndTheDeviceStaysUsable) {
    const HWAVEOUT h = open(kFile);
    ASSERT_EQ(device->Pause(h), MMSYSERR_NOERROR);
    std::vector<WAVEHDR*> written = write(h, {4096, 4096});
    EXPECT_EQ(device->Close(h), WAVERR_STILLPLAYING);
    EXPECT_EQ(device->UnprepareHeader(h, written[0]), WAVERR_STILLPLAYING);
    EXPECT_EQ(device->Write(h, written[0]), WAVERR_STILLPLAYING);
    const std::vector<WAVEHDR*> more = write(h, {2048});
    written.insert(written.end(), more.begin(), more.end());
    ASSERT_EQ(device->Restart(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitForDone(3));
    EXPECT_EQ(window.done(), written);
    EXPECT_EQ(window.count(MM_WOM_CLOSE), 0u);
    closeAndWait(h);
    EXPECT_TRUE(ReadFile(capture) == Frames(written, 4));
}

TEST_F(AlsaStream, PositionCountsTheFramesPlayedSinceTheOpenOrTheReset) {
    const HWAVEOUT h = open(kNull, Format(2, 16, 8000));
    EXPECT_EQ(samples(h), 0u);
    write(h, {16384, 4000, 401});  // 4096 + 1000 + 100 frames
    ASSERT_TRUE(waitForDone(3));
    // The null plugin holds nothing back: what it was given has played.
    EXPECT_EQ(samples(h), 5196u);
    MMTIME time{};
    time.wType = TIME_BYTES;
    ASSERT_EQ(device->GetPosition(h, &time), MMSYSERR_NOERROR);
    EXPECT_EQ(time.wType, TIME_BYTES);
    EXPECT_EQ(time.u.cb, 5196u * 4);
    time.wType = TIME_MS;
    ASSERT_EQ(device->GetPosition(h, &time), MMSYSERR_NOERROR);
    EXPECT_EQ(time.u.ms, 649u);
    EXPECT_EQ(device->GetPosition(h, nullptr), MMSYSERR_INVALPARAM);
    ASSERT_EQ(device->Reset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(samples(h), 0u);
    write(h, {400});
    ASSERT_TRUE(waitForDone(4));
    EXPECT_EQ(samples(h), 100u);
    closeAndWait(h);
}

TEST_F(AlsaStream, FormatsThatCannotPlayAreRefusedAndNothingIsPosted) {
    struct Case {
        std::uint32_t id;
        WAVEFORMATEX format;
    } cases[] = {
        {kMuLawOnly, Format(2, 16, 44100)},  // ALSA refuses it
        {kMuLawOnly, Format(1, 8, 8000)},
        {kNull, Format(2, 12, 44100)},  // not whole bytes per sample
        {kNull, Format(2, 16, 44100, 3)},
    };
    for (const Case& c : cases) {
        HWAVEOUT handle = 0;
        EXPECT_EQ(device->Open(&handle, c.id, c.format, &window, CALLBACK_WINDOW), WAVERR_BADFORMAT)
            << c.id << " " << c.format.wBitsPerSample;
        EXPECT_EQ(handle, 0u);
    }
    EXPECT_EQ(loop.pending(), 0u);
}

TEST_F(AlsaStream, ABadDeviceIdOrAPcmThatCannotOpenFailsWithItsReason) {
    HWAVEOUT handle = 0;
    EXPECT_EQ(device->Open(&handle, kTestPcms, Format(2, 16, 44100), &window, CALLBACK_WINDOW),
              MMSYSERR_BADDEVICEID);
    const MMRESULT missing =
        device->Open(&handle, kMissing, Format(2, 16, 44100), &window, CALLBACK_WINDOW);
    ASSERT_EQ(missing, AlsaWaveOut::kErrOpen);
    const std::string text = errorText(missing);
    EXPECT_NE(text.find("'vpg_missing'"), std::string::npos) << text;
    EXPECT_NE(text.find(snd_strerror(-ENOENT)), std::string::npos) << text;
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(loop.pending(), 0u);
    EXPECT_EQ(device->Open(&handle, kNull, Format(2, 16, 44100), nullptr, CALLBACK_WINDOW),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(device->Open(&handle, kNull, Format(2, 16, 44100), &window, 0x00030000),
              MMSYSERR_INVALFLAG);
}

TEST_F(AlsaStream, HeadersFollowTheRulesOfPreparingAndQueueing) {
    const HWAVEOUT h = open(kNull);
    Buffer raw;
    raw.data.resize(64);
    raw.header.lpData = raw.data.data();
    raw.header.dwBufferLength = 64;
    EXPECT_EQ(device->Write(h, &raw.header), WAVERR_UNPREPARED);
    EXPECT_EQ(device->Write(h, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(device->PrepareHeader(h, nullptr), MMSYSERR_INVALPARAM);
    const HWAVEOUT stranger = h + 1000;
    EXPECT_EQ(device->PrepareHeader(stranger, &raw.header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Write(stranger, &raw.header), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Reset(stranger), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Pause(stranger), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Restart(stranger), MMSYSERR_INVALHANDLE);
    MMTIME time{};
    EXPECT_EQ(device->GetPosition(stranger, &time), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Close(stranger), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(device->Close(0), MMSYSERR_INVALHANDLE);
    // A header that was never written is unprepared at once.
    ASSERT_EQ(device->PrepareHeader(h, &raw.header), MMSYSERR_NOERROR);
    EXPECT_EQ(raw.header.dwFlags, WHDR_PREPARED);
    EXPECT_EQ(device->UnprepareHeader(h, &raw.header), MMSYSERR_NOERROR);
    EXPECT_EQ(raw.header.dwFlags, 0u);
    closeAndWait(h);
    EXPECT_EQ(device->Write(h, &raw.header), MMSYSERR_INVALHANDLE);
}

TEST_F(AlsaStream, DestroyingTheDeviceWithOpenStreamsEndsTheirThreads) {
    const HWAVEOUT a = open(kNull);
    const HWAVEOUT b = open(kFile);
    ASSERT_EQ(device->Pause(b), MMSYSERR_NOERROR);
    write(a, {16384, 16384});
    const std::vector<WAVEHDR*> held = write(b, {16384});
    device.reset();  // must neither hang nor leave a thread behind that posts
    const std::size_t posted = loop.pending();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(loop.pending(), posted);
    loop.processMessages();
    EXPECT_EQ(window.count(MM_WOM_OPEN), 2u);
    const std::vector<WAVEHDR*> done = window.done();
    EXPECT_EQ(std::count(done.begin(), done.end(), held[0]), 0);  // paused: it never played
    EXPECT_TRUE(ReadFile(capture).empty());
}

// The wave output component over the ALSA device: see the wave-out contract.

// ---------------------------------------------------------------------------------------------
// A sound server that dies while playing

// A private PulseAudio server with a null sink, run for one test and ended by its process id.
class PulseServer {
public:
    explicit PulseServer(const std::filesystem::path& folder) : folder_(folder) {}
    ~PulseServer() { stop(); }

    static bool Available() {
        if (::access("/usr/bin/pulseaudio", X_OK) != 0) return false;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/usr/lib", ec))
            if (std::filesystem::exists(entry.path() / "alsa-lib/libasound_module_pcm_pulse.so"))
                return true;
        return false;
    }

    std::string socket() const { return (folder_ / "native").string(); }

    bool start() {
        const std::string home = "HOME=" + folder_.string();
        const std::string runtime = "XDG_RUNTIME_DIR=" + folder_.string();
        const std::string config = "XDG_CONFIG_HOME=" + (folder_ / "config").string();
        const std::string load = "module-native-protocol-unix auth-anonymous=1 socket=" + socket();
        std::vector<std::string> args = {"/usr/bin/pulseaudio",
                                         "--daemonize=no",
                                         "--system=false",
                                         "-n",
                                         "--exit-idle-time=-1",
                                         "--use-pid-file=no",
                                         "--disable-shm=yes",
                                         "--log-target=file:" + (folder_ / "log").string(),
                                         "-L",
                                         "module-null-sink sink_name=vpg",
                                         "-L",
                                         load};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env = {home, runtime, config, "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
            return false;
        }
        for (int i = 0; i < 200; ++i) {
            if (std::filesystem::exists(socket())) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    void kill() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    std::string log() const {
        const std::vector<char> text = ReadFile(folder_ / "log");
        return std::string(text.begin(), text.end());
    }

private:
    std::filesystem::path folder_;
    pid_t pid_ = -1;
};

// A device on a private server's null sink, which takes sound at the pace of real time.
struct AlsaPulse : ::testing::Test {
    std::filesystem::path folder = FreshFolder();
    PulseServer server{folder};
    ThreadedMessageLoop loop;
    Recorder window;
    std::unique_ptr<AlsaWaveOut> device;
    std::vector<std::unique_ptr<Buffer>> buffers;

    void SetUp() override {
        if (!PulseServer::Available()) GTEST_SKIP() << "pulseaudio and its ALSA plugin are needed";
        ASSERT_TRUE(server.start()) << server.log();
        makeDevice(true);
    }
    ~AlsaPulse() override {
        device.reset();
        server.stop();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    void makeDevice(bool pcmPause) {
        alsa::AlsaOptions options;
        options.defaultPcm = "vpg_pulse";
        // handle_underrun: the plugin reports a stream that ran dry, as a sound card does.
        options.config = "pcm.vpg_pulse { type pulse server \"unix:" + server.socket() +
                         "\" handle_underrun true }\n";
        options.pcmPause = pcmPause;
        device = std::make_unique<AlsaWaveOut>(loop, options);
    }

    HWAVEOUT open() {
        HWAVEOUT handle = 0;
        EXPECT_EQ(
            device->Open(&handle, WAVE_MAPPER, Format(2, 16, 44100), &window, CALLBACK_WINDOW),
            MMSYSERR_NOERROR);
        return handle;
    }
    std::vector<WAVEHDR*> write(HWAVEOUT handle, int count, std::size_t bytes = 4096) {
        std::vector<WAVEHDR*> written;
        for (int i = 0; i < count; ++i) {
            auto b = std::make_unique<Buffer>();
            b->data.assign(bytes, 0);
            b->header.lpData = b->data.data();
            b->header.dwBufferLength = static_cast<std::uint32_t>(bytes);
            EXPECT_EQ(device->PrepareHeader(handle, &b->header), MMSYSERR_NOERROR);
            EXPECT_EQ(device->Write(handle, &b->header), MMSYSERR_NOERROR);
            written.push_back(&b->header);
            buffers.push_back(std::move(b));
        }
        return written;
    }
    bool waitForDone(std::size_t n) {
        return loop.pumpUntil([&] { return window.count(MM_WOM_DONE) >= n; });
    }
};

TEST_F(AlsaPulse, AnUnderrunIsRecoveredCountedAndPlayingGoesOn) {
    const HWAVEOUT h = open();
    std::vector<WAVEHDR*> written = write(h, 2);
    ASSERT_TRUE(waitForDone(2));
    // Nothing more to play for twenty times ALSA's buffer: the stream runs dry.
    loop.pumpFor(500ms);
    const std::vector<WAVEHDR*> more = write(h, 4);
    written.insert(written.end(), more.begin(), more.end());
    ASSERT_TRUE(waitForDone(6));
    EXPECT_EQ(window.done(), written);
    EXPECT_EQ(device->underruns(), 1u);
    ASSERT_EQ(device->Close(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(loop.pumpUntil([&] { return window.count(MM_WOM_CLOSE) == 1; }));
}

TEST_F(AlsaPulse, ANewOpenEndsTheLastDevicesPlayOutAndItsCloseComesFirst) {
    const HWAVEOUT first = open();
    write(first, 4);
    ASSERT_TRUE(waitForDone(4));
    // ALSA still holds the last frames: the closed device plays them out unless the card is
    // wanted again.
    ASSERT_EQ(device->Close(first), MMSYSERR_NOERROR);
    const HWAVEOUT second = open();
    ASSERT_TRUE(loop.pumpUntil([&] { return window.count(MM_WOM_OPEN) == 2; }));
    const std::size_t n = window.messages.size();
    ASSERT_GE(n, 2u);
    EXPECT_EQ(window.messages[n - 2].msg, MM_WOM_CLOSE);
    EXPECT_EQ(window.messages[n - 2].wParam, first);
    EXPECT_EQ(window.messages[n - 1].msg, MM_WOM_OPEN);
    EXPECT_EQ(window.messages[n - 1].wParam, second);
    ASSERT_EQ(device->Close(second), MMSYSERR_NOERROR);
    ASSERT_TRUE(loop.pumpUntil([&] { return window.count(MM_WOM_CLOSE) == 2; }));
}

class AlsaPulsePause : public AlsaPulse, public ::testing::WithParamInterface<bool> {};

TEST_P(AlsaPulsePause, APauseIsNotAnUnderrun) {
    makeDevice(GetParam());
    const HWAVEOUT h = open();
    std::vector<WAVEHDR*> written = write(h, 12);
    // Well under way, so that ALSA would run dry during the pause if it went on playing.
    ASSERT_TRUE(waitForDone(4));
    ASSERT_EQ(device->Pause(h), MMSYSERR_NOERROR);
    loop.pumpFor(500ms);
    const std::size_t doneWhilePaused = window.count(MM_WOM_DONE);
    loop.pumpFor(200ms);
    EXPECT_EQ(window.count(MM_WOM_DONE), doneWhilePaused) << "buffers came back while paused";
    EXPECT_LT(doneWhilePaused, written.size());
    ASSERT_EQ(device->Restart(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitForDone(written.size()));
    EXPECT_EQ(window.done(), written);
    EXPECT_EQ(device->underruns(), 0u);
    ASSERT_EQ(device->Close(h), MMSYSERR_NOERROR);
    ASSERT_TRUE(loop.pumpUntil([&] { return window.count(MM_WOM_CLOSE) == 1; }));
}

INSTANTIATE_TEST_SUITE_P(PcmPauseOrNot, AlsaPulsePause, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "PcmPause" : "StopFeeding";
                         });

TEST_F(AlsaPulse, AServerKilledWhilePlayingEndsTheRunWithTheReasonAndNoHang) {
    portable::HeapWaveMemory memory;
    TAudioOut out{AudioPlatform{*device, memory, loop}};
    TAudioOut* AudioOut1 = &out;
    std::vector<std::string> events;
    out.setOnStart([&](ui::Object*) { events.push_back("OnStart"); });
    out.setOnStop([&](ui::Object*) { events.push_back("OnStop"); });
    out.setOnFillBuffer([&](std::uint8_t* b, std::int32_t& size) {
        std::fill(b, b + size, std::uint8_t{0});
        return true;  // a loop: only the device can end this run
    });
    out.setStereo(true);
    out.setFrameRate(44100);
    out.setNumBuffers(4);
    out.setBufferSize(4096);

    ASSERT_TRUE(out.Start(AudioOut1)) << out.ErrorMessage;
    // Real playback: buffers come back at the sound's pace.
    ASSERT_TRUE(loop.pumpUntil([&] { return out.ProcessedBuffers >= 12; })) << server.log();
    EXPECT_EQ(events, std::vector<std::string>{"OnStart"});
    server.kill();
    ASSERT_TRUE(loop.pumpUntil([&] { return !events.empty() && events.back() == "OnStop"; }))
        << "the run did not end; " << out.ErrorMessage;
    EXPECT_EQ(events, (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_FALSE(out.Active);
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    EXPECT_NE(out.ErrorMessage.find("'vpg_pulse' stopped"), std::string::npos) << out.ErrorMessage;
    std::printf("  the run ended with: %s\n", out.ErrorMessage.c_str());
}

}  // namespace
