#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace exchange {

// The one progress line of quorvel-book, on a terminal: how a long import,
// export or sync goes. Nothing for the first second, at most four times a
// second, and nothing at all when standard error is not a terminal (a script
// reading it).
class Progress {
public:
    // `what`: "importing", "exporting", for update(); `total`: the amount done() counts up to.
    explicit Progress(const char* what = "", qint64 total = 0);
    ~Progress() { end(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `cards` done so far, and how much of the total that is: cards, cards a second, time left.
    void update(qint64 cards, qint64 done) {
        if (terminal_ && (cards & 1023) == 0)
            rate(cards, done);
    }
    // A line in words of its own ("Fetched 10 of 200 cards"), written over the one before.
    void show(const QString& line);
    // Ends the line shown, if any, so that what follows starts on a line of its own.
    void end();

private:
    void rate(qint64 cards, qint64 done);
    bool due();
    void draw(const QString& line);

    const char* what_;
    qint64 total_;
    bool terminal_;
    bool shown_ = false;
    qint64 lastShown_ = 0;
    QElapsedTimer clock_;
};

} // namespace exchange
