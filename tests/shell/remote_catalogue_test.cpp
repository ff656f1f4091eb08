// The remote messages' one table: every entry is acted on by the main window, checked by the
// same rule that vpg-send uses, listed by vpg-send --help and described in the help page, and
// a number the table lacks is refused.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "apps/vpg-send/send_options.h"
#include "shell/remote_catalogue.h"
#include "shell/remote_message.h"
#include "support/headless_program.h"

namespace {

using vpg::RemoteValue;

// A message of the entry that every generator can take, whatever its output settings.
vpg::RemoteMessage Valid(const vpg::RemoteMessageInfo& m) {
    switch (m.value) {
        case RemoteValue::None:
            return {m.number, 0, 0};
        case RemoteValue::Frequency:
            return {m.number, 44100, 0};
        case RemoteValue::Duration:
            return {m.number, 300, 0};
        case RemoteValue::Flag:
        case RemoteValue::ZeroOrOne:
            return {m.number, 1, 0};
        case RemoteValue::Device:
            return {m.number, 0, 0};
        case RemoteValue::Preset:
            return {m.number, 1, 2};
    }
    return {};
}

TEST(RemoteCatalogue, NumbersAndNamesAreUniqueAndRangedValuesSayWhy) {
    std::set<std::uint32_t> numbers;
    std::set<std::string_view> names;
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages) {
        EXPECT_TRUE(numbers.insert(m.number).second) << "two entries numbered " << m.number;
        EXPECT_TRUE(names.insert(m.name).second) << m.name;
        EXPECT_FALSE(m.meaning.empty()) << m.number;
        const bool ranged = m.value == RemoteValue::Frequency || m.value == RemoteValue::Duration ||
                            m.value == RemoteValue::ZeroOrOne || m.value == RemoteValue::Preset;
        EXPECT_EQ(!m.outOfRange.empty(), ranged) << m.number;
    }
    EXPECT_EQ(vpg::kFirstRemoteMessage, 1024u);
    EXPECT_EQ(vpg::kLastRemoteMessage, 1049u);
}

TEST(RemoteCatalogue, EveryEntryIsActedOnByTheMainWindow) {
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages) {
        SCOPED_TRACE(m.number);
        testing_support::HeadlessProgram p;
        p.startAt44100();
        const vpg::RemoteMessage message = Valid(m);
        EXPECT_EQ(vpg::RemoteMessageProblem(message), "");
        std::string reason;
        EXPECT_EQ(p.gen().WndProc(message.message, message.wParam, message.lParam, &reason),
                  vpg::RemoteOutcome::Acted)
            << reason;
    }
}

TEST(RemoteCatalogue, ANumberOutsideTheTableIsRefusedEverywhere) {
    testing_support::HeadlessProgram p;
    p.startAt44100();
    std::vector<std::uint32_t> outside = {0, 1, 1023, 1050, 1100 + 1, 4294967295u};
    for (std::uint32_t n = vpg::kFirstRemoteMessage; n <= vpg::kLastRemoteMessage; ++n)
        if (vpg::FindRemoteMessage(n) == nullptr) outside.push_back(n);
    EXPECT_EQ(outside.size(), 6u + (1049 - 1024 + 1) - std::size(vpg::kRemoteMessages));
    for (const std::uint32_t n : outside) {
        SCOPED_TRACE(n);
        const std::string problem = vpg::RemoteMessageProblem({n, 0, 0});
        EXPECT_NE(problem.find("unknown message number " + std::to_string(n)), std::string::npos)
            << problem;
        std::string reason;
        EXPECT_EQ(p.gen().WndProc(n, 0, 0, &reason), vpg::RemoteOutcome::Refused);
        EXPECT_EQ(reason, problem);
        EXPECT_TRUE(std::holds_alternative<sender::UsageError>(sender::Parse({std::to_string(n)})));
    }
}

TEST(RemoteCatalogue, VpgSendHelpListsEveryFormOfEveryEntry) {
    const std::string help = sender::HelpText();
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages) {
        SCOPED_TRACE(m.number);
        std::string form = "\n  " + std::to_string(m.number);
        if (!m.usage.empty()) form += " " + std::string(m.usage);
        const std::size_t at = help.find(form + " ");
        ASSERT_NE(at, std::string::npos);
        const std::string firstLine(m.meaning.substr(0, m.meaning.find('\n')));
        EXPECT_EQ(help.find(firstLine, at), help.find_first_not_of(' ', at + form.size()));
        if (!m.usage2.empty()) {
            EXPECT_NE(
                help.find("\n  " + std::to_string(m.number) + " " + std::string(m.usage2) + " "),
                std::string::npos);
        }
    }
}

#ifdef VPG_HELP_SOURCE_DIR
TEST(RemoteCatalogue, TheHelpPageDescribesEveryEntry) {
    std::ifstream in(std::string(VPG_HELP_SOURCE_DIR) + "/remote-control.html");
    std::stringstream text;
    text << in.rdbuf();
    const std::string page = text.str();
    ASSERT_FALSE(page.empty());
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages)
        EXPECT_NE(page.find("<td class=\"num\">" + std::to_string(m.number) + "</td>"),
                  std::string::npos)
            << m.number << " (" << m.name << ") is not in the help page's table";
}
#endif

}  // namespace
