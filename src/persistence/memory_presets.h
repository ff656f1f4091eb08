#pragma once

#include <string>

namespace vpg {

// The content of one memory slot.
struct MemoryPreset {
    std::string fInitLeft, fFinalLeft, AmplitudeLeft, AmplitudeRight, Duration;
    bool Loop = false;
    bool LogarithmicLeft = false;
    bool BidirectionalLeft = false;
    bool ConstantMode = false;
    bool FlashLock = false;
};

}  // namespace vpg
