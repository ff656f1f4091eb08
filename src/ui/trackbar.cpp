#include "ui/trackbar.h"

#include <algorithm>

namespace ui {

void TrackBar::setMin(int value) {
    if (value > max_ || value == min_) return;
    min_ = value;
    clampAndNotify();
}

void TrackBar::setMax(int value) {
    if (value < min_ || value == max_) return;
    max_ = value;
    clampAndNotify();
}

void TrackBar::clampAndNotify() {
    const int clamped = std::clamp(position_, min_, max_);
    if (clamped == position_) {
        changed();
        return;
    }
    position_ = clamped;
    changed();
    if (OnChange) OnChange(this);
}

void TrackBar::setPosition(int value) {
    const int clamped = std::clamp(value, min_, max_);
    if (clamped == position_) return;
    position_ = clamped;
    changed();
    if (OnChange) OnChange(this);
}

void TrackBar::userMoved(int value) {
    if (!Enabled() || !Visible()) return;
    userFocused();
    position_ = std::clamp(value, min_, max_);
    changed();
    if (OnChange) OnChange(this);
}

}  // namespace ui
