#pragma once

#include <functional>
#include <string>

#include "ui/form.h"

namespace ui {

// The program as a whole: its title in the task bar, its help file, its main window.
class Application {
public:
    const std::string& Title() const { return title_; }
    void setTitle(const std::string& value) {
        if (value == title_) return;
        title_ = value;
        if (viewChanged) viewChanged();
    }

    std::string HelpFile;
    Form* MainForm = nullptr;
    bool Terminated = false;

    // Opens topic `context` of the help file; the platform supplies the viewer.
    std::function<void(const std::string& helpFile, int context)> helpViewer;
    void HelpContext(int context) {
        if (helpViewer) helpViewer(HelpFile, context);
    }
    // Brings the program's windows to the front; the platform supplies it.
    std::function<void()> bringToFront;
    void BringToFront() {
        if (bringToFront) bringToFront();
    }

    std::function<void()> viewChanged;

private:
    std::string title_;
};

}  // namespace ui
