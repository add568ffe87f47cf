#pragma once

#include <QString>

#include <exception>
#include <string>
#include <utility>

namespace platform {

// The one error a platform member raises when it fails. Handlers either skip
// it step by step (resumeNext) or let it rise to the window's dispatcher.
class Error : public std::exception {
public:
    // `cause`: why, when the number says only what failed (a store that
    // failed because the file is read-only); by default the number itself.
    Error(int number, QString description, int cause = 0);

    int number() const noexcept { return number_; }
    int cause() const noexcept { return cause_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    int number_;
    int cause_;
    QString description_;
    std::string utf8_;
};

// Error numbers the program looks at; the rest only travel with their text.
namespace err {
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int UpdateWithoutEdit = 3020;
inline constexpr int NoCurrentIndex = 3019;
inline constexpr int NotAnIndex = 3800;
inline constexpr int ObjectClosed = 3420;
inline constexpr int CannotOpenDatabase = 3051;
inline constexpr int NotADatabase = 3343;
inline constexpr int NoSuchTable = 3078;
inline constexpr int StoreFailed = 3197;
inline constexpr int EngineFailure = 3146;
inline constexpr int FileNotFound = 53;
// Why the phone book file could not be opened, read or written.
inline constexpr int FileMissing = 3024;
inline constexpr int IsAFolder = 3043;
inline constexpr int EmptyFile = 3045;
inline constexpr int Damaged = 3049;
inline constexpr int Locked = 3260;
inline constexpr int ReadOnlyFile = 3027;
inline constexpr int ReadOnlyFolder = 3033;
inline constexpr int FileMoved = 3044;
inline constexpr int DiskFull = 3035;
inline constexpr int NewerBook = 3447;
inline constexpr int DuplicateKey = 3022; // a value that a unique index already holds
inline constexpr int DeletedElsewhere = 3167;
inline constexpr int ChangedElsewhere = 3188;
// The user answered a question by not storing: nothing more to tell.
inline constexpr int Declined = 3189;
inline constexpr int FileAccess = 75;
inline constexpr int BadFileFormat = 62;
inline constexpr int Overflow = 6;
inline constexpr int TypeMismatch = 13;
inline constexpr int InvalidProperty = 380;
inline constexpr int PortNotOpen = 8018;
inline constexpr int PortOpenFailed = 8002;
inline constexpr int PortWriteFailed = 8020;
// A link, or a number a contact holds, that names no number the modem can dial.
inline constexpr int NotADialLink = 8030;
} // namespace err

// Runs one step of a handler that skips failing steps: a platform error ends
// only this step. Returns whether the step succeeded. The one error never
// skipped is a store of typed values that failed: it ends the handler and
// rises to the dispatcher, so the user learns that nothing was saved.
template <typename Step> bool resumeNext(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const Error& error) {
        if (error.number() == err::StoreFailed)
            throw;
        return false;
    }
}

} // namespace platform
