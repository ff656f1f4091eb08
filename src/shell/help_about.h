#pragma once

#include "ui/button.h"
#include "ui/form.h"
#include "ui/label.h"

namespace vpg {

class TfrmGenerator;

// The About box: the program's picture, its version and a link to the maker's web page.
class TfrmAbout : public ui::Form {
public:
    explicit TfrmAbout(TfrmGenerator& generator);

    ui::Image ProgramIcon{"ProgramIcon", "splash"};  // clicking it opens the web page
    ui::Label Version{"Version"};
    ui::Label Homepage{"Homepage"};
    ui::Label Label1{"Label1"};  // lies under Homepage, never changed
    ui::Button OKButton{"OKButton", "OK"};
    ui::Button AboutHelp{"AboutHelp", "Help"};

    void FormShow(ui::Object* Sender);
    void FormActivate(ui::Object* Sender);
    void FormClose(ui::Object* Sender, ui::CloseAction& Action);
    void OKButtonClick(ui::Object* Sender);
    void HomepageClick(ui::Object* Sender);
    void AboutHelpClick(ui::Object* Sender);

private:
    TfrmGenerator& frmGenerator;
};

}  // namespace vpg
