#pragma once

#include <cstdint>
#include <iosfwd>

#include "apps/vpg-render/render_options.h"

namespace render {

// Builds the main window on the headless platform with the WAV-file device, sets its fields
// from the options, presses ON and runs the loop until the output closes. Messages the window
// would show, and fields the entry rules changed, go to `messages`. Returns the exit status:
// 0 written, 1 the signal could not be rendered or written, 2 the output path is unusable or
// the file would exceed what a WAV file holds (both found before rendering). Nothing is left
// at the output path unless the whole file was written.
int Render(const Options& options, std::ostream& messages);

// What a render writes: the signal's frames, or what --seconds keeps of it. In double, since a
// request may exceed every integer.
struct RenderLength {
    double bytes = 0;        // sample data
    bool bySeconds = false;  // --seconds decides the length, else the signal's duration
    double mostSeconds = 0;  // the longest such render that a WAV file holds
};
RenderLength LengthOf(const Options& options, std::int32_t totalSamples);

}  // namespace render
