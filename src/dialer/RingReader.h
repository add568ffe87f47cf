#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace dialer {

// What a caller-ID block said about a caller.
struct CallerId {
    enum class Withheld { No, Private, OutOfArea };
    QString number; // as the network gave it; empty when withheld or not given
    Withheld withheld = Withheld::No;
    QString name; // the network's name for the caller; empty for none
    QString date; // MMDD, as given
    QString time; // HHMM, as given
};

// One thing heard on the line.
struct RingEvent {
    enum class Kind { Ring, CallerId };
    Kind kind = Kind::Ring;
    int call = 0;           // calls are counted from 1; rings of one call share it
    bool firstRing = false; // a Ring that starts a call
    CallerId caller;        // for Kind::CallerId
};

// Reads what a modem prints for incoming calls: "RING", and between the first
// and second ring the caller-ID block ("DATE = MMDD", "TIME = HHMM",
// "NMBR = ...", "NAME = ..." in any order, any of them missing, or all on one
// line; it ends with the number and the name both told, at the next line that
// is none of them, or at flush()), as it arrives, in pieces of any size, with any mix of CR and LF.
// The modem's echo and its OK are passed over. A block that is malformed or
// longer than any real one is dropped; memory never grows past a few hundred
// bytes, whatever arrives. Rings more than RingGapMs apart start a new call,
// and a call gives at most one caller ID.
class RingReader {
public:
    static constexpr qint64 RingGapMs = 8000;
    static constexpr int MaxLine = 256;
    static constexpr int MaxValue = 64;

    // Takes bytes that arrived at `nowMs` (any clock that only goes on);
    // returns what they completed.
    std::vector<RingEvent> feed(QByteArrayView bytes, qint64 nowMs);
    // Ends a block that nothing more followed (the line went quiet): a
    // modem may end one without a blank line.
    std::vector<RingEvent> flush();
    // Whether a block was begun and not yet ended.
    bool inBlock() const { return fields_ > 0; }

private:
    void line(const QByteArray& text, qint64 nowMs, std::vector<RingEvent>& out);
    void field(const QByteArray& key, const QByteArray& value);
    void endBlock(std::vector<RingEvent>& out);

    QByteArray line_;
    char lastEnd_ = 0;      // the line end just read, CR or LF; 0 after any other byte
    bool overlong_ = false; // the line being read is too long: skipped to its end
    int call_ = 0;
    qint64 lastRingMs_ = 0;
    bool callHasId_ = false;
    CallerId block_;
    int fields_ = 0;
    bool nameSeen_ = false;
    bool malformed_ = false;
};

} // namespace dialer
