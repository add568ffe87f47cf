// What one click costs on phone books of 1,000 to 10,000,000 contacts, each
// figure beside its floor: the same work as one raw SQLite statement on the
// same file, prepared once. The table at the end gives each as a ratio to its
// floor. Sizes: $QUORVEL_BENCH_SIZES (default 1000,1000000,10000000).
#include "BigBook.h"
#include "RatioTable.h"
#include "Raw.h"
#include "book/Schema.h"
#include "platform/binding/DataControl.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
const QStringList Fields = book::fieldNames();
const std::string Columns =
    "rowid, Name, \"Name\", \"Company\", \"Phone\", \"Address\", \"Mobile\", \"Email\", "
    "\"WebPage\" FROM \"PHONEDIR\" ";
const std::string NameKey = "Name COLLATE NOCASE";
const std::string ByName = " ORDER BY " + NameKey + ", rowid LIMIT 1";
const std::string ByNameDesc = " ORDER BY " + NameKey + " DESC, rowid DESC LIMIT 1";
const QString Middle = QStringLiteral("Lee");
const QString Missing = QStringLiteral("Lee, Zz");
const QString AfterAll = QString::fromUcs4(U"\U0010FFFF");

std::string book(benchmark::State& state) { return bigPhoneBook(state.range(0)).toStdString(); }

std::unique_ptr<data::Recordset> openBook(benchmark::State& state) {
    auto rs = std::make_unique<data::Recordset>(Fields, book::orderField());
    rs->open(bigPhoneBook(state.range(0)), book::table());
    return rs;
}

// --- open the phone book and show the first record in the bound boxes
void Open(benchmark::State& state) {
    const QString path = bigPhoneBook(state.range(0));
    binding::DataControl control;
    std::vector<std::unique_ptr<QLineEdit>> boxes;
    for (const QString& field : Fields) {
        boxes.push_back(std::make_unique<QLineEdit>());
        control.bind(boxes.back().get(), field);
    }
    control.setRecordSource(book::table());
    control.Recordset().setOrderField(book::orderField());
    control.setDatabaseName(path);
    for (auto _ : state) {
        control.Refresh();
        benchmark::DoNotOptimize(boxes.front()->text());
        control.Recordset().Close();
    }
}
void Floor_Open(benchmark::State& state) {
    const std::string path = book(state);
    for (auto _ : state) {
        RawDb db(path);
        RawStatement st(db, "SELECT " + Columns + "ORDER BY rowid LIMIT 1");
        benchmark::DoNotOptimize(st.row());
    }
}

// --- moves in both orders; the floor walks the same way with the same keyset query
template <bool Forward, bool Named> void Move(benchmark::State& state) {
    auto rs = openBook(state);
    if (Named) {
        rs->setIndex(book::orderIndex());
        rs->Seek(QStringLiteral(">="), Middle);
    }
    for (auto _ : state) {
        Forward ? rs->MoveNext() : rs->MovePrevious();
        if (rs->Eof() || rs->Bof())
            Forward ? rs->MoveFirst() : rs->MoveLast();
    }
}
template <bool Forward, bool Named> void Floor_Move(benchmark::State& state) {
    RawDb db(book(state));
    const std::string cmp = Forward ? ">" : "<";
    const std::string byRowid = std::string(" ORDER BY rowid") + (Forward ? "" : " DESC") + " LIMIT 1";
    // In name order: the next namesake, else the next name; one statement.
    const std::string sql = Named ? "SELECT * FROM (SELECT " + Columns + "WHERE " + NameKey +
                                        " = ?1 AND rowid " + cmp + " ?2" + byRowid +
                                        ") UNION ALL SELECT * FROM (SELECT " + Columns + "WHERE " + NameKey +
                                        " " + cmp + " ?1" + (Forward ? ByName : ByNameDesc) + ") LIMIT 1"
                                  : "SELECT " + Columns + "WHERE rowid " + cmp + " ?2" + byRowid;
    RawStatement st(db, sql);
    std::string name = Named ? Middle.toStdString() : std::string();
    sqlite3_int64 rowid = Forward ? 0 : (sqlite3_int64(1) << 62);
    for (auto _ : state) {
        st.bind(1, name).bind(2, rowid);
        if (st.row()) {
            rowid = st.integer(0);
            name = st.text(1);
        } else {
            rowid = Forward ? 0 : (sqlite3_int64(1) << 62);
            name = Forward ? std::string() : std::string("\xF4\x8F\xBF\xBF");
        }
        st.reset();
    }
}

void MoveLast(benchmark::State& state) {
    auto rs = openBook(state);
    rs->setIndex(book::orderIndex());
    for (auto _ : state)
        rs->MoveLast();
}
void Floor_MoveLast(benchmark::State& state) {
    RawDb db(book(state));
    RawStatement st(db, "SELECT " + Columns + ByNameDesc);
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.row());
        st.reset();
    }
}

// --- Find: a name that is there, one that is not, one after every name
void Seek(benchmark::State& state, const QString& key) {
    auto rs = openBook(state);
    rs->setIndex(book::orderIndex());
    for (auto _ : state)
        rs->Seek(QStringLiteral(">="), key);
}
void Floor_Seek(benchmark::State& state, const QString& key) {
    RawDb db(book(state));
    RawStatement st(db, "SELECT " + Columns + "WHERE " + NameKey + " >= ?1" + ByName);
    const std::string k = key.toStdString();
    for (auto _ : state) {
        st.bind(1, k);
        benchmark::DoNotOptimize(st.row());
        st.reset();
    }
}

// --- Sort: name order from its first record
void Sort(benchmark::State& state) {
    auto rs = openBook(state);
    for (auto _ : state) {
        rs->setIndex(book::orderIndex());
        rs->MoveFirst();
        state.PauseTiming();
        rs->setIndex(QString()); // back to table order, as before the click
        state.ResumeTiming();
    }
}
void Floor_Sort(benchmark::State& state) {
    RawDb db(book(state));
    RawStatement st(db, "SELECT " + Columns + ByName);
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.row());
        st.reset();
    }
}

// --- the record count as the counter shows it: the kept count, still true
void Count(benchmark::State& state) {
    auto rs = openBook(state);
    rs->RecordCount(); // the one count, before the clicks
    for (auto _ : state)
        benchmark::DoNotOptimize(rs->KnownCount());
}
void Floor_Count(benchmark::State& state) {
    RawDb db(book(state));
    RawStatement st(db, "PRAGMA data_version");
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.row());
        st.reset();
    }
}
// Not a click: what every click paid before the count was kept.
void FullCount(benchmark::State& state) {
    RawDb db(book(state));
    RawStatement st(db, "SELECT count(*) FROM PHONEDIR");
    for (auto _ : state) {
        benchmark::DoNotOptimize(st.row());
        st.reset();
    }
}

// --- stores. What a click stores is taken out again, untimed, by another
// connection, so the cached book keeps its N.
const QStringList NewContact = {"Newman, Ida",      "", "212-555-0188", "1 Elm Street, Salem, MA 01970", "",
                                "ida@mail.example", ""};
void AddNewStore(benchmark::State& state) {
    auto rs = openBook(state);
    rs->MoveFirst();
    RawDb cleanup(book(state));
    RawStatement remove(cleanup, "DELETE FROM PHONEDIR WHERE rowid = (SELECT max(rowid) FROM PHONEDIR)");
    for (auto _ : state) {
        rs->AddNew();
        rs->writeRecord(NewContact);
        state.PauseTiming();
        remove.row();
        remove.reset();
        state.ResumeTiming();
    }
}
void Floor_AddNewStore(benchmark::State& state) {
    RawDb db(book(state));
    db.exec("PRAGMA synchronous = FULL");
    RawStatement begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
    RawStatement insert(db, "INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) "
                            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    RawDb cleanup(book(state));
    RawStatement remove(cleanup, "DELETE FROM PHONEDIR WHERE rowid = (SELECT max(rowid) FROM PHONEDIR)");
    for (auto _ : state) {
        begin.row();
        begin.reset();
        for (int i = 0; i < NewContact.size(); ++i)
            insert.bind(i + 1, NewContact[i].toStdString());
        insert.row();
        insert.reset();
        commit.row();
        commit.reset();
        state.PauseTiming();
        remove.row();
        remove.reset();
        state.ResumeTiming();
    }
}

// Edit, then Update with a changed company (and back on the next click).
void Update(benchmark::State& state) {
    auto rs = openBook(state);
    rs->MoveFirst();
    QStringList values;
    for (const QString& f : Fields)
        values << rs->field(f);
    const QString original = values[1];
    int n = 0;
    rs->setBeforeAction([&](int action) {
        if (action == data::ActionUpdate) {
            values[1] = (n++ % 2) ? original : QStringLiteral("Changed Co");
            rs->writeRecord(values);
        }
    });
    for (auto _ : state) {
        rs->Edit();
        rs->Update();
    }
    if (n % 2) {
        rs->Edit();
        rs->Update();
    }
}
void Floor_Update(benchmark::State& state) {
    RawDb db(book(state));
    db.exec("PRAGMA synchronous = FULL");
    RawStatement begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
    RawStatement update(db, "UPDATE PHONEDIR SET Name = ?1, Company = ?2, Phone = ?3, Address = ?4, "
                            "Mobile = ?5, Email = ?6, WebPage = ?7 WHERE rowid = ?8");
    RawStatement first(db,
                       "SELECT Name, Company, Phone, Address, Mobile, Email, WebPage, rowid FROM PHONEDIR "
                       "ORDER BY rowid LIMIT 1");
    first.row();
    std::vector<std::string> values;
    for (int c = 0; c < 7; ++c)
        values.push_back(first.text(c));
    const sqlite3_int64 rowid = first.integer(7);
    first.reset();
    const std::string original = values[1];
    int n = 0;
    for (auto _ : state) {
        values[1] = (n++ % 2) ? original : "Changed Co";
        begin.row();
        begin.reset();
        for (int c = 0; c < 7; ++c)
            update.bind(c + 1, values[size_t(c)]);
        update.bind(8, rowid).row();
        update.reset();
        commit.row();
        commit.reset();
    }
    if (n % 2) {
        update.bind(2, original).bind(8, rowid).row();
        update.reset();
    }
}

// The record next to the last, kept aside by another connection so that a
// deleted copy can be put back, untimed, with its rowid.
class PutBack {
public:
    explicit PutBack(const std::string& path)
        : db_(path),
          restore_(db_, "INSERT INTO PHONEDIR (rowid, Name, Company, Phone, Address, Mobile, Email, "
                        "WebPage) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)") {
        RawStatement save(
            db_, "SELECT rowid, * FROM PHONEDIR WHERE rowid = (SELECT max(rowid) - 1 FROM PHONEDIR)");
        save.row();
        for (int c = 1; c < 8; ++c)
            kept_.push_back(save.text(c));
        rowid = save.integer(0);
    }
    void operator()() {
        restore_.bind(1, rowid);
        for (int c = 0; c < 7; ++c)
            restore_.bind(c + 2, kept_[size_t(c)]);
        restore_.row();
        restore_.reset();
    }
    sqlite3_int64 rowid = 0;

private:
    RawDb db_;
    RawStatement restore_;
    std::vector<std::string> kept_;
};

// Delete, then the next record. The deleted one is put back, untimed.
void DeleteMoveNext(benchmark::State& state) {
    auto rs = openBook(state);
    rs->MoveLast();
    rs->MovePrevious();
    PutBack putBack(book(state));
    for (auto _ : state) {
        rs->Delete();
        rs->MoveNext();
        state.PauseTiming();
        putBack();
        rs->MovePrevious();
        state.ResumeTiming();
    }
}
void Floor_DeleteMoveNext(benchmark::State& state) {
    RawDb db(book(state));
    db.exec("PRAGMA synchronous = FULL");
    RawStatement begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
    RawStatement remove(db, "DELETE FROM PHONEDIR WHERE rowid = ?1");
    RawStatement next(db, "SELECT " + Columns + "WHERE rowid > ?2 ORDER BY rowid LIMIT 1");
    PutBack putBack(book(state));
    for (auto _ : state) {
        begin.row();
        begin.reset();
        remove.bind(1, putBack.rowid).row();
        remove.reset();
        commit.row();
        commit.reset();
        next.bind(2, putBack.rowid).row();
        next.reset();
        state.PauseTiming();
        putBack();
        state.ResumeTiming();
    }
}

void registerAll(const std::vector<qint64>& sizes) {
    using Fn = void (*)(benchmark::State&);
    const std::vector<std::tuple<std::string, Fn, Fn>> pairs = {
        {"Open", Open, Floor_Open},
        {"MoveNext_TableOrder", Move<true, false>, Floor_Move<true, false>},
        {"MovePrevious_TableOrder", Move<false, false>, Floor_Move<false, false>},
        {"MoveNext_NameOrder", Move<true, true>, Floor_Move<true, true>},
        {"MovePrevious_NameOrder", Move<false, true>, Floor_Move<false, true>},
        {"MoveLast_NameOrder", MoveLast, Floor_MoveLast},
        {"Sort", Sort, Floor_Sort},
        {"Count", Count, Floor_Count},
        {"AddNewStore", AddNewStore, Floor_AddNewStore},
        {"Update", Update, Floor_Update},
        {"DeleteMoveNext", DeleteMoveNext, Floor_DeleteMoveNext},
    };
    const std::vector<std::pair<std::string, QString>> seeks = {
        {"Find_Present", QStringLiteral("Martin")}, {"Find_Missing", Missing}, {"Find_AfterAll", AfterAll}};
    for (const qint64 n : sizes) {
        for (const auto& [name, op, floor] : pairs) {
            benchmark::RegisterBenchmark(name.c_str(), op)->Arg(n);
            benchmark::RegisterBenchmark(("Floor_" + name).c_str(), floor)->Arg(n);
        }
        for (const auto& [name, key] : seeks) {
            benchmark::RegisterBenchmark(name.c_str(), [key = key](benchmark::State& s) {
                Seek(s, key);
            })->Arg(n);
            benchmark::RegisterBenchmark(("Floor_" + name).c_str(), [key = key](benchmark::State& s) {
                Floor_Seek(s, key);
            })->Arg(n);
        }
        benchmark::RegisterBenchmark("FullCount", FullCount)->Arg(n)->Unit(benchmark::kMillisecond);
    }
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const std::vector<qint64> sizes = benchSizes();
    for (const qint64 n : sizes)
        bigPhoneBook(n); // made before anything is timed
    registerAll(sizes);
    RatioTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.print(sizes);
    benchmark::Shutdown();
    return 0;
}
