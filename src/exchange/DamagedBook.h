#pragma once

#include "exchange/Card.h"
#include "exchange/PhoneBookTransfer.h"
#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"

namespace exchange {

class CardWriter;

// The columns of an export's rows: the seven fields, the rowid, then (in a
// book with contact ids) the id and the kept card.
inline constexpr int RowidColumn = FieldCount;
inline constexpr int IdColumn = FieldCount + 1;
inline constexpr int KeptColumn = FieldCount + 2;

inline bool isDamage(const platform::Error& e) { return e.number() == platform::err::Damaged; }

// Where an export in name order has got to.
struct ExportKey {
    bool any = false;
    bool nullName = false;
    QString name;
    qint64 rowid = 0;
};

// The rest of an export that met a damaged page: every contact still
// readable that comes after `last` in name order, with its id and kept card
// when `withIds` and they can be read; counts what could not be.
void exportReadable(const data::Database& db, CardWriter& writer, const ExportKey& last, bool withIds,
                    Exported& result);

} // namespace exchange
