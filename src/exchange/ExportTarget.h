#pragma once

#include <QString>

#include <memory>

class QIODevice;

namespace platform {
class SaveFile;
}

namespace exchange {

// Where an export goes. A regular file, or a new one, is written beside and
// put in place whole when the export is done, so a failed export leaves the
// old file as it was. Anything else that is there already (a device, a named
// pipe, standard output as "-" or /dev/stdout) is written into as a stream:
// never replaced, its permissions never changed. Every failure throws
// platform::Error(FileAccess) in words a user can act on; a target refused
// at the start is left untouched.
class ExportTarget {
public:
    explicit ExportTarget(const QString& path);
    ~ExportTarget();
    ExportTarget(const ExportTarget&) = delete;
    ExportTarget& operator=(const ExportTarget&) = delete;

    QIODevice& device();
    // Contacts on standard output leave no room there for the summary.
    bool isStandardOutput() const;
    // The file's path, or "standard output".
    QString name() const;
    // Makes the export final: the file put in place, or the stream flushed.
    void commit();
    // Why writing failed, as a clause: "cannot write it: the disk is full ...".
    QString writeProblem(const QString& what) const;

private:
    QString path_;
    int descriptor_ = -1;                // written through when the path names one of ours
    platform::SaveFile* save_ = nullptr; // file_ when it replaces a file
    std::unique_ptr<QIODevice> file_;
};

} // namespace exchange
