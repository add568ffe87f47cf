#pragma once

#include "platform/data/Sqlite.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Who is calling and the call log, in the book (version 3 on). No reading of
// numbers here: the links layer's key is handed in.
namespace book {

// The one match key of a number as the links layer reads it; empty for none.
using KeyOf = std::function<QString(const QString& number)>;

// Makes the match keys of the contacts added or changed since the last time
// (listed by the book's triggers), a few thousand a transaction, while
// `goOn` (when given) says so between them; returns how many contacts it
// read. When none is due this is one probe of an empty table.
qint64 bringNumbersCurrent(data::Database& db, const KeyOf& keyOf, const std::function<bool()>& goOn = {});

// Whether any contact's keys are still to be made: one probe.
bool numbersDue(const data::Database& db);

// A contact found by a number.
struct Holder {
    QString id;
    QString name;
    QString company;
    QString field;  // "Phone" or "Mobile"
    QString number; // as that field holds it
};

// The contact holding a number of that key: one probe of the key index, and
// one of the id index for its fields, through a statement prepared once.
class HolderFinder {
public:
    explicit HolderFinder(const data::Database& db);
    std::optional<Holder> find(const QString& key);

private:
    data::Statement find_;
};

// The same, once.
std::optional<Holder> holderOfKey(const data::Database& db, const QString& key);

struct Call {
    enum class Way { In, Out };
    QDateTime at;
    Way way = Way::In;
    QString number;      // as the network gave it, or as it was dialed
    QString key;         // its match key, to name the contact later
    QString contactId;   // the contact it was found to be, if any
    QString networkName; // the name the network gave an incoming call
    QString answer;      // the modem's answer to a dial; empty for none
    QString contactName; // read back: the contact's name as the book has it now
};

// Keeps a call; the book drops the oldest beyond the last CallsKept.
void logCall(data::Database& db, const Call& call);

// The calls at or after `since` (all when invalid), newest first.
std::vector<Call> callsSince(const data::Database& db, const QDateTime& since);

} // namespace book
