// The WAV-file device, driven by the wave output component and read back with sox.

#include "platform/portable/wav_file_wave_out.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_io.h"
#include "platform/portable/headless_message_loop.h"
#include "platform/portable/heap_wave_memory.h"
#include "support/wav_reader.h"

namespace {

using portable::WavFileWaveOut;
using testing_support::HeaderFaults;
using testing_support::ReadWavFile;

std::string run(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[256];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
        if (::pclose(pipe) != 0) out = "failed: " + out;
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// What sox reads in a file's header: rate, channels, bits per sample and samples per channel.
struct SoxInfo {
    std::string rate, channels, bits, samples;
};

SoxInfo soxInfo(const std::string& path) {
    const std::string q = " '" + path + "' 2>&1";
    return {run("sox --i -r" + q), run("sox --i -c" + q), run("sox --i -b" + q),
            run("sox --i -s" + q)};
}

// The sample data as sox decodes it, in the file's own encoding.
std::vector<std::uint8_t> soxRaw(const std::string& path) {
    const std::string raw = path + ".raw";
    const std::string result = run("sox '" + path + "' -t raw '" + raw + "' 2>&1");
    EXPECT_EQ(result, "") << "sox could not decode " << path;
    std::ifstream in(raw, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
    std::filesystem::remove(raw);
    return data;
}

std::string tempPath(const std::string& name) {
    return (std::filesystem::path(::testing::TempDir()) / ("vpg_" + name)).string();
}

// A file name of the running test's own (a parameterised test's name holds a '/').
std::string testFileName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return name + ".wav";
}

// A deterministic byte stream, unlike any pattern a bug might produce by accident.
struct Noise {
    std::uint32_t state = 12345;
    std::uint8_t next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    }
};

// The component on the WAV-file device; the fill writes noise and keeps what it wrote.
struct WavFixture : ::testing::Test {
    std::string path = tempPath(testFileName());
    portable::HeadlessMessageLoop loop;
    WavFileWaveOut wav{loop, path};
    portable::HeapWaveMemory memory;
    audio::TAudioOut out{audio::AudioPlatform{wav, memory, loop}};
    audio::TAudioOut* AudioOut1 = &out;
    std::vector<std::string> events;
    std::vector<std::uint8_t> written;  // what the fills handed over with true
    int fills = 0;
    int filledLimit = 0;
    Noise noise;

    WavFixture() {
        out.setOnStart([this](ui::Object*) { events.push_back("OnStart"); });
        out.setOnStop([this](ui::Object*) { events.push_back("OnStop"); });
        out.setOnFillBuffer([this](std::uint8_t* b, std::int32_t& size) {
            if (fills++ >= filledLimit) return false;
            for (std::int32_t i = 0; i < size; ++i) b[i] = noise.next();
            written.insert(written.end(), b, b + size);
            return true;
        });
    }
    ~WavFixture() override {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }

    void format(bool stereo, std::uint16_t bits, std::int32_t rate, std::int32_t bufferSize,
                std::int32_t buffers = 4) {
        out.setStereo(stereo);
        out.setQuantization(bits);
        out.setFrameRate(rate);
        out.setNumBuffers(buffers);
        out.setBufferSize(bufferSize);
    }
    // Starts and runs the loop until nothing is left to dispatch.
    bool play(int buffers) {
        filledLimit = buffers;
        const bool started = out.Start(AudioOut1);
        loop.pumpAll();
        return started;
    }
    std::uintmax_t fileSize() const { return std::filesystem::file_size(path); }
};

using WavFileStream = WavFixture;

TEST_F(WavFileStream, AThousandBuffersMakeAFileSoxReadsSampleForSample) {
    format(true, 16, 44100, 4096);
    ASSERT_TRUE(play(1000)) << out.ErrorMessage;
    EXPECT_EQ(events, (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_EQ(wav.fileError(), "");
    EXPECT_FALSE(wav.isOpen());

    const SoxInfo info = soxInfo(path);
    EXPECT_EQ(info.rate, "44100");
    EXPECT_EQ(info.channels, "2");
    EXPECT_EQ(info.bits, "16");
    EXPECT_EQ(info.samples, std::to_string(1000 * 1024));
    ASSERT_EQ(written.size(), 1000u * 4096);
    EXPECT_TRUE(soxRaw(path) == written);
    EXPECT_EQ(fileSize(), 44u + written.size());
    const auto file = ReadWavFile(path);
    EXPECT_EQ(HeaderFaults(file, 2, 44100, 16, written.size()), "");
    EXPECT_TRUE(file.data == written);
}

struct FormatCase {
    const char* name;
    bool stereo;
    std::uint16_t bits;
    std::int32_t rate, bufferSize, numBuffers, filled;
};

class WavFileFormats : public WavFixture, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(WavFileFormats, TheFileCarriesTheFormatOfTheOpen) {
    const FormatCase c = GetParam();
    format(c.stereo, c.bits, c.rate, c.bufferSize, c.numBuffers);
    ASSERT_TRUE(play(c.filled)) << out.ErrorMessage;
    ASSERT_EQ(written.size(), static_cast<std::size_t>(c.bufferSize) * c.filled);
    // A signal shorter than the ring: the buffers without data are written as silence.
    std::vector<std::uint8_t> expected = written;
    for (std::int32_t i = c.filled; i < c.numBuffers; ++i)
        expected.insert(expected.end(), static_cast<std::size_t>(c.bufferSize),
                        c.bits == 8 ? 0x80 : 0x00);
    const std::size_t frameBytes = (c.bits / 8u) * (c.stereo ? 2u : 1u);
    const SoxInfo info = soxInfo(path);
    EXPECT_EQ(info.rate, std::to_string(c.rate));
    EXPECT_EQ(info.channels, c.stereo ? "2" : "1");
    EXPECT_EQ(info.bits, std::to_string(c.bits));
    EXPECT_EQ(info.samples, std::to_string(expected.size() / frameBytes));
    EXPECT_TRUE(soxRaw(path) == expected);
    // An odd data chunk is followed by its pad byte.
    EXPECT_EQ(fileSize(), 44u + expected.size() + (expected.size() & 1));
    // Every header field, read by our own reader: sox ignores the byte rate and RIFF size.
    const auto file = ReadWavFile(path);
    EXPECT_EQ(HeaderFaults(file, c.stereo ? 2 : 1, c.rate, c.bits, expected.size()), "");
    EXPECT_TRUE(file.data == expected);
}

INSTANTIATE_TEST_SUITE_P(
    WavFile, WavFileFormats,
    ::testing::Values(FormatCase{"Mono8OddLength", false, 8, 8000, 1001, 3, 3},
                      FormatCase{"Mono8ShorterThanTheRing", false, 8, 11025, 1001, 4, 1},
                      FormatCase{"Stereo24", true, 24, 96000, 6000, 4, 5},
                      FormatCase{"Mono16ShorterThanTheRing", false, 16, 22050, 512, 3, 2},
                      FormatCase{"Mono16", false, 16, 22050, 512, 2, 7}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(WavFileStream, TheHeaderNeverClaimsMoreThanTheFileHoldsAndIsCompleteAtClose) {
    format(true, 16, 48000, 2048);
    filledLimit = 1000;  // about 2 MB
    ASSERT_TRUE(out.Start(AudioOut1));
    ASSERT_TRUE(wav.isOpen());
    const auto claimed = [&] { return std::stoull(soxInfo(path).samples) * 4; };
    EXPECT_LE(claimed(), wav.dataBytes());
    // While it streams, the header lags the data by less than a mebibyte.
    while (wav.dataBytes() < 1600000 && loop.pumpOne()) {
    }
    ASSERT_TRUE(wav.isOpen());
    EXPECT_LE(claimed(), wav.dataBytes());
    EXPECT_GT(claimed() + (1u << 20), wav.dataBytes());
    // The header written on the way is whole: each field agrees with the data size it claims.
    const auto streaming = ReadWavFile(path);
    EXPECT_EQ(HeaderFaults(streaming, 2, 48000, 16, streaming.dataSize).find("RIFF size"),
              std::string::npos);
    EXPECT_EQ(streaming.dataSize, claimed());
    loop.pumpAll();
    ASSERT_FALSE(wav.isOpen());
    EXPECT_EQ(claimed(), wav.dataBytes());
    EXPECT_EQ(wav.dataBytes(), written.size());
}

TEST_F(WavFileStream, APlayLimitCutsTheFileToWholeFramesAndTheStreamRunsOn) {
    format(true, 16, 44100, 4096);
    wav.setPlayLimit(2 * 4096 + 1002);
    ASSERT_TRUE(play(10));
    EXPECT_TRUE(wav.playLimitReached());
    EXPECT_EQ(events, (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_EQ(out.ProcessedBuffers, 10);
    const std::vector<std::uint8_t> data = soxRaw(path);
    ASSERT_EQ(data.size(), 2u * 4096 + 1000);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), written.begin()));
}

// ---------------------------------------------------------------------------------------------
// failures: reported through the component, and the file never claims more than it holds

using WavFileFailures = WavFixture;

// Lowers the process's file size limit for one test; the kernel then refuses writes beyond it
// with EFBIG, a real failed disk write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

TEST_F(WavFileFailures, AFailedDiskWriteIsReportedAndTheStreamStillEnds) {
    // Four buffers at the start and two refills fit; the third refill hits the limit halfway.
    format(true, 16, 44100, 4096);
    {
        FileSizeLimit limit(44 + 6 * 4096 + 2000);
        EXPECT_TRUE(play(100));
    }
    EXPECT_EQ(out.ErrorMessage,
              "Could not write to the WAV file '" + path + "': " + std::strerror(EFBIG));
    EXPECT_EQ(wav.fileError(), out.ErrorMessage);
    EXPECT_EQ(events, (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_FALSE(out.Active);
    EXPECT_FALSE(out.IsWaveDeviceOpen());
    // The file holds, and claims, the six buffers that were written in full.
    EXPECT_EQ(soxInfo(path).samples, std::to_string(6 * 1024));
    EXPECT_EQ(fileSize(), 44u + 6 * 4096);
    const std::vector<std::uint8_t> data = soxRaw(path);
    ASSERT_EQ(data.size(), 6u * 4096);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), written.begin()));
    EXPECT_EQ(HeaderFaults(ReadWavFile(path), 2, 44100, 16, 6 * 4096), "");
}

TEST_F(WavFileFailures, AFileThatCannotBeCreatedFailsTheStart) {
    const std::string missing = tempPath("no-such-folder/x.wav");
    wav.setPath(missing);
    EXPECT_FALSE(play(10));
    EXPECT_EQ(out.ErrorMessage,
              "Could not create the WAV file '" + missing + "': " + std::strerror(ENOENT));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(WavFileFailures, TheSizeLimitRefusesAWriteInsteadOfWrapping) {
    format(true, 16, 44100, 4096);
    wav.setDataLimit(3 * 4096);
    EXPECT_TRUE(play(100));
    EXPECT_EQ(out.ErrorMessage,
              "The WAV file '" + path + "' cannot hold more than 12288 bytes of sample data");
    EXPECT_EQ(events, (std::vector<std::string>{"OnStart", "OnStop"}));
    EXPECT_EQ(soxInfo(path).samples, std::to_string(3 * 1024));
    EXPECT_EQ(HeaderFaults(ReadWavFile(path), 2, 44100, 16, 3 * 4096), "");
}

// A file opened by the caller (vpg-render's temporary): the device writes and trims it through
// the open file, and never touches the file its messages name.
TEST_F(WavFileFailures, AGivenFileIsWrittenAndTheFileOfItsNameIsLeftAlone) {
    struct Case {
        const char* name;
        rlim_t limit;  // 0: none
        int buffers;   // in the given file
    };
    for (const Case c : {Case{"complete", 0, 5}, Case{"a failed write", 44 + 6 * 4096 + 2000, 6}}) {
        SCOPED_TRACE(c.name);
        written.clear();
        fills = 0;
        const std::string given = path + ".given";
        { std::ofstream(path, std::ios::binary) << "the user's file"; }
        wav.setFile(std::fopen(given.c_str(), "wb"), path);
        format(true, 16, 44100, 4096);
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.limit) limit = std::make_unique<FileSizeLimit>(c.limit);
            EXPECT_TRUE(play(c.limit ? 100 : 5));
        }
        EXPECT_EQ(out.ErrorMessage, c.limit ? "Could not write to the WAV file '" + path +
                                                  "': " + std::strerror(EFBIG)
                                            : "");
        const auto file = ReadWavFile(given);
        EXPECT_EQ(HeaderFaults(file, 2, 44100, 16, c.buffers * 4096u), "");
        EXPECT_TRUE(std::equal(file.data.begin(), file.data.end(), written.begin()));
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the user's file");
        // The given file served its one open.
        EXPECT_FALSE(out.Start(AudioOut1));
        EXPECT_EQ(out.ErrorMessage, "The WAV file '" + path + "' was written and closed already");
        std::filesystem::remove(given);
    }
}

TEST(WavFileRiff, TheDataChunkAndItsPadByteMustKeepTheRiffSizeIn32Bits) {
    struct Case {
        std::uint64_t data;
        bool fits;
    };
    for (const Case c : {Case{0, true}, Case{4294967257ull, true}, Case{4294967258ull, true},
                         Case{4294967259ull, false}, Case{4294967260ull, false},
                         Case{1ull << 32, false}, Case{UINT64_MAX, false}})
        EXPECT_EQ(WavFileWaveOut::FitsInRiff(c.data), c.fits) << c.data;
}

TEST_F(WavFileFailures, TwelveBitSamplesInOneByteAreRefused) {
    format(false, 12, 44100, 1024);
    EXPECT_FALSE(play(10));
    EXPECT_EQ(out.ErrorMessage, audio::StandardWaveErrorText(audio::WAVERR_BADFORMAT));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// ---------------------------------------------------------------------------------------------
// the device on its own

struct Recorder : ui::MessageTarget {
    virtual ~Recorder() = default;
    void handleMessage(const ui::Message& message) override { got.push_back(message.msg); }
    std::vector<std::uint32_t> got;
};

TEST(WavFileDevice, WhilePausedBuffersAreWrittenButComeBackOnlyOnRestart) {
    const std::string path = tempPath("paused.wav");
    portable::HeadlessMessageLoop loop;
    WavFileWaveOut wav{loop, path};
    Recorder window;
    audio::WAVEFORMATEX f;
    f.wFormatTag = audio::WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = 16000;
    audio::HWAVEOUT h = 0;
    ASSERT_EQ(wav.Open(&h, audio::WAVE_MAPPER, f, &window, audio::CALLBACK_WINDOW),
              audio::MMSYSERR_NOERROR);
    EXPECT_EQ(wav.Open(&h, 0, f, &window, audio::CALLBACK_WINDOW), audio::MMSYSERR_ALLOCATED);
    std::vector<char> data(101, 7);  // 50 frames and half of one
    audio::WAVEHDR hdr{};
    hdr.lpData = data.data();
    hdr.dwBufferLength = 101;
    EXPECT_EQ(wav.Write(h, &hdr), audio::WAVERR_UNPREPARED);
    ASSERT_EQ(wav.PrepareHeader(h, &hdr), audio::MMSYSERR_NOERROR);
    ASSERT_EQ(wav.Pause(h), audio::MMSYSERR_NOERROR);
    ASSERT_EQ(wav.Write(h, &hdr), audio::MMSYSERR_NOERROR);
    EXPECT_EQ(wav.dataBytes(), 100u);  // whole frames only
    EXPECT_EQ(wav.Close(h), audio::WAVERR_STILLPLAYING);
    loop.pumpAll();
    EXPECT_EQ(window.got, std::vector<std::uint32_t>{audio::MM_WOM_OPEN});
    ASSERT_EQ(wav.Restart(h), audio::MMSYSERR_NOERROR);
    EXPECT_EQ(hdr.dwFlags & audio::WHDR_DONE, audio::WHDR_DONE);
    audio::MMTIME t;
    t.wType = audio::TIME_SAMPLES;
    ASSERT_EQ(wav.GetPosition(h, &t), audio::MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.sample, 50u);
    ASSERT_EQ(wav.UnprepareHeader(h, &hdr), audio::MMSYSERR_NOERROR);
    ASSERT_EQ(wav.Close(h), audio::MMSYSERR_NOERROR);
    EXPECT_EQ(wav.Write(h, &hdr), audio::MMSYSERR_INVALHANDLE);
    loop.pumpAll();
    EXPECT_EQ(window.got, (std::vector<std::uint32_t>{audio::MM_WOM_OPEN, audio::MM_WOM_DONE,
                                                      audio::MM_WOM_CLOSE}));
    EXPECT_EQ(std::filesystem::file_size(path), 144u);
    audio::WAVEOUTCAPS caps;
    EXPECT_EQ(wav.GetNumDevs(), 1u);
    ASSERT_EQ(wav.GetDevCaps(0, &caps), audio::MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, WavFileWaveOut::kDeviceName);
    std::filesystem::remove(path);
}

}  // namespace
