#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace web {

// The box a page's alert(), confirm() or prompt() shows: the page's text as
// plain text, a field for prompt(), and when the page has shown several in a
// row, a way to stop it showing more.
class PageDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Alert, Confirm, Prompt };
    PageDialog(Kind kind, const QString& origin, const QString& text, const QString& value, bool offerStop,
               QWidget* window);

    QString value() const;
    // Whether the user asked for no more boxes from this page.
    bool stopAsked() const;

private:
    QLineEdit* field_ = nullptr;
    QCheckBox* stop_ = nullptr;
};

} // namespace web
