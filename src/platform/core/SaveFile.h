#pragma once

#include <QIODevice>
#include <QString>

// Writing whole files, and the one wording of why a write failed.
namespace platform {

// "the disk is full", the same for every write the programs make; with the
// disk that holds `path` when one is given: "the disk is full (the one
// mounted at /home)".
QString diskFull(const QString& path = {});

// The system's words for `error` (an errno), a full disk said as above.
QString systemError(int error, const QString& path = {});

// A whole file written beside its place, under a name of the program's own
// ("NAME.quorvel-save-" and six letters), and put in place by one rename
// once all of it is out, so that a failed or killed write leaves the old
// file as it was. The new file takes the old one's mode (and owner, where
// that may be given); a symbolic link is written through. A write that fails
// is remembered until commit(), with its cause.
class SaveFile : public QIODevice {
public:
    explicit SaveFile(const QString& path);
    ~SaveFile() override; // an uncommitted file is removed

    // Makes the file beside its place; false with failure() set.
    bool create();
    // Puts the complete file in place; false with failure() set, the old file untouched.
    bool commit();
    // Why the file could not be made or written, as a clause.
    QString failure() const { return failure_; }
    bool isSequential() const override { return true; }

    // Removes what saves to `path` left behind when they were killed before
    // their rename: only files named as this class names them, none younger
    // than a few seconds (it may belong to another copy saving right now).
    static void removeLeftovers(const QString& path);

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int error);
    void discard();
    QString path_;   // as given, for the wording
    QString target_; // where the file is put: a link's target
    QByteArray temporary_;
    int fd_ = -1;
    QString failure_;
};

} // namespace platform
