#include "cli/TwoWay.h"

#include "cli/SyncFront.h"

#include <algorithm>

namespace cli {
namespace {
constexpr qsizetype NamedAtMost = 10;

// "Came down: Berg, Ann (new), Ek, Bo (deleted), and 3 more.": all of them when `all`.
QString byName(const QString& way, QList<engine::Travelled> travelled, bool all) {
    // In the order of the book's list, not of the server's answers.
    std::stable_sort(travelled.begin(), travelled.end(), [](const auto& a, const auto& b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    const qsizetype shown = all ? travelled.size() : std::min(travelled.size(), NamedAtMost);
    QStringList names;
    for (qsizetype i = 0; i < shown; ++i) {
        const engine::Travelled& t = travelled[i];
        names << QStringLiteral("%1 (%2)").arg(t.name.isEmpty() ? QStringLiteral("(no name)") : t.name,
                                               t.change == engine::Change::Added ? QStringLiteral("new")
                                               : t.change == engine::Change::Changed
                                                   ? QStringLiteral("changed")
                                                   : QStringLiteral("deleted"));
    }
    if (shown < travelled.size())
        names << QStringLiteral("and %1 more").arg(travelled.size() - shown);
    return QStringLiteral("%1: %2.\n").arg(way, names.join(QLatin1String(", ")));
}

// What a sync tells of its work, as it goes and at its end.
class TwoWay : public SyncFront {
public:
    TwoWay(const QString& book, bool force, bool verbose, CommandRun& run)
        : SyncFront(book, run), force_(force), verbose_(verbose) {}

private:
    bool proceed(const engine::Plan& plan, const engine::Round& round) override {
        if (force_ || !engine::deletesTooMuch(plan, round))
            return true;
        run_.fail(QStringLiteral("stopped: this sync would delete %1 of the %2 contacts in the phone book "
                                 "and %3 of the %4 cards on %5; %6. If that is what you want, run "
                                 "quorvel-book sync --force")
                      .arg(plan.down.deleted)
                      .arg(round.contacts)
                      .arg(plan.up().deleted)
                      .arg(round.cards)
                      .arg(server(), round.number == 1
                                         ? QStringLiteral("nothing was changed")
                                         : QStringLiteral("only what changed before that was synced")));
        return false;
    }

    void backedUp(const QString& copy) override {
        run_.out << "A copy of the phone book as it was before its first sync: " << copy << '\n';
    }

    void progress(engine::Stage stage, qint64 done, qint64 total) override {
        run_.progress.show(stage == engine::Stage::Fetching
                               ? QStringLiteral("Fetched %1 of %2 cards").arg(done).arg(total)
                               : QStringLiteral("Sent %1 of %2 changes").arg(done).arg(total));
    }

    void finished(const engine::Outcome& outcome) override {
        run_.progress.end();
        QStringList parts{QStringLiteral("down %1").arg(counts(outcome.down)),
                          QStringLiteral("up %1").arg(counts(outcome.up))};
        if (outcome.matched > 0)
            parts << QStringLiteral("%1 found on both sides and linked").arg(outcome.matched);
        if (outcome.keptAgainstDelete > 0)
            parts << QStringLiteral("%1 deleted on one side but changed on the other, kept on both")
                         .arg(outcome.keptAgainstDelete);
        if (!outcome.copies.isEmpty())
            parts << QStringLiteral("%1 changed on both sides: the book's values kept, the server's in a "
                                    "conflict copy (\"%2\")")
                         .arg(outcome.copies.size())
                         .arg(outcome.copies.join(QLatin1String("\", \"")));
        if (outcome.unreadable > 0)
            parts << QStringLiteral("%1 cards on the server could not be read and were left there")
                         .arg(outcome.unreadable);
        if (outcome.unsettled)
            parts << QStringLiteral("cards kept changing on the server meanwhile: run the sync again");
        run_.out << "Synced with \"" << account_.settings.name << "\" at " << server() << ": "
                 << parts.join(QLatin1String("; ")) << ".\n";
        if (!outcome.cameDown.isEmpty())
            run_.out << byName(QStringLiteral("Came down"), outcome.cameDown, verbose_);
        if (!outcome.wentUp.isEmpty())
            run_.out << byName(QStringLiteral("Went up"), outcome.wentUp, verbose_);
        run_.out.flush();
        run_.done();
    }

    QString server() const { return dav::serverName(account_.settings.addressBook); }

    const bool force_;
    const bool verbose_; // every contact that travelled named, not the first ten each way
};
} // namespace

int runTwoWaySync(const QString& book, bool force, bool verbose, QTextStream& out, QTextStream& err) {
    CommandRun run(out, err);
    TwoWay sync(book, force, verbose, run);
    sync.start();
    return run.exec();
}

} // namespace cli
