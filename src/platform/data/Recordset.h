#pragma once

#include "platform/data/Keyset.h"
#include "platform/data/Sqlite.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace data {

// Actions the data control reports to its Validate event.
enum Action {
    ActionMoveFirst = 1,
    ActionMovePrevious = 2,
    ActionMoveNext = 3,
    ActionMoveLast = 4,
    ActionAddNew = 5,
    ActionUpdate = 6,
    ActionDelete = 7,
    ActionFind = 8,
    ActionClose = 10,
};

// What the file looked like when a count began: the count is true only if
// neither this record set nor another program changed the table since.
struct CountTicket {
    qint64 dataVersion = 0;
    quint64 ownChanges = 0;
};

// A table-type record set over one SQLite table: a current record, moves in
// rowid order or, once Index is set, in the order of that index; seeks in it.
// Every failing member throws platform::Error.
class Recordset {
public:
    // Names of the columns the record set reads and writes, in this order,
    // and the column an index orders the records by (see setIndex).
    explicit Recordset(QStringList fields = {}, QString orderField = {});
    ~Recordset();

    // Opens an existing database file and one of its tables and makes the
    // first record current (no Validate).
    void open(const QString& path, const QString& table);
    // Runs on a newly opened file before its first read: the owner of the
    // records brings the file up to date there, or refuses it by throwing.
    void setOnOpen(std::function<void(Database&)> hook) { onOpen_ = std::move(hook); }
    bool isOpen() const { return db_.isOpen(); }
    // Throws the cause when nothing could be stored now (the file or its
    // folder is read-only, ...); stores nothing.
    void probeWrite();

    // Raised before every move, seek, store, delete and close; may store the
    // pending values through writeRecord() or abandon them through CancelUpdate().
    void setBeforeAction(std::function<void(int action)> hook) { before_ = std::move(hook); }
    // Raised after every action that changed the position or the table.
    void setAfterAction(std::function<void()> hook) { after_ = std::move(hook); }

    // The number of records now in the table. Counts them all when the kept
    // count is unknown or another program changed the file.
    int RecordCount();
    // The kept count while it is still true, without counting: own stores and
    // deletes adjust it; another program's change drops it. Never waits for
    // another program's lock (the last count is still the best known then).
    std::optional<qint64> KnownCount();
    // For a count taken elsewhere (another connection, another thread); none
    // while another program holds the file locked.
    std::optional<CountTicket> countTicket();
    // Keeps a count taken elsewhere, when nothing changed since its ticket.
    bool keepCount(qint64 count, const CountTicket& ticket);
    // Whether the table holds no record: one probe, not a count.
    bool isEmpty();
    const QString& path() const { return path_; }
    const QString& table() const { return columns_.table; }
    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();
    void MoveFirst();
    void MovePrevious();
    void MoveNext();
    void MoveLast();
    // EOF and BOF are macros in C, hence the spelling.
    bool Eof() const { return pos_ == Pos::Eof || pos_ == Pos::Empty; }
    bool Bof() const { return pos_ == Pos::Bof || pos_ == Pos::Empty; }
    QString Index() const { return index_; }
    // Selects an index of the table by its name; moves and seeks then follow
    // the order field (case-insensitive, then rowid).
    void setIndex(const QString& name);
    void Seek(const QString& comparison, const QString& key);
    // Moves to the record whose id field holds `id`, as Seek moves; NoMatch
    // tells when there is none, and the current record stays.
    void MoveToId(const QString& id);
    bool NoMatch() const { return noMatch_; }
    void Close();

    bool hasCurrent() const { return pos_ == Pos::On; }
    bool isAdding() const { return adding_; }
    // The current record's value of a field; no record current throws.
    QString field(const QString& name) const;
    const QStringList& fields() const { return columns_.fields; }
    // Names the columns anew; only while closed.
    void setFields(QStringList fields);
    void setOrderField(QString field);
    // A column that names each record for good (rowids may be renumbered by
    // another program); used where the table has it. A new record stored
    // here gets its id from `newId`. Only while closed.
    void setIdField(QString field, std::function<QString()> newId);

    // What follow() found another program had done.
    enum class Followed {
        Nothing,          // nothing that touches what is shown
        Reread,           // the current record is read again, as stored now
        Moved,            // it was deleted: its neighbour in the order is current now
        ChangedUnderEdit, // it changed, and the values read before are kept
        DeletedUnderEdit, // it was deleted, and the values read before are kept
    };
    // Looks whether another program changed the file since the last look (one
    // cheap check, never waiting for a lock) and, if so, finds the current
    // record again: by its id where it has one, else by its rowid. With
    // `keepValues` (the user is changing it) the values read before stay,
    // so that a store still compares against what the user started from.
    // A pending new record, or a position off the ends, stays as it is; an
    // empty table that got records shows its first.
    Followed follow(bool keepValues);

    // Stores values for every field: inserts the pending new record, or
    // stores in the current one the fields whose values differ from the
    // record as read here, provided another program has not changed those
    // fields meanwhile (cause ChangedElsewhere, naming them in
    // changedElsewhere(); a second call then stores over them). One
    // transaction; on failure nothing changes.
    void writeRecord(const QStringList& values);
    // Stores the values as a new record: the current one was deleted by
    // another program (cause DeletedElsewhere of writeRecord).
    void storeAsNew(const QStringList& values);
    // The fields of the last ChangedElsewhere.
    const QStringList& changedElsewhere() const { return conflicts_; }
    // Reads the current record again as it is stored now; false when there
    // is none or it is gone (the next follow() then gives way to its neighbour).
    bool reload();

private:
    enum class Pos { Empty, Bof, On, Eof, Deleted };

    struct Prepared;

    Keyset& keyset();
    std::optional<qint64> dataVersion(bool wait);
    std::optional<Row> findCurrent();
    Followed followCurrent(bool keepValues);
    void prepare(Database& db);
    void requireOpen() const;
    void raiseBefore(int action);
    void raiseAfter();
    void land(const std::optional<Row>& row, Pos otherwise);
    void leavePendingAdd();

    Columns columns_;
    QString path_;
    Database db_;
    std::unique_ptr<Prepared> prepared_; // its statements end before the connection
    std::optional<qint64> kept_;         // the count, true as of keptVersion_
    qint64 keptVersion_ = 0;
    qint64 seenVersion_ = 0; // the file's version at follow()'s last look
    QString idField_;
    std::function<QString()> newId_;
    quint64 ownChanges_ = 0;
    QString index_;
    Pos pos_ = Pos::Empty;
    Key key_;
    QStringList values_;
    QStringList expected_; // what a store expects the stored fields to hold
    QStringList conflicts_;
    bool adding_ = false;
    bool editing_ = false;
    bool noMatch_ = false;
    std::optional<Row> added_; // the new record last stored by writeRecord
    std::function<void(int)> before_;
    std::function<void()> after_;
    std::function<void(Database&)> onOpen_;
};

} // namespace data
