// vpg-send's command line: checked whole before anything is sent.
#include "apps/vpg-send/send_options.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(SendOptions, NumbersBecomeTheMessageWithMissingOnesZero) {
    const std::pair<Args, vpg::RemoteMessage> cases[] = {
        {{"1025"}, {1025, 0, 0}},           {{"1031", "44100"}, {1031, 44100, 0}},
        {{"1048", "0", "3"}, {1048, 0, 3}}, {{"1047", "-1"}, {1047, 4294967295u, 0}},
        {{"1048", "1", "4"}, {1048, 1, 4}},
    };
    for (const auto& [args, expected] : cases) {
        const auto parsed = sender::Parse(args);
        ASSERT_TRUE(std::holds_alternative<vpg::RemoteMessage>(parsed)) << args[0];
        EXPECT_EQ(std::get<vpg::RemoteMessage>(parsed), expected) << args[0];
    }
}

TEST(SendOptions, MalformedCommandLinesAreUsageErrors) {
    const std::pair<Args, std::string> cases[] = {
        {{}, "no message number"},
        {{"start"}, "MESSAGE"},
        {{"-5"}, "MESSAGE"},
        {{"1031", "4294967296"}, "WPARAM"},
        {{"1048", "0", "2147483648"}, "LPARAM"},
        {{"1048", "0", "3", "4"}, "too many"},
        {{"--verbose", "1024"}, "unknown option '--verbose'"},
        {{"1024", "-"}, "unknown option '-'"},
    };
    for (const auto& [args, reason] : cases) {
        const auto parsed = sender::Parse(args);
        const auto* error = std::get_if<sender::UsageError>(&parsed);
        ASSERT_TRUE(error) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(error->message.find(reason), std::string::npos) << error->message;
    }
}

TEST(SendOptions, HelpWinsAndNamesTheMessagesAndStatuses) {
    EXPECT_TRUE(std::holds_alternative<sender::ShowHelp>(sender::Parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<sender::ShowHelp>(sender::Parse({"1024", "-h"})));
    const std::string help = sender::HelpText();
    for (const char* needle : {"Usage: vpg-send MESSAGE [WPARAM [LPARAM]]", "1024 ", "1025 ",
                               "1026 ", "1031 F", "1033 F", "1034 D", "1035 B", "1036 B", "1037 B",
                               "1047 N", "1048 0 S", "1048 1 S", "1049 B", "Exit status"})
        EXPECT_NE(help.find(needle), std::string::npos) << needle;
}

}  // namespace
