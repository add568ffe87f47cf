#include "book/Calls.h"

#include "book/ContactIds.h"
#include "book/Schema.h"
#include "platform/data/Columns.h"

#include <algorithm>

namespace book {
namespace {
using data::quoteIdentifier;

QString q(const char* name) { return quoteIdentifier(QLatin1String(name)); }

// Sorts as text in time order: seconds, UTC.
QString stamp(const QDateTime& at) { return at.toUTC().toString(Qt::ISODate); }
} // namespace

bool numbersDue(const data::Database& db) {
    data::Statement probe(db, QStringLiteral("SELECT 1 FROM %1 UNION ALL SELECT 1 FROM %2 LIMIT 1")
                                  .arg(q(NumbersDueTable), q(NumbersScanTable)));
    return probe.step();
}

qint64 bringNumbersCurrent(data::Database& db, const KeyOf& keyOf, const std::function<bool()>& goOn) {
    if (!numbersDue(db))
        return 0;
    // A contact added by another tool has no id yet: the keys name ids.
    if (lacksContactIds(db))
        db.transaction([&] { assignContactIds(db); });
    qint64 read = 0;
    {
        data::Statement due(db, QStringLiteral("SELECT d.Row, p.%1, p.Phone, p.Mobile FROM %2 d "
                                               "LEFT JOIN %3 p ON p.rowid = d.Row LIMIT 4096")
                                    .arg(q(IdField), q(NumbersDueTable), q(Table)));
        data::Statement drop(db,
                             QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(q(NumbersTable), q(IdField)));
        data::Statement add(db,
                            QStringLiteral("INSERT OR IGNORE INTO %1 (Key, %2, Field) VALUES (?1, ?2, ?3)")
                                .arg(q(NumbersTable), q(IdField)));
        data::Statement done(db, QStringLiteral("DELETE FROM %1 WHERE Row = ?1").arg(q(NumbersDueTable)));
        // The contacts from before the keys: read on in rowid order from where the last batch ended.
        data::Statement scanAt(db, QStringLiteral("SELECT Next FROM %1").arg(q(NumbersScanTable)));
        data::Statement scan(db, QStringLiteral("SELECT rowid, %1, Phone, Mobile FROM %2 WHERE rowid > ?1 "
                                                "ORDER BY rowid LIMIT 4096")
                                     .arg(q(IdField), q(Table)));
        data::Statement scanned(db, QStringLiteral("UPDATE %1 SET Next = ?1").arg(q(NumbersScanTable)));
        data::Statement scanOver(db, QStringLiteral("DELETE FROM %1").arg(q(NumbersScanTable)));
        struct Row {
            qint64 row;
            QString id, phone, mobile;
            bool gone;
        };
        std::vector<Row> batch;
        // A batch a transaction: the window's stores wait for one batch at most.
        const auto oneBatch = [&] {
            batch.clear();
            bool scanning = false;
            {
                const data::Run at(scanAt);
                if (scanAt.step()) {
                    scanning = true;
                    const data::Run run(scan);
                    scan.bind(1, scanAt.integer(0));
                    while (scan.step())
                        batch.push_back({scan.integer(0), scan.text(1), scan.text(2), scan.text(3), false});
                }
            }
            if (scanning) {
                const data::Run run(batch.empty() ? scanOver : scanned);
                if (!batch.empty())
                    scanned.bind(1, batch.back().row);
                run->step();
                if (batch.empty())
                    batch.push_back({-1, {}, {}, {}, true}); // the scan is over; the due rows come next
            } else {
                const data::Run run(due);
                while (due.step())
                    batch.push_back({due.integer(0), due.text(1), due.text(2), due.text(3), due.isNull(1)});
            }
            for (const Row& row : batch) {
                if (!row.gone) {
                    {
                        const data::Run run(drop);
                        drop.bind(1, row.id);
                        drop.step();
                    }
                    const std::pair<const QString&, const char*> fields[] = {{row.phone, "Phone"},
                                                                             {row.mobile, "Mobile"}};
                    for (const auto& [text, field] : fields) {
                        const QString key = text.isEmpty() ? QString() : keyOf(text);
                        if (key.isEmpty())
                            continue;
                        const data::Run run(add);
                        add.bind(1, key).bind(2, row.id).bind(3, QLatin1String(field));
                        add.step();
                    }
                }
                const data::Run run(done);
                done.bind(1, row.row);
                done.step();
            }
            read += std::count_if(batch.begin(), batch.end(), [](const Row& row) { return row.row >= 0; });
        };
        do
            db.transaction(oneBatch);
        while (!batch.empty() && (!goOn || goOn()));
    }
    return read;
}

HolderFinder::HolderFinder(const data::Database& db)
    : find_(db, QStringLiteral("SELECT n.%1, p.Name, p.Company, n.Field, "
                               "CASE n.Field WHEN 'Phone' THEN p.Phone ELSE p.Mobile END FROM %2 n "
                               "JOIN %3 p ON p.%1 = n.%1 WHERE n.Key = ?1 LIMIT 1")
                    .arg(q(IdField), q(NumbersTable), q(Table))) {}

std::optional<Holder> HolderFinder::find(const QString& key) {
    if (key.isEmpty())
        return std::nullopt;
    const data::Run run(find_);
    find_.bind(1, key);
    if (!find_.step())
        return std::nullopt;
    return Holder{find_.text(0), find_.text(1), find_.text(2), find_.text(3), find_.text(4)};
}

std::optional<Holder> holderOfKey(const data::Database& db, const QString& key) {
    return HolderFinder(db).find(key);
}

void logCall(data::Database& db, const Call& call) {
    data::Statement add(db, QStringLiteral("INSERT INTO %1 (At, Way, Number, Key, %2, NetworkName, Answer) "
                                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
                                .arg(q(CallsTable), q(IdField)));
    add.bind(1, stamp(call.at))
        .bind(2, call.way == Call::Way::In ? QStringLiteral("in") : QStringLiteral("out"))
        .bind(3, call.number);
    const auto bindOrNull = [&](int index, const QString& text) {
        if (text.isEmpty())
            add.bindNull(index);
        else
            add.bind(index, text);
    };
    bindOrNull(4, call.key);
    bindOrNull(5, call.contactId);
    bindOrNull(6, call.networkName);
    bindOrNull(7, call.answer);
    add.step();
}

std::vector<Call> callsSince(const data::Database& db, const QDateTime& since) {
    // The name as the book has it now: through the id kept, else through the
    // number's key (a dial, or a caller stored since).
    data::Statement list(
        db, QStringLiteral("SELECT c.At, c.Way, c.Number, c.Key, c.%1, c.NetworkName, c.Answer, p.Name "
                           "FROM %2 c LEFT JOIN %3 p ON p.%1 = COALESCE(c.%1, "
                           "(SELECT n.%1 FROM %4 n WHERE n.Key = c.Key LIMIT 1)) "
                           "WHERE c.At >= ?1 ORDER BY c.Id DESC")
                .arg(q(IdField), q(CallsTable), q(Table), q(NumbersTable)));
    list.bind(1, since.isValid() ? stamp(since) : QString());
    std::vector<Call> calls;
    while (list.step()) {
        Call call;
        call.at = QDateTime::fromString(list.text(0), Qt::ISODate);
        call.way = list.text(1) == QLatin1String("out") ? Call::Way::Out : Call::Way::In;
        call.number = list.text(2);
        call.key = list.text(3);
        call.contactId = list.text(4);
        call.networkName = list.text(5);
        call.answer = list.text(6);
        call.contactName = list.text(7);
        calls.push_back(std::move(call));
    }
    return calls;
}

} // namespace book
