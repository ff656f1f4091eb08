// The text form of other programs' messages: which lines are read as which numbers, which are
// refused, and that what vpg-send writes reads back the same.
#include "shell/remote_message.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vpg::RemoteMessage;

struct Good {
    std::string line;
    RemoteMessage expected;
};

TEST(RemoteLine, ReadsTheNumbersWithTheirRanges) {
    const Good cases[] = {
        {"1024", {1024, 0, 0}},
        {"1031 44100", {1031, 44100, 0}},
        {"1048 0 3", {1048, 0, 3}},
        {"  1034\t5  ", {1034, 5, 0}},
        {"0 0 0", {0, 0, 0}},
        {"4294967295", {4294967295u, 0, 0}},
        {"1047 -1", {1047, 4294967295u, 0}},
        {"1047 4294967295", {1047, 4294967295u, 0}},
        {"1047 -2147483648", {1047, 2147483648u, 0}},
        {"1048 1 -1", {1048, 1, -1}},
        {"1048 1 2147483647", {1048, 1, 2147483647}},
        {"1048 1 -2147483648", {1048, 1, -2147483647 - 1}},
        {"00001031 -0 007", {1031, 0, 7}},
    };
    for (const Good& c : cases) {
        std::string error;
        const auto message = vpg::ParseRemoteLine(c.line, &error);
        ASSERT_TRUE(message) << "'" << c.line << "': " << error;
        EXPECT_EQ(*message, c.expected) << "'" << c.line << "'";
    }
}

TEST(RemoteLine, RefusesWhatIsNotThreeWholeNumbersInRange) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty line"},
        {" \t ", "empty line"},
        {"abc", "MESSAGE"},
        {"-1", "MESSAGE"},
        {"4294967296", "MESSAGE"},
        {"0x400", "MESSAGE"},
        {"1024 x", "WPARAM"},
        {"1031 1.5", "WPARAM"},
        {"1031 +5", "WPARAM"},
        {"1031 4294967296", "WPARAM"},
        {"1031 -2147483649", "WPARAM"},
        {"1031 99999999999999999999999", "WPARAM"},
        {"1031 -", "WPARAM"},
        {"1048 0 2147483648", "LPARAM"},
        {"1048 0 -2147483649", "LPARAM"},
        {"1048 0 3x", "LPARAM"},
        {"1 2 3 4", "too many"},
        {std::string("10\0"
                     "24",
                     5),
         "MESSAGE"},
    };
    for (const auto& [line, reason] : cases) {
        std::string error;
        EXPECT_FALSE(vpg::ParseRemoteLine(line, &error)) << "'" << line << "'";
        EXPECT_NE(error.find(reason), std::string::npos) << "'" << line << "': " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(RemoteLine, WhatIsFormattedReadsBackTheSame) {
    for (const RemoteMessage m :
         {RemoteMessage{1031, 44100, 0}, RemoteMessage{1047, 4294967295u, 0},
          RemoteMessage{1048, 0, -2147483647 - 1}}) {
        const std::string line = vpg::FormatRemoteLine(m);
        const auto back = vpg::ParseRemoteLine(line, nullptr);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(*back, m) << line;
    }
    EXPECT_EQ(vpg::FormatRemoteLine({1048, 0, 3}), "1048 0 3");
}

}  // namespace
