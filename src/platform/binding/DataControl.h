#pragma once

#include "platform/core/Error.h"
#include "platform/data/RecordBinder.h"
#include "platform/data/RecordCounter.h"
#include "platform/data/Recordset.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>

namespace binding {

// The record navigator: first/previous arrows, a caption, next/last arrows.
// Its binder owns the record set and fills the bound text boxes; the control
// notices the user's typing, follows other programs' changes and asks the
// user before a store overwrites one.
class DataControl : public QWidget, private data::Prompt {
    Q_OBJECT
public:
    explicit DataControl(QWidget* parent = nullptr);
    ~DataControl() override;

    QString DatabaseName() const { return databaseName_; }
    void setDatabaseName(const QString& path) { databaseName_ = path; }
    QString Connect() const { return connect_; }
    void setConnect(const QString& connect) { connect_ = connect; }
    QString RecordSource() const { return recordSource_; }
    void setRecordSource(const QString& table) { recordSource_ = table; }
    QString Caption() const;
    void setCaption(const QString& caption);

    data::Recordset& Recordset() { return binder_.recordset(); }

    // Binds a text box to a field of the record source.
    void bind(QLineEdit* box, const QString& field);

    // Opens DatabaseName and RecordSource and shows the first record. On a
    // failure the boxes stay blank and the error, saying which file and what
    // to do, rises to the caller. A file that opens but takes no stores is
    // told once, from the event loop, once the first record is shown.
    void Refresh();

    // The number of records as far as it is known without counting them.
    // When it is not known, a count starts in the background (once the
    // window is drawn, when it is being shown) and RecordCountChanged brings
    // the answer.
    std::optional<qint64> KnownRecordCount();

    // Whether a bound box was typed into since the record was shown.
    bool DataChanged() const { return binder_.changed(); }
    // Refills the boxes from the stored record, dropping typed changes; a
    // pending new record is abandoned.
    void UpdateControls() { binder_.refill(); }

    // Validate(Action, Save): Save arrives True (-1) when a bound box changed.
    void setValidateHandler(std::function<void(int& action, int& save)> handler) {
        binder_.setValidateHandler(std::move(handler));
    }

    // What failed; Conflict is asked with Yes and No, Yes storing the typing
    // over the other program's change.
    using Failure = data::RecordBinder::Failure;
    // Words the message of a failure (what the user should do differs by what
    // the records are); `cause` is the record set's error, cause() says why.
    void setFailureText(std::function<QString(Failure, const platform::Error& cause)> text) {
        binder_.setFailureText(std::move(text));
    }

    // The arrow buttons, for tests and key handling.
    QToolButton* firstButton() const { return first_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }
    QToolButton* lastButton() const { return last_; }

signals:
    // After every action that moved, stored, added or deleted.
    void Reposition();
    // The record count became known or changed, by this program or another.
    void RecordCountChanged(qint64 count);
    // Another program changed (or deleted) the record whose boxes the user
    // is typing in; the boxes keep the typing.
    void ChangedUnderTyping(bool deleted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool storeOver(const QString& question) override;
    void whileWaiting(const std::function<void()>& store) override;

    void arrow(const std::function<void()>& move);
    void followCount();
    void followFile();

    QString databaseName_;
    QString connect_ = QStringLiteral("Access");
    QString recordSource_;
    data::RecordBinder binder_{*this};
    QToolButton* first_;
    QToolButton* previous_;
    QLabel* caption_;
    QToolButton* next_;
    QToolButton* last_;
    data::RecordCounter* counter_;
    QTimer* countStart_;
    QTimer* countCheck_;
    QTimer* writeCheck_;
    std::optional<qint64> lastCount_;
    bool drawn_ = false;
    bool countAfterDrawing_ = false;
};

} // namespace binding
