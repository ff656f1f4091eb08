#pragma once

#include <iosfwd>

#include "apps/vpg-render/render_options.h"

namespace render {

// Builds the main window on the headless platform with the WAV-file device, sets its fields
// from the options, presses ON and runs the loop until the output closes. Messages the window
// would show, and fields the entry rules changed, go to `messages`. Returns the exit status:
// 0 written, 1 the signal could not be rendered, 2 the output path is unusable. Nothing is
// left at the output path unless the whole file was written.
int Render(const Options& options, std::ostream& messages);

}  // namespace render
