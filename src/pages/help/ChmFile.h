#pragma once

#include "pages/help/Contents.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct chmFile;

namespace help {

// A damaged file may claim any length for an object; no help page or picture
// comes near this.
inline constexpr unsigned long long LargestObject = 64 * 1024 * 1024;

// One compiled help file, open for reading for as long as this lives.
// Opening throws platform::Error: FileNotFound, FileAccess (cannot be read)
// or BadFileFormat (no help file at all). CHMLib trusts what it reads: open
// only a file that a ChmCheck has found sound.
class ChmFile {
public:
    explicit ChmFile(const QString& path);
    // The same errors as opening for a file that is missing or cannot be read.
    static void checkReadable(const QString& path);

    const QString& path() const { return path_; }
    const QString& title() const { return title_; }
    // The page to show first: the file's own default topic, else the first
    // page of its contents.
    const QString& defaultTopic() const { return defaultTopic_; }
    // The contents tree and the keyword index, empty when the file has none.
    // Reading them may take a while on a large file; any thread may.
    Sitemap contents() const { return sitemap(contentsFile_); }
    Sitemap index() const { return sitemap(indexFile_); }

    // An object inside the file by its path ("page.html" or "/page.html");
    // nothing when it is not there or cannot be read whole.
    std::optional<QByteArray> read(const QString& name) const;

private:
    struct Close {
        void operator()(chmFile* file) const;
    };
    void readSystemRecord();
    Sitemap sitemap(const QString& name) const;

    QString path_;
    std::unique_ptr<chmFile, Close> file_;
    QString title_, defaultTopic_, contentsFile_, indexFile_;
};

} // namespace help
