#include "platform/qt/notice_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "platform/qt/conversions.h"

namespace qtui {

namespace {

struct StandardButton {
    unsigned flag;
    int result;
    const char* caption;
};
// In the order a message box shows them.
constexpr StandardButton kButtons[] = {
    {ui::mbYes, ui::mrYes, "&Yes"},
    {ui::mbNo, ui::mrNo, "&No"},
    {ui::mbOK, ui::mrOk, "OK"},
    {ui::mbCancel, ui::mrCancel, "Cancel"},
};

// Design pixels, scaled like every window.
constexpr int kMargin = 12, kIcon = 32, kTextLeft = 56, kButtonWidth = 88, kButtonHeight = 30,
              kButtonGap = 8, kMinTextWidth = 280, kPreferredTextWidth = 400, kMaxTextWidth = 600;

}  // namespace

NoticeDialog::NoticeDialog(const ui::NoticeDialogRequest& request, const ui::Application& app,
                           QWidget* parent)
    : QDialog(parent), request_(request) {
    setWindowTitle(ToQString(request.caption));
    setModal(true);
    const auto s = [&app](int design) { return app.Scale(design); };

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(s(kIcon)));
    icon->setGeometry(s(kMargin), s(kMargin), s(kIcon), s(kIcon));

    checkBox_ = new QCheckBox(ToQString(request.checkBoxCaption), this);
    checkBox_->setObjectName("dontShowAgain");
    checkBox_->setGeometry(s(request.checkLeft), s(request.checkTop), s(request.checkWidth),
                           s(request.checkHeight));

    // The text wraps at the narrowest width that keeps it above the check box.
    text_ = new QLabel(ToQString(request.text), this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QFontMetrics metrics(text_->font());
    const int room = s(request.checkTop) - s(kMargin) - s(4);
    const int oneLine = metrics.horizontalAdvance(text_->text()) + 1;
    int textWidth = std::clamp(oneLine, s(kMinTextWidth), s(kPreferredTextWidth));
    QRect needed;
    for (;; textWidth += s(20)) {
        needed = metrics.boundingRect(QRect(0, 0, textWidth, 100000),
                                      Qt::TextWordWrap | Qt::AlignLeft, text_->text());
        if (needed.height() <= room || textWidth >= s(kMaxTextWidth)) break;
    }
    text_->setGeometry(s(kTextLeft), s(kMargin), textWidth, std::max(room, needed.height()));

    for (const StandardButton& b : kButtons) {
        if (!(request.buttons & b.flag)) continue;
        auto* button = new QPushButton(tr(b.caption), this);
        button->setAutoDefault(false);
        button->setDefault(b.result == request.defaultResult);
        const int result = b.result;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        choices_.push_back({b.result, button});
    }
    const int count = static_cast<int>(choices_.size());
    const int buttonsWidth = count * s(kButtonWidth) + std::max(0, count - 1) * s(kButtonGap);
    const int width =
        std::max({s(kTextLeft) + textWidth + s(kMargin), buttonsWidth + 2 * s(kMargin),
                  s(request.checkLeft + request.checkWidth + kMargin)});
    const int height = s(request.height);
    int x = (width - buttonsWidth) / 2;
    const int y = height - s(kMargin) - s(kButtonHeight);
    for (const Choice& c : choices_) {
        c.button->setGeometry(x, y, s(kButtonWidth), s(kButtonHeight));
        x += s(kButtonWidth) + s(kButtonGap);
    }
    setFixedSize(width, height);
    if (QPushButton* first = button(request.defaultResult)) first->setFocus();
}

QPushButton* NoticeDialog::button(int result) const {
    for (const Choice& c : choices_)
        if (c.result == result) return c.button;
    return nullptr;
}

void NoticeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && request_.help) {
        request_.help();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        done(request_.cancelResult);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The focused button if there is one, else the default one.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        for (const Choice& c : choices_)
            if (c.button == focused) {
                done(c.result);
                return;
            }
        done(request_.defaultResult);
        return;
    }
    QDialog::keyPressEvent(event);
}

void NoticeDialog::done(int result) {
    answered_ = true;
    QDialog::done(result);
}

void NoticeDialog::closeEvent(QCloseEvent* event) {
    // A close that no button or key has answered is the window's close box.
    if (!answered_) done(ui::mrCancel);
    event->accept();
}

}  // namespace qtui
