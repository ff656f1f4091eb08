// Not a target of the program: a check of the fuzz build itself. Its input overflows a signed
// integer; scripts/fuzz.sh runs it once and expects it to stop there. A build that only
// printed the UndefinedBehaviorSanitizer report and went on would let every fuzzer run past
// such a fault without a finding.
#include <climits>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    volatile int largest = INT_MAX;
    const int sum = largest + data[0];
    return sum == 0 ? 1 : 0;
}
