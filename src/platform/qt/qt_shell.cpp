#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/qt/conversions.h"
#include "shell/help_topics.h"

namespace qtui {

QtShell::QtShell(std::vector<QString> helpFolders)
    : openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      startDetached([](const QString& program, const QStringList& arguments) {
          return QProcess::startDetached(program, arguments);
      }),
      findExecutable(
          [](const QString& program) { return QStandardPaths::findExecutable(program); }),
      helpFolders_(std::move(helpFolders)) {
    showHelpPage = [this](const QUrl& page) {
        if (!helpWindow_) helpWindow_ = std::make_unique<HelpWindow>();
        helpWindow_->showPage(page);
    };
}

QtShell::~QtShell() = default;

std::vector<QString> QtShell::DefaultHelpFolders(const QString& programFolder) {
    return {QDir(programFolder).filePath("help"), QStringLiteral(VPG_INSTALLED_HELP_DIR),
            QStringLiteral(VPG_SOURCE_HELP_DIR)};
}

QString QtShell::HelpPage(int context) {
    return QString::fromUtf8(shell::HelpPage(context));
}

QString QtShell::helpPagePath(int context) const {
    for (const QString& folder : helpFolders_) {
        const QDir dir(folder);
        for (const QString& page : {HelpPage(context), QStringLiteral("index.html")}) {
            const QFileInfo file(dir.filePath(page));
            if (file.isFile()) return file.absoluteFilePath();
        }
    }
    return {};
}

bool QtShell::ShellExecute(const ui::Form*, const std::string& verb, const std::string& file,
                           shell::ShowMode) {
    if (verb != "open" || file.empty()) return false;
    const QString target = ToQString(file);
    const QUrl url(target, QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == "http" || url.scheme() == "https")) return openUrl(url);
    // A program by name; when it is not installed, the first alternative that is.
    std::vector<QStringList> candidates{{target}};
    if (const auto it = alternatives.find(target); it != alternatives.end())
        candidates.insert(candidates.end(), it->second.begin(), it->second.end());
    for (const QStringList& command : candidates) {
        if (command.isEmpty()) continue;
        const QString program = findExecutable(command.front());
        if (program.isEmpty()) continue;
        if (startDetached(program, command.mid(1))) return true;
    }
    return false;
}

void QtShell::ShowHelp(const std::string&, int context) {
    const QString page = helpPagePath(context);
    if (!page.isEmpty()) showHelpPage(QUrl::fromLocalFile(page));
}

}  // namespace qtui
