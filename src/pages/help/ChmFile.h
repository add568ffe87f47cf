#pragma once

#include "pages/help/Contents.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct chmFile;

namespace help {

// One compiled help file, open for reading for as long as this lives.
// Opening throws platform::Error: FileNotFound, FileAccess (cannot be read)
// or BadFileFormat (damaged, or no help file at all).
class ChmFile {
public:
    explicit ChmFile(const QString& path);

    const QString& path() const { return path_; }
    const QString& title() const { return title_; }
    // The page to show first: the file's own default topic, else the first
    // page of its contents.
    const QString& defaultTopic() const { return defaultTopic_; }
    // The contents tree and the keyword index, empty when the file has none.
    std::vector<Topic> contents() const { return sitemap(contentsFile_); }
    std::vector<Topic> index() const { return sitemap(indexFile_); }

    // An object inside the file by its path ("page.html" or "/page.html");
    // nothing when it is not there or cannot be read whole.
    std::optional<QByteArray> read(const QString& name) const;

private:
    struct Close {
        void operator()(chmFile* file) const;
    };
    void readSystemRecord();
    std::vector<Topic> sitemap(const QString& name) const;

    QString path_;
    std::unique_ptr<chmFile, Close> file_;
    QString title_, defaultTopic_, contentsFile_, indexFile_;
};

} // namespace help
