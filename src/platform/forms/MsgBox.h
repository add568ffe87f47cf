#pragma once

#include <QString>

#include <memory>

namespace forms {

// Flag words and results of the message box, as the program's handlers use them.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbYesNo = 4;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbDefaultButton2 = 256;

inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// Answers every message box and input box. Production shows real dialogs;
// tests install a scripted answerer.
class Answerer {
public:
    virtual ~Answerer() = default;
    virtual int messageBox(const QString& prompt, int flags, const QString& title) = 0;
    // Returns the typed text; Cancel gives the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // Closes the message box showing `prompt` while it waits, as its Escape
    // would; nothing when none shows it.
    virtual void closeBox(const QString& prompt) { (void)prompt; }
};

// Shows a modal message box; an empty title gives the application title.
int MsgBox(const QString& prompt, int flags = vbOKOnly, const QString& title = {});
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
// For a box that something other than the user can make pointless: closes
// the open message box showing `prompt`, and its MsgBox returns.
void CloseMsgBox(const QString& prompt);

// The title of every box that gives none of its own.
QString applicationTitle();
void setApplicationTitle(const QString& text);

// Replaces the answerer for the rest of the run (or until replaced again).
// Returns the previous one so a test can restore it.
std::unique_ptr<Answerer> setAnswerer(std::unique_ptr<Answerer> answerer);

} // namespace forms
