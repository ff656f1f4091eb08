#pragma once

#include <string>

#include "platform/headless/fake_wave_out.h"
#include "platform/portable/headless_message_loop.h"
#include "platform/portable/heap_wave_memory.h"
#include "platform/portable/memory_registry.h"
#include "shell/platform.h"
#include "support/doubles/manual_hot_key.h"
#include "support/doubles/recorded_shell.h"
#include "support/doubles/scripted_dialogs.h"
#include "support/doubles/virtual_timing.h"

namespace headless {

// Every platform interface in its simplest complete form, wired together: the starting point
// of a new platform, and what the tests run the program on.
struct HeadlessPlatform {
    explicit HeadlessPlatform(char decimalSeparator = '.')
        : platform{loop,  dialogs, waveOut,          memory,     registry,
                   shell, hotKey,  decimalSeparator, "/opt/vpg/"} {}

    HeadlessMessageLoop loop;
    ScriptedDialogs dialogs;
    FakeWaveOut waveOut{loop};
    HeapWaveMemory memory;
    MemoryRegistry registry;
    RecordedShell shell;
    ManualHotKey hotKey{loop};
    VirtualTiming timing{loop};
    vpg::Platform platform;
};

}  // namespace headless
