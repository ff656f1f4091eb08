#pragma once

#include <cstdint>
#include <string_view>

namespace vpg {

// What a remote message's WPARAM (and LPARAM) may be, whatever the generator's state.
enum class RemoteValue {
    None,       // no value: both parameters are ignored
    Frequency,  // WPARAM = Hz × 100, 0.1 Hz up to below half the highest sampling rate
    Duration,   // WPARAM = seconds × 10, 0.1 s up to the longest signal at 8000 Hz
    Flag,       // WPARAM 0 clears, any other ticks
    ZeroOrOne,  // WPARAM 0 or 1 only
    Device,     // WPARAM = device number, judged against the generator's own list
    Preset,     // WPARAM 0 (recall) or 1 (store), LPARAM = slot 1 to 4
};

// One message of the main window that another program may send. `usage` and `meaning` make
// its lines in vpg-send --help: the meaning's line breaks continue under the first line, and
// `usage2`/`meaning2` give a second form of the same message where it has one.
struct RemoteMessageInfo {
    std::uint32_t number;
    std::string_view name;
    RemoteValue value;
    std::string_view usage;
    std::string_view meaning;
    std::string_view usage2 = {};
    std::string_view meaning2 = {};
    // Why a WPARAM outside the value's range is refused.
    std::string_view outOfRange = {};
};

// The lowest and highest WPARAM of the ranged values.
inline constexpr std::uint32_t kRemoteFrequencyLowest = 10, kRemoteFrequencyHighest = 4799999;
inline constexpr std::uint32_t kRemoteDurationLowest = 1, kRemoteDurationHighest = 2684354;
inline constexpr std::intptr_t kRemotePresetLowest = 1, kRemotePresetHighest = 4;

inline constexpr std::string_view kFrequencyRange =
    "the frequency must be from 0.1 Hz to below half the sampling rate (WPARAM 10 to 4799999 "
    "at most)";

// Every message the main window takes from another program. The transport acts on them,
// the Windows window passes their range to it, vpg-send checks and lists them, and the help
// page describes each (a test holds all of them to this table).
inline constexpr RemoteMessageInfo kRemoteMessages[] = {
    {1024, "start", RemoteValue::None, "", "start the output (as the ON button)"},
    {1025, "stop", RemoteValue::None, "", "stop the output at once"},
    {1026, "pause", RemoteValue::None, "", "pause or resume (as the Pause button)"},
    {1031,
     "start frequency",
     RemoteValue::Frequency,
     "F",
     "speaker frequency := F / 100 Hz (vpg-send 1031 44100: 441 Hz);\n"
     "F from 10 (0.1 Hz) to below half the sampling rate (2205000 at\n"
     "44100 Hz, so at most 2204999; 4799999 at 96000 Hz)",
     {},
     {},
     kFrequencyRange},
    {1032,
     "start frequency (again)",
     RemoteValue::Frequency,
     "F",
     "the same as 1031",
     {},
     {},
     kFrequencyRange},
    {1033,
     "final frequency",
     RemoteValue::Frequency,
     "F",
     "final frequency of the sweep := F / 100 Hz, the same range",
     {},
     {},
     kFrequencyRange},
    {1034,
     "duration",
     RemoteValue::Duration,
     "D",
     "duration := D / 10 seconds; D from 1 (0.1 s) to the longest signal,\n"
     "2147483647 samples (486957 at 44100 Hz, 2684354 at 8000 Hz)",
     {},
     {},
     "the duration must be from 0.1 s to the longest signal (WPARAM 1 to 2684354 at most)"},
    {1035, "loop", RemoteValue::Flag, "B", "Loop on (B not 0) or off (B = 0)"},
    {1036, "logarithmic", RemoteValue::Flag, "B", "logarithmic sweep on or off"},
    {1037, "bi-directional", RemoteValue::Flag, "B", "bi-directional sweep on or off"},
    {1047, "output device", RemoteValue::Device, "N",
     "select output device N in the list (0 = the first device, -1 = the\n"
     "system default; a device the list does not have is refused); the\n"
     "output keeps its device until the next start-up or until the user\n"
     "changes the selector"},
    {1048, "memory preset", RemoteValue::Preset, "0 S",
     "recall memory preset S (1 to 4); it stops a playing output first", "1 S",
     "store the current settings as memory preset S (1 to 4)",
     "1048 takes WPARAM 0 (recall) or 1 (store)"},
    {1049,
     "flash lock",
     RemoteValue::ZeroOrOne,
     "B",
     "lock the flashes to the sine (B = 1) or not (B = 0)",
     {},
     {},
     "1049 takes WPARAM 0 (flashes not locked) or 1 (locked to the sine)"},
};

inline constexpr const RemoteMessageInfo* FindRemoteMessage(std::uint32_t number) {
    for (const RemoteMessageInfo& m : kRemoteMessages)
        if (m.number == number) return &m;
    return nullptr;
}

// The span of numbers that a window passes on to the generator as another program's: those
// between the catalogue's are refused there as unknown, so that the sender hears why.
inline constexpr std::uint32_t kFirstRemoteMessage = [] {
    std::uint32_t lowest = UINT32_MAX;
    for (const RemoteMessageInfo& m : kRemoteMessages)
        if (m.number < lowest) lowest = m.number;
    return lowest;
}();
inline constexpr std::uint32_t kLastRemoteMessage = [] {
    std::uint32_t highest = 0;
    for (const RemoteMessageInfo& m : kRemoteMessages)
        if (m.number > highest) highest = m.number;
    return highest;
}();

inline constexpr bool IsInRemoteSpan(std::uint32_t number) {
    return number >= kFirstRemoteMessage && number <= kLastRemoteMessage;
}

}  // namespace vpg
