#pragma once

#include <QSlider>

#include "platform/qt/control_binding.h"
#include "ui/trackbar.h"

namespace qtui {

// TrackBar -> QSlider with ticks every Frequency positions (at the two ends only for 0); a
// vertical one has Min at the top. Every movement the person makes is the model's userMoved;
// mouse presses and releases are its userMouseDown / userMouseUp.
class TrackBarBinding final : public KindBinding<ui::TrackBar, QSlider> {
public:
    TrackBarBinding(const BindingPlace& place, ui::TrackBar& bar);

private:
    void pushState() override;
};

}  // namespace qtui
