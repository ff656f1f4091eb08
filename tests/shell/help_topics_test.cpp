// The help topics: the program's table and the help project that compiles vpg.chm agree, so
// that every context number a window opens leads to its page in both front-ends' help.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "shell/help_topics.h"

namespace {

TEST(HelpTopics, EveryNumberHasOnePageAndUnknownNumbersShowTheContents) {
    std::set<int> numbers;
    for (const shell::HelpTopic& t : shell::kHelpTopics) {
        EXPECT_TRUE(numbers.insert(t.context).second) << "two topics numbered " << t.context;
        EXPECT_STREQ(shell::HelpPage(t.context), t.page);
    }
    EXPECT_STREQ(shell::HelpPage(0), "index.html");
    EXPECT_STREQ(shell::HelpPage(7), "index.html");
    // The windows' own topics are in the table.
    for (const int context : {shell::kHelpMainWindow, shell::kHelpOutputSettings, shell::kHelpAbout,
                              shell::kHelpFrequencyDisplay, shell::kHelpFileMenu,
                              shell::kHelpPerformance, shell::kHelpIntroduction})
        EXPECT_TRUE(numbers.count(context)) << context;
}

#ifdef VPG_HELP_SOURCE_DIR
std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HelpTopics, TheHelpProjectMapsEachNumberToItsPage) {
    const std::string hhp = ReadFile(std::string(VPG_HELP_SOURCE_DIR) + "/vpg.hhp");
    ASSERT_FALSE(hhp.empty());
    std::map<std::string, std::string> aliasPage;
    std::map<std::string, int> aliasNumber;
    const std::regex alias(R"(^(IDH_\w+)=(\S+)$)"), define(R"(^#define (IDH_\w+) (\d+)$)");
    std::istringstream lines(hhp);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (std::regex_match(line, m, alias)) aliasPage[m[1]] = m[2];
        if (std::regex_match(line, m, define)) aliasNumber[m[1]] = std::stoi(m[2]);
    }
    EXPECT_EQ(aliasPage.size(), std::size(shell::kHelpTopics));
    EXPECT_EQ(aliasNumber.size(), std::size(shell::kHelpTopics));
    for (const shell::HelpTopic& t : shell::kHelpTopics) {
        SCOPED_TRACE(t.alias);
        EXPECT_EQ(aliasPage[t.alias], t.page);
        EXPECT_EQ(aliasNumber[t.alias], t.context);
        EXPECT_NE(hhp.find(std::string("\n") + t.page + "\n"), std::string::npos)
            << "not among the project's files";
        std::ifstream page(std::string(VPG_HELP_SOURCE_DIR) + "/" + t.page);
        EXPECT_TRUE(page.good()) << t.page << " is missing";
    }
}
#endif

}  // namespace
