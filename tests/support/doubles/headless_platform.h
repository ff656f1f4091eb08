#pragma once

#include <string>

#include "platform/portable/headless_message_loop.h"
#include "shell/platform.h"
#include "support/doubles/fake_wave_out.h"
#include "support/doubles/faulty_registry.h"
#include "support/doubles/faulty_wave_memory.h"
#include "support/doubles/manual_hot_key.h"
#include "support/doubles/recorded_shell.h"
#include "support/doubles/scripted_dialogs.h"
#include "support/doubles/virtual_timing.h"

namespace doubles {

// Every platform interface as a test double, wired together: what the tests, the benchmarks and
// the fuzzers run the program on, each part scripted or recorded or with faults to inject.
struct HeadlessPlatform {
    explicit HeadlessPlatform(char decimalSeparator = '.')
        : platform{loop,  dialogs, waveOut,          memory,     registry,
                   shell, hotKey,  decimalSeparator, "/opt/vpg/"} {}

    portable::HeadlessMessageLoop loop;
    ScriptedDialogs dialogs;
    FakeWaveOut waveOut{loop};
    FaultyWaveMemory memory;
    FaultyRegistry registry;
    RecordedShell shell;
    ManualHotKey hotKey{loop};
    VirtualTiming timing{loop};
    vpg::Platform platform;
};

}  // namespace doubles
