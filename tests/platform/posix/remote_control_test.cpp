// Other programs' messages over the per-user socket: what reaches the window procedure, what is
// answered, what is refused, and that no sender can stall or bloat the program.
#include "platform/posix/remote_control.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/poll_fd_watcher.h"
#include "shell/remote_message.h"
#include "support/child_process.h"
#include "support/socket_test_support.h"

namespace {

namespace fs = std::filesystem;
using posix::RemoteControlServer;
using testsupport::ClientSocket;
using testsupport::TempFolder;
using vpg::RemoteMessage;

constexpr uid_t kNobody = 65534;

vpg::RemoteOutcome kActs(std::uint32_t, std::uint32_t, std::intptr_t, std::string&) {
    return vpg::RemoteOutcome::Acted;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

// Short, so that the deadline tests are quick; long enough for a loaded machine's exchanges.
constexpr RemoteControlServer::Limits kLimits{std::chrono::milliseconds(700),
                                              std::chrono::milliseconds(50)};

class RemoteControl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server->listen(path())) << server->error(); }

    std::string path() const { return folder.path + "/vpg.sock"; }

    // Runs the loop and every client's traffic until `done`; the bound only ends a broken run.
    bool pumpUntil(const std::function<bool()>& done, std::vector<ClientSocket*> clients) {
        for (int i = 0; i < 20000 && !done(); ++i) {
            for (ClientSocket* c : clients) c->step();
            watcher.runOnce(1);
            for (ClientSocket* c : clients) c->step();
        }
        return done();
    }
    // Sends `text` and returns the next `lines` answer lines.
    std::string exchange(ClientSocket& client, const std::string& text, int lines = 1) {
        client.out += text;
        const std::size_t before = client.answerCount();
        pumpUntil([&] { return client.answerCount() >= before + lines || client.closed; },
                  {&client});
        return client.takeAnswers();
    }

    TempFolder folder;
    posix::PollFdWatcher watcher;
    std::vector<RemoteMessage> received;
    std::function<void(const RemoteMessage&)> onMessage;
    std::unique_ptr<RemoteControlServer> server = std::make_unique<RemoteControlServer>(
        watcher,
        [this](std::uint32_t m, std::uint32_t w, std::intptr_t l, std::string& reason) {
            received.push_back({m, w, l});
            if (onMessage) onMessage(received.back());
            reason = refusal;
            return outcome;
        },
        kLimits);
    // What the program answers: it acted, unless a test says otherwise.
    vpg::RemoteOutcome outcome = vpg::RemoteOutcome::Acted;
    std::string refusal;
};

TEST_F(RemoteControl, TheAnswerSaysWhatTheProgramDid) {
    ClientSocket client(path());
    EXPECT_EQ(exchange(client, "1031 5000000\n"), "ok\n");
    outcome = vpg::RemoteOutcome::Refused;
    refusal = "the frequency must be below 22050 Hz\nsecond line";
    // One line, whatever the reason holds.
    EXPECT_EQ(exchange(client, "1031 5000000\n"),
              "error: the frequency must be below 22050 Hz second line\n");
    refusal.clear();
    EXPECT_EQ(exchange(client, "1031 5000000\n"), "error: refused\n");
    outcome = vpg::RemoteOutcome::Busy;
    EXPECT_EQ(exchange(client, "1024\n"), "busy\n");
    EXPECT_EQ(received.size(), 4u);
}

TEST_F(RemoteControl, EachLineReachesTheHandlerWithItsNumbers) {
    const std::pair<std::string, RemoteMessage> cases[] = {
        {"1031 44100 0\n", {1031, 44100, 0}},
        {"1048 0 3\n", {1048, 0, 3}},
        {"1025\n", {1025, 0, 0}},
        {"1031 12345\n", {1031, 12345, 0}},
        {"1047 -1\n", {1047, 4294967295u, 0}},
        {"1047 4294967295\n", {1047, 4294967295u, 0}},
        {"1048 1 -2\n", {1048, 1, -2}},
        {"\t1034  5 \r\n", {1034, 5, 0}},
    };
    ClientSocket client(path());
    for (const auto& [line, expected] : cases) {
        received.clear();
        EXPECT_EQ(exchange(client, line), "ok\n") << line;
        ASSERT_EQ(received.size(), 1u) << line;
        EXPECT_EQ(received[0], expected) << line;
    }
}

TEST_F(RemoteControl, AnswersOnlyAfterTheHandlerReturned) {
    ClientSocket client(path());
    std::string seenDuringHandler = "(handler not called)";
    onMessage = [&](const RemoteMessage&) {
        char byte;
        const ssize_t n = ::recv(client.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        seenDuringHandler = n < 0 && errno == EAGAIN ? "nothing" : "an answer";
    };
    EXPECT_EQ(exchange(client, "1024\n"), "ok\n");
    EXPECT_EQ(seenDuringHandler, "nothing");
}

TEST_F(RemoteControl, MalformedLinesAreAnsweredWithReasonsAndTheConnectionServesOn) {
    const std::pair<std::string, std::string> cases[] = {
        {"\n", "error: empty line\n"},
        {"start\n", "error: MESSAGE"},
        {"1024 x\n", "error: WPARAM"},
        {"1031 4294967296\n", "error: WPARAM"},
        {"1048 0 2147483648\n", "error: LPARAM"},
        {"1 2 3 4\n", "error: too many"},
        {std::string("\xff\x00\x01\n", 4), "error: MESSAGE"},
    };
    ClientSocket client(path());
    for (const auto& [line, answer] : cases) {
        EXPECT_EQ(exchange(client, line).rfind(answer, 0), 0u) << line;
        EXPECT_EQ(exchange(client, "1026\n"), "ok\n") << "after " << line;
    }
    ASSERT_EQ(received.size(), std::size(cases));
    for (const RemoteMessage& m : received) EXPECT_EQ(m, (RemoteMessage{1026, 0, 0}));
}

TEST_F(RemoteControl, ALineOfTheLimitIsReadAndOneByteMoreIsRefused) {
    ClientSocket client(path());
    std::string atLimit = "1034 7";
    atLimit.append(RemoteControlServer::kMaxLine - atLimit.size(), ' ');
    EXPECT_EQ(exchange(client, atLimit + "\n"), "ok\n");
    EXPECT_EQ(exchange(client, atLimit + " \n"), "error: line too long (more than 256 bytes)\n");
    // The error consumed exactly that line: the next one is read on its own.
    EXPECT_EQ(exchange(client, "1025\n"), "ok\n");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (RemoteMessage{1034, 7, 0}));
    EXPECT_EQ(received[1], (RemoteMessage{1025, 0, 0}));
}

TEST_F(RemoteControl, AMegabyteWithoutNewlineNeitherBlocksOthersNorSurvivesItsNewline) {
    ClientSocket garbage(path());
    ClientSocket other(path());
    // What looks like a message inside the long line must not be taken for one.
    std::string megabyte(1 << 20, 'x');
    std::memcpy(&megabyte[0], "1024 ", 5);
    std::memcpy(&megabyte[500000], "1025 ", 5);
    garbage.out = megabyte;
    other.out = "1031 44100\n";
    ASSERT_TRUE(pumpUntil([&] { return other.answerCount() == 1; }, {&garbage, &other}));
    EXPECT_EQ(other.takeAnswers(), "ok\n");
    ASSERT_TRUE(pumpUntil([&] { return garbage.out.empty(); }, {&garbage}));
    EXPECT_EQ(garbage.answerCount(), 0u);
    EXPECT_EQ(exchange(garbage, "\n"), "error: line too long (more than 256 bytes)\n");
    EXPECT_EQ(exchange(garbage, "1025\n"), "ok\n");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (RemoteMessage{1031, 44100, 0}));
    EXPECT_EQ(received[1], (RemoteMessage{1025, 0, 0}));
}

TEST_F(RemoteControl, AFloodThatReadsNoAnswersIsHeldBackAndOthersAreServed) {
    ClientSocket flood(path());
    ClientSocket other(path());
    std::string lines;
    for (int i = 0; i < 400000; ++i) lines += "1027\n";  // 2 MB of answers nobody reads
    flood.out = lines;
    flood.readAnswers = false;
    // The server stops reading once the answers back up: the flood's writes stall.
    std::size_t before = 0;
    ASSERT_TRUE(pumpUntil(
        [&] {
            const bool stalled = received.size() == before && !received.empty();
            before = received.size();
            return stalled;
        },
        {&flood}));
    EXPECT_LT(received.size(), 400000u);
    EXPECT_EQ(exchange(other, "1024\n"), "ok\n");
    EXPECT_EQ(received.back(), (RemoteMessage{1024, 0, 0}));
    // Held, not read, and dropped once it has taken no answer within the deadline.
    ASSERT_TRUE(pumpUntil([&] { return flood.closed; }, {&flood}));
    EXPECT_EQ(server->clientCount(), 1u);
}

TEST_F(RemoteControl, NoLineIsDroppedForAClientThatReadsItsAnswersLate) {
    constexpr int kLines = 200000;  // a megabyte of lines, 600 kB of answers
    ClientSocket client(path());
    for (int i = 0; i < kLines; ++i) client.out += "1027 " + std::to_string(i % 10) + "\n";
    client.readAnswers = false;
    for (int i = 0; i < 50; ++i) {
        client.step();
        watcher.runOnce(1);
    }
    EXPECT_LT(received.size(), static_cast<std::size_t>(kLines));  // the answers backed up
    client.readAnswers = true;
    ASSERT_TRUE(
        pumpUntil([&] { return client.answerCount() == kLines || client.closed; }, {&client}));
    EXPECT_FALSE(client.closed);
    EXPECT_EQ(received.size(), static_cast<std::size_t>(kLines));
    const std::string answers = client.takeAnswers();
    EXPECT_EQ(answers.find_first_not_of("ok\n"), std::string::npos);
    for (int i = 0; i < kLines; i += 9973) EXPECT_EQ(received[i].wParam, unsigned(i % 10)) << i;
}

TEST_F(RemoteControl, AClientThatCompletesNoLineInTimeIsDropped) {
    ClientSocket silent(path());
    ClientSocket half(path());
    half.out = "1024";  // and never the newline
    ASSERT_TRUE(pumpUntil([&] { return silent.closed && half.closed; }, {&silent, &half}));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(server->clientCount(), 0u);
    ClientSocket late(path());
    EXPECT_EQ(exchange(late, "1025\n"), "ok\n");
}

TEST_F(RemoteControl, ManyClientsAtOnceEachGetTheirAnswer) {
    std::vector<std::unique_ptr<ClientSocket>> clients;
    std::vector<ClientSocket*> all;
    for (std::size_t i = 0; i < RemoteControlServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<ClientSocket>(path()));
        clients.back()->out = "1031 " + std::to_string(100 * i) + "\n";
        all.push_back(clients.back().get());
        watcher.runOnce(0);  // accept it, so that the next connect finds room in the backlog
    }
    const auto allAnswered = [&] {
        for (ClientSocket* c : all)
            if (c->answerCount() < 1) return false;
        return true;
    };
    ASSERT_TRUE(pumpUntil(allAnswered, all));
    for (ClientSocket* c : all) EXPECT_EQ(c->takeAnswers(), "ok\n");
    ASSERT_EQ(received.size(), RemoteControlServer::kMaxClients);
    EXPECT_EQ(server->clientCount(), RemoteControlServer::kMaxClients);
}

TEST_F(RemoteControl, AFullTableMakesRoomByLettingTheIdlestClientGo) {
    std::vector<std::unique_ptr<ClientSocket>> silent;
    std::vector<ClientSocket*> all;
    for (std::size_t i = 0; i < RemoteControlServer::kMaxClients; ++i) {
        silent.push_back(std::make_unique<ClientSocket>(path()));
        all.push_back(silent.back().get());
        watcher.runOnce(0);
    }
    ASSERT_TRUE(
        pumpUntil([&] { return server->clientCount() == RemoteControlServer::kMaxClients; }, {}));
    // The second one does something, so the first is the idlest.
    EXPECT_EQ(exchange(*silent[1], "1026\n"), "ok\n");
    ClientSocket extra(path());
    EXPECT_EQ(exchange(extra, "1025\n"), "ok\n");
    EXPECT_EQ(received.back(), (RemoteMessage{1025, 0, 0}));
    ASSERT_TRUE(pumpUntil([&] { return silent[0]->closed; }, {silent[0].get()}));
    EXPECT_EQ(silent[0]->takeAnswers(), "error: too many connections; the idlest one is let go\n");
    EXPECT_EQ(server->clientCount(), RemoteControlServer::kMaxClients);
    EXPECT_EQ(exchange(*silent[1], "1024\n"), "ok\n");
}

TEST_F(RemoteControl, ABusyProgramIsAnsweredBusy) {
    ClientSocket client(path());
    outcome = vpg::RemoteOutcome::Busy;
    EXPECT_EQ(exchange(client, "1024\n"), "busy\n");
    outcome = vpg::RemoteOutcome::Acted;
    EXPECT_EQ(exchange(client, "1024\n"), "ok\n");
}

TEST_F(RemoteControl, RunningOutOfDescriptorsPausesAcceptingInsteadOfSpinning) {
    // One exchange before the limit: the sanitizers' type checks need descriptors of their own
    // the first time they meet an object's type, and have none left in the child.
    {
        ClientSocket warm(path());
        ASSERT_EQ(exchange(warm, "1026\n"), "ok\n");
    }
    const std::string result = testing_support::InChild([&]() -> std::string {
        // A low limit, and every descriptor under it taken once the clients have connected.
        const rlimit low{40, 40};
        if (::setrlimit(RLIMIT_NOFILE, &low) != 0) return "setrlimit failed";
        ClientSocket a(path()), b(path());
        std::vector<int> taken;
        for (int fd; (fd = ::dup(0)) >= 0;) taken.push_back(fd);
        if (errno != EMFILE) return "no EMFILE";
        watcher.runOnce(100);
        if (!server->acceptPaused()) return "accepting did not pause";
        // Paused: the waiting connections wake nobody; only the timer is watched.
        int wakeUps = 0;
        for (int i = 0; i < 3; ++i) wakeUps += watcher.runOnce(0);
        if (wakeUps != 0) return std::to_string(wakeUps) + " wake-ups while paused";
        for (const int fd : taken) ::close(fd);
        if (exchange(a, "1024\n") != "ok\n") return "a not served";
        if (exchange(b, "1025\n") != "ok\n") return "b not served";
        return server->acceptPaused() ? "still paused" : "";
    });
    EXPECT_EQ(result, "");
}

TEST_F(RemoteControl, AClientThatHangsUpIsForgotten) {
    {
        ClientSocket client(path());
        EXPECT_EQ(exchange(client, "1024\n"), "ok\n");
        EXPECT_EQ(server->clientCount(), 1u);
    }
    ClientSocket lastWords(path());
    lastWords.out = "1025";  // no newline, then end of file: still one message
    lastWords.shutdownAfterSending = true;
    ASSERT_TRUE(pumpUntil([&] { return lastWords.closed; }, {&lastWords}));
    EXPECT_EQ(server->clientCount(), 0u);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1], (RemoteMessage{1025, 0, 0}));
}

TEST_F(RemoteControl, AHandlerThatRunsTheLoopIsNotReenteredByTheSameConnection) {
    ClientSocket client(path());
    int depth = 0, deepest = 0;
    onMessage = [&](const RemoteMessage& m) {
        ++depth;
        deepest = std::max(deepest, depth);
        // The next lines arrive while a message box runs a nested loop for this one.
        if (m.message == 1) client.out += "2\n3\n";
        for (int i = 0; i < 5; ++i) {
            client.step();
            watcher.runOnce(1);
        }
        --depth;
    };
    EXPECT_EQ(exchange(client, "1\n", 3), "ok\nok\nok\n");
    EXPECT_EQ(deepest, 1);
    ASSERT_EQ(received.size(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(received[i].message, i + 1);
}

TEST_F(RemoteControl, AHandlerThatEndsTheProgramEndsTheServerSafely) {
    ClientSocket client(path());
    onMessage = [&](const RemoteMessage&) { server.reset(); };
    client.out = "1024\n1025\n";
    ASSERT_TRUE(pumpUntil([&] { return client.closed; }, {&client}));
    EXPECT_EQ(received.size(), 1u);
    EXPECT_FALSE(fs::exists(path()));
    EXPECT_EQ(watcher.watchedCount(), 0u);
}

TEST_F(RemoteControl, APeerOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    // Open the folder and the socket to everybody, so that only the peer check stands between.
    ASSERT_EQ(::chmod(folder.path.c_str(), 0711), 0);
    ASSERT_EQ(::chmod(path().c_str(), 0666), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(10);
        const std::string answer = testsupport::SendAndWait(path(), "1024\n", 5000);
        // 0: refused with a reason; 1: served; 2: could not even connect.
        ::_exit(answer == "error: connections from another user are refused\n" ? 0
                : answer == "ok\n"                                             ? 1
                                                                               : 2);
    }
    int status = 0;
    for (int i = 0; i < 10000 && ::waitpid(child, &status, WNOHANG) == 0; ++i) watcher.runOnce(1);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(server->clientCount(), 0u);
}

TEST_F(RemoteControl, ALiveServerIsNotStolenAndAStaleSocketIsReplaced) {
    RemoteControlServer second(watcher, kActs);
    EXPECT_FALSE(second.listen(path()));
    EXPECT_EQ(second.error(), "another Vimbrel Pulse Generator already listens at " + path());
    ClientSocket client(path());
    EXPECT_EQ(exchange(client, "1024\n"), "ok\n");

    // A program killed without cleaning up leaves its socket file behind.
    const std::string stale = folder.path + "/stale.sock";
    testsupport::LeaveStaleSocket(stale);
    RemoteControlServer third(watcher,
                              [this](std::uint32_t m, std::uint32_t, std::intptr_t, std::string&) {
                                  received.push_back({m, 0, 0});
                                  return vpg::RemoteOutcome::Acted;
                              });
    ASSERT_TRUE(third.listen(stale)) << third.error();
    ClientSocket thirdClient(stale);
    EXPECT_EQ(exchange(thirdClient, "1025\n"), "ok\n");
    EXPECT_EQ(received.back(), (RemoteMessage{1025, 0, 0}));
}

TEST_F(RemoteControl, SomethingElseAtThePathIsLeftAlone) {
    const std::string file = folder.path + "/file.sock";
    testsupport::WriteFile(file, "keep me");
    RemoteControlServer other(watcher, kActs);
    EXPECT_FALSE(other.listen(file));
    EXPECT_NE(other.error().find("not a socket"), std::string::npos) << other.error();
    EXPECT_EQ(testsupport::ReadFile(file), "keep me");
    EXPECT_FALSE(other.listen(folder.path + "/" + std::string(120, 'p')));
    EXPECT_NE(other.error().find("too long"), std::string::npos);
}

TEST_F(RemoteControl, TheSocketIsPrivateAndGoesAwayWithTheServer) {
    EXPECT_TRUE(S_ISSOCK(modeOf(path())));
    EXPECT_EQ(modeOf(path()) & 07777, 0600u);
    server.reset();
    EXPECT_FALSE(fs::exists(path()));
}

// Where the socket lives.

TEST(RemoteControlSocket, UsesAPrivateRuntimeFolderOfTheUsersOwn) {
    TempFolder runtime;
    const auto location = posix::RemoteControlSocket(true, runtime.path.c_str(), "/nonexistent");
    ASSERT_TRUE(location.ok()) << location.error;
    EXPECT_EQ(location.path, runtime.path + "/vimbrel-pulse-generator.sock");
}

TEST(RemoteControlSocket, FallsBackToTheTemporaryFolderWhenTheRuntimeFolderIsUnfit) {
    TempFolder temp, writable;
    ASSERT_EQ(::chmod(writable.path.c_str(), 0777), 0);
    const std::string expected =
        temp.path + "/vimbrel-pulse-generator-" + std::to_string(::getuid()) + "/vpg.sock";
    for (const char* runtime : {static_cast<const char*>(nullptr), "", "run/user/0",
                                "/nonexistent-runtime", writable.path.c_str()}) {
        const auto location = posix::RemoteControlSocket(true, runtime, temp.path);
        ASSERT_TRUE(location.ok()) << location.error;
        EXPECT_EQ(location.path, expected) << (runtime ? runtime : "(unset)");
    }
    if (::geteuid() == 0) {
        TempFolder foreign;
        ASSERT_EQ(::chown(foreign.path.c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(posix::RemoteControlSocket(true, foreign.path.c_str(), temp.path).path, expected);
    }
}

TEST(RemoteControlSocket, WithoutARuntimeFolderTheDefaultIsTheUsersFolderInTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    const auto location = posix::RemoteControlSocket(false);
    if (saved) ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    const std::string folder = "/tmp/vimbrel-pulse-generator-" + std::to_string(::getuid());
    if (location.ok())
        EXPECT_EQ(location.path, folder + "/vpg.sock");
    else  // this machine's own folder is unfit; the reason names it
        EXPECT_EQ(location.error.rfind("refusing " + folder, 0), 0u) << location.error;
}

TEST(RemoteControlSocket, WithoutARuntimeFolderTheUsersHomeComesBeforeTmp) {
    TempFolder temp;
    const std::string state = temp.path + "/state", tmp = temp.path + "/tmp";
    fs::create_directory(tmp);
    const std::string home = state + "/vimbrel-pulse-generator";
    const std::string inTmp = tmp + "/vimbrel-pulse-generator-" + std::to_string(::getuid());
    // The program makes the folder in the home, 0700.
    auto made = posix::RemoteControlSocket(true, nullptr, state, tmp);
    ASSERT_TRUE(made.ok()) << made.error;
    EXPECT_EQ(made.path, home + "/vpg.sock");
    EXPECT_EQ(modeOf(home) & 07777, 0700u);
    // vpg-send finds it there only while a socket is in it.
    EXPECT_EQ(posix::RemoteControlSocket(false, nullptr, state, tmp).path, inTmp + "/vpg.sock");
    testsupport::LeaveStaleSocket(home + "/vpg.sock");
    EXPECT_EQ(posix::RemoteControlSocket(false, nullptr, state, tmp).path, home + "/vpg.sock");

    // A home folder that cannot be trusted: the temporary folder, and the reason is kept.
    fs::remove_all(home);
    fs::create_directory(temp.path + "/elsewhere");
    fs::create_symlink(temp.path + "/elsewhere", home);
    made = posix::RemoteControlSocket(true, nullptr, state, tmp);
    ASSERT_TRUE(made.ok()) << made.error;
    EXPECT_EQ(made.path, inTmp + "/vpg.sock");
    // Both unfit: the reason names both.
    fs::remove_all(inTmp);
    fs::create_symlink(temp.path + "/elsewhere", inTmp);
    made = posix::RemoteControlSocket(true, nullptr, state, tmp);
    EXPECT_FALSE(made.ok());
    EXPECT_EQ(made.error, home + ": it is a symbolic link; refusing " + inTmp +
                              " for the remote-control socket: it is a symbolic link");
}

TEST(RemoteControlSocket, CreatesTheFolderWithMode0700WhateverTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{0777}}) {
        TempFolder temp;
        const std::string folder =
            temp.path + "/vimbrel-pulse-generator-" + std::to_string(::getuid());
        // vpg-send only looks: a missing folder means nothing listens.
        const auto look = posix::RemoteControlSocket(false, nullptr, temp.path);
        EXPECT_TRUE(look.ok());
        EXPECT_EQ(look.path, folder + "/vpg.sock");
        EXPECT_FALSE(fs::exists(folder));

        const mode_t old = ::umask(mask);
        const auto location = posix::RemoteControlSocket(true, nullptr, temp.path);
        ::umask(old);
        ASSERT_TRUE(location.ok()) << location.error;
        EXPECT_TRUE(S_ISDIR(modeOf(folder)));
        EXPECT_EQ(modeOf(folder) & 07777, 0700u) << "umask " << mask;

        posix::PollFdWatcher watcher;
        RemoteControlServer server(watcher, [](std::uint32_t, std::uint32_t, std::intptr_t,
                                               std::string&) { return vpg::RemoteOutcome::Acted; });
        ::umask(mask == 0777 ? 0 : mask);  // a loose umask must not widen the socket either
        const bool listening = server.listen(location.path);
        ::umask(old);
        ASSERT_TRUE(listening) << server.error();
        EXPECT_EQ(modeOf(location.path) & 07777, 0600u);
    }
}

TEST(RemoteControlSocket, RefusesAFolderItCannotTrustAndLeavesItAsItIs) {
    struct Case {
        const char* name;
        std::function<void(const std::string& folder, const std::string& elsewhere)> make;
        const char* reason;
        bool needsRoot;
    };
    const Case cases[] = {
        {"symbolic link",
         [](const std::string& f, const std::string& elsewhere) {
             ASSERT_EQ(::symlink(elsewhere.c_str(), f.c_str()), 0);
         },
         "it is a symbolic link", false},
        {"wrong mode",
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(::mkdir(f.c_str(), 0700), 0);
             ASSERT_EQ(::chmod(f.c_str(), 0755), 0);
         },
         "its mode is 0755, not 0700", false},
        {"other user's",
         [](const std::string& f, const std::string&) {
             ASSERT_EQ(::mkdir(f.c_str(), 0700), 0);
             ASSERT_EQ(::chown(f.c_str(), kNobody, kNobody), 0);
         },
         "it belongs to another user", true},
        {"a file", [](const std::string& f, const std::string&) { testsupport::WriteFile(f, ""); },
         "it is not a folder", false},
    };
    for (const Case& c : cases) {
        if (c.needsRoot && ::geteuid() != 0) continue;
        TempFolder temp, elsewhere;
        const std::string folder =
            temp.path + "/vimbrel-pulse-generator-" + std::to_string(::getuid());
        c.make(folder, elsewhere.path);
        struct stat before {};
        ASSERT_EQ(::lstat(folder.c_str(), &before), 0);
        for (const bool create : {true, false}) {
            const auto location = posix::RemoteControlSocket(create, nullptr, temp.path);
            EXPECT_FALSE(location.ok()) << c.name;
            EXPECT_TRUE(location.path.empty()) << c.name;
            EXPECT_EQ(location.error,
                      "refusing " + folder + " for the remote-control socket: " + c.reason);
        }
        struct stat after {};
        ASSERT_EQ(::lstat(folder.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.name;
        EXPECT_TRUE(fs::is_empty(elsewhere.path)) << c.name;
    }
}

}  // namespace
