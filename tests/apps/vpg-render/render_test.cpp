// vpg-render end to end: the WAV file holds exactly what the window plays, the sweep laws hold
// in the rendered sine, and failures leave nothing behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "apps/vpg-render/render_options.h"
#include "apps/vpg-render/renderer.h"
#include "platform/portable/wav_file_wave_out.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/wav_reader.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ChildOptions;
using testing_support::InChild;
using testing_support::ReadFileText;
using testing_support::ReadWavFile;
using testing_support::Spawn;
using testing_support::WriteFileText;

struct Wav {
    int channels = 0, rate = 0, bits = 0;
    std::vector<std::int16_t> left, right;
};

// Reads a rendered file, whose header must describe exactly the data the file holds.
Wav readWav(const std::string& path) {
    const testing_support::WavFile file = ReadWavFile(path);
    EXPECT_EQ(testing_support::HeaderFaults(file, 2, file.sampleRate, 16, file.fileSize - 44), "")
        << path;
    Wav w;
    w.channels = file.channels;
    w.rate = static_cast<int>(file.sampleRate);
    w.bits = file.bitsPerSample;
    for (std::size_t i = 0; i + 1 < file.data.size() / 2; i += 2) {
        w.left.push_back(file.sample16(i));
        w.right.push_back(file.sample16(i + 1));
    }
    return w;
}

struct Rendered {
    int status;
    std::string messages;
    Wav wav;
    bool exists;
};

Rendered run(std::vector<std::string> args) {
    const std::string path =
        (fs::temp_directory_path() /
         ("vpg-render-" +
          std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".wav"))
            .string();
    fs::remove(path);
    args.push_back("-o");
    args.push_back(path);
    const auto parsed = render::Parse(args);
    EXPECT_TRUE(std::holds_alternative<render::Options>(parsed));
    std::ostringstream messages;
    Rendered r{render::Render(std::get<render::Options>(parsed), messages),
               messages.str(),
               {},
               fs::exists(path)};
    if (r.exists) r.wav = readWav(path);
    fs::remove(path);
    EXPECT_FALSE(fs::exists(path + ".part"));
    return r;
}

TEST(Render, TheDefaultSignalHasTheEngineNumbers) {
    const Rendered r = run({"--duration", "1"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.channels, 2);
    EXPECT_EQ(r.wav.rate, 44100);
    EXPECT_EQ(r.wav.bits, 16);
    // The whole second and nothing more: the silence that pads the last buffer is not signal.
    EXPECT_EQ(r.wav.left.size(), 44100u);
    EXPECT_EQ(r.wav.left[0], 467);
    for (std::size_t i = 0; i < 882; ++i)
        ASSERT_EQ(r.wav.right[i], (i % 441) <= 10 ? 32767 : 0) << i;
    EXPECT_NEAR(r.wav.left[44098], -467, 1);  // the signal runs to its last sample
    for (std::size_t i = 44100; i < r.wav.left.size(); ++i) ASSERT_EQ(r.wav.left[i], 0) << i;
    EXPECT_TRUE(r.messages.empty()) << r.messages;
}

TEST(Render, LockPutsEachFlashOnTheFrameNearestToItsCycle) {
    // 1000 Hz at 44100 Hz: unlocked every 44 frames (1002.27 Hz); locked at k x 44.1.
    for (bool lock : {false, true}) {
        SCOPED_TRACE(lock);
        std::vector<std::string> args{"--freq", "1000", "--duration", "1"};
        if (lock) args.push_back("--lock");
        const Rendered r = run(args);
        ASSERT_EQ(r.status, 0) << r.messages;
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < 44100; ++i)
            if (r.wav.right[i] != 0 && (i == 0 || r.wav.right[i - 1] == 0)) starts.push_back(i);
        ASSERT_EQ(starts.size(), lock ? 1000u : 1003u);
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const double exact = lock ? static_cast<double>(k) * 44.1 : static_cast<double>(k) * 44;
            ASSERT_LE(std::fabs(static_cast<double>(starts[k]) - exact), 0.5) << k;
        }
    }
}

TEST(Render, PhaseDeltaPulseLengthAndLevelsArriveInTheSamples) {
    const Rendered r = run({"--duration", "0.5", "--phase", "90", "--delta-position", "10",
                            "--pulse-length", "1", "--right-db", "-6"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.left[0], -32764);
    for (std::size_t i = 0; i < 1320; ++i)
        ASSERT_EQ(r.wav.right[i], (i % 440) <= 1 ? 16422 : 0) << i;
}

// The momentary frequency from the rising zero crossings of the left channel, at the middle of
// each period.
std::vector<std::pair<double, double>> crossings(const Wav& w, std::size_t frames) {
    std::vector<std::pair<double, double>> out;
    double last = -1;
    for (std::size_t i = 1; i < frames; ++i) {
        if (w.left[i - 1] < 0 && w.left[i] >= 0) {
            const double t =
                (i - 1) + static_cast<double>(-w.left[i - 1]) / (w.left[i] - w.left[i - 1]);
            if (last >= 0) out.emplace_back((t + last) / 2 / w.rate, w.rate / (t - last));
            last = t;
        }
    }
    return out;
}

TEST(Render, SweepsFollowTheirLawFromStartToFinal) {
    struct Case {
        bool logarithmic;
        const char* name;
    } cases[] = {{false, "linear"}, {true, "logarithmic"}};
    for (const Case& c : cases) {
        std::vector<std::string> args{"--sweep",    "--freq", "100",  "--final-freq", "1000",
                                      "--duration", "4",      "--fs", "48000"};
        if (c.logarithmic) args.push_back("--log");
        const Rendered r = run(args);
        ASSERT_EQ(r.status, 0) << r.messages;
        const auto points = crossings(r.wav, 4 * 48000);
        ASSERT_GT(points.size(), 1000u);
        for (const auto& [t, f] : points) {
            const double expected = c.logarithmic ? 100 * std::pow(10.0, t / 4) : 100 + 900 * t / 4;
            ASSERT_NEAR(f, expected, expected * 0.003) << c.name << " at " << t << " s";
        }
        // The law holds over the whole duration, from the first period to the last.
        EXPECT_LT(points.front().first, 0.03) << c.name;
        EXPECT_GT(points.back().first, 3.99) << c.name;
    }
}

TEST(Render, ALoopIsCappedBySecondsAndABidirectionalSweepComesBack) {
    const Rendered r =
        run({"--sweep", "--loop", "--bidirectional", "--freq", "200", "--final-freq", "400",
             "--duration", "1", "--seconds", "2.5", "--fs", "8000", "--buffer-size", "4096"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.left.size(), 20000u);  // exactly 2.5 s
    const auto points = crossings(r.wav, r.wav.left.size());
    for (const auto& [t, f] : points) {
        const double phase = std::fmod(t, 2.0);
        const double expected = phase < 1 ? 200 + 200 * phase : 400 - 200 * (phase - 1);
        ASSERT_NEAR(f, expected, 6) << t;
    }
}

TEST(Render, ValuesGoThroughTheEntryRulesAndSayWhatTheyBecame) {
    const Rendered r = run({"--freq", "abc", "--left-db", "12,5", "--duration", "0.2"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_NE(r.messages.find("--freq 'abc' became 1000"), std::string::npos) << r.messages;
    EXPECT_NE(r.messages.find("--left-db '12,5' became 0"), std::string::npos) << r.messages;
    // 1000 Hz at full level: a period of 44.1 samples.
    int high = 0;
    for (std::size_t i = 0; i < 4410; ++i) high = std::max<int>(high, r.wav.left[i]);
    EXPECT_GE(high, 32760);
}

TEST(Render, TheFileHoldsExactlyTheSignalsFrames) {
    const struct {
        const char* duration;
        const char* fs;
        const char* bufferSize;
        std::size_t frames;
    } cases[] = {
        {"1", "44100", "16384", 44100},      {"0.1", "44100", "16384", 4410},
        {"0.1", "44100", "64536", 4410},     {"2.5", "8000", "4096", 20000},
        {"0.3333", "48000", "32768", 15998},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.duration << " s at " << c.fs);
        const Rendered r =
            run({"--duration", c.duration, "--fs", c.fs, "--buffer-size", c.bufferSize});
        ASSERT_EQ(r.status, 0) << r.messages;
        EXPECT_EQ(r.wav.left.size(), c.frames);
        // The last frame is still signal: the sine is not silent at its end.
        const std::size_t n = r.wav.left.size();
        EXPECT_NE(std::abs(r.wav.left[n - 1]) + std::abs(r.wav.left[n - 2]), 0);
    }
}

TEST(Render, AFrequencyAboveHalfTheRateBecomesTheLimitWithTheNotice) {
    const Rendered r = run({"--freq", "30000", "--duration", "0.2"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_NE(r.messages.find("half the sampling rate"), std::string::npos);
    EXPECT_NE(r.messages.find("became 22049"), std::string::npos);
}

TEST(Render, AnUnwritableOutputPathFailsAtOnceAndLeavesNothing) {
    render::Options o;
    o.output = "/nonexistent-dir/x.wav";
    std::ostringstream messages;
    EXPECT_EQ(render::Render(o, messages), 2);
    EXPECT_NE(messages.str().find("cannot write '/nonexistent-dir/x.wav'"), std::string::npos);
    EXPECT_FALSE(fs::exists("/nonexistent-dir/x.wav.part"));
}

// ---------------------------------------------------------------------------------------------
// The output path: judged before rendering, written through a temporary of our own

// A folder of the test's own, and what lies in it.
struct Folder : testing_support::TempFolder {
    Folder() : TempFolder("vpg-render") {}

    // Every entry with its kind and what it holds (a file's bytes, a link's target).
    std::map<std::string, std::string> listing() const {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(path)) {
            struct stat st {};
            ::lstat(e.path().c_str(), &st);
            std::string what;
            if (S_ISLNK(st.st_mode))
                what = "link to " + fs::read_symlink(e.path()).string();
            else if (S_ISREG(st.st_mode))
                what = "file of " + std::to_string(st.st_size) + " bytes, hash " +
                       std::to_string(std::hash<std::string>()(ReadFileText(e.path().string())));
            else if (S_ISDIR(st.st_mode))
                what = "folder";
            else
                what = "special " + std::to_string(st.st_mode & S_IFMT);
            out[e.path().filename().string()] = what;
        }
        return out;
    }
};

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Renders a short signal to `output` in this process.
int renderTo(const std::string& output, std::string& messages,
             std::vector<std::string> args = {"--duration", "0.2"}) {
    args.push_back("-o");
    args.push_back(output);
    const auto parsed = render::Parse(args);
    if (!std::holds_alternative<render::Options>(parsed)) {
        messages = "unparsed";
        return -1;
    }
    std::ostringstream out;
    const int status = render::Render(std::get<render::Options>(parsed), out);
    messages = out.str();
    return status;
}

TEST(RenderOutput, WhatIsNoRegularFileIsRefusedBeforeAnythingIsRendered) {
    struct Case {
        const char* name;
        std::function<std::string(const Folder&)> make;  // gives the -o path
        const char* reason;
    };
    const Case cases[] = {
        {"directory",
         [](const Folder& f) {
             fs::create_directory(f / "adir");
             return f / "adir";
         },
         "Is a directory"},
        {"name ending in a slash", [](const Folder& f) { return f / "new/"; }, "Is a directory"},
        {"FIFO",
         [](const Folder& f) {
             ::mkfifo((f / "fifo").c_str(), 0644);
             return f / "fifo";
         },
         "it is a FIFO, not a regular file"},
        {"socket",
         [](const Folder& f) {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const std::string path = f / "sock";
             std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
             ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
             ::close(fd);
             return path;
         },
         "it is a socket, not a regular file"},
        {"character device",
         [](const Folder& f) {
             // As root a node of our own (the old fault turned /dev/null into a file);
             // otherwise /dev/null itself, which we could not replace anyway.
             if (::geteuid() != 0) return std::string("/dev/null");
             ::mknod((f / "null").c_str(), S_IFCHR | 0666, makedev(1, 3));
             return f / "null";
         },
         "it is a character device, not a regular file"},
        {"link to a folder",
         [](const Folder& f) {
             fs::create_directory(f / "adir");
             fs::create_symlink("adir", f / "link");
             return f / "link";
         },
         "Is a directory"},
        {"link loop",
         [](const Folder& f) {
             fs::create_symlink("loop.wav", f / "loop.wav");
             return f / "loop.wav";
         },
         "Too many levels of symbolic links"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder folder;
        const std::string output = c.make(folder);
        const auto before = folder.listing();
        const std::string result = InChild([&] {
            std::string messages;
            // "--freq abc" is reported once the window is built: the path is judged before.
            const int status = renderTo(output, messages, {"--freq", "abc", "--duration", "0.2"});
            const std::string expected =
                "vpg-render: cannot write '" + output + "': " + c.reason + "\n";
            return status == 2 && messages == expected
                       ? std::string()
                       : "status " + std::to_string(status) + ": " + messages;
        });
        EXPECT_EQ(result, "");
        EXPECT_EQ(folder.listing(), before);
        struct stat st {};
        if (std::string(c.name) == "character device") {
            EXPECT_TRUE(::stat(output.c_str(), &st) == 0 && S_ISCHR(st.st_mode));
        }
    }
}

TEST(RenderOutput, ALinkStaysAndTheFileItPointsToIsReplacedKeepingItsPermissionBits) {
    Folder folder;
    fs::create_directory(folder / "real");
    WriteFileText(folder / "real/t.wav", "an earlier file");
    ::chmod((folder / "real/t.wav").c_str(), 0640);
    fs::create_symlink("real/t.wav", folder / "t.wav");
    std::string messages;
    ASSERT_EQ(renderTo(folder / "t.wav", messages), 0) << messages;
    EXPECT_TRUE(fs::is_symlink(folder / "t.wav"));
    EXPECT_EQ(fs::read_symlink(folder / "t.wav"), "real/t.wav");
    EXPECT_EQ(readWav(folder / "real/t.wav").left.size(), 8820u);
    EXPECT_EQ(modeOf(folder / "real/t.wav"), 0640u);
    EXPECT_EQ(folder.listing().size(), 2u);  // the link and the folder: no temporary
    EXPECT_EQ(fs::directory_iterator(folder / "real")->path().filename(), "t.wav");
}

// Like the settings file: the link is kept and the file it names is made, so nothing is lost.
TEST(RenderOutput, ADanglingLinkStaysAndTheFileItNamesIsWritten) {
    Folder folder;
    fs::create_directory(folder / "real");
    fs::create_symlink("real/t.wav", folder / "t.wav");
    std::string messages;
    ASSERT_EQ(renderTo(folder / "t.wav", messages), 0) << messages;
    EXPECT_EQ(fs::read_symlink(folder / "t.wav"), "real/t.wav");
    EXPECT_EQ(readWav(folder / "real/t.wav").left.size(), 8820u);
    EXPECT_EQ(folder.listing().size(), 2u);  // the link and the folder: no temporary
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 1);
}

TEST(RenderOutput, AReplacedFileKeepsItsPermissionBitsAndANewOneFollowsTheUmask) {
    for (const mode_t mode : {0604u, 0600u, 0664u, 0755u}) {
        SCOPED_TRACE(mode);
        Folder folder;
        WriteFileText(folder / "t.wav", "an earlier file");
        ::chmod((folder / "t.wav").c_str(), mode);
        std::string messages;
        ASSERT_EQ(renderTo(folder / "t.wav", messages), 0) << messages;
        EXPECT_EQ(modeOf(folder / "t.wav"), mode);
        EXPECT_EQ(readWav(folder / "t.wav").left.size(), 8820u);
    }
    Folder folder;
    const mode_t umask = ::umask(027);
    std::string messages;
    const int status = renderTo(folder / "new.wav", messages);
    ::umask(umask);
    ASSERT_EQ(status, 0) << messages;
    EXPECT_EQ(modeOf(folder / "new.wav"), 0640u);
}

TEST(RenderOutput, TheTemporaryIsNeverAFileThatWasThereBefore) {
    // What an earlier program version used as its temporary, FILE.part, is left alone.
    struct Case {
        const char* name;
        std::function<void(const Folder&)> plant;
    };
    const Case cases[] = {
        {"a link to someone's file",
         [](const Folder& f) {
             WriteFileText(f / "victim", "not yours");
             fs::create_symlink(f / "victim", f / "t.wav.part");
         }},
        {"a partial download",
         [](const Folder& f) { WriteFileText(f / "t.wav.part", "half a file"); }},
        {"a FIFO", [](const Folder& f) { ::mkfifo((f / "t.wav.part").c_str(), 0644); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder folder;
        c.plant(folder);
        auto expected = folder.listing();
        const std::string result = InChild(
            [&] {
                std::string messages;
                const int status = renderTo(folder / "t.wav", messages);
                return status == 0 ? std::string() : messages;
            },
            ChildOptions{false, 20});
        EXPECT_EQ(result, "");
        const auto after = folder.listing();
        ASSERT_EQ(after.count("t.wav"), 1u);
        expected["t.wav"] = after.at("t.wav");
        EXPECT_EQ(after, expected);
        EXPECT_EQ(readWav(folder / "t.wav").left.size(), 8820u);
    }
}

// The vpg-render program itself, for what only a process shows: signals, limits, exit.
const std::string kRenderProgram = VPG_RENDER_PROGRAM;

// Waits until a temporary beside `output` holds at least `bytes`; its name, or "".
std::string grownTemporary(const Folder& folder, const std::string& output, std::uintmax_t bytes) {
    for (int i = 0; i < 2000; ++i) {
        for (const auto& e : fs::directory_iterator(folder.path)) {
            const std::string name = e.path().filename().string();
            std::error_code ec;
            if (name.rfind(output + ".", 0) == 0 && name.size() > 5 &&
                name.compare(name.size() - 5, 5, ".part") == 0 &&
                fs::file_size(e.path(), ec) >= bytes && !ec)
                return name;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

TEST(RenderOutput, ASignalRemovesTheTemporaryAndLeavesTheEarlierFile) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGRTMIN + 3}) {
        SCOPED_TRACE(strsignal(sig));
        Folder folder;
        WriteFileText(folder / "t.wav", "the user's earlier file");
        const auto before = folder.listing();
        // Far longer than the test waits: the render is still running when the signal comes.
        const auto child = Spawn({kRenderProgram, "--loop", "--seconds", "130000", "--fs", "8000",
                                  "-o", folder / "t.wav"},
                                 "", folder.path.string() + ".err");
        const std::string temporary = grownTemporary(folder, "t.wav", 1 << 20);
        EXPECT_NE(temporary, "");
        ::kill(child.pid, sig);
        const int status = child.wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_EQ(folder.listing(), before);
        fs::remove(folder.path.string() + ".err");
    }
}

TEST(RenderOutput, AClosedPipeForItsMessagesNeitherEndsItNorLeavesATemporary) {
    Folder folder;
    // "--pulse-length 0" is said to have become 1: a message into a pipe nobody reads.
    const auto child = Spawn({kRenderProgram, "--pulse-length", "0", "--duration", "2", "--fs",
                              "8000", "-o", folder / "t.wav"},
                             "", "", [] {
                                 int fds[2];
                                 if (::pipe(fds) != 0) ::_exit(126);
                                 ::close(fds[0]);
                                 ::dup2(fds[1], 2);
                                 ::signal(SIGPIPE, SIG_DFL);
                             });
    const int status = child.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const auto listing = folder.listing();
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.begin()->first, "t.wav");
}

TEST(RenderOutput, AnotherUsersLinkInASharedStickyFolderIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link of another user's";
    Folder folder;
    const std::string shared = testing_support::MakeSharedStickyFolder(folder);
    WriteFileText(folder / "victim", "the victim's own file");
    for (const auto& c : testing_support::kPlantedLinks) {
        SCOPED_TRACE(c.name);
        const std::string link = folder / "shared/x.wav";
        testing_support::Plant(c, folder / "victim", link);
        std::string messages;
        const int status = renderTo(link, messages);
        if (c.followed) {
            EXPECT_EQ(status, 0) << messages;
            EXPECT_NE(ReadFileText(folder / "victim"), "the victim's own file");
        } else {
            EXPECT_EQ(status, 2);
            EXPECT_EQ(messages, "vpg-render: cannot write '" + link +
                                    "': it is a symbolic link of another user's in the shared "
                                    "folder " +
                                    shared + ", which is not followed\n");
            EXPECT_EQ(ReadFileText(folder / "victim"), "the victim's own file");
        }
    }
}

// Lowers the file size limit for one test; a write beyond it fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit old_{};
    void (*previous_)(int) = nullptr;
};

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

TEST(RenderOutput, AFailedWriteExitsOneSaysSoOnceAndLeavesTheEarlierFile) {
    // The limit falls in the header, in the ring's first buffers, and in a later refill.
    for (const rlim_t limit : {rlim_t{20}, rlim_t{44 + 16384 + 100}, rlim_t{44 + 9 * 16384}}) {
        SCOPED_TRACE(limit);
        Folder folder;
        WriteFileText(folder / "t.wav", "the user's earlier file");
        const auto before = folder.listing();
        std::string messages;
        int status = 0;
        {
            FileSizeLimit lowered(limit);
            status = renderTo(folder / "t.wav", messages, {"--duration", "10"});
        }
        EXPECT_EQ(status, 1) << messages;
        EXPECT_EQ(occurrences(messages, std::strerror(EFBIG)), 1u) << messages;
        EXPECT_EQ(occurrences(messages, "'" + folder / "t.wav" + "'"), 1u) << messages;
        EXPECT_EQ(folder.listing(), before);
    }
}

TEST(RenderOutput, AFileSizeLimitIsAWriteErrorOfTheProgramNotItsEnd) {
    Folder folder;
    WriteFileText(folder / "t.wav", "the user's earlier file");
    const auto before = folder.listing();
    const std::string err = folder.path.string() + ".err";
    const auto child =
        Spawn({kRenderProgram, "--duration", "10", "-o", folder / "t.wav"}, "", err, [] {
            rlimit limit{100000, 100000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    const int status = child.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(folder.listing(), before);
    EXPECT_EQ(occurrences(ReadFileText(err), std::strerror(EFBIG)), 1u) << ReadFileText(err);
    fs::remove(err);
}

TEST(RenderOutput, TwoRendersToOneFileLeaveOneWholeFile) {
    Folder folder;
    const std::vector<std::string> a{"--freq", "100", "--duration", "120"};
    const std::vector<std::string> b{"--freq", "1000", "--duration", "120"};
    std::string messages;
    ASSERT_EQ(renderTo(folder / "a.wav", messages, a), 0) << messages;
    ASSERT_EQ(renderTo(folder / "b.wav", messages, b), 0) << messages;
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), kRenderProgram);
        args.push_back("-o");
        args.push_back(folder / "t.wav");
        return args;
    };
    const auto first = Spawn(with(a), "", "");
    const auto second = Spawn(with(b), "", "");
    const int s1 = first.wait(), s2 = second.wait();
    EXPECT_TRUE(WIFEXITED(s1) && WEXITSTATUS(s1) == 0) << s1;
    EXPECT_TRUE(WIFEXITED(s2) && WEXITSTATUS(s2) == 0) << s2;
    const std::string result = ReadFileText(folder / "t.wav");
    EXPECT_TRUE(result == ReadFileText(folder / "a.wav") ||
                result == ReadFileText(folder / "b.wav"));
    EXPECT_EQ(folder.listing().size(), 3u);
}

TEST(RenderCommandLine, HelpIntoAFullDiskFailsWithTheReason) {
    Folder folder;
    const std::string err = folder / "err";
    const int status = Spawn({kRenderProgram, "--help"}, "/dev/full", err).wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << status;
    EXPECT_NE(ReadFileText(err).find(std::strerror(ENOSPC)), std::string::npos)
        << ReadFileText(err);
    EXPECT_EQ(Spawn({kRenderProgram, "--help"}, folder / "out", err).wait(), 0);
    EXPECT_EQ(ReadFileText(folder / "out"), render::HelpText());
}

// ---------------------------------------------------------------------------------------------
// What a WAV file holds: said before rendering

TEST(RenderLimits, TheLengthIsHeldToWhatAWavFileHoldsAtItsBounds) {
    const double most = portable::WavFileWaveOut::kMaxDataBytes;
    struct Case {
        const char* name;
        int fs, bufferSize, buffers;
        bool loop;
        std::optional<double> seconds;
        std::int32_t totalSamples;
        double bytes;
        bool bySeconds;
    };
    // The signal's own frames, whatever the buffers. 1073741814 frames of 4 bytes fit; one
    // more does not.
    const Case cases[] = {
        {"whole buffers", 44100, 16384, 4, false, {}, 262143 * 4096, 262143.0 * 16384, false},
        {"one frame more",
         44100,
         16384,
         4,
         false,
         {},
         262143 * 4096 + 1,
         262143.0 * 16384 + 4,
         false},
        {"shorter than the ring", 8000, 4096, 3, false, {}, 1, 4.0, false},
        {"a second", 44100, 16384, 4, false, {}, 44100, 44100.0 * 4, false},
        {"the longest signal", 44100, 16384, 4, false, {}, 2147483647, 2147483647.0 * 4, false},
        {"seconds cap the signal", 44100, 16384, 4, false, 0.5, 44100, 22050.0 * 4, true},
        {"seconds beyond the signal", 44100, 16384, 4, false, 5.0, 44100, 44100.0 * 4, false},
        {"seconds that give no frame", 44100, 16384, 4, true, 1e-300, 0, 0.0, true},
        {"looping: the last frame", 8000, 16384, 4, true, (1073741814 + 0.5) / 8000, 0,
         1073741814.0 * 4, true},
        {"looping: a frame more", 8000, 16384, 4, true, (1073741815 + 0.5) / 8000, 0,
         1073741815.0 * 4, true},
        {"looping: far beyond", 44100, 16384, 4, true, 1e308, 0, HUGE_VAL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        render::Options o;
        o.fs = c.fs;
        o.bufferSize = c.bufferSize;
        o.buffers = c.buffers;
        o.loop = c.loop;
        o.seconds = c.seconds;
        const render::RenderLength length = render::LengthOf(o, c.totalSamples);
        EXPECT_EQ(length.bytes, c.bytes);
        EXPECT_EQ(length.bySeconds, c.bySeconds);
    }
    // The seconds said to fit do fit, and a tenth more does not, at every rate and buffer size.
    for (const int fs : {8000, 11025, 22050, 44100, 48000, 96000}) {
        for (const int bufferSize : {4096, 8192, 16384, 32768, 64536}) {
            SCOPED_TRACE(testing::Message() << fs << " Hz, buffers of " << bufferSize);
            render::Options o;
            o.fs = fs;
            o.bufferSize = bufferSize;
            const auto samples = [&](double seconds) {
                return static_cast<std::int32_t>(std::llround(seconds * fs));
            };
            const double signal = std::floor(render::LengthOf(o, 0).mostSeconds * 10) / 10;
            EXPECT_LE(render::LengthOf(o, samples(signal)).bytes, most);
            EXPECT_GT(render::LengthOf(o, samples(signal + 0.1)).bytes, most);
            o.loop = true;
            o.seconds = 1;
            o.seconds = std::floor(render::LengthOf(o, 0).mostSeconds * 10) / 10;
            EXPECT_LE(render::LengthOf(o, 0).bytes, most);
            o.seconds = *o.seconds + 0.1;
            EXPECT_GT(render::LengthOf(o, 0).bytes, most);
        }
    }
}

TEST(RenderLimits, ASignalLongerThanAWavFileHoldsIsRefusedBeforeRendering) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        // The longest signal (2147483647 samples) is more than a WAV file holds.
        {{"--duration", "1000000"},
         "vpg-render: --duration '1000000' became 48695.7734\nvpg-render: --duration 48695.7734 "
         "is more than a WAV file holds (4 GiB of sample data): at 44100 Hz at most 24347.8 "
         "seconds fit\n"},
        {{"--loop", "--seconds", "1e308"},
         "vpg-render: --seconds 1e+308 is more than a WAV file holds (4 GiB of sample data): at "
         "44100 Hz at most 24347.8 seconds fit\n"},
        {{"--loop", "--seconds", "134217.8", "--fs", "8000"},
         "vpg-render: --seconds 134218 is more than a WAV file holds (4 GiB of sample data): at "
         "8000 Hz at most 134217.7 seconds fit\n"},
        {{"--duration", "1e38", "--fs", "96000"},
         "vpg-render: --duration '1e38' became 22369.6211\nvpg-render: --duration 22369.6211 "
         "is more than a WAV file holds (4 GiB of sample data): at 96000 Hz at most 11184.8 "
         "seconds fit\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        Folder folder;
        WriteFileText(folder / "t.wav", "the user's earlier file");
        const auto before = folder.listing();
        std::string messages;
        EXPECT_EQ(renderTo(folder / "t.wav", messages, c.args), 2);
        EXPECT_EQ(messages, c.says);
        EXPECT_EQ(folder.listing(), before);
    }
    // A cap that leaves no frame is refused too: there would be nothing to write.
    {
        Folder folder;
        WriteFileText(folder / "t.wav", "the user's earlier file");
        const auto before = folder.listing();
        std::string messages;
        EXPECT_EQ(renderTo(folder / "t.wav", messages, {"--loop", "--seconds", "1e-300"}), 2);
        EXPECT_EQ(messages,
                  "vpg-render: --seconds 1e-300 gives no frame at 44100 Hz: nothing "
                  "to write\n");
        EXPECT_EQ(folder.listing(), before);
    }
    // A cap that makes it fit is fine.
    Folder folder;
    std::string messages;
    EXPECT_EQ(renderTo(folder / "t.wav", messages, {"--duration", "1000000", "--seconds", "0.1"}),
              0)
        << messages;
    EXPECT_EQ(readWav(folder / "t.wav").left.size(), 4410u);
}

// ---------------------------------------------------------------------------------------------
// As an ordinary user: the tests run as root in CI, so these give up root in a child process

// t.wav as an earlier run left it, in a folder of the ordinary user's: holding `text`, with
// `mode` (0: as created), owned by that user or else by root.
std::string earlierOutput(const Folder& f, const char* text, mode_t mode, bool users) {
    testing_support::GiveToOrdinaryUser(f.path.string());
    WriteFileText(f / "t.wav", text);
    if (mode != 0) ::chmod((f / "t.wav").c_str(), mode);
    if (users) testing_support::GiveToOrdinaryUser(f / "t.wav");
    return f / "t.wav";
}

TEST(RenderAsOrdinaryUser, WhatTheUserMayNotWriteIsRefusedUpFrontAndTheRestHolds) {
    struct Case {
        const char* name;
        std::function<std::string(const Folder&)> make;  // gives the -o path, as root
        int status;
        const char* reason;  // for a refusal
        std::vector<std::string> args;
    };
    const std::vector<std::string> shortRender{"--duration", "0.2"};
    const Case cases[] = {
        {"a folder the user may not write",
         [](const Folder& f) {
             fs::create_directory(f / "theirs");
             ::chmod((f / "theirs").c_str(), 0555);
             return f / "theirs/t.wav";
         },
         2, "Permission denied", shortRender},
        {"a read-only file of the user's",
         [](const Folder& f) { return earlierOutput(f, "read-only", 0444, true); }, 2,
         "Permission denied", shortRender},
        {"a file left by an earlier run as root",
         [](const Folder& f) { return earlierOutput(f, "root's", 0644, false); }, 2,
         "Permission denied", shortRender},
        {"the user's own file",
         [](const Folder& f) { return earlierOutput(f, "mine", 0600, true); }, 0, "", shortRender},
        {"a write failure over the user's file",
         [](const Folder& f) { return earlierOutput(f, "mine", 0, true); },
         1,
         "",
         {"--duration", "10"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Only root can leave a file of root's; run as an ordinary user, the suite has no
        // one else's file to offer.
        if (::geteuid() != 0 && std::string(c.name).find("as root") != std::string::npos) continue;
        Folder folder;
        ::chmod(folder.path.c_str(), 0755);
        const std::string output = c.make(folder);
        const auto before = folder.listing();
        const bool failsWriting = c.status == 1;
        const std::string result = InChild(
            [&] {
                if (failsWriting) {
                    std::signal(SIGXFSZ, SIG_IGN);
                    rlimit limit{50000, 50000};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                }
                std::string messages;
                const int status = renderTo(output, messages, c.args);
                const std::string refusal =
                    "vpg-render: cannot write '" + output + "': " + c.reason + "\n";
                if (status != c.status || (c.status == 2 && messages != refusal))
                    return "status " + std::to_string(status) + ": " + messages;
                return std::string();
            },
            ChildOptions{true, 30});
        EXPECT_EQ(result, "");
        if (c.status == 0) {
            EXPECT_EQ(readWav(output).left.size(), 8820u);
            EXPECT_EQ(modeOf(output), 0600u);
            EXPECT_EQ(folder.listing().size(), 1u);
        } else {
            EXPECT_EQ(folder.listing(), before);
            if (fs::is_directory(folder / "theirs")) {
                EXPECT_TRUE(fs::is_empty(folder / "theirs"));
                ::chmod((folder / "theirs").c_str(), 0755);
            }
        }
    }
}

}  // namespace
