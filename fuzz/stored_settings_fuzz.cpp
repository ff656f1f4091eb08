// Arbitrary stored values (any name of ours, any kind, any text or number) through a start-up,
// a played buffer and a close that saves: nothing may crash, hang or trip a sanitizer; a save
// that succeeds writes every value with its kind and each text as its control holds it; and
// the saved key survives the settings file's text form unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "persistence/reg_file.h"
#include "shell/generator_form.h"
#include "shell/startup.h"
#include "support/doubles/headless_platform.h"

namespace {

using persistence::RegistryValue;
using persistence::ValueKind;

struct Stored {
    const char* name;
    ValueKind kind;  // as the save writes it
    ui::Edit vpg::TfrmGenerator::*text;
};

// Every value the program reads or writes under its key, in the save's order first.
const Stored kStored[] = {
    {"fInitLeft", ValueKind::Text, &vpg::TfrmGenerator::fInitLeft},
    {"fFinalLeft", ValueKind::Text, &vpg::TfrmGenerator::fFinalLeft},
    {"AmplitudeLeft", ValueKind::Text, &vpg::TfrmGenerator::AmplitudeLeft},
    {"chkConstantLeft", ValueKind::Integer, nullptr},
    {"LogarithmicLeft", ValueKind::Integer, nullptr},
    {"BidirectionalLeft", ValueKind::Integer, nullptr},
    {"AmplitudeRight", ValueKind::Text, &vpg::TfrmGenerator::AmplitudeRight},
    {"PhaseEdit", ValueKind::Text, &vpg::TfrmGenerator::PhaseEdit},
    {"FreqSliderRight", ValueKind::Integer, nullptr},
    {"txtPulseLength", ValueKind::Text, &vpg::TfrmGenerator::txtPulseLength},
    {"Duration", ValueKind::Text, &vpg::TfrmGenerator::Duration},
    {"Loop", ValueKind::Integer, nullptr},
    {"WaveDevice", ValueKind::Integer, nullptr},
    {"PresetAutoStart", ValueKind::Integer, nullptr},
    {"frmFrequencyDisplay", ValueKind::Integer, nullptr},
    {"FormX", ValueKind::Integer, nullptr},
    {"FormY", ValueKind::Integer, nullptr},
    {"DisplayX", ValueKind::Integer, nullptr},
    {"DisplayY", ValueKind::Integer, nullptr},
    {"DisplayW", ValueKind::Integer, nullptr},
    {"MinFreqEdit", ValueKind::Text, &vpg::TfrmGenerator::MinFreqEdit},
    {"MaxFreqEdit", ValueKind::Text, &vpg::TfrmGenerator::MaxFreqEdit},
    {"txtRound", ValueKind::Text, &vpg::TfrmGenerator::txtRound},
};
constexpr std::size_t kSaved = sizeof kStored / sizeof kStored[0];
// Read elsewhere, never by the save.
const char* const kOthers[] = {"Fs",      "Buffers",       "BufferSize",
                               "Welcome", "MBPerformance", "AboveNyquistLimit"};

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    std::int32_t integer() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return static_cast<std::int32_t>(v);
    }
    std::string text() {
        std::size_t n = byte();
        if (n > size) n = size;
        std::string s(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return s;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    doubles::HeadlessPlatform hp;
    auto& key = hp.registry.keys[vpg::ProgramKey()];
    const std::size_t names = kSaved + sizeof kOthers / sizeof kOthers[0];
    while (in.size > 0) {
        const std::uint8_t which = in.byte();
        const std::size_t n = which % names;
        const std::string name = n < kSaved ? kStored[n].name : kOthers[n - kSaved];
        switch ((which >> 6) & 3) {
            case 0:
                key[name] = RegistryValue::Text(in.text());
                break;
            case 3:
                key[name] = RegistryValue{ValueKind::Other, {}, 0};
                break;
            default:
                key[name] = RegistryValue::Integer(in.integer());
                break;
        }
    }
    hp.waveOut.setCapture(false);
    vpg::Program program(hp.platform, hp.timing);
    program.Startup();
    program.ShowMainWindow();
    vpg::TfrmGenerator& g = *program.frmGenerator;

    g.btnONClick(nullptr);
    hp.loop.pumpAll(1000);
    if (hp.waveOut.completeNext()) hp.loop.pumpAll(1000);
    g.btnOFFClick(nullptr);
    hp.loop.pumpAll(1000);

    hp.registry.keys.clear();
    if (g.Close()) {
        const auto& saved = hp.registry.keys[vpg::ProgramKey()];
        for (const Stored& s : kStored) {
            const auto v = saved.find(s.name);
            if (v == saved.end() || v->second.kind != s.kind) std::abort();
            if (s.text && v->second.text != (g.*s.text).Text()) std::abort();
        }
    }
    persistence::RegFile file;
    for (const auto& [path, values] : hp.registry.keys)
        for (const auto& [name, value] : values) file.keys[path][name] = {value, {}};
    const auto again = persistence::ParseRegFile(persistence::SerializeRegFile(file));
    if (!again || !(*again == file)) std::abort();
    return 0;
}
