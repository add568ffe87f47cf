#pragma once

#include "exchange/Card.h"
#include "exchange/CsvProperties.h"

#include <QStringList>

#include <vector>

namespace exchange {

// What the header row of a CSV file says about its columns: ours, or those
// of the common mail programs, web mail and spreadsheet address books
// (first, middle and last name, organisation, named or numbered phones,
// e-mail, address parts, web page), mapped onto the seven fields.
class CsvColumns {
public:
    // Throws platform::Error (BadFileFormat) when no column is known, naming
    // the ones that are; `line` is where the header is.
    CsvColumns(const QStringList& header, qint64 line);

    // The contact of one row; `values` are its columns, decoded.
    void compose(const std::vector<QString>& values, Card& card) const;
    // Columns that stand for nothing, each named once; their values are kept
    // with the contact (Card::kept), to go out again with it.
    const QStringList& aside() const { return aside_; }

private:
    // A numbered phone or e-mail: its value column, and the column telling its kind.
    struct Numbered {
        int value;
        int kind;
    };

    void keepAside(const std::vector<QString>& values, Card& card) const;

    CsvProperties properties_;
    std::vector<std::vector<int>> fields_; // per field: candidate columns, first non-empty wins
    std::vector<std::vector<std::vector<int>>> addresses_; // address groups: columns of each part
    std::vector<std::vector<int>> names_;                  // per name part
    std::vector<Numbered> phones_;
    QStringList aside_;
    std::vector<int> asideColumns_; // the column of each name in aside_
};

} // namespace exchange
