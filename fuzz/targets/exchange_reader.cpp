// Any bytes as a contact file: the reader ends in a card or a message, never
// a crash, a hang or unbounded memory. Every card it reads, written as vCard
// and as CSV, reads back the same. Small limits let inputs of a few kilobytes
// reach the long values that real files reach with megabytes.
#include "exchange/CardReader.h"
#include "exchange/CardWriter.h"
#include "platform/core/Error.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
// What the phone book keeps: values as UTF-8.
exchange::Card stored(exchange::Card card) {
    for (QString& value : card)
        value = QString::fromUtf8(value.toUtf8());
    return card;
}

exchange::Card readBack(const exchange::Card& card, bool csv) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        const auto writer = csv ? exchange::makeCsvWriter(file) : exchange::makeVCardWriter(file);
        writer->write(card);
        writer->flush();
    }
    file.close();
    file.open(QIODevice::ReadOnly);
    exchange::Card back;
    const auto reader = exchange::openCardReader(file);
    if (!reader->next(back)) {
        std::fprintf(stderr, "a written card did not read back\n");
        std::abort();
    }
    return back;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    try {
        const auto reader = exchange::openCardReader(in, exchange::ReadLimits{1024, 8192});
        exchange::Card card;
        while (reader->next(card)) {
            const exchange::Card expected = stored(card);
            for (bool csv : {false, true}) {
                if (stored(readBack(expected, csv)) != expected) {
                    std::fprintf(stderr, "a card changed on its way through %s\n", csv ? "CSV" : "vCard");
                    std::abort();
                }
            }
        }
    } catch (const platform::Error&) {
        // a file that cannot be read: the message is the answer
    }
    return 0;
}
