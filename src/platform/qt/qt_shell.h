#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/help_window.h"
#include "shell/shell_services.h"

namespace qtui {

// Hands work to other programs on a Linux desktop: web addresses to the person's browser,
// programs started detached (never through a shell). The help is the shipped HTML pages, shown
// in the program's own help window, so that it opens without a browser too.
class QtShell final : public shell::IShell {
public:
    // `helpFolders`: where the help pages may be, in the order they are looked for.
    explicit QtShell(std::vector<QString> helpFolders);
    ~QtShell() override;

    // The folders a program in `programFolder` looks in: its own help/, the installed pages,
    // then the source tree's (a build run in place).
    static std::vector<QString> DefaultHelpFolders(const QString& programFolder);
    // The page of a help topic; index.html for a topic without a page of its own.
    static QString HelpPage(int context);

    // The owner and the show mode mean nothing to a Linux desktop: a browser or a program opens
    // its own window.
    bool ShellExecute(const ui::Form* owner, const std::string& verb, const std::string& file,
                      shell::ShowMode show) override;
    void ShowHelp(const std::string& helpFile, int context) override;

    // Programs to try, in order, when `program` is not installed (the desktops' mixers for
    // the volume control).
    std::map<QString, std::vector<QStringList>> alternatives;

    // The desktop's services; tests replace them.
    std::function<bool(const QUrl&)> openUrl;
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    std::function<QString(const QString& program)> findExecutable;
    // Shows a help page (a file URL, maybe with a #fragment); by default in the help window.
    std::function<void(const QUrl& page)> showHelpPage;

    // The help page that ShowHelp opens for `context` (empty when no folder holds one).
    QString helpPagePath(int context) const;

    // The help window, once help was shown in it; null before.
    HelpWindow* helpWindow() const { return helpWindow_.get(); }

private:
    std::vector<QString> helpFolders_;
    std::unique_ptr<HelpWindow> helpWindow_;
};

}  // namespace qtui
