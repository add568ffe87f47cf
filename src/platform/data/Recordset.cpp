#include "platform/data/Recordset.h"

#include "platform/core/Error.h"
#include "platform/data/Store.h"

#include <QFileInfo>

using platform::Error;
namespace err = platform::err;

namespace data {
namespace {
[[noreturn]] void noCurrentRecord() {
    throw Error(err::NoCurrentRecord, QStringLiteral("No current record."));
}
} // namespace

Recordset::Recordset(QStringList fields) : fields_(std::move(fields)) {}
Recordset::~Recordset() = default;

void Recordset::setFields(QStringList fields) {
    if (db_.isOpen())
        throw Error(err::InvalidProperty, QStringLiteral("The fields of an open record set cannot change."));
    fields_ = std::move(fields);
}

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
    {
        // The first read finds out whether this is a database at all.
        Statement st(db,
                     QStringLiteral(
                         "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
        st.bind(1, table);
        if (!st.step())
            throw Error(err::NoSuchTable, QStringLiteral("It has no table %1.").arg(table));
        table_ = st.text(0);
    }
    QStringList missing = fields_;
    Statement columns(db, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
    columns.bind(1, table_);
    while (columns.step())
        missing.removeIf(
            [&](const QString& f) { return f.compare(columns.text(0), Qt::CaseInsensitive) == 0; });
    if (!missing.isEmpty())
        throw Error(
            err::NoSuchTable,
            QStringLiteral("Its table %1 has no field %2.").arg(table_, missing.join(QLatin1String(", "))));
    db.exec("PRAGMA synchronous = FULL");

    db_ = std::move(db);
    index_.clear();
    adding_ = editing_ = noMatch_ = false;
    try {
        land(keyset().first(), Pos::Empty);
    } catch (const Error&) {
        // A first record that cannot be read leaves the book closed.
        db_ = Database();
        pos_ = Pos::Empty;
        throw;
    }
}

void Recordset::probeWrite() {
    requireOpen();
    db_.probeWrite();
}

Keyset Recordset::keyset() const { return Keyset(db_, table_, fields_, !index_.isEmpty()); }

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

int Recordset::RecordCount() const {
    requireOpen();
    Statement st(db_, QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table_)));
    st.step();
    return int(st.integer(0));
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
            added_ = insertRecord(db_, table_, fields_, values);
            // An empty table had no position to go back to: the new record is it.
            if (pos_ == Pos::Empty)
                land(added_, Pos::Empty);
            // Otherwise a stored new record leaves the position where it was before AddNew.
        } else {
            // Only what differs from the record as read is stored: a field
            // nobody changed keeps its stored bytes, whatever they are.
            QList<int> changed;
            for (int i = 0; i < fields_.size(); ++i)
                if (values.value(i) != values_.value(i))
                    changed << i;
            const Row stored =
                updateRecord(db_, table_, fields_, key_.rowid, changed, values, expected_, conflicts_);
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
    const auto row = readRecord(db_, table_, fields_, key_.rowid);
    if (row)
        land(row, Pos::Empty);
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
    db_.transaction([&] {
        Statement st(db_, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteIdentifier(table_)));
        st.bind(1, key_.rowid);
        st.step();
    });
    pos_ = Pos::Deleted;
    values_.clear();
    editing_ = false;
    raiseAfter();
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
    if (!name.isEmpty()) {
        Statement st(db_, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                                         "?1 AND name = ?2 COLLATE NOCASE"));
        st.bind(1, table_).bind(2, name);
        if (!st.step())
            throw Error(err::NotAnIndex, QStringLiteral("'%1' isn't an index in this table.").arg(name));
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

void Recordset::Close() {
    requireOpen();
    raiseBefore(ActionClose);
    db_ = Database();
    pos_ = Pos::Empty;
    values_.clear();
    adding_ = editing_ = false;
    index_.clear();
    raiseAfter();
}

QString Recordset::field(const QString& name) const {
    requireOpen();
    if (pos_ != Pos::On || adding_)
        noCurrentRecord();
    const auto column = fields_.indexOf(name);
    if (column < 0)
        throw Error(err::InvalidProperty, QStringLiteral("Item not found in this collection: %1.").arg(name));
    return values_.value(column);
}

} // namespace data
