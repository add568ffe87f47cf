// The sync's decisions without a server: the merge of one contact's fields,
// and the plan made from what both sides last agreed on, what the book holds
// and what the server says, each case a row of a table.
#include "sync/engine/CardText.h"
#include "sync/engine/Merge.h"
#include "sync/engine/Planner.h"

#include <QTest>

using engine::BookStep;
using engine::Change;
using exchange::Card;
using exchange::Fields;

namespace {
const QString Collection = QStringLiteral("/ab/");
const QString Href = QStringLiteral("/ab/a.vcf");

// "Name|Phone|Email": the fields a case is about.
Fields fields(const QString& text) {
    const QStringList parts = text.split(u'|');
    Fields f;
    f[exchange::Name] = parts.value(0);
    f[exchange::Phone] = parts.value(1);
    f[exchange::Email] = parts.value(2);
    return f;
}

QString text(const Fields& f) {
    return QStringList{f[exchange::Name], f[exchange::Phone], f[exchange::Email]}.join(u'|');
}

// A card as a server holds it: written and read back, as the sync does.
Card card(const QString& fieldText) {
    Card c;
    static_cast<Fields&>(c) = fields(fieldText);
    c.uid = QStringLiteral("a");
    return *engine::readCard(engine::cardText(c));
}

QString changeWord(Change c) {
    return c == Change::Added     ? QStringLiteral("added")
           : c == Change::Changed ? QStringLiteral("changed")
                                  : QStringLiteral("deleted");
}

// A plan as lines a table can hold: the book's steps, then the server's.
QStringList lines(const engine::Plan& plan) {
    QStringList all;
    for (const BookStep& s : plan.book) {
        const QString counted = s.counted ? u' ' + changeWord(s.change) : QString();
        switch (s.kind) {
        case BookStep::PutContact:
            all << QStringLiteral("put %1%2").arg(text(s.card), counted);
            break;
        case BookStep::RemoveContact:
            all << QStringLiteral("remove %1%2").arg(text(s.card), counted);
            break;
        case BookStep::PutLink:
            all << QStringLiteral("link %1").arg(s.link.href);
            break;
        case BookStep::DropLink:
            all << QStringLiteral("unlink %1").arg(s.link.uid);
            break;
        }
    }
    for (const engine::Push& p : plan.pushes)
        all << QStringLiteral("up %1 %2").arg(changeWord(p.change), text(p.card));
    return all;
}
} // namespace

class PlanTest : public QObject {
    Q_OBJECT

private slots:
    void merge_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("merged");
        QTest::addColumn<QString>("conflict"); // the server's value left out, if any
        QTest::newRow("nobody changed") << "Ann|1|"
                                        << "Ann|1|"
                                        << "Ann|1|"
                                        << "Ann|1|"
                                        << "";
        QTest::newRow("book changed") << "Ann|1|"
                                      << "Ann|2|"
                                      << "Ann|1|"
                                      << "Ann|2|"
                                      << "";
        QTest::newRow("server changed") << "Ann|1|"
                                        << "Ann|1|"
                                        << "Ann|3|"
                                        << "Ann|3|"
                                        << "";
        QTest::newRow("each its own field") << "Ann|1|"
                                            << "Ann|2|"
                                            << "Ann|1|a@x"
                                            << "Ann|2|a@x"
                                            << "";
        QTest::newRow("both alike") << "Ann|1|"
                                    << "Ann|2|"
                                    << "Ann|2|"
                                    << "Ann|2|"
                                    << "";
        QTest::newRow("both differently: the book's kept") << "Ann|1|"
                                                           << "Ann|2|"
                                                           << "Ann|3|"
                                                           << "Ann|2|"
                                                           << "3";
        QTest::newRow("server emptied a field") << "Ann|1|a@x"
                                                << "Ann|1|a@x"
                                                << "Ann|1|"
                                                << "Ann|1|"
                                                << "";
        QTest::newRow("never agreed: both kept as the book's") << "||"
                                                               << "Ann|1|"
                                                               << "Ann|2|"
                                                               << "Ann|1|"
                                                               << "2";
    }
    void merge() {
        QFETCH(QString, base);
        QFETCH(QString, book);
        QFETCH(QString, server);
        QFETCH(QString, merged);
        QFETCH(QString, conflict);
        QList<engine::Conflict> conflicts;
        QCOMPARE(text(engine::mergeFields(fields(base), fields(book), fields(server), conflicts)), merged);
        QCOMPARE(conflicts.isEmpty() ? QString() : conflicts.first().server, conflict);
    }

    // Before two sides were ever linked: the same person, and what they may be taken to agree on.
    void firstMeeting() {
        QVERIFY(
            engine::samePerson(fields("Olsen, Ida|+1 212-555-0101|"), fields("olsen, ida|(212) 555 0101|")));
        QVERIFY(engine::samePerson(fields("Ida|1|ida@x"), fields("Ida|2|IDA@x ")));
        QVERIFY(!engine::samePerson(fields("Ida|555-0101|"), fields("Ida B|555-0101|")));
        QVERIFY(!engine::samePerson(fields("Ida|555-0101|"), fields("Ida|555-0102|")));
        QCOMPARE(text(engine::commonGround(fields("Ida|212-555-0101|a@x"), fields("IDA|(212) 555 0101|b@x"))),
                 QStringLiteral("Ida|212-555-0101|"));
    }

    // One contact, "a" at /ab/a.vcf: `base` is what the last sync left ("" when
    // never linked), `book` what the book holds ("-" deleted), `server` what the
    // server holds ("=" as agreed, "-" gone, "" never there).
    void plan_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QStringList>("plan");
        QTest::newRow("nothing changed") << "Ann|1|"
                                         << "Ann|1|"
                                         << "=" << QStringList{};
        QTest::newRow("changed here") << "Ann|1|"
                                      << "Ann|2|"
                                      << "=" << QStringList{"up changed Ann|2|"};
        QTest::newRow("changed there") << "Ann|1|"
                                       << "Ann|1|"
                                       << "Ann|3|" << QStringList{"put Ann|3| changed", "link /ab/a.vcf"};
        QTest::newRow("changed both, two fields")
            << "Ann|1|"
            << "Ann|2|"
            << "Ann|1|a@x" << QStringList{"put Ann|2|a@x changed", "link /ab/a.vcf", "up changed Ann|2|a@x"};
        QTest::newRow("changed both, one field")
            << "Ann|1|"
            << "Ann|2|"
            << "Ann|3|"
            << QStringList{"put Ann|2|", "put Ann (conflict copy)|3|", "link /ab/a.vcf", "up changed Ann|2|",
                           "up added Ann (conflict copy)|3|"};
        QTest::newRow("deleted here") << "Ann|1|"
                                      << "-"
                                      << "=" << QStringList{"up deleted Ann|1|"};
        QTest::newRow("deleted there") << "Ann|1|"
                                       << "Ann|1|"
                                       << "-" << QStringList{"unlink a", "remove Ann|1| deleted"};
        QTest::newRow("deleted there, changed here") << "Ann|1|"
                                                     << "Ann|2|"
                                                     << "-" << QStringList{"unlink a", "up added Ann|2|"};
        QTest::newRow("deleted here, changed there")
            << "Ann|1|"
            << "-"
            << "Ann|3|" << QStringList{"put Ann|3|", "link /ab/a.vcf"};
        QTest::newRow("deleted on both") << "Ann|1|"
                                         << "-"
                                         << "-" << QStringList{"unlink a"};
        QTest::newRow("new here") << ""
                                  << "Ann|1|"
                                  << "" << QStringList{"up added Ann|1|"};
        QTest::newRow("new there") << ""
                                   << "-"
                                   << "Ann|1|" << QStringList{"put Ann|1| added", "link /ab/a.vcf"};
        QTest::newRow("first sync, same person")
            << ""
            << "Ann|555-0101|"
            << "Ann|555-0101|ann@x"
            << QStringList{"remove Ann|555-0101|", "put Ann|555-0101|ann@x changed", "link /ab/a.vcf"};
        QTest::newRow("first sync, same name, another person")
            << ""
            << "Ann|555-0101|"
            << "Ann|555-0199|"
            << QStringList{"put Ann|555-0199| added", "link /ab/a.vcf", "up added Ann|555-0101|"};
    }
    void plan() {
        QFETCH(QString, base);
        QFETCH(QString, book);
        QFETCH(QString, server);
        QFETCH(QStringList, plan);

        engine::BookState state;
        if (book != QLatin1String("-")) {
            // A contact never linked has an id of the book's own.
            Card mine = card(book);
            mine.uid = base.isEmpty() ? QStringLiteral("b") : QStringLiteral("a");
            state.contacts.insert(mine.uid, mine);
        }
        engine::ServerView view;
        if (!base.isEmpty()) {
            state.syncedBefore = true;
            state.links.insert(QStringLiteral("a"),
                               engine::Link{QStringLiteral("a"), Href, "\"1\"", card(base).kept});
        }
        if (server == QLatin1String("="))
            view.listed.insert(Href, "\"1\"");
        else if (server != QLatin1String("-") && !server.isEmpty()) {
            view.listed.insert(Href, "\"2\"");
            view.fetched.insert(Href, card(server));
            view.fetchedEtags.insert(Href, "\"2\"");
        }
        view.size = view.listed.size();

        const engine::Plan made = engine::plan(state, view, Collection);
        QCOMPARE(lines(made), plan);
        // The counts the summary tells are those of the steps.
        engine::Counts down;
        for (const BookStep& s : made.book)
            down[s.change] += s.counted ? 1 : 0;
        QCOMPARE(made.down, down);
    }
};

QTEST_GUILESS_MAIN(PlanTest)
#include "tst_plan.moc"
