// Arbitrary window messages, hot-key presses and device progress against a running program:
// nothing may crash, hang, or trip a sanitizer. An input carries hundreds of messages (one in
// at most 11 bytes; scripts/fuzz.sh lets inputs grow to 4096 bytes at once), so that long
// sequences of starts, changes, recalls and stops meet in one run.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shell/generator_form.h"
#include "shell/startup.h"
#include "support/doubles/headless_platform.h"

namespace {

template <typename T>
T take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    doubles::HeadlessPlatform hp;
    hp.registry.keys[vpg::ProgramKey()]["Welcome"] = persistence::RegistryValue::Integer(1);
    vpg::Program program(hp.platform, hp.timing);
    program.Startup();
    program.ShowMainWindow();
    vpg::TfrmGenerator& g = *program.frmGenerator;

    for (int step = 0; step < 1024 && size > 0; ++step) {
        const auto kind = take<std::uint8_t>(data, size);
        switch (kind % 4) {
            case 0:
            case 1: {
                // Mostly the program's own message range, sometimes anything at all.
                const auto raw = take<std::uint16_t>(data, size);
                const std::uint32_t message = kind & 0x80 ? raw : 1020u + raw % 90u;
                const auto wParam = take<std::uint32_t>(data, size);
                const auto lParam = take<std::int32_t>(data, size);
                g.WndProc(message, wParam, lParam);
                break;
            }
            case 2:
                hp.hotKey.press(kind >> 4);
                break;
            case 3:
                for (int i = 0; i < (kind >> 2) % 5 && hp.waveOut.completeNext(); ++i)
                    hp.loop.pumpAll(1000);
                break;
        }
        hp.loop.pumpAll(1000);
    }
    g.AudioOut1->StopAtOnce();
    hp.loop.pumpAll(1000);
    return 0;
}
