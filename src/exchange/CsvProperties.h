#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace exchange {

// The columns of another program's CSV export (desktop mail, web mail, a
// mail client, a spreadsheet's plain English headers) as the vCard 4.0
// properties they stand for: a birthday as BDAY, a fax as a TEL of its
// type, the parts of an address as one typed ADR, and so on.
class CsvProperties {
public:
    // `lower`: the header's column names, trimmed and in lower case.
    explicit CsvProperties(const QStringList& lower);

    // Whether a column stands for a property (or tells the type of one).
    bool known(int column) const {
        return size_t(column) < columns_.size() && columns_[size_t(column)].known;
    }
    // Whether any column does that our own seven do not.
    bool foreign() const { return foreign_; }

    // One row's properties, one logical line each, in the order of their columns.
    QByteArray lines(const std::vector<QString>& values) const;

private:
    enum class Role {
        None,
        TypeOf,
        FullName,
        NamePart,
        Org,
        Title,
        Note,
        Birthday,
        Nickname,
        Tel,
        Email,
        Url,
        AdrPart
    };
    struct Column {
        bool known = false;
        Role role = Role::None;
        int part = 0;          // of N (0 family .. 4 suffix) or of ADR (0 box .. 6 country, 7 whole)
        int group = -1;        // the address this part belongs to
        QByteArray types;      // ";TYPE=work,voice"
        int typeColumn = -1;   // the column telling a numbered entry's type ("Phone 1 - Type")
        bool numbered = false; // "Phone 1 - Value": several values joined by " ::: "
    };
    void place(int column, const QString& name, const QStringList& lower);
    int groupOf(const QString& key); // the address of a "Home" or "Address 1 - " column

    std::vector<Column> columns_;
    QHash<QString, int> groups_;
    std::vector<std::vector<int>> members_; // the columns of each address
    bool foreign_ = false;
};

} // namespace exchange
