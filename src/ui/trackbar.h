#pragma once

#include "ui/control.h"

namespace ui {

enum class Orientation { Horizontal, Vertical };

// A slider over whole positions in [Min, Max]. Any position set is clamped into the range; a
// Min above Max (or a Max below Min) is ignored. The change event fires when a program change
// alters the stored position, and on every movement the user makes, moved or not.
class TrackBar : public Control {
public:
    TrackBar(std::string name, int min, int max, int position,
             Orientation orientation = Orientation::Horizontal)
        : Control(std::move(name), true),
          min_(min),
          max_(max),
          position_(position),
          orientation_(orientation) {}
    void accept(ControlVisitor& visitor) override { visitor.visit(*this); }

    NotifyEvent OnChange;
    int Frequency = 1;  // a tick every Frequency positions; 0: ticks at the ends only

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    Orientation orientation() const { return orientation_; }

    void setMin(int value);
    void setMax(int value);
    void setPosition(int value);

    // The user dragged the thumb (or used the keys) to `value`.
    void userMoved(int value);
    // True while the change event reports a movement by the user; false while it reports a
    // position set by the program, also one set from inside the user's change handler.
    bool UserMoving() const { return userMoving_; }

private:
    void clampAndNotify();
    void notify(bool byUser);

    int min_, max_, position_;
    Orientation orientation_;
    bool userMoving_ = false;
};

}  // namespace ui
