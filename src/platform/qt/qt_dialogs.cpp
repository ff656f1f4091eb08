#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/qt/conversions.h"
#include "platform/qt/notice_dialog.h"

namespace qtui {

std::string DialogTraceLine(const std::string& caption, const std::string& text) {
    std::string line = "vpg: dialog \"" + caption + "\": ";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            line += "\\r";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\\') {
            line += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            static const char hex[] = "0123456789abcdef";
            line += "\\x";
            line += hex[byte >> 4];
            line += hex[byte & 15];
        } else {
            line += c;
        }
    }
    return line;
}

std::function<void(const std::string&)> TraceFromEnvironment() {
    const char* setting = std::getenv("VPG_TRACE_DIALOGS");
    if (setting == nullptr || std::strcmp(setting, "1") != 0) return {};
    return [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    };
}

void QtDialogs::traced(const QString& caption, const std::string& text) const {
    if (trace) trace(DialogTraceLine(caption.toStdString(), text));
}

const ui::Application& QtDialogs::app() const {
    static const ui::Application unnamed;
    return app_ ? *app_ : unnamed;
}

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(app().Title()), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    traced(box.windowTitle(), text);
    box.exec();
}

int QtDialogs::MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) {
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString title = QObject::tr("Warning");
    switch (type) {
        case ui::MsgDlgType::Warning:
            break;
        case ui::MsgDlgType::Error:
            icon = QMessageBox::Critical;
            title = QObject::tr("Error");
            break;
        case ui::MsgDlgType::Information:
            icon = QMessageBox::Information;
            title = QObject::tr("Information");
            break;
        case ui::MsgDlgType::Confirmation:
            icon = QMessageBox::Question;
            title = QObject::tr("Confirm");
            break;
    }
    QMessageBox::StandardButtons standard;
    if (buttons & ui::mbYes) standard |= QMessageBox::Yes;
    if (buttons & ui::mbNo) standard |= QMessageBox::No;
    if (buttons & ui::mbOK) standard |= QMessageBox::Ok;
    if (buttons & ui::mbCancel) standard |= QMessageBox::Cancel;
    if (!standard) standard = QMessageBox::Ok;
    QMessageBox box(icon, title, ToQString(text), standard, QApplication::activeWindow());
    traced(title, text);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return ui::mrYes;
        case QMessageBox::No:
            return ui::mrNo;
        case QMessageBox::Ok:
            return ui::mrOk;
        default:
            return ui::mrCancel;
    }
}

int QtDialogs::ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) {
    NoticeDialog dialog(request, app(), QApplication::activeWindow());
    traced(dialog.windowTitle(), request.text);
    const int result = dialog.exec();
    checked = dialog.checkBox()->isChecked();
    return result;
}

}  // namespace qtui
