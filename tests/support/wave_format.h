#pragma once

// The PCM format of a test: whole bytes per sample, a block of one frame.

#include <cstdint>

#include "audio/wave_out.h"

namespace testing_support {

inline audio::WAVEFORMATEX PcmFormat(std::uint16_t channels, std::uint16_t bits,
                                     std::uint32_t rate) {
    using namespace audio;  // on Windows the names are winmm's macros
    audio::WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

}  // namespace testing_support
