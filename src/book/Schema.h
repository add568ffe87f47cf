#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The phone book's table, its fields and its order, named in this one place.
// Header only and Qt Core only, so the contact readers can take it without SQLite.
namespace book {

inline constexpr char Table[] = "PHONEDIR";

// The seven fields of a contact, in the table's column order.
enum Field { Name, Company, Phone, Address, Mobile, Email, WebPage, FieldCount };
inline constexpr std::array<const char*, FieldCount> FieldNames = {"Name",   "Company", "Phone",  "Address",
                                                                   "Mobile", "Email",   "WebPage"};

// Find and Sort order the book by this field, through the index of the same name.
inline constexpr Field OrderField = Name;
inline constexpr char OrderIndex[] = "Name";

// Beside the seven fields (from version 1 of the book on): each contact's own
// id, which VACUUM cannot renumber as it may the rowids, and the side table
// that keeps the card a contact came from, keyed by that id.
inline constexpr char IdField[] = "Uid";
inline constexpr char CardsTable[] = "CARDS";

// From version 2 on: what the last sync with a CardDAV server left, so the
// next one knows what changed on either side. SYNCED holds, per contact id,
// the card's href and ETag on the server and the card both sides agreed on;
// SYNCSTATE the collection synced with and its sync token.
inline constexpr char SyncedTable[] = "SYNCED";
inline constexpr char SyncStateTable[] = "SYNCSTATE";

// From version 3 on: who is calling, and the call log. NUMBERS holds the one
// match key of each contact's Phone and Mobile (made by the links layer's
// reading of a number), so a caller is found with one probe; NUMBERSDUE the
// rows whose keys are still to be made. Triggers of plain SQL fill NUMBERSDUE
// on every insert, change and delete, whoever writes (this program, the
// sqlite3 tool), since the keys themselves cannot be made in SQL. CALLS keeps
// the last CallsKept incoming calls and dials.
inline constexpr char NumbersTable[] = "NUMBERS";
inline constexpr char NumbersDueTable[] = "NUMBERSDUE";
// Where the reading of the contacts that were there before version 3 goes on.
inline constexpr char NumbersScanTable[] = "NUMBERSSCAN";
inline constexpr char CallsTable[] = "CALLS";
inline constexpr int CallsKept = 100000;

// From version 4 on: the trash. A contact a sync or a merge deleted is kept
// there with its fields and its card, by its id, for TrashDays days.
inline constexpr char TrashTable[] = "TRASH";
inline constexpr int TrashDays = 30;

// One value per field, in field order.
template <typename T> using PerField = std::array<T, FieldCount>;

inline QString table() { return QLatin1String(Table); }
inline QString fieldName(int field) { return QLatin1String(FieldNames[size_t(field)]); }
inline QString orderField() { return fieldName(OrderField); }
inline QString orderIndex() { return QLatin1String(OrderIndex); }

inline QStringList fieldNames() {
    QStringList names;
    for (const char* name : FieldNames)
        names << QLatin1String(name);
    return names;
}

} // namespace book
