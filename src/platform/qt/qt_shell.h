#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/shell_services.h"

namespace qtui {

// Hands work to other programs on a Linux desktop: web addresses to the person's browser,
// programs started detached (never through a shell), and the help as the shipped HTML pages
// opened in the browser.
class QtShell final : public shell::IShell {
public:
    // `helpFolders`: where the help pages may be, in the order they are looked for.
    explicit QtShell(std::vector<QString> helpFolders);

    // The folders a program in `programFolder` looks in: its own help/, the installed pages,
    // then the source tree's (a build run in place).
    static std::vector<QString> DefaultHelpFolders(const QString& programFolder);
    // The page of a help topic; index.html for a topic without a page of its own.
    static QString HelpPage(int context);

    // The owner and the show mode mean nothing to a Linux desktop: a browser or a program opens
    // its own window.
    void ShellExecute(const ui::Form* owner, const std::string& verb, const std::string& file,
                      shell::ShowMode show) override;
    void ShowHelp(const std::string& helpFile, int context) override;

    // Programs to try, in order, when `program` is not installed (the desktops' mixers for
    // the volume control).
    std::map<QString, std::vector<QStringList>> alternatives;

    // The desktop's services; tests replace them.
    std::function<bool(const QUrl&)> openUrl;
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    std::function<QString(const QString& program)> findExecutable;

    // The help page that ShowHelp opens for `context` (empty when no folder holds one).
    QString helpPagePath(int context) const;

private:
    std::vector<QString> helpFolders_;
};

}  // namespace qtui
