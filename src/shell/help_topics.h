#pragma once

namespace shell {

// The help topics by context number: the page each opens and the alias that the help project
// (help/vpg.hhp) gives it. Both front-ends and the compiled help file read this one table.
struct HelpTopic {
    int context;
    const char* page;
    const char* alias;
};

inline constexpr int kHelpMainWindow = 1;
inline constexpr int kHelpOutputSettings = 2;
inline constexpr int kHelpAbout = 3;
inline constexpr int kHelpFrequencyDisplay = 4;
inline constexpr int kHelpFileMenu = 5;
inline constexpr int kHelpPerformance = 6;
inline constexpr int kHelpIntroduction = 10;

inline constexpr HelpTopic kHelpTopics[] = {
    {kHelpMainWindow, "main-window.html", "IDH_MAIN_WINDOW"},
    {kHelpOutputSettings, "output-settings.html", "IDH_OUTPUT_SETTINGS"},
    {kHelpAbout, "about.html", "IDH_ABOUT"},
    {kHelpFrequencyDisplay, "frequency-display.html", "IDH_FREQUENCY_DISPLAY"},
    {kHelpFileMenu, "file-menu.html", "IDH_FILE_MENU"},
    {kHelpPerformance, "performance.html", "IDH_PERFORMANCE"},
    {kHelpIntroduction, "introduction.html", "IDH_INTRODUCTION"},
};

// The page of a topic; the contents page, index.html, for a number without a page of its own.
inline const char* HelpPage(int context) {
    for (const HelpTopic& t : kHelpTopics)
        if (t.context == context) return t.page;
    return "index.html";
}

}  // namespace shell
