#include "cli/DryRun.h"

#include "cli/SyncFront.h"

namespace cli {
namespace {
// Lines of the plan shown before the rest is only counted.
constexpr int StepsShown = 20;

QString nameOf(const exchange::Card& card) {
    const QString& name = card[exchange::Name];
    return name.isEmpty() ? QStringLiteral("(no name)") : name;
}

QString bookLine(const engine::BookStep& step) {
    switch (step.change) {
    case engine::Change::Added:
        return QStringLiteral("new here: %1").arg(nameOf(step.card));
    case engine::Change::Changed:
        return QStringLiteral("changed here: %1").arg(nameOf(step.card));
    case engine::Change::Deleted:
        break;
    }
    return QStringLiteral("deleted here: %1").arg(nameOf(step.card));
}

QString serverLine(const engine::Push& push) {
    switch (push.change) {
    case engine::Change::Added:
        return QStringLiteral("new on the server: %1").arg(nameOf(push.card));
    case engine::Change::Changed:
        return QStringLiteral("changed on the server: %1").arg(nameOf(push.card));
    case engine::Change::Deleted:
        break;
    }
    return QStringLiteral("deleted on the server: %1").arg(nameOf(push.card));
}

// Shows the plan a sync would carry out now, and stops before it writes anything.
class DryRun : public SyncFront {
public:
    DryRun(const QString& book, CommandRun& run) : SyncFront(book, run) {}

private:
    void backedUp(const QString&) override {}
    void progress(engine::Stage, qint64 done, qint64 total) override {
        run_.progress.show(QStringLiteral("Fetched %1 of %2 cards").arg(done).arg(total));
    }
    void finished(const engine::Outcome&) override {}

    bool proceed(const engine::Plan& plan, const engine::Round& round) override {
        run_.progress.end();
        QTextStream& out = run_.out;
        out << "Dry run: \"" << account_.settings.name << "\" at "
            << dav::serverName(account_.settings.addressBook) << " holds " << round.cards
            << (round.cards == 1 ? " card" : " cards")
            << (round.syncToken ? "" : " (no sync token: changes are found by ETags)") << ".\n";
        const engine::Counts up = plan.up();
        out << "This sync would bring down " << plan.down.total()
            << (plan.down.total() == 1 ? " contact" : " contacts") << " (" << counts(plan.down)
            << ") and send up " << up.total() << (up.total() == 1 ? " change" : " changes") << " ("
            << counts(up) << ")";
        QStringList lines;
        for (const engine::BookStep& step : plan.book)
            if (step.counted)
                lines << bookLine(step);
        for (const QString& copy : plan.copies)
            lines << QStringLiteral("conflict copy here: %1").arg(copy);
        for (const engine::Push& push : plan.pushes)
            lines << serverLine(push);
        out << (lines.isEmpty() ? ".\n" : ":\n");
        for (const QString& line : lines.mid(0, StepsShown))
            out << "  " << line << '\n';
        if (lines.size() > StepsShown)
            out << "  and " << (lines.size() - StepsShown) << " more\n";
        if (plan.matched > 0)
            out << plan.matched << " found on both sides would be linked.\n";
        if (plan.keptAgainstDelete > 0)
            out << plan.keptAgainstDelete << " deleted on one side but changed on the other would be kept.\n";
        if (round.unreadable > 0)
            out << round.unreadable << " cards on the server cannot be read and would be left there.\n";
        if (engine::deletesTooMuch(plan, round))
            out << "The sync would stop before deleting that much; quorvel-book sync --force goes on.\n";
        const int requests = account_.client->requestsSent();
        out << requests << (requests == 1 ? " request" : " requests")
            << "; nothing was written to the phone book or the server.\n";
        out.flush();
        run_.done();
        return false;
    }
};
} // namespace

int runDryRun(const QString& book, QTextStream& out, QTextStream& err) {
    CommandRun run(out, err);
    DryRun dryRun(book, run);
    dryRun.start();
    return run.exec();
}

} // namespace cli
