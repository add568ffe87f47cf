#include "exchange/CardReader.h"

#include "exchange/CsvReader.h"
#include "exchange/VCardReader.h"

#include <algorithm>

namespace exchange {

bool LineSource::next(QByteArrayView& line) {
    if (holding_) {
        holding_ = false;
        line = held_;
        return true;
    }
    return lines_.next(line);
}

std::unique_ptr<CardReader> openCardReader(QIODevice& in, const ReadLimits& limits) {
    auto source = std::make_unique<LineSource>(in, limits);
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

qint64 joinLines(Card& card) {
    qint64 nuls = 0;
    for (QString& value : card) {
        if (std::none_of(value.cbegin(), value.cend(), [](QChar c) {
                return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.isNull();
            }))
            continue;
        const qsizetype had = value.size();
        value.remove(QChar(0));
        nuls += had - value.size();
        value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        value = value.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1String(", "));
    }
    return nuls;
}

} // namespace exchange
