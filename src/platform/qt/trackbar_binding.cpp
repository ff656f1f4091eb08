#include "platform/qt/trackbar_binding.h"

#include <algorithm>

namespace qtui {

TrackBarBinding::TrackBarBinding(const BindingPlace& place, ui::TrackBar& bar)
    : KindBinding(place, bar) {
    const bool vertical = bar.orientation() == ui::Orientation::Vertical;
    view_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    view_->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    // Min at the top, and the Up key moves the thumb up.
    view_->setInvertedAppearance(vertical);
    view_->setInvertedControls(vertical);
    forwardMouseButtons();
    connect(view_, &QSlider::valueChanged, this,
            [this](int value) { user([&] { model_.userMoved(value); }); });
}

void TrackBarBinding::pushState() {
    view_->setRange(model_.Min(), model_.Max());
    view_->setValue(model_.Position());
    view_->setTickInterval(model_.Frequency > 0 ? model_.Frequency
                                                : std::max(1, model_.Max() - model_.Min()));
}

}  // namespace qtui
