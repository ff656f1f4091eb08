// Arbitrary bytes as a settings file: the parser must never crash, and whatever it accepts
// must survive a write and a re-read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "persistence/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = persistence::ParseRegFile(text);
    if (!parsed) return 0;
    const auto again = persistence::ParseRegFile(persistence::SerializeRegFile(*parsed));
    if (!again || !(*again == *parsed)) std::abort();
    return 0;
}
