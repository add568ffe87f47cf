#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace exchange {

// Shows how a long import or export goes, on one line of a terminal: cards
// done, cards a second, time left. Nothing for the first second, and nothing
// at all when standard error is not a terminal (a script reading it).
class Progress {
public:
    // `what`: "importing", "exporting"; `total`: the amount done() counts up to.
    Progress(const char* what, qint64 total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `cards` done so far, and how much of the total that is.
    void update(qint64 cards, qint64 done) {
        if (terminal_ && (cards & 1023) == 0)
            show(cards, done);
    }

private:
    void show(qint64 cards, qint64 done);

    const char* what_;
    qint64 total_;
    bool terminal_;
    bool shown_ = false;
    qint64 lastShown_ = 0;
    QElapsedTimer clock_;
};

} // namespace exchange
