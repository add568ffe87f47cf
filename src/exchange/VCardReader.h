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

private:
    struct Parts;
    bool readLogicalLine();
    bool leaveOut(bool binary);
    void readProperty(Card& card, Parts& parts, vcard::Kind kind, QByteArrayView params,
                      QByteArrayView value);

    std::unique_ptr<LineSource> lines_;
    QByteArrayView line_; // the current property, unfolded: in the file's buffer or in folded_
    QByteArray folded_;
    qint64 lineNumber_ = 0; // where it began
    bool version21_ = false;
};

} // namespace exchange
