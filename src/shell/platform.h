#pragma once

#include <string>
#include <vector>

#include "audio/wave_memory.h"
#include "audio/wave_out.h"
#include "persistence/registry.h"
#include "shell/shell_services.h"
#include "ui/dialogs.h"
#include "ui/hot_key.h"
#include "ui/message_loop.h"

namespace vpg {

// Everything the program needs from the system it runs on. Each platform (headless, Qt with
// ALSA, Win32 with winmm) supplies one of each.
struct Platform {
    ui::IMessageLoop& loop;
    ui::IDialogs& dialogs;
    audio::IWaveOut& waveOut;
    audio::IWaveMemory& waveMemory;
    persistence::IRegistry& registry;
    shell::IShell& shell;
    ui::IHotKey& hotKey;
    char decimalSeparator = '.';
    std::string programFolder;  // with a trailing separator
    // The words that name the system the program runs on.
    std::string defaultDeviceName = "Windows Default";
    std::string volumeControlCaption = "&Windows Volume Control";
    // The system's mixer: the first of these programs that starts (Windows since Vista has
    // sndvol.exe, older ones sndvol32.exe); the message says so when none does.
    std::vector<std::string> volumeControlPrograms = {"sndvol.exe", "sndvol32.exe"};
    std::string volumeControlMissing =
        "The volume control could not be opened: neither sndvol.exe nor sndvol32.exe started.";
};

}  // namespace vpg
