#pragma once

#include "platform/core/Error.h"
#include "platform/data/Recordset.h"

#include <QList>
#include <QString>

#include <functional>

namespace data {

// What the binder asks of whoever shows the record.
class Prompt {
public:
    virtual ~Prompt() = default;
    // Another program changed or deleted the record being stored; the
    // question says which. True stores the typing over it.
    virtual bool storeOver(const QString& question) = 0;
    // Runs a store, which may wait while another program holds the file.
    virtual void whileWaiting(const std::function<void()>& store) { store(); }
};

// A field of the record shown in a box: filled when a record is shown, read
// back when it is stored.
struct BoundField {
    QString field;
    std::function<QString()> text;
    std::function<void(const QString& text, bool readOnly)> show;
};

// Ties fields of a record set to boxes. It owns the record set, fills the
// boxes from the current record, raises Validate before every move, store,
// delete and close, and stores the boxes when Save stays True. Another
// program's store is never overwritten unasked.
class RecordBinder {
public:
    explicit RecordBinder(Prompt& prompt);
    ~RecordBinder();
    RecordBinder(const RecordBinder&) = delete;
    RecordBinder& operator=(const RecordBinder&) = delete;

    data::Recordset& recordset() { return recordset_; }

    void bind(BoundField field);
    // Opens the table with the bound fields, in the order they were bound,
    // and fills the boxes; they are blank when it fails, and the error,
    // worded as an Open failure, rises.
    void open(const QString& path, const QString& table);

    // The user typed into a bound box (never our own filling).
    void typed() { changed_ = true; }
    bool changed() const { return changed_; }
    // Refills the boxes from the stored record, dropping typed changes; a
    // pending new record is abandoned.
    void refill();
    // Fills the boxes from the current record as read.
    void fill();

    // Validate(Action, Save): Save arrives True (-1) when a bound box changed.
    void setValidateHandler(std::function<void(int& action, int& save)> handler) {
        validate_ = std::move(handler);
    }
    // Called before Validate with the action about to run.
    void setBeforeValidate(std::function<void(int action)> hook) { beforeValidate_ = std::move(hook); }
    // Called after every action that moved, stored, added or deleted, once
    // the boxes show the result.
    void setAfterAction(std::function<void()> hook) { afterAction_ = std::move(hook); }

    // What failed: opening the file, the check at opening that stores can be
    // written, reading a record, storing one. Conflict is the question asked
    // when another program changed or deleted the record being stored.
    enum class Failure { Open, ReadOnly, Read, Store, Conflict };
    // Words the message of a failure (what the user should do differs by what
    // the records are); `cause` is the record set's error.
    void setFailureText(std::function<QString(Failure, const platform::Error& cause)> text) {
        failureText_ = std::move(text);
    }
    QString failureText(Failure failure, const platform::Error& cause) const;

private:
    void validate(int action);
    void store(const QStringList& values);

    Prompt& prompt_;
    data::Recordset recordset_;
    QList<BoundField> bindings_;
    bool changed_ = false;
    std::function<void(int&, int&)> validate_;
    std::function<void(int)> beforeValidate_;
    std::function<void()> afterAction_;
    std::function<QString(Failure, const platform::Error&)> failureText_;
};

} // namespace data
