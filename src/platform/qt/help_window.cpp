#include "platform/qt/help_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

namespace qtui {

namespace {
const QString kTitle = QStringLiteral("Vimbrel Pulse Generator Help");
}  // namespace

std::vector<ContentsEntry> ReadContents(const QString& sitemapText) {
    // The sitemap nests <UL> lists; each <OBJECT type="text/sitemap"> carries a Name and a
    // Local parameter.
    static const QRegularExpression token(
        R"re(<\s*(/?)\s*UL\b|<\s*OBJECT[^>]*text/sitemap[^>]*>(.*?)</\s*OBJECT\s*>)re",
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        R"re(<\s*param\s+name\s*=\s*"([^"]*)"\s+value\s*=\s*"([^"]*)")re",
        QRegularExpression::CaseInsensitiveOption);
    std::vector<ContentsEntry> entries;
    int depth = -1;
    for (auto it = token.globalMatch(sitemapText); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart(2) >= 0) {
            ContentsEntry entry;
            entry.depth = std::max(depth, 0);
            for (auto p = param.globalMatch(m.captured(2)); p.hasNext();) {
                const QRegularExpressionMatch pm = p.next();
                if (pm.captured(1).compare("Name", Qt::CaseInsensitive) == 0)
                    entry.name = pm.captured(2);
                else if (pm.captured(1).compare("Local", Qt::CaseInsensitive) == 0)
                    entry.page = pm.captured(2);
            }
            if (!entry.name.isEmpty() && !entry.page.isEmpty()) entries.push_back(entry);
        } else {
            depth += m.captured(1).isEmpty() ? 1 : -1;
        }
    }
    return entries;
}

HelpWindow::HelpWindow()
    : contents_(new QTreeWidget),
      browser_(new QTextBrowser),
      back_(new QPushButton(tr("Back"))),
      forward_(new QPushButton(tr("Forward"))),
      home_(new QPushButton(tr("Contents"))) {
    setObjectName("HelpWindow");
    setWindowTitle(kTitle);
    contents_->setHeaderHidden(true);
    contents_->setRootIsDecorated(true);
    // Links between the pages stay here; an address on the web goes to the browser.
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back_, forward_, home_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    auto* splitter = new QSplitter;
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(900, 640);
    splitter->setSizes({240, 660});

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QPushButton::clicked, this, [this] {
        if (home_page_.isValid()) browser_->setSource(home_page_);
    });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& page) { selectContentsEntry(page); });
    // The page's title first, so that the task bar tells the help's pages apart.
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(browser_->documentTitle() + QStringLiteral(" - ") + kTitle); });
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        browser_->setSource(item->data(0, Qt::UserRole).toUrl());
    });
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        browser_->setSource(item->data(0, Qt::UserRole).toUrl());
    });
    // Escape closes the help, as it closes the program's other small windows.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::loadContents(const QString& folder) {
    if (folder == contentsFolder_) return;
    contentsFolder_ = folder;
    contents_->clear();
    const QDir dir(folder);
    home_page_ = QUrl::fromLocalFile(dir.filePath("index.html"));
    QFile sitemap(dir.filePath("vpg.hhc"));
    if (!sitemap.open(QIODevice::ReadOnly)) return;
    std::vector<QTreeWidgetItem*> parents;
    for (const ContentsEntry& e : ReadContents(QString::fromUtf8(sitemap.readAll()))) {
        parents.resize(std::min<std::size_t>(parents.size(), static_cast<std::size_t>(e.depth)));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, e.name);
        QUrl page = QUrl::fromLocalFile(dir.filePath(e.page.section('#', 0, 0)));
        if (e.page.contains('#')) page.setFragment(e.page.section('#', 1));
        item->setData(0, Qt::UserRole, page);
        parents.push_back(item);
    }
    contents_->expandToDepth(0);
}

void HelpWindow::selectContentsEntry(const QUrl& page) {
    // The entry of the page itself, or of the page without its fragment.
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QUrl entry = (*it)->data(0, Qt::UserRole).toUrl();
        if (entry == page) {
            best = *it;
            break;
        }
        if (!best && entry.adjusted(QUrl::RemoveFragment) == page.adjusted(QUrl::RemoveFragment))
            best = *it;
    }
    const QSignalBlocker quiet(contents_);
    contents_->setCurrentItem(best);
}

void HelpWindow::showPage(const QUrl& page) {
    loadContents(QFileInfo(page.toLocalFile()).absolutePath());
    browser_->setSource(page);
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::currentPage() const {
    return browser_->source();
}

QString HelpWindow::currentTitle() const {
    return browser_->documentTitle();
}

int HelpWindow::contentsCount() const {
    int n = 0;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) ++n;
    return n;
}

}  // namespace qtui
