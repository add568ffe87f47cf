// A writer that the crash tests kill at random moments. It stores and
// deletes phone book records through the record set, or saves Prefix.sav,
// over and over, and reports on stdout each step before it starts
// ("begin ...") and once it is done ("done"), so the test knows what was
// promised and what may have been under way.
//   crashwriter book FILE FIRST     records tagged FIRST, FIRST+1, ...
//   crashwriter settings FOLDER FIRST
#include "dialer/Module1.h"
#include "platform/core/AppPath.h"
#include "platform/data/Recordset.h"

#include <QStringList>

#include <cstdio>

namespace {
const QStringList Fields = {"Name", "Company", "Phone", "Address", "Mobile", "Email", "WebPage"};

// Every field of record `tag` carries the tag: a record made of two stores shows it.
QStringList record(long tag) {
    QStringList values;
    for (const QString& f : Fields)
        values << QStringLiteral("%1:%2:").arg(f).arg(tag) + QString(200, QLatin1Char(char('a' + tag % 26)));
    return values;
}

void say(const char* format, long a = 0, long b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

long tagOf(const QString& name) { return name.section(QLatin1Char(':'), 1, 1).toLong(); }

int writeBook(const QString& file, long tag) {
    data::Recordset rs(Fields);
    rs.open(file, QStringLiteral("PHONEDIR"));
    say("ready\n");
    for (;; ++tag) {
        if (tag % 5 == 3 && rs.RecordCount() > 0) {
            rs.MoveLast();
            say("begin update %ld %ld\n", tagOf(rs.field("Name")), tag);
            rs.Edit();
            rs.writeRecord(record(tag));
        } else if (tag % 5 == 4 && rs.RecordCount() > 0) {
            rs.MoveFirst();
            say("begin delete %ld\n", tagOf(rs.field("Name")));
            rs.Delete();
        } else {
            say("begin add %ld\n", tag);
            rs.AddNew();
            rs.writeRecord(record(tag));
        }
        say("done\n");
    }
}

int writeSettings(const QString& folder, long tag) {
    platform::setAppPath(folder);
    say("ready\n");
    for (;; ++tag) {
        const auto n = qint16(tag % 30000);
        say("begin save %ld\n", n);
        dialer::Module1::SavePrefixSettings({0, n, n, n});
        say("done\n");
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    const QString what = QString::fromLocal8Bit(argv[1]);
    const QString where = QString::fromLocal8Bit(argv[2]);
    const long first = std::atol(argv[3]);
    return what == QLatin1String("book") ? writeBook(where, first) : writeSettings(where, first);
}
