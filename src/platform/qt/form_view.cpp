#include "platform/qt/form_view.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "platform/qt/button_binding.h"
#include "platform/qt/check_box_binding.h"
#include "platform/qt/combo_box_binding.h"
#include "platform/qt/conversions.h"
#include "platform/qt/edit_binding.h"
#include "platform/qt/group_box_binding.h"
#include "platform/qt/image_binding.h"
#include "platform/qt/label_binding.h"
#include "platform/qt/lamp_binding.h"
#include "platform/qt/trackbar_binding.h"
#include "ui/view_maker.h"

namespace qtui {

namespace {

Qt::WindowFlags FlagsOf(const ui::Form& form) {
    const ui::BorderIcons& icons = form.borderIcons;
    switch (form.borderStyle) {
        case ui::BorderStyle::None:
            return Qt::Tool | Qt::FramelessWindowHint;
        case ui::BorderStyle::ToolWindow:
        case ui::BorderStyle::SizeToolWin:
            return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint;
        case ui::BorderStyle::Single:
        case ui::BorderStyle::Sizeable:
            break;
    }
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (icons.SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (icons.Minimize) flags |= Qt::WindowMinimizeButtonHint;
    if (icons.Maximize && form.borderStyle == ui::BorderStyle::Sizeable)
        flags |= Qt::WindowMaximizeButtonHint;
    if (icons.Help) flags |= Qt::WindowContextHelpButtonHint;
    return flags;
}

}  // namespace

FormView::FormView(ui::Form& form, ui::Application& app) : form_(form), app_(app) {
    build();
    form_.viewChanged = [this] { pushForm(); };
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { focusChanged(now); });
    refresh();
}

FormView::~FormView() {
    disconnect(focusConnection_);
    form_.viewChanged = nullptr;
    menu_.reset();
    // The bindings let go of their controls before the widgets go.
    bindings_.clear();
    delete window_;
}

QWidget* FormView::widgetOf(const ui::Control& control) const {
    const ControlBinding* b = bindingOf(control);
    return b ? b->widget() : nullptr;
}

ControlBinding* FormView::bindingOf(const ui::Control& control) const {
    const auto it = byControl_.find(&control);
    return it == byControl_.end() ? nullptr : it->second;
}

bool FormView::sizeable() const {
    return form_.borderStyle == ui::BorderStyle::Sizeable ||
           form_.borderStyle == ui::BorderStyle::SizeToolWin;
}

void FormView::build() {
    const QFont font = ToQFont(form_.font, app_);
    if (!form_.Menu.Items().empty()) {
        auto* main = new QMainWindow(nullptr, FlagsOf(form_));
        client_ = new QWidget(main);
        main->setCentralWidget(client_);
        menu_ = std::make_unique<MenuBinding>(form_.Menu, main->menuBar(), font);
        window_ = main;
    } else {
        window_ = new QWidget(nullptr, FlagsOf(form_));
        client_ = window_;
    }
    window_->setObjectName(ToQString(form_.Name));
    window_->setFont(font);
    if (form_.color != ui::clBtnFace) {
        QPalette palette = window_->palette();
        palette.setColor(QPalette::Window, ColorIn(form_.color, palette));
        window_->setPalette(palette);
        window_->setAutoFillBackground(true);
    }
    window_->installEventFilter(this);
    if (client_ != window_) client_->installEventFilter(this);

    for (ui::Control* c : form_.CreationOrder())
        if (!byControl_.count(c)) bind(*c);
    orderTabs();
}

QWidget* FormView::parentWidgetOf(const ui::Control& control) {
    if (!control.Parent) return client_;
    if (!byControl_.count(control.Parent)) bind(*control.Parent);
    return byControl_.at(control.Parent)->widget();
}

namespace {

// One binding for each kind of control.
using Bindings = ui::ViewSet<ControlBinding, EditBinding, TrackBarBinding, CheckBoxBinding,
                             RadioButtonBinding, ComboBoxBinding, ButtonBinding, LabelBinding,
                             GroupBoxBinding, ImageBinding, ShapeBinding>;

}  // namespace

void FormView::bind(ui::Control& control) {
    const BindingPlace place{parentWidgetOf(control), form_, app_};
    std::unique_ptr<ControlBinding> b = Bindings::make(control, place);
    b->widget()->installEventFilter(this);
    byControl_[&control] = b.get();
    byWidget_[b->widget()] = b.get();
    bindings_.push_back(std::move(b));
}

void FormView::orderTabs() {
    QWidget* previous = nullptr;
    for (const ui::Control* c : form_.TabSequence()) {
        QWidget* w = widgetOf(*c);
        if (previous && w) QWidget::setTabOrder(previous, w);
        if (w) previous = w;
    }
}

void FormView::refresh() {
    for (const auto& b : bindings_) b->refresh();
    pushForm();
}

void FormView::pushTitle() {
    QString title = ToQString(form_.Caption());
    // The task bar shows window titles here: the main window carries the application's title
    // when that says more than the caption ("ON - " while the output is open).
    if (&form_ == app_.MainForm) {
        const std::string& appTitle = app_.Title();
        const std::string& caption = form_.Caption();
        if (appTitle.size() > caption.size() &&
            appTitle.compare(appTitle.size() - caption.size(), caption.size(), caption) == 0)
            title = ToQString(appTitle);
    }
    if (window_->windowTitle() != title) window_->setWindowTitle(title);
}

void FormView::pushForm() {
    pushTitle();
    window_->setEnabled(form_.Enabled());
    pushGeometry();
    if (form_.Visible() && !window_->isVisible())
        show();
    else if (!form_.Visible() && window_->isVisible())
        window_->hide();
    // The program ends when its main window has closed for good.
    if (&form_ == app_.MainForm && app_.Terminated && !form_.Visible()) QCoreApplication::quit();
}

QMargins FormView::frame() const {
    if (onScreen_) {
        const QRect outer = window_->frameGeometry(), inner = window_->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    // Before the window manager has framed it, the frame the form assumes, split evenly
    // between the sides and put above (the menu bar is not part of it here).
    const ui::FrameExtent f = form_.Frame;
    const int menu = (client_ != window_)
                         ? app_.Scale(ui::DesignFrame(form_.borderStyle, true).vertical -
                                      ui::DesignFrame(form_.borderStyle, false).vertical)
                         : 0;
    const int side = f.horizontal / 2;
    return QMargins(side, std::max(0, f.vertical - menu - side), f.horizontal - side, side);
}

void FormView::pushGeometry() {
    const ui::SizeConstraints& c = form_.Constraints;
    const int frameWidth = form_.Frame.horizontal, frameHeight = form_.Frame.vertical;
    QSize minimum(c.MinWidth ? c.MinWidth - frameWidth : 0,
                  c.MinHeight ? c.MinHeight - frameHeight : 0);
    QSize maximum(c.MaxWidth ? c.MaxWidth - frameWidth : QWIDGETSIZE_MAX,
                  c.MaxHeight ? c.MaxHeight - frameHeight : QWIDGETSIZE_MAX);
    if (!sizeable()) {
        client_->setFixedSize(form_.ClientWidth, form_.ClientHeight);
        if (client_ != window_) window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
        return;
    }
    client_->setMinimumSize(minimum.expandedTo(QSize(0, 0)));
    client_->setMaximumSize(maximum);
    // The model holds the outer width (what the window is stored with) and the client height.
    const QMargins m = frame();
    sizedForFrame_ = m.left() + m.right();
    const QSize size(std::max(1, form_.Width - sizedForFrame_), std::max(1, form_.ClientHeight));
    if (window_->size() != size) window_->resize(size);
    if (form_.Position == ui::FormPosition::Designed) {
        const QPoint place(form_.Left, form_.Top);
        if (window_->frameGeometry().topLeft() != place) window_->move(place);
    }
}

void FormView::placeCentred() {
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    if (window_->layout()) window_->layout()->activate();
    const QMargins m = frame();
    const QSize outer = window_->size().grownBy(m);
    const QRect area = screen->geometry();
    const QPoint place(area.x() + (area.width() - outer.width()) / 2,
                       area.y() + (area.height() - outer.height()) / 2);
    window_->move(place);
    form_.userMoved(place.x(), place.y());
}

void FormView::show() {
    for (const auto& b : bindings_) b->refresh();
    if (form_.Position == ui::FormPosition::ScreenCenter) placeCentred();
    if (form_.TransparentColor) cutOutTransparentColor();
    // The native window exists from here on; its first exposure tells the real frame.
    (void)window_->winId();
    if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(this);
    window_->show();
    if (form_.borderStyle != ui::BorderStyle::None) {
        window_->raise();
        window_->activateWindow();
    }
}

void FormView::cutOutTransparentColor() {
    QPixmap picture = window_->grab();
    if (picture.size() != window_->size()) picture = picture.scaled(window_->size());
    // MaskInColor on a pixmap: the pixels of the colour are the ones cut out.
    window_->setMask(
        picture.createMaskFromColor(ToQColor(form_.TransparentColorValue), Qt::MaskInColor));
}

void FormView::focusChanged(QWidget* now) {
    const auto it = byWidget_.find(now);
    if (it == byWidget_.end()) return;
    // The control that had the focus runs its exit handler.
    it->second->control().userFocused();
    it->second->refresh();
}

bool FormView::keyPressed(QObject* watched, QKeyEvent* event) {
    // The key comes here once, from the widget it was sent to, before that widget sees it.
    QWidget* focus = QApplication::focusWidget();
    QObject* first = (focus && focus->window() == window_) ? static_cast<QObject*>(focus) : window_;
    if (watched != first) return false;
    const std::uint16_t key = VirtualKey(event->key());
    if (key == 0) return false;
    return form_.userKeyDown(key, ShiftStateOf(event->modifiers()));
}

void FormView::resized(QObject* watched) {
    if (watched == client_) {
        for (const auto& b : bindings_)
            if (b->control().FillsParent || b->control().DocksBottom) b->refresh();
    }
    if (watched == window_ && onScreen_ && window_->isVisible() && sizeable()) {
        // The model holds the outer width and the client height.
        const QMargins m = frame();
        form_.userResized(window_->width() + m.left() + m.right(),
                          window_->height() + form_.Frame.vertical);
    }
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return keyPressed(watched, static_cast<QKeyEvent*>(event));
        case QEvent::Close:
            if (watched != window_) break;
            // The model decides; when it closes the form it hides it, and the view follows.
            event->ignore();
            form_.userClosed();
            return true;
        case QEvent::WindowActivate:
            if (watched == window_) form_.Activate();
            break;
        case QEvent::Expose:
            if (watched == window_->windowHandle() && !onScreen_ &&
                window_->windowHandle()->isExposed()) {
                // Now the frame is known: a window stored with its outer width gets it.
                onScreen_ = true;
                pushGeometry();
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (watched == window_ && onScreen_ && window_->isVisible() && sizeable()) {
                const QMargins m = frame();
                if (m.left() + m.right() != sizedForFrame_) {
                    pushGeometry();
                    break;  // the window's own move or resize follows and is reported then
                }
            }
            if (event->type() == QEvent::Resize) {
                resized(watched);
                break;
            }
            if (watched == window_ && onScreen_ && window_->isVisible()) {
                const QPoint place = window_->frameGeometry().topLeft();
                form_.userMoved(place.x(), place.y());
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace qtui
