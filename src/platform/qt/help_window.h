#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <vector>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace qtui {

// The program's own help window: the contents of the help (from the help project's table of
// contents, vpg.hhc) beside the page, with links, back and forward. It needs nothing from the
// desktop, so help opens also where no web browser is set up.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    HelpWindow();

    // Shows `page` (a help page's file, optionally with a #fragment) and brings the window up.
    void showPage(const QUrl& page);

    // What the window shows; for tests.
    QUrl currentPage() const;
    QString currentTitle() const;
    int contentsCount() const;
    QTextBrowser* browser() const { return browser_; }
    QTreeWidget* contents() const { return contents_; }

private:
    void loadContents(const QString& folder);
    void selectContentsEntry(const QUrl& page);

    QTreeWidget* contents_;
    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    QPushButton* home_;
    QString contentsFolder_;
    QUrl home_page_;
};

// The entries of a help project's table of contents (the sitemap format of vpg.hhc): each
// entry's name and page, and how deep it lies (0 at the top).
struct ContentsEntry {
    QString name;
    QString page;
    int depth = 0;
};
std::vector<ContentsEntry> ReadContents(const QString& sitemapText);

}  // namespace qtui
