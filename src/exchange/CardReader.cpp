#include "exchange/CardReader.h"

#include "exchange/CsvReader.h"
#include "exchange/VCardReader.h"

#include <cstring>

namespace exchange {

bool LineSource::next(QByteArrayView& line) {
    if (held_) {
        held_ = false;
        returningHeld_ = true;
        line = copy_;
        return true;
    }
    returningHeld_ = false;
    return lines_.next(line);
}

void LineSource::giveBack(QByteArrayView line) {
    if (!returningHeld_) {
        // The view points into the reader's buffer, which the next read moves.
        copy_.resize(line.size());
        if (!line.isEmpty())
            std::memcpy(copy_.data(), line.data(), size_t(line.size()));
        heldNumber_ = lines_.lineNumber();
    }
    held_ = true;
}

std::unique_ptr<CardReader> openCardReader(QIODevice& in) {
    auto source = std::make_unique<LineSource>(in);
    QByteArrayView line;
    while (source->next(line)) {
        if (line.trimmed().isEmpty())
            continue;
        source->giveBack(line);
        const QByteArrayView begin = "BEGIN:VCARD";
        if (line.size() >= begin.size() &&
            qstrnicmp(line.data(), begin.size(), begin.data(), begin.size()) == 0)
            return std::make_unique<VCardReader>(std::move(source));
        break;
    }
    return std::make_unique<CsvReader>(std::move(source));
}

void joinLines(Card& card) {
    for (QString& value : card) {
        if (!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
            continue;
        value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        value = value.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1String(", "));
    }
}

} // namespace exchange
