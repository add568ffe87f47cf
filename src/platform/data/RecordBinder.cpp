#include "platform/data/RecordBinder.h"

namespace data {

RecordBinder::RecordBinder(Prompt& prompt) : prompt_(prompt) {
    recordset_.setBeforeAction([this](int action) { validate(action); });
    recordset_.setAfterAction([this] {
        fill();
        if (afterAction_)
            afterAction_();
    });
}

RecordBinder::~RecordBinder() {
    // The boxes may already be gone; nothing may be refilled or asked now.
    recordset_.setBeforeAction({});
    recordset_.setAfterAction({});
}

void RecordBinder::bind(BoundField field) { bindings_.append(std::move(field)); }

void RecordBinder::open(const QString& path, const QString& table) {
    try {
        QStringList fields;
        for (const BoundField& b : bindings_)
            if (!fields.contains(b.field))
                fields << b.field;
        recordset_.setFields(fields);
        recordset_.open(path, table);
    } catch (const platform::Error& error) {
        fill();
        throw platform::Error(error.number(), failureText(Failure::Open, error), error.cause());
    }
    fill();
}

QString RecordBinder::failureText(Failure failure, const platform::Error& cause) const {
    return failureText_ ? failureText_(failure, cause) : cause.description();
}

void RecordBinder::validate(int action) {
    if (beforeValidate_)
        beforeValidate_(action);
    // The typing goes to the record where it is now, should another program
    // have renumbered it since the last look.
    if (changed_)
        recordset_.follow(true);
    int act = action;
    int save = changed_ ? -1 : 0;
    if (validate_)
        validate_(act, save);
    if (save == 0 || !changed_)
        return;
    QStringList values;
    for (const QString& field : recordset_.fields()) {
        QString value;
        for (const BoundField& b : bindings_)
            if (b.field == field)
                value = b.text();
        values << value;
    }
    store(values);
}

void RecordBinder::store(const QStringList& values) {
    bool asNew = false;
    for (;;) {
        try {
            prompt_.whileWaiting(
                [&] { asNew ? recordset_.storeAsNew(values) : recordset_.writeRecord(values); });
            return;
        } catch (const platform::Error& error) {
            // The move or close stops here and the boxes keep what was typed.
            const int cause = error.cause();
            if (cause != platform::err::ChangedElsewhere && cause != platform::err::DeletedElsewhere)
                throw platform::Error(platform::err::StoreFailed, failureText(Failure::Store, error), cause);
            if (!prompt_.storeOver(failureText(Failure::Conflict, error)))
                throw platform::Error(platform::err::StoreFailed, QString(), platform::err::Declined);
            asNew = cause == platform::err::DeletedElsewhere;
        }
    }
}

void RecordBinder::refill() {
    if (recordset_.isAdding()) {
        recordset_.CancelUpdate(); // refills through the after-action hook
        return;
    }
    // The stored record as it is now: another program may have changed it.
    platform::resumeNext([&] { recordset_.reload(); });
    fill();
}

void RecordBinder::fill() {
    const bool showing = recordset_.isOpen() && recordset_.hasCurrent() && !recordset_.isAdding();
    // Without an open record set nothing typed could ever be stored: take none.
    const bool readOnly = !recordset_.isOpen();
    for (const BoundField& b : bindings_)
        b.show(showing ? recordset_.field(b.field) : QString(), readOnly);
    changed_ = false;
}

} // namespace data
