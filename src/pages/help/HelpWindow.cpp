#include "pages/help/HelpWindow.h"

#include "pages/help/ChmFile.h"
#include "pages/help/HelpScheme.h"
#include "pages/help/HelpSealed.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace help {
namespace {
constexpr int PageRole = Qt::UserRole;
}

HelpWindow::HelpWindow(std::shared_ptr<const ChmFile> file, const Sitemap& contents, const Sitemap& index)
    : QWidget(nullptr), file_(std::move(file)),
      // A profile of the viewer's own, so its scheme handler serves this file
      // only and no other window's pages.
      profile_(new QWebEngineProfile(this)), tree_(new QTreeWidget), keyword_(new QLineEdit),
      index_(new QListWidget), view_(std::make_unique<QWebEngineView>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(file_->title().isEmpty() ? QFileInfo(file_->path()).fileName() : file_->title());
    profile_->installUrlSchemeHandler(pageUrl({}).scheme().toUtf8(), new SchemeHandler(file_, profile_));
    // A help file may come from anyone (it is read from the current folder):
    // its pages run no scripts and reach nothing outside the file.
    seal(profile_);
    view_->setPage(new QWebEnginePage(profile_, view_.get()));

    tree_->setObjectName(QStringLiteral("contents"));
    tree_->header()->hide();
    // Names a screen reader says; the tree and the list show no caption of their own.
    tree_->setAccessibleName(tr("Contents"));
    keyword_->setAccessibleName(tr("Keyword"));
    index_->setAccessibleName(tr("Index"));
    view_->setAccessibleName(tr("Help page"));
    addTopics(contents);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !item->data(0, PageRole).toString().isEmpty())
            showTopic(item->data(0, PageRole).toString());
    });
    connect(view_.get(), &QWebEngineView::urlChanged, this, &HelpWindow::followPage);

    auto* tools = new QToolBar;
    tools->addAction(view_->pageAction(QWebEnginePage::Back));
    tools->addAction(view_->pageAction(QWebEnginePage::Forward));
    tools->addAction(tr("Home"), this, [this] { showTopic(file_->defaultTopic()); });

    auto* tabs = new QTabWidget;
    tabs->addTab(tree_, tr("Contents"));
    tabs->addTab(makeIndex(index), tr("Index"));
    // What a crafted file holds beyond what the window shows is said, not hidden.
    QStringList limits;
    if (contents.tooDeep)
        limits << tr("The contents go deeper than %1 levels; the deeper entries are shown at that level.")
                      .arg(DeepestLevel);
    if (contents.tooMany)
        limits << tr("The contents hold more than %1 entries; only the first %1 are shown.").arg(MostTopics);
    if (index.tooMany)
        limits << tr("The index holds more than %1 keywords; only the first %1 are shown.").arg(MostTopics);
    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(tabs);
    if (!limits.isEmpty()) {
        auto* notice = new QLabel(limits.join(QLatin1Char('\n')));
        notice->setObjectName(QStringLiteral("limits"));
        notice->setWordWrap(true);
        sideLayout->addWidget(notice);
    }
    auto* split = new QSplitter;
    split->addWidget(side);
    split->addWidget(view_.get());
    split->setStretchFactor(1, 1);
    split->setSizes({260, 640});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(split);
    resize(900, 640);

    showTopic(file_->defaultTopic());
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::showTopic(const QString& local) {
    const QUrl url = pageUrl(local);
    if (url != view_->url())
        view_->setUrl(url);
}

// The keywords in a list; typing narrows it to the keywords that hold the
// typed text, and Enter shows the first of them.
QWidget* HelpWindow::makeIndex(const Sitemap& index) {
    index_->setObjectName(QStringLiteral("index"));
    keyword_->setObjectName(QStringLiteral("keyword"));
    keyword_->setPlaceholderText(tr("Type a keyword"));
    index_->setUniformItemSizes(true);
    for (const Topic& keyword : index.topics) {
        auto* item = new QListWidgetItem(keyword.name, index_);
        item->setData(PageRole, keyword.local);
    }
    connect(keyword_, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(keyword_, &QLineEdit::returnPressed, this, [this] {
        if (index_->currentItem())
            showTopic(index_->currentItem()->data(PageRole).toString());
    });
    connect(index_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showTopic(item->data(PageRole).toString()); });
    connect(index_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showTopic(item->data(PageRole).toString()); });

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(keyword_);
    layout->addWidget(index_);
    return page;
}

void HelpWindow::filterIndex(const QString& typed) {
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < index_->count(); ++i) {
        QListWidgetItem* item = index_->item(i);
        item->setHidden(!item->text().contains(typed, Qt::CaseInsensitive));
        if (!first && !item->isHidden())
            first = item;
    }
    index_->setCurrentItem(first);
}

// The tree from the list in reading order, each entry under the last one a
// level above it; no recursion, however deep a crafted file goes.
void HelpWindow::addTopics(const Sitemap& contents) {
    std::vector<QTreeWidgetItem*> parents; // the last item at each level
    QList<QTreeWidgetItem*> top;
    for (const Topic& topic : contents.topics) {
        const auto level = std::min<std::size_t>(static_cast<std::size_t>(topic.level), parents.size());
        parents.resize(level);
        auto* item = new QTreeWidgetItem;
        item->setText(0, topic.name.isEmpty() ? topic.local : topic.name);
        item->setData(0, PageRole, topic.local);
        if (parents.empty())
            top << item;
        else
            parents.back()->addChild(item);
        parents.push_back(item);
    }
    tree_->addTopLevelItems(top);
    tree_->expandAll();
}

// Keeps the tree on the page shown, whether it came from the tree, a link or
// the history.
void HelpWindow::followPage(const QUrl& url) {
    const QString page = pageOf(url);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        if (pageOf(pageUrl((*it)->data(0, PageRole).toString()).adjusted(QUrl::RemoveFragment)) == page) {
            const QSignalBlocker quiet(tree_);
            tree_->setCurrentItem(*it);
            return;
        }
    }
}

} // namespace help
