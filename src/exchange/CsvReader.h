#pragma once

#include "exchange/CardReader.h"
#include "exchange/CsvColumns.h"

#include <optional>
#include <vector>

namespace exchange {

// CSV with a header row naming the columns (our seven field names in any
// order, or another address book's, see CsvColumns); quoting as RFC 4180, a
// quoted field may hold line breaks.
class CsvReader : public CardReader {
public:
    explicit CsvReader(std::unique_ptr<LineSource> lines);
    bool next(Card& card) override;
    QStringList ignoredColumns() const override { return ignored_; }

private:
    bool readRecord();
    void readHeader();

    std::unique_ptr<LineSource> lines_;
    std::vector<QByteArray> fields_; // of the current record
    qsizetype fieldCount_ = 0;
    QByteArray record_;
    qint64 recordLine_ = 0;
    std::optional<CsvColumns> columns_;
    std::vector<QString> values_; // of the current record, decoded
    QStringList ignored_;
    bool headerRead_ = false;
};

} // namespace exchange
