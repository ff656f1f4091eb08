// The vpg-send program itself against a server in this process: exit statuses, messages on
// stderr, and the numbers that reach the window procedure.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/poll_fd_watcher.h"
#include "platform/posix/remote_control.h"
#include "shell/remote_message.h"
#include "support/socket_test_support.h"

extern char** environ;

#ifdef VPG_SEND_PATH

namespace {

using testsupport::TempFolder;
using vpg::RemoteMessage;

struct Finished {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out, err;
};

// Runs vpg-send with XDG_RUNTIME_DIR = `runtimeDir`, keeping `watcher` turning meanwhile.
Finished RunSend(const std::vector<std::string>& args, const std::string& runtimeDir,
                 posix::PollFdWatcher& watcher) {
    TempFolder output;
    const std::string outPath = output.path + "/out", errPath = output.path + "/err";
    std::vector<std::string> words{VPG_SEND_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) != 0) env.emplace_back(*e);
    env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    Finished result;
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(spawned);
        return result;
    }
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 20000 && (done = ::waitpid(pid, &status, WNOHANG)) == 0; ++i)
        if (watcher.runOnce(2) == 0) ::usleep(1000);
    if (done == 0) {
        ADD_FAILURE() << "vpg-send did not end";
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = testsupport::ReadFile(outPath);
    result.err = testsupport::ReadFile(errPath);
    return result;
}

class VpgSend : public ::testing::Test {
protected:
    void SetUp() override {
        const auto location =
            posix::RemoteControlSocket(true, runtime.path.c_str(), "/nonexistent");
        ASSERT_TRUE(location.ok()) << location.error;
        socketPath = location.path;
    }
    void startServer() { ASSERT_TRUE(server.listen(socketPath)) << server.error(); }
    Finished run(const std::vector<std::string>& args) {
        return RunSend(args, runtime.path, watcher);
    }

    TempFolder runtime;
    std::string socketPath;
    posix::PollFdWatcher watcher;
    std::vector<RemoteMessage> received;
    // The generator's answer to the next messages.
    vpg::RemoteOutcome outcome = vpg::RemoteOutcome::Acted;
    posix::RemoteControlServer server{
        watcher, [this](std::uint32_t m, std::uint32_t w, std::intptr_t l, std::string& reason) {
            received.push_back({m, w, l});
            if (outcome == vpg::RemoteOutcome::Refused) reason = "the frequency is too high";
            return outcome;
        }};
};

TEST_F(VpgSend, DeliversTheMessageAndExitsZero) {
    startServer();
    const std::pair<std::vector<std::string>, RemoteMessage> cases[] = {
        {{"1031", "44100"}, {1031, 44100, 0}},
        {{"1048", "0", "3"}, {1048, 0, 3}},
        {{"1025"}, {1025, 0, 0}},
        {{"1047", "-1"}, {1047, 4294967295u, 0}},
    };
    for (const auto& [args, expected] : cases) {
        received.clear();
        const Finished f = run(args);
        EXPECT_EQ(f.status, 0) << args[0] << ": " << f.err;
        EXPECT_EQ(f.out + f.err, "");
        ASSERT_EQ(received.size(), 1u) << args[0];
        EXPECT_EQ(received[0], expected);
    }
}

TEST_F(VpgSend, SaysSoWhenNoProgramIsRunning) {
    const std::string expected =
        "vpg-send: no Vimbrel Pulse Generator is running (nothing listens at " + socketPath + ")\n";
    const Finished none = run({"1024"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, expected);
    // A killed program's socket file is no program either.
    testsupport::LeaveStaleSocket(socketPath);
    const Finished stale = run({"1024"});
    EXPECT_EQ(stale.status, 2);
    EXPECT_EQ(stale.err, expected);
}

TEST_F(VpgSend, RefusesAMalformedCommandLineWithoutSendingAnything) {
    startServer();
    const std::vector<std::string> cases[] = {
        {},
        {"start"},
        {"-5"},
        {"1031", "44100.5"},
        {"1031", "4294967296"},
        {"1048", "0", "2147483648"},
        {"1048", "0", "3", "4"},
        {"--bogus"},
    };
    for (const auto& args : cases) {
        const Finished f = run(args);
        EXPECT_EQ(f.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_EQ(f.err.rfind("vpg-send: ", 0), 0u) << f.err;
        EXPECT_NE(f.err.find("--help"), std::string::npos) << f.err;
    }
    EXPECT_TRUE(received.empty());
}

TEST_F(VpgSend, SendsOnlyTheGeneratorsOwnMessagesWithValuesItCouldTake) {
    startServer();
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"99999"}, "unknown message number 99999"},
        {{"16"}, "unknown message number 16"},
        {{"1027"}, "unknown message number 1027"},
        {{"1048", "0", "5"}, "the preset slot (LPARAM) must be 1 to 4"},
        {{"1048", "2", "1"}, "1048 takes WPARAM 0 (recall) or 1 (store)"},
        {{"1049", "2"}, "1049 takes WPARAM 0 (flashes not locked) or 1 (locked to the sine)"},
        {{"1050"}, "unknown message number 1050"},
        {{"1031", "4294967295"}, "the frequency must be from 0.1 Hz"},
        {{"1031", "9"}, "the frequency must be from 0.1 Hz"},
        {{"1034", "0"}, "the duration must be from 0.1 s"},
        {{"1034", "-1"}, "the duration must be from 0.1 s"},
    };
    for (const auto& [args, reason] : cases) {
        const Finished f = run(args);
        EXPECT_EQ(f.status, 2) << args[0];
        EXPECT_EQ(f.err.rfind(std::string("vpg-send: ") + reason, 0), 0u) << f.err;
    }
    EXPECT_TRUE(received.empty());
}

TEST_F(VpgSend, TheGeneratorsAnswerDecidesTheExitStatus) {
    startServer();
    outcome = vpg::RemoteOutcome::Refused;
    const Finished refused = run({"1031", "3000000"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "vpg-send: the generator refused the message: the frequency is too high\n");
    outcome = vpg::RemoteOutcome::Busy;
    const Finished busy = run({"1024"});
    EXPECT_EQ(busy.status, 1);
    EXPECT_NE(busy.err.find("busy"), std::string::npos) << busy.err;
    outcome = vpg::RemoteOutcome::Acted;
    EXPECT_EQ(run({"1024"}).status, 0);
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(VpgSend, HelpExitsZeroWithoutSending) {
    startServer();
    const Finished f = run({"--help"});
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.out.rfind("Usage: vpg-send MESSAGE [WPARAM [LPARAM]]", 0), 0u);
    EXPECT_NE(f.out.find("1048 0 S"), std::string::npos);
    // The ranges the generator takes.
    EXPECT_NE(f.out.find("F from 10 (0.1 Hz) to below half the sampling rate"), std::string::npos);
    EXPECT_NE(f.out.find("D from 1 (0.1 s) to the longest signal"), std::string::npos);
    EXPECT_EQ(f.err, "");
    EXPECT_TRUE(received.empty());
}

// A program that answers each line with `answer` (nothing at all when empty).
struct FakeProgram {
    FakeProgram(posix::PollFdWatcher& w, const std::string& path, std::string reply)
        : watcher(w), answer(std::move(reply)) {
        listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = testsupport::AddressOf(path);
        EXPECT_EQ(::bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listenFd, 4), 0);
        watcher.watch(listenFd, [this] {
            const int fd = ::accept(listenFd, nullptr, nullptr);
            clients.push_back(fd);
            watcher.watch(fd, [this, fd] {
                char chunk[256];
                if (::read(fd, chunk, sizeof chunk) > 0 && !answer.empty()) {
                    EXPECT_GT(::write(fd, answer.data(), answer.size()), 0);
                }
                watcher.unwatch(fd);
            });
        });
    }
    ~FakeProgram() {
        for (const int fd : clients) ::close(fd);
        watcher.unwatch(listenFd);
        ::close(listenFd);
    }
    posix::PollFdWatcher& watcher;
    std::string answer;
    int listenFd = -1;
    std::vector<int> clients;
};

TEST_F(VpgSend, AnErrorAnswerIsReportedWithStatusTwo) {
    FakeProgram program(watcher, socketPath, "error: busy\n");
    const Finished f = run({"1024"});
    EXPECT_EQ(f.status, 2);
    EXPECT_EQ(f.err, "vpg-send: the generator refused the message: busy\n");
}

TEST_F(VpgSend, NoAnswerInTimeIsStatusOne) {
    FakeProgram program(watcher, socketPath, "");
    const Finished f = run({"1024"});
    EXPECT_EQ(f.status, 1);
    EXPECT_NE(f.err.find("no answer from the generator within 5 s"), std::string::npos) << f.err;
}

}  // namespace

#endif  // VPG_SEND_PATH
