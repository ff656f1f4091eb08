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

    // The screen's resolution; layouts are designed at DesignPixelsPerInch.
    int PixelsPerInch = DesignPixelsPerInch;
    int Scale(int designPixels) const {
        const long long scaled = static_cast<long long>(designPixels) * PixelsPerInch;
        // Rounded half away from zero, as a form's scaling does.
        return static_cast<int>(
            (scaled + (scaled < 0 ? -DesignPixelsPerInch : DesignPixelsPerInch) / 2) /
            DesignPixelsPerInch);
    }
    // The frame of a window of this kind, in screen pixels: the platform's own measure when it
    // has one, else the design estimate scaled.
    std::function<FrameExtent(BorderStyle, bool menuBar)> frameMetrics;
    FrameExtent FrameOf(const Form& form) const {
        const bool menuBar = !form.Menu.Items().empty();
        if (frameMetrics) return frameMetrics(form.borderStyle, menuBar);
        const FrameExtent d = DesignFrame(form.borderStyle, menuBar);
        return {Scale(d.horizontal), Scale(d.vertical)};
    }

    // The screens' area; the platform supplies it (none: every place counts as on screen).
    std::function<ScreenArea()> screenArea;
    // Brings a window that lies (even partly) outside the screens back onto them, and one wider
    // than they are down to their width; one taller than they are keeps its top edge on them.
    void KeepOnScreen(Form& form) const {
        if (!screenArea) return;
        const ScreenArea a = screenArea();
        if (a.width <= 0 || a.height <= 0) return;
        if (form.Width > a.width) form.setWidth(a.width);
        const auto within = [](int v, int lo, int hi) {
            return v > hi ? (hi < lo ? lo : hi) : v < lo ? lo : v;
        };
        form.setLeft(within(form.Left, a.left, a.left + a.width - form.Width));
        form.setTop(within(form.Top, a.top, a.top + a.height - form.Height));
    }

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
