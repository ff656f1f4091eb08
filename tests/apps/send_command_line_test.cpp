// vpg-send's command line: the message number and its two parameters, or a clear refusal.
#include "send_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using remote::Message;
using remote::ParseCommandLine;

TEST(SendCommandLine, ReadsTheNumberAndBothParametersModulo2To32) {
    struct Case {
        std::vector<std::string> args;
        std::uint32_t number, wParam;
        std::int32_t lParam;
    };
    const Case cases[] = {
        {{"1024"}, 1024, 0, 0},
        {{"1031", "44100"}, 1031, 44100, 0},
        {{"1047", "-1"}, 1047, 4294967295u, 0},  // -1 selects the default device
        {{"1047", "4294967295"}, 1047, 4294967295u, 0},
        {{"1048", "0", "3"}, 1048, 0, 3},
        {{"786", "1"}, 786, 1, 0},
        {{"1048", "1", "-2147483648"}, 1048, 1, -2147483647 - 1},
        {{"1048", "1", "4294967295"}, 1048, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        const auto parsed = ParseCommandLine(c.args);
        ASSERT_TRUE(std::holds_alternative<Message>(parsed));
        const Message& m = std::get<Message>(parsed);
        EXPECT_EQ(m.number, c.number);
        EXPECT_EQ(m.wParam, c.wParam);
        EXPECT_EQ(m.lParam, c.lParam);
    }
}

TEST(SendCommandLine, RefusesWhatIsNotAWhole32BitNumber) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"start"},
        {"1031", "441.00"},
        {"1031", "0x10"},
        {"1031", ""},
        {"-1"},
        {"4294967296"},
        {"1031", "4294967296"},
        {"1031", "-2147483649"},
        {"1031", "12 "},
        {"1048", "0", "3", "4"},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto parsed = ParseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<remote::UsageError>(parsed));
        EXPECT_FALSE(std::get<remote::UsageError>(parsed).text.empty());
    }
}

TEST(SendCommandLine, HelpWinsOverEverythingElse) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"1031", "--help"}, {"nonsense", "-h"}})
        EXPECT_TRUE(std::holds_alternative<remote::ShowHelp>(ParseCommandLine(args)));
}

}  // namespace
