#include "pages/web/PageDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace web {

PageDialog::PageDialog(Kind kind, const QString& origin, const QString& text, const QString& value,
                       bool offerStop, QWidget* window)
    : QDialog(window) {
    setObjectName(QStringLiteral("pageDialog"));
    setWindowTitle(tr("The page at %1 says").arg(origin));
    // It blocks the page's own window at most; every other window goes on.
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(text);
    // A page's text is shown as it is, never read as markup.
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(message);
    if (kind == Kind::Prompt) {
        field_ = new QLineEdit(value);
        field_->setObjectName(QStringLiteral("value"));
        field_->setAccessibleName(text);
        layout->addWidget(field_);
    }
    if (offerStop) {
        stop_ = new QCheckBox(tr("Stop this page from showing more boxes"));
        stop_->setObjectName(QStringLiteral("stop"));
        layout->addWidget(stop_);
    }
    auto* buttons = new QDialogButtonBox(
        kind == Kind::Alert ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (field_)
        field_->setFocus();
    else
        buttons->button(QDialogButtonBox::Ok)->setFocus();
}

QString PageDialog::value() const { return field_ ? field_->text() : QString(); }

bool PageDialog::stopAsked() const { return stop_ && stop_->isChecked(); }

} // namespace web
