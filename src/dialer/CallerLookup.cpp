#include "dialer/CallerLookup.h"

#include "book/Upgrade.h"
#include "links/DialLink.h"
#include "links/MatchKey.h"
#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"

#include <QDateTime>
#include <QPointer>

namespace dialer {

CallerLookup::CallerLookup(QString bookPath) : path_(std::move(bookPath)), home_(links::homeRegion()) {
    worker_ = new QObject;
    worker_->moveToThread(&thread_);
    thread_.start();
}

CallerLookup::~CallerLookup() {
    // Whatever is still queued runs first: no call goes unlogged. A catch-up
    // stops at its next batch.
    stopping_ = true;
    post([this] {
        finder_.reset();
        db_.reset();
    });
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void CallerLookup::post(std::function<void()> work) {
    QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

QString CallerLookup::keyOf(const QString& number) const { return links::lineKey(number, home_); }

data::Database* CallerLookup::book() {
    if (db_)
        return db_.get();
    try {
        db_ = std::make_unique<data::Database>(book::open(path_, book::Upgrade::IfWritable));
        if (book::versionOf(*db_) < 3)
            db_.reset(); // a book that could not take the keys yet: nobody is named
        else
            finder_ = std::make_unique<book::HolderFinder>(*db_);
    } catch (const platform::Error&) {
        finder_.reset();
        db_.reset();
    }
    return db_.get();
}

void CallerLookup::catchUp() {
    post([this] {
        data::Database* db = book();
        if (!db || db->isReadOnly())
            return;
        try {
            book::bringNumbersCurrent(
                *db, [this](const QString& n) { return keyOf(n); },
                [this] { return waiting_ == 0 && !stopping_; });
        } catch (const platform::Error&) {
            // Locked or full: the next look tries again.
        }
    });
}

void CallerLookup::find(const CallerId& caller, QObject* context, Found found) {
    ++waiting_;
    post([this, caller, context = QPointer<QObject>(context), found = std::move(found)] {
        --waiting_;
        const QString key = caller.number.isEmpty() ? QString() : keyOf(caller.number);
        std::optional<book::Holder> holder;
        data::Database* db = book();
        if (db) {
            try {
                // Contacts stored since the last look are found too: when none
                // is due this is one probe.
                // A few batches at most: after a large import the caller is
                // told now, and the catch-up goes on after the call.
                if (!db->isReadOnly())
                    book::bringNumbersCurrent(
                        *db, [this](const QString& n) { return keyOf(n); },
                        [batches = 0]() mutable { return ++batches < 4; });
                holder = finder_->find(key);
            } catch (const platform::Error&) {
                // Locked or damaged: the call is told without a name.
            }
        }
        if (context)
            QMetaObject::invokeMethod(context, [found, holder] { found(holder); });
        if (!db)
            return;
        if (!db->isReadOnly() && waiting_ == 0)
            catchUp();
        QString networkName = caller.name;
        if (networkName.isEmpty() && caller.withheld == CallerId::Withheld::Private)
            networkName = QStringLiteral("Private number");
        else if (networkName.isEmpty() && caller.withheld == CallerId::Withheld::OutOfArea)
            networkName = QStringLiteral("Out of area");
        try {
            book::logCall(*db, {QDateTime::currentDateTimeUtc(),
                                book::Call::Way::In,
                                caller.number,
                                key,
                                holder ? holder->id : QString(),
                                networkName,
                                {},
                                {}});
        } catch (const platform::Error&) {
            // A log that cannot be written now loses this call, never the window.
        }
    });
}

void CallerLookup::logUntold() { find({}, nullptr, {}); }

void CallerLookup::logDial(const QString& number, const QString& answer) {
    post([this, number, answer] {
        data::Database* db = book();
        if (!db)
            return;
        try {
            book::logCall(*db, {QDateTime::currentDateTimeUtc(),
                                book::Call::Way::Out,
                                number,
                                keyOf(number),
                                {},
                                {},
                                answer,
                                {}});
        } catch (const platform::Error&) {
        }
    });
}

} // namespace dialer
