#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "ui/application.h"
#include "ui/dialogs.h"

namespace qtui {

// The suppressible notice: a warning icon, the text, the request's buttons (Enter presses the
// default one, Escape the cancel one) and the check box "Don't show this message again." at
// its given place, in a dialog of the given height (design pixels, scaled). Closing it by the
// window's close box answers Cancel.
class NoticeDialog final : public QDialog {
    Q_OBJECT

public:
    NoticeDialog(const ui::NoticeDialogRequest& request, const ui::Application& app,
                 QWidget* parent = nullptr);

    QCheckBox* checkBox() const { return checkBox_; }
    QLabel* textLabel() const { return text_; }
    // The button that answers `result` (mrOk, mrYes, ...), null when the request has none.
    QPushButton* button(int result) const;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Choice {
        int result;
        QPushButton* button;
    };
    const ui::NoticeDialogRequest request_;
    QLabel* text_ = nullptr;
    QCheckBox* checkBox_ = nullptr;
    std::vector<Choice> choices_;
    bool answered_ = false;
};

}  // namespace qtui
