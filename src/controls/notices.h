#pragma once

#include <functional>
#include <string>

#include "persistence/registry.h"
#include "ui/dialogs.h"

namespace controls {

inline constexpr const char* kDontShowAgain = "Don't show this message again.";

// A modal notice with the check box "Don't show this message again.". Once closed with the box
// ticked, the flag `flagName` under `programKey` records it and the notice returns 0 at once
// from then on; only the flag's existence counts. Returns the button pressed (mrOk, mrYes, ...).
// `help`, when given, is what F1 in the notice opens.
int ShowNotice(ui::IDialogs& dialogs, persistence::IRegistry& registry,
               const std::string& programKey, const std::string& text, const std::string& caption,
               unsigned buttons, const std::string& flagName, std::function<void()> help = {});

}  // namespace controls
