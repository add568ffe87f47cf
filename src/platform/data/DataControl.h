#pragma once

#include "platform/core/Error.h"
#include "platform/data/RecordCounter.h"
#include "platform/data/Recordset.h"

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>

namespace data {

// The record navigator: first/previous arrows, a caption, next/last arrows.
// It owns the record set, fills the bound text boxes from the current record,
// notices the user's typing, raises Validate before every move, store, delete
// and close, and stores the boxes when Save stays True.
class DataControl : public QWidget {
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

    data::Recordset& Recordset() { return recordset_; }

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
    bool DataChanged() const { return changed_; }
    // Refills the boxes from the stored record, dropping typed changes; a
    // pending new record is abandoned.
    void UpdateControls();

    // Validate(Action, Save): Save arrives True (-1) when a bound box changed.
    void setValidateHandler(std::function<void(int& action, int& save)> handler) {
        validate_ = std::move(handler);
    }

    // What failed: opening the file, the check at opening that stores can be
    // written, reading a record, storing one. Conflict is the question asked
    // when another program changed or deleted the record being stored:
    // Yes stores the typing over it.
    enum class Failure { Open, ReadOnly, Read, Store, Conflict };
    // Words the message of a failure (what the user should do differs by what
    // the records are); `cause` is the record set's error, cause() says why.
    void setFailureText(std::function<QString(Failure, const platform::Error& cause)> text) {
        failureText_ = std::move(text);
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
    struct Binding {
        QLineEdit* box;
        QString field;
    };

    void validate(int action);
    void store(const QStringList& values);
    void fillBoxes();
    void arrow(const std::function<void()>& move);
    void followCount();
    void followFile();

    QString databaseName_;
    QString connect_ = QStringLiteral("Access");
    QString recordSource_;
    data::Recordset recordset_;
    QList<Binding> bindings_;
    bool changed_ = false;
    std::function<void(int&, int&)> validate_;
    QString failureText(Failure failure, const platform::Error& cause) const;

    std::function<QString(Failure, const platform::Error&)> failureText_;
    QToolButton* first_;
    QToolButton* previous_;
    QLabel* caption_;
    QToolButton* next_;
    QToolButton* last_;
    RecordCounter* counter_;
    QTimer* countStart_;
    QTimer* countCheck_;
    QTimer* writeCheck_;
    std::optional<qint64> lastCount_;
    bool drawn_ = false;
    bool countAfterDrawing_ = false;
};

} // namespace data
