#include "platform/qt/trackbar_binding.h"

#include <algorithm>

namespace qtui {

TrackBarBinding::TrackBarBinding(ui::TrackBar& bar, QWidget* parent, const ui::Form& form,
                                 const ui::Application& app)
    : ControlBinding(bar, new QSlider(parent), form, app),
      bar_(bar),
      slider_(static_cast<QSlider*>(widget())) {
    const bool vertical = bar.orientation() == ui::Orientation::Vertical;
    slider_->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    slider_->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    // Min at the top, and the Up key moves the thumb up.
    slider_->setInvertedAppearance(vertical);
    slider_->setInvertedControls(vertical);
    forwardMouseButtons();
    connect(slider_, &QSlider::valueChanged, this,
            [this](int value) { user([&] { bar_.userMoved(value); }); });
}

void TrackBarBinding::pushState() {
    slider_->setRange(bar_.Min(), bar_.Max());
    slider_->setValue(bar_.Position());
    slider_->setTickInterval(bar_.Frequency > 0 ? bar_.Frequency
                                                : std::max(1, bar_.Max() - bar_.Min()));
}

}  // namespace qtui
