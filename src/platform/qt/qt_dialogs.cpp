#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt/conversions.h"
#include "platform/qt/notice_dialog.h"

namespace qtui {

const ui::Application& QtDialogs::app() const {
    static const ui::Application unnamed;
    return app_ ? *app_ : unnamed;
}

void QtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(app().Title()), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
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
    const int result = dialog.exec();
    checked = dialog.checkBox()->isChecked();
    return result;
}

}  // namespace qtui
