#pragma once

namespace ui {
class Application;
}

namespace vpg {

class TfrmGenerator;
class TfrmSettings;
class TfrmFrequencyDisplay;
class TfrmAbout;
class TfrmStartSplash;

// What each window looks like, as a form file would hold it: every control's group box, left,
// top, width and height in design pixels, and the windows' kinds, fonts and colours. Both
// front-ends draw from it, so they place the same controls in the same places. Each window's
// constructor lays itself out.
// The application gives the screen's resolution and frames, to size the windows.
void LayOut(TfrmGenerator& form, const ui::Application& app);
void LayOut(TfrmSettings& form, const ui::Application& app);
void LayOut(TfrmFrequencyDisplay& form, const ui::Application& app);
void LayOut(TfrmAbout& form, const ui::Application& app);
void LayOut(TfrmStartSplash& form, const ui::Application& app);

}  // namespace vpg
