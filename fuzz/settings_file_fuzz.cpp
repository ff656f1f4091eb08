// Arbitrary bytes as a settings file: the parser must never crash, whatever it accepts must
// survive a write and a re-read unchanged, and what the tolerant reader keeps of a damaged
// file must be a well-formed file of its own that the strict parser reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "persistence/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto reading = persistence::ReadRegFile(text);
    const auto parsed = persistence::ParseRegFile(text);
    // The strict parser accepts exactly what the tolerant one reads without a dropped line.
    if (parsed.has_value() != (reading.file.has_value() && reading.droppedLines.empty()))
        std::abort();
    if (reading.file) {
        const auto kept = persistence::ParseRegFile(persistence::SerializeRegFile(*reading.file));
        if (!kept || !(*kept == *reading.file)) std::abort();
    }
    if (!parsed) return 0;
    const auto again = persistence::ParseRegFile(persistence::SerializeRegFile(*parsed));
    if (!again || !(*again == *parsed)) std::abort();
    return 0;
}
