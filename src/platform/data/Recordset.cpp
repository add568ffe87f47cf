#include "platform/data/Recordset.h"

#include "platform/core/Error.h"
#include "platform/data/Store.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

using platform::Error;
namespace err = platform::err;

namespace data {
namespace {
[[noreturn]] void noCurrentRecord() {
    throw Error(err::NoCurrentRecord, QStringLiteral("No current record."));
}
} // namespace

Recordset::Recordset(QStringList fields, QString orderField)
    : columns_{QString(), std::move(fields), std::move(orderField), QString()} {}
Recordset::~Recordset() = default;

void Recordset::setFields(QStringList fields) {
    if (db_.isOpen())
        throw Error(err::InvalidProperty, QStringLiteral("The fields of an open record set cannot change."));
    columns_.fields = std::move(fields);
}

void Recordset::setOrderField(QString field) {
    if (db_.isOpen())
        throw Error(err::InvalidProperty, QStringLiteral("The order of an open record set cannot change."));
    columns_.order = std::move(field);
}

void Recordset::setIdField(QString field, std::function<QString()> newId) {
    if (db_.isOpen())
        throw Error(err::InvalidProperty, QStringLiteral("The id of an open record set cannot change."));
    idField_ = std::move(field);
    newId_ = std::move(newId);
}

// Statements of one open record set, prepared on first use.
struct Recordset::Prepared {
    Prepared(const Database& db, const Columns& columns)
        : byRowid(db, columns, false), byOrder(db, columns, true), statements(db) {}
    Keyset byRowid;
    Keyset byOrder;
    StatementCache statements;
    QSet<QString> indexes; // names found, case-folded
};

namespace {
enum Slot { InsertSlot, UpdateSlot, DeleteSlot, CountSlot, DataVersionSlot, IndexLookupSlot };

// Says what is wrong with a file whose first read failed: a missing table or field.
void diagnose(const Database& db, const Columns& columns) {
    const QString& table = columns.table;
    Statement st(db, QStringLiteral(
                         "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
    st.bind(1, table);
    if (!st.step())
        throw Error(err::NoSuchTable, QStringLiteral("It has no table %1.").arg(table));
    QStringList missing = columns.fields;
    if (!columns.order.isEmpty() && !missing.contains(columns.order))
        missing << columns.order;
    Statement names(db, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
    names.bind(1, st.text(0));
    while (names.step())
        missing.removeIf(
            [&](const QString& f) { return f.compare(names.text(0), Qt::CaseInsensitive) == 0; });
    if (!missing.isEmpty())
        throw Error(err::NoSuchTable, QStringLiteral("Its table %1 has no field %2.")
                                          .arg(st.text(0), missing.join(QLatin1String(", "))));
}

bool hasColumn(const Database& db, const QString& table, const QString& column) {
    Statement st(db, QStringLiteral("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE"));
    st.bind(1, table).bind(2, column);
    return st.step();
}
} // namespace

void Recordset::open(const QString& path, const QString& table) {
    // The engine would call a folder unopenable and an empty file a database
    // without tables: neither says what is wrong.
    const QFileInfo file(path);
    if (!file.exists())
        throw Error(err::FileMissing, QStringLiteral("The file does not exist."));
    if (file.isDir())
        throw Error(err::IsAFolder, QStringLiteral("It is a folder, not a file."));
    if (file.size() == 0)
        throw Error(err::EmptyFile, QStringLiteral("The file is empty (0 bytes)."));
    Database db(path);
    db.exec("PRAGMA synchronous = FULL");
    // Neighbours in name order lie on pages far apart in a big book: 8 MB
    // keeps the inner pages of the table and the Name index at hand, so a
    // move reads one page, not three.
    db.exec("PRAGMA cache_size = -8192");
    prepared_.reset();
    db_ = std::move(db);
    path_ = path;
    columns_.table = table;
    index_.clear();
    adding_ = editing_ = noMatch_ = false;
    kept_.reset();
    // Opening reads one row and nothing else; only a failure looks further.
    try {
        if (onOpen_)
            onOpen_(db_);
        // A file the owner could not bring up to date may lack the id column.
        columns_.id = !idField_.isEmpty() && hasColumn(db_, table, idField_) ? idField_ : QString();
        prepared_ = std::make_unique<Prepared>(db_, columns_);
        land(keyset().first(), Pos::Empty);
        seenVersion_ = dataVersion(true).value_or(0);
    } catch (const Error&) {
        const auto closing = qScopeGuard([this] {
            prepared_.reset();
            db_ = Database();
            pos_ = Pos::Empty;
        });
        diagnose(db_, columns_);
        throw;
    }
}

void Recordset::probeWrite() {
    requireOpen();
    db_.probeWrite();
}

Keyset& Recordset::keyset() { return index_.isEmpty() ? prepared_->byRowid : prepared_->byOrder; }

void Recordset::requireOpen() const {
    if (!db_.isOpen())
        throw Error(err::ObjectClosed, QStringLiteral("The phone book is not open."));
}

void Recordset::raiseBefore(int action) {
    if (before_)
        before_(action);
}

void Recordset::raiseAfter() {
    if (after_)
        after_();
}

void Recordset::land(const std::optional<Row>& row, Pos otherwise) {
    if (row) {
        pos_ = Pos::On;
        key_ = row->key;
        values_ = row->values;
        expected_ = values_;
    } else {
        pos_ = otherwise;
        values_.clear();
    }
    editing_ = false;
}

// A move ends a new record that nobody stored: it is abandoned.
void Recordset::leavePendingAdd() { adding_ = false; }

std::optional<qint64> Recordset::dataVersion(bool wait) {
    // Asked on a timer too: a file another program holds locked must not
    // hold up the window, so that asking does not wait.
    if (!wait)
        db_.setWaitForLocks(false);
    std::optional<qint64> version;
    try {
        Run st =
            prepared_->statements.get(DataVersionSlot, [] { return QStringLiteral("PRAGMA data_version"); });
        st->step();
        version = st->integer(0);
    } catch (const Error&) {
        if (wait)
            throw;
    }
    if (!wait)
        db_.setWaitForLocks(true);
    return version;
}

std::optional<qint64> Recordset::KnownCount() {
    if (!isOpen() || !kept_)
        return std::nullopt;
    const auto version = dataVersion(false);
    if (version && *version != keptVersion_)
        kept_.reset();
    return kept_;
}

std::optional<CountTicket> Recordset::countTicket() {
    if (!isOpen())
        return std::nullopt;
    if (const auto version = dataVersion(false))
        return CountTicket{*version, ownChanges_};
    return std::nullopt;
}

bool Recordset::keepCount(qint64 count, const CountTicket& ticket) {
    if (!isOpen() || ticket.ownChanges != ownChanges_)
        return false;
    const auto version = dataVersion(false);
    if (!version || *version != ticket.dataVersion)
        return false;
    kept_ = count;
    keptVersion_ = *version;
    return true;
}

int Recordset::RecordCount() {
    requireOpen();
    if (const auto known = KnownCount())
        return int(*known);
    const qint64 version = *dataVersion(true);
    Run st = prepared_->statements.get(CountSlot, [this] {
        return QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(columns_.table));
    });
    st->step();
    kept_ = st->integer(0);
    keptVersion_ = version;
    return int(*kept_);
}

void Recordset::AddNew() {
    requireOpen();
    raiseBefore(ActionAddNew);
    adding_ = true;
    editing_ = false;
    raiseAfter();
}

void Recordset::Edit() {
    requireOpen();
    if (pos_ != Pos::On || adding_)
        noCurrentRecord();
    editing_ = true;
}

void Recordset::CancelUpdate() {
    adding_ = false;
    editing_ = false;
    raiseAfter();
}

void Recordset::Update() {
    requireOpen();
    if (!adding_ && !editing_)
        throw Error(err::UpdateWithoutEdit, QStringLiteral("Update without AddNew or Edit."));
    added_.reset();
    raiseBefore(ActionUpdate);
    // Values not written by the Validate step are the stored ones: nothing to store.
    // A new record stored here, with no move to follow, is the one to show.
    if (added_)
        land(added_, Pos::Empty);
    adding_ = editing_ = false;
    raiseAfter();
}

void Recordset::writeRecord(const QStringList& values) {
    requireOpen();
    if (!adding_ && pos_ != Pos::On)
        noCurrentRecord();
    try {
        if (adding_) {
            added_ =
                insertRecord(db_, columns_, values, !columns_.id.isEmpty() && newId_ ? newId_() : QString());
            ++ownChanges_;
            if (kept_)
                ++*kept_;
            // An empty table had no position to go back to: the new record is it.
            if (pos_ == Pos::Empty)
                land(added_, Pos::Empty);
            // Otherwise a stored new record leaves the position where it was before AddNew.
        } else {
            // Only what differs from the record as read is stored: a field
            // nobody changed keeps its stored bytes, whatever they are.
            QList<int> changed;
            for (int i = 0; i < columns_.fields.size(); ++i)
                if (values.value(i) != values_.value(i))
                    changed << i;
            const Row stored =
                updateRecord(db_, columns_, key_.rowid, changed, values, expected_, conflicts_);
            land(stored, Pos::Empty);
        }
    } catch (const Error& error) {
        throw Error(err::StoreFailed, error.description(), error.cause());
    }
    adding_ = editing_ = false;
    raiseAfter();
}

void Recordset::storeAsNew(const QStringList& values) {
    requireOpen();
    adding_ = true;
    try {
        writeRecord(values);
    } catch (const Error&) {
        adding_ = false;
        throw;
    }
}

bool Recordset::reload() {
    requireOpen();
    if (pos_ != Pos::On || adding_)
        return false;
    const auto row = findCurrent();
    if (row)
        land(row, Pos::Empty);
    else
        seenVersion_ = -1; // gone: the next follow() gives way to its neighbour
    return row.has_value();
}

void Recordset::Delete() {
    requireOpen();
    // A pending new record is not in the table, whatever its Validate does with
    // it; the record shown before AddNew, which is not on screen, must stay.
    const bool pendingNew = adding_;
    raiseBefore(ActionDelete);
    if (pos_ != Pos::On || pendingNew)
        noCurrentRecord();
    int deleted = 0;
    db_.transaction([&] {
        Run st = prepared_->statements.get(DeleteSlot, [this] {
            return QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteIdentifier(columns_.table));
        });
        st->bind(1, key_.rowid);
        st->step();
        deleted = db_.changes();
    });
    ++ownChanges_;
    if (kept_)
        *kept_ -= deleted;
    pos_ = Pos::Deleted;
    values_.clear();
    editing_ = false;
    raiseAfter();
}

bool Recordset::isEmpty() {
    requireOpen();
    return !prepared_->byRowid.first();
}

void Recordset::MoveFirst() {
    requireOpen();
    raiseBefore(ActionMoveFirst);
    leavePendingAdd();
    land(keyset().first(), Pos::Empty);
    raiseAfter();
    if (pos_ == Pos::Empty)
        noCurrentRecord();
}

void Recordset::MoveLast() {
    requireOpen();
    raiseBefore(ActionMoveLast);
    leavePendingAdd();
    land(keyset().last(), Pos::Empty);
    raiseAfter();
    if (pos_ == Pos::Empty)
        noCurrentRecord();
}

void Recordset::MoveNext() {
    requireOpen();
    raiseBefore(ActionMoveNext);
    leavePendingAdd();
    switch (pos_) {
    case Pos::Eof:
    case Pos::Empty:
        noCurrentRecord();
    case Pos::Bof:
        land(keyset().first(), Pos::Eof);
        break;
    case Pos::On:
    case Pos::Deleted:
        land(keyset().after(key_), Pos::Eof);
        break;
    }
    raiseAfter();
}

void Recordset::MovePrevious() {
    requireOpen();
    raiseBefore(ActionMovePrevious);
    leavePendingAdd();
    switch (pos_) {
    case Pos::Bof:
    case Pos::Empty:
        noCurrentRecord();
    case Pos::Eof:
        land(keyset().last(), Pos::Bof);
        break;
    case Pos::On:
    case Pos::Deleted:
        land(keyset().before(key_), Pos::Bof);
        break;
    }
    raiseAfter();
}

void Recordset::setIndex(const QString& name) {
    requireOpen();
    if (!name.isEmpty() && columns_.order.isEmpty())
        throw Error(err::NotAnIndex, QStringLiteral("This record set has no order to follow an index in."));
    // An index found once is not looked up again: Sort clicked twice costs one probe.
    if (!name.isEmpty() && !prepared_->indexes.contains(name.toCaseFolded())) {
        Run st = prepared_->statements.get(IndexLookupSlot, [] {
            return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                                  "?1 COLLATE NOCASE AND name = ?2 COLLATE NOCASE");
        });
        st->bind(1, columns_.table).bind(2, name);
        if (!st->step())
            throw Error(err::NotAnIndex, QStringLiteral("'%1' isn't an index in this table.").arg(name));
        prepared_->indexes.insert(name.toCaseFolded());
    }
    index_ = name;
}

void Recordset::Seek(const QString& comparison, const QString& key) {
    requireOpen();
    if (index_.isEmpty())
        throw Error(err::NoCurrentIndex, QStringLiteral("Operation invalid without a current index."));
    if (comparison != QLatin1String(">="))
        throw Error(err::InvalidProperty, QStringLiteral("Seek supports only the comparison \">=\"."));
    raiseBefore(ActionFind);
    leavePendingAdd();
    const auto row = keyset().atLeast(key);
    noMatch_ = !row;
    // A seek that finds nothing leaves no current record.
    land(row, Pos::Eof);
    raiseAfter();
}

void Recordset::MoveToId(const QString& id) {
    requireOpen();
    const auto row = keyset().withId(id);
    noMatch_ = !row;
    if (!row)
        return;
    raiseBefore(ActionFind);
    leavePendingAdd();
    land(row, Pos::Eof);
    raiseAfter();
}

void Recordset::Close() {
    requireOpen();
    raiseBefore(ActionClose);
    prepared_.reset();
    db_ = Database();
    kept_.reset();
    pos_ = Pos::Empty;
    values_.clear();
    adding_ = editing_ = false;
    index_.clear();
    raiseAfter();
}

Recordset::Followed Recordset::follow(bool keepValues) {
    if (!isOpen())
        return Followed::Nothing;
    const auto version = dataVersion(false);
    if (!version || *version == seenVersion_)
        return Followed::Nothing;
    // Another program's commit in progress is waited out by looking again at
    // the next call, never here.
    db_.setWaitForLocks(false);
    const auto waiting = qScopeGuard([this] { db_.setWaitForLocks(true); });
    try {
        const Followed followed = followCurrent(keepValues);
        seenVersion_ = *version;
        return followed;
    } catch (const Error&) {
        return Followed::Nothing;
    }
}

std::optional<Row> Recordset::findCurrent() {
    // An id is not reused: a record not found by it is gone, even if its
    // rowid now names another.
    if (!columns_.id.isEmpty() && !key_.id.isEmpty())
        return readRecordById(db_, columns_, key_.id);
    return readRecord(db_, columns_, key_.rowid);
}

Recordset::Followed Recordset::followCurrent(bool keepValues) {
    if (adding_)
        return Followed::Nothing;
    if (pos_ == Pos::Empty && !keepValues) {
        land(keyset().first(), Pos::Empty);
        return pos_ == Pos::On ? Followed::Moved : Followed::Nothing;
    }
    if (pos_ != Pos::On)
        return Followed::Nothing;
    const auto now = findCurrent();
    if (now && now->key.rowid == key_.rowid && now->key.value == key_.value && now->key.id == key_.id &&
        now->values == values_)
        return Followed::Nothing;
    if (keepValues) {
        if (!now)
            return Followed::DeletedUnderEdit;
        // Stores go to where the record is now, and compare against what the user saw.
        key_ = now->key;
        return now->values == values_ ? Followed::Nothing : Followed::ChangedUnderEdit;
    }
    if (now) {
        land(now, Pos::Empty);
        return Followed::Reread;
    }
    // The neighbour that the deleted record's place in the order leads to.
    auto next = keyset().after(key_);
    if (!next)
        next = keyset().before(key_);
    land(next, Pos::Empty);
    return Followed::Moved;
}

QString Recordset::field(const QString& name) const {
    requireOpen();
    if (pos_ != Pos::On || adding_)
        noCurrentRecord();
    const auto column = columns_.fields.indexOf(name);
    if (column < 0)
        throw Error(err::InvalidProperty, QStringLiteral("Item not found in this collection: %1.").arg(name));
    return values_.value(column);
}

} // namespace data
