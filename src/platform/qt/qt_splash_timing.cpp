#include "platform/qt/qt_splash_timing.h"

#include <QThread>
#include <algorithm>

namespace qtui {

void QtSplashTiming::Sleep(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(std::max(0, milliseconds)));
}

void QtSplashTiming::ProcessMessages() {
    loop_.processMessages();
}

void QtSplashTiming::SetOpacity(ui::Form& window, int alpha) {
    if (QWidget* w = views_ ? views_->window(window) : nullptr)
        w->setWindowOpacity(std::clamp(alpha, 0, 255) / 255.0);
}

void QtSplashTiming::Repaint(ui::Form& window) {
    if (QWidget* w = views_ ? views_->window(window) : nullptr) w->repaint();
}

}  // namespace qtui
