#pragma once

#include "exchange/CardReader.h"
#include "exchange/VCardProperty.h"

namespace exchange {

// vCard 2.1, 3.0 and 4.0, one card at a time. Properties other than the
// seven fields' are passed over unread.
class VCardReader : public CardReader {
public:
    explicit VCardReader(std::unique_ptr<LineSource> lines);
    bool next(Card& card) override;
    // The seven fields of a card kept by next() (its logical lines), read as next() reads them.
    static Card fieldsOf(QByteArrayView kept);

private:
    struct Parts;
    bool readLogicalLine();
    // Takes one logical line of a card; true at the card's end.
    bool take(Card& card, Parts& parts, QByteArrayView line);
    // The Name from FN when N gave none; lines joined, NULs counted.
    void complete(Card& card, const Parts& parts);
    bool leaveOut(bool binary);
    void readProperty(Card& card, Parts& parts, vcard::Kind kind, QByteArrayView params,
                      QByteArrayView value);

    std::unique_ptr<LineSource> lines_;
    QByteArrayView line_; // the current property, unfolded: in the file's buffer or in folded_
    QByteArray folded_;
    qint64 lineNumber_ = 0; // where it began
    bool version21_ = false;
    qsizetype keptSize_ = 0; // what the card before needed, and some
};

} // namespace exchange
