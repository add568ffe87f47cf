#pragma once

#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineProfile;
class QWebEngineView;

namespace help {

class ChmFile;
struct Sitemap;

// The help viewer: a top-level window of its own with the file's contents
// as a tree beside the page. Pages and images come from the help file.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The contents and the index as read from the file, off the window's thread.
    HelpWindow(std::shared_ptr<const ChmFile> file, const Sitemap& contents, const Sitemap& index);
    ~HelpWindow() override;

    const ChmFile& file() const { return *file_; }
    QWebEngineView* view() const { return view_.get(); }
    QTreeWidget* contents() const { return tree_; }
    QListWidget* index() const { return index_; }

    // Shows a page of the file by its path inside it.
    void showTopic(const QString& local);

private:
    void addTopics(const Sitemap& contents);
    QWidget* makeIndex(const Sitemap& index);
    void filterIndex(const QString& typed);
    void followPage(const QUrl& url);

    std::shared_ptr<const ChmFile> file_;
    QWebEngineProfile* profile_;
    QTreeWidget* tree_;
    QLineEdit* keyword_;
    QListWidget* index_;
    // Held here, not only by the splitter: members go before children, so the
    // view and its page go before the profile they were made with.
    std::unique_ptr<QWebEngineView> view_;
};

} // namespace help
