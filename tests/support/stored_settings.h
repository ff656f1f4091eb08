#pragma once

#include "platform/portable/memory_registry.h"

namespace testing_support {

// The program's key as a close leaves it, every value away from the reset's and the designed
// ones, so that a test sees which of them a load, a restore or a save carried.
inline portable::MemoryRegistry::Values KeyAwayFromReset() {
    using persistence::RegistryValue;
    return {
        {"fInitLeft", RegistryValue::Text("250")},
        {"fFinalLeft", RegistryValue::Text("750")},
        {"AmplitudeLeft", RegistryValue::Text("-6")},
        {"chkConstantLeft", RegistryValue::Integer(1)},
        {"LogarithmicLeft", RegistryValue::Integer(0)},
        {"BidirectionalLeft", RegistryValue::Integer(1)},
        {"AmplitudeRight", RegistryValue::Text("-12")},
        {"PhaseEdit", RegistryValue::Text("45")},
        {"FreqSliderRight", RegistryValue::Integer(30)},
        {"txtPulseLength", RegistryValue::Text("20")},
        {"Duration", RegistryValue::Text("5")},
        {"Loop", RegistryValue::Integer(0)},
        {"WaveDevice", RegistryValue::Integer(1)},
        {"PresetAutoStart", RegistryValue::Integer(1)},
        {"frmFrequencyDisplay", RegistryValue::Integer(1)},
        {"FormX", RegistryValue::Integer(100)},
        {"FormY", RegistryValue::Integer(80)},
        {"DisplayX", RegistryValue::Integer(600)},
        {"DisplayY", RegistryValue::Integer(300)},
        {"DisplayW", RegistryValue::Integer(250)},
        {"MinFreqEdit", RegistryValue::Text("10")},
        {"MaxFreqEdit", RegistryValue::Text("2000")},
        {"txtRound", RegistryValue::Text("5")},
        {"FlashLock", RegistryValue::Integer(1)},
    };
}

}  // namespace testing_support
