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
    notify(false);
}

void TrackBar::setPosition(int value) {
    const int clamped = std::clamp(value, min_, max_);
    if (clamped == position_) return;
    position_ = clamped;
    changed();
    notify(false);
}

void TrackBar::userMoved(int value) {
    if (!Enabled() || !Visible()) return;
    userFocused();
    position_ = std::clamp(value, min_, max_);
    changed();
    notify(true);
}

void TrackBar::notify(bool byUser) {
    if (!OnChange) return;
    // A program change nested in the user's handler is reported as the program's.
    const bool outer = userMoving_;
    userMoving_ = byUser;
    OnChange(this);
    userMoving_ = outer;
}

}  // namespace ui
