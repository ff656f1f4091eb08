#include "platform/qt/picture.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace qtui {

namespace {

constexpr const char* kSplashArt = ":/art/splash.png";

// A sine and the pulse train that flashes the lamp, across `area`.
void DrawSignal(QPainter& p, const QRectF& area, qreal lineWidth) {
    const qreal mid = area.top() + area.height() * 0.38;
    const qreal amplitude = area.height() * 0.26;
    const int cycles = 3;
    QPainterPath sine;
    for (int i = 0; i <= 240; ++i) {
        const qreal x = area.left() + area.width() * i / 240.0;
        const qreal y = mid - amplitude * std::sin(2 * std::numbers::pi * cycles * i / 240.0);
        if (i == 0)
            sine.moveTo(x, y);
        else
            sine.lineTo(x, y);
    }
    p.setPen(QPen(QColor(80, 220, 120), lineWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(sine);
    // One short pulse per cycle, a little after each crest: the lamp's flashes.
    const qreal base = area.bottom() - area.height() * 0.08;
    const qreal high = area.bottom() - area.height() * 0.26;
    QPainterPath pulses;
    pulses.moveTo(area.left(), base);
    for (int c = 0; c < cycles; ++c) {
        const qreal x = area.left() + area.width() * (c + 0.3) / cycles;
        const qreal w = area.width() * 0.035;
        pulses.lineTo(x, base);
        pulses.lineTo(x, high);
        pulses.lineTo(x + w, high);
        pulses.lineTo(x + w, base);
    }
    pulses.lineTo(area.right(), base);
    p.setPen(QPen(QColor(255, 196, 60), lineWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(pulses);
}

QPixmap DrawnSplash(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const qreal radius = size.height() * 0.06;
    QLinearGradient shade(panel.topLeft(), panel.bottomLeft());
    shade.setColorAt(0, QColor(24, 34, 58));
    shade.setColorAt(1, QColor(8, 12, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(panel, radius, radius);
    const qreal unit = size.height() / 320.0;
    DrawSignal(p,
               QRectF(panel.left() + 40 * unit, panel.top() + 64 * unit, panel.width() - 80 * unit,
                      150 * unit),
               3 * unit);
    QFont title("Arial");
    title.setPixelSize(std::max(1, static_cast<int>(28 * unit)));
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(235, 240, 250));
    p.drawText(QRectF(panel.left() + 24 * unit, panel.top() + 14 * unit, panel.width(), 40 * unit),
               Qt::AlignLeft | Qt::AlignVCenter, "Vimbrel Pulse Generator");
    return pixmap;
}

}  // namespace

QPixmap Picture(const std::string& name, QSize size) {
    if (name == "splash" && QFile::exists(kSplashArt)) {
        QPixmap art(kSplashArt);
        if (!art.isNull()) return art.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return DrawnSplash(size);
}

QPixmap ProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 34, 58));
    p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
    DrawSignal(p, QRectF(size * 0.1, size * 0.12, size * 0.8, size * 0.8), size / 16.0);
    return pixmap;
}

}  // namespace qtui
