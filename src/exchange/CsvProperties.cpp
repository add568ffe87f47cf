#include "exchange/CsvProperties.h"

#include "exchange/FieldText.h"
#include "exchange/VCardProperty.h"

#include <QDate>
#include <QRegularExpression>

namespace exchange {
using vcard::escaped;

namespace {
// Our own columns, which need no properties of their own.
const char* const Ours[] = {"name", "company", "phone", "mobile", "address", "email", "webpage"};

struct Named {
    const char* name;
    const char* types;
};
const Named Numbers[] = {
    {"phone", ""},
    {"telephone", ""},
    {"phone number", ""},
    {"business phone", "work,voice"},
    {"business phone 2", "work,voice"},
    {"work phone", "work,voice"},
    {"company main phone", "work,voice"},
    {"home phone", "home,voice"},
    {"home phone 2", "home,voice"},
    {"primary phone", "voice;PREF=1"},
    {"other phone", "voice"},
    {"car phone", "car"},
    {"mobile", "cell"},
    {"mobile phone", "cell"},
    {"mobile number", "cell"},
    {"cell phone", "cell"},
    {"cellular number", "cell"},
    {"cell", "cell"},
    {"fax", "fax"},
    {"fax number", "fax"},
    {"business fax", "work,fax"},
    {"work fax", "work,fax"},
    {"home fax", "home,fax"},
    {"other fax", "fax"},
    {"pager", "pager"},
    {"pager number", "pager"},
    {"tty/tdd phone", "textphone"},
};
const Named Emails[] = {
    {"email", ""},
    {"e-mail", ""},
    {"e-mail address", ""},
    {"email address", ""},
    {"primary email", "PREF"},
    {"e-mail 2 address", ""},
    {"e-mail 3 address", ""},
    {"secondary email", ""},
    {"work email", "work"},
    {"home email", "home"},
};
const Named Webs[] = {
    {"webpage", ""},
    {"web page", ""},
    {"website", ""},
    {"web site", ""},
    {"personal web page", "home"},
    {"business web page", "work"},
    {"web page 1", "work"},
    {"web page 2", "home"},
};
// Parts of N: family, given, additional, prefix, suffix.
const std::vector<std::vector<const char*>> NameParts = {{"last name", "family name", "surname"},
                                                         {"first name", "given name"},
                                                         {"middle name", "additional name"},
                                                         {"name prefix"},
                                                         {"name suffix", "suffix"}};
// Address groups ("<group> <part>") and their types.
const Named AddressGroups[] = {
    {"home", "home"}, {"business", "work"}, {"work", "work"}, {"other", ""}, {"", ""}};
// Parts of ADR: box, extended, street, city, region, postal code, country.
const std::vector<std::vector<const char*>> AdrColumns = {
    {"po box", "pobox"},          {"street 2", "address 2", "extended address"},
    {"street", "address"},        {"city"},
    {"state", "region"},          {"postal code", "zipcode", "zip", "zip code"},
    {"country/region", "country"}};
// "Phone 1 - Value" and its "Phone 1 - Type"; "Address 2 - City".
const QRegularExpression
    NumberedColumn(QStringLiteral("^(phone|e-mail|email|website|address) (\\d+) - (value|formatted|.+)$"));

bool among(const QString& name, const std::vector<const char*>& names) {
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

template <size_t N> const char* typesOf(const QString& name, const Named (&table)[N]) {
    for (const Named& n : table)
        if (name == QLatin1String(n.name))
            return n.types;
    return nullptr;
}

QByteArray typeParams(const char* types) {
    const QByteArray t(types);
    if (t.isEmpty())
        return {};
    if (t == "PREF")
        return ";PREF=1";
    return ";TYPE=" + t;
}

// The types a web mail export gives an entry: "* Home" is the primary home one.
QByteArray labelTypes(QString label, bool number) {
    label = label.trimmed().toLower();
    const bool pref = label.startsWith(QLatin1String("* "));
    if (pref)
        label.remove(0, 2);
    QByteArrayList types;
    if (label.contains(QLatin1String("home")))
        types << "home";
    if (label.contains(QLatin1String("work")) || label.contains(QLatin1String("business")))
        types << "work";
    if (number && (label.contains(QLatin1String("mobile")) || label.contains(QLatin1String("cell"))))
        types << "cell";
    if (number && label.contains(QLatin1String("fax")))
        types << "fax";
    if (number && label.contains(QLatin1String("pager")))
        types << "pager";
    QByteArray out = types.isEmpty() ? QByteArray() : ";TYPE=" + types.join(',');
    return pref ? out + ";PREF=1" : out;
}

// A birthday as 4.0 writes a date; one in no form known here, as text.
QByteArray birthday(const QString& value) {
    for (const char* format : {"yyyy-MM-dd", "M/d/yyyy", "d.M.yyyy", "yyyyMMdd"})
        if (const QDate date = QDate::fromString(value.trimmed(), QLatin1String(format)); date.isValid())
            return "BDAY:" + date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    return "BDAY;VALUE=text:" + escaped(value);
}
} // namespace

CsvProperties::CsvProperties(const QStringList& lower) : columns_(size_t(lower.size())) {
    for (int c = 0; c < int(lower.size()); ++c) {
        place(c, lower[c], lower);
        foreign_ = foreign_ || (columns_[size_t(c)].known &&
                                !among(lower[c], std::vector<const char*>(std::begin(Ours), std::end(Ours))));
    }
    // Each address's columns, so that a row of a wide header is not searched once per address.
    members_.resize(size_t(groups_.size()));
    for (int c = 0; c < int(columns_.size()); ++c)
        if (columns_[size_t(c)].role == Role::AdrPart)
            members_[size_t(columns_[size_t(c)].group)].push_back(c);
}

int CsvProperties::groupOf(const QString& key) {
    const auto found = groups_.constFind(key);
    return found != groups_.constEnd() ? *found : *groups_.insert(key, int(groups_.size()));
}

void CsvProperties::place(int c, const QString& name, const QStringList& lower) {
    Column& column = columns_[size_t(c)];
    column.known = true;
    if (const char* t = typesOf(name, Numbers)) {
        column.role = Role::Tel;
        column.types = typeParams(t);
        if (name == QLatin1String("phone"))
            column.types = ";TYPE=voice";
    } else if (const char* e = typesOf(name, Emails)) {
        column.role = Role::Email;
        column.types = typeParams(e);
    } else if (const char* w = typesOf(name, Webs)) {
        column.role = Role::Url;
        column.types = typeParams(w);
    } else if (name == QLatin1String("name") || name == QLatin1String("display name") ||
               name == QLatin1String("full name")) {
        column.role = Role::FullName;
    } else if (among(name, {"company", "organization", "organization name", "organization 1 - name",
                            "organisation"})) {
        column.role = Role::Org;
    } else if (among(name, {"job title", "organization 1 - title", "position"}) ||
               (name == QLatin1String("title") && !lower.contains(QLatin1String("job title")))) {
        column.role = Role::Title;
    } else if (name == QLatin1String("title")) { // beside a job title, it is Mr. or Dr.
        column.role = Role::NamePart;
        column.part = 3;
    } else if (among(name, {"notes", "note"})) {
        column.role = Role::Note;
    } else if (among(name, {"birthday", "birth date", "birthdate", "date of birth"})) {
        column.role = Role::Birthday;
    } else if (among(name, {"nickname", "nick name"})) {
        column.role = Role::Nickname;
    } else if (name == QLatin1String("address") || name == QLatin1String("address 1 - formatted") ||
               name == QLatin1String("address 2 - formatted")) {
        column.role = Role::AdrPart;
        column.part = 7;
    } else {
        column.known = false;
    }
    if (column.known && column.role != Role::AdrPart)
        return;
    for (size_t part = 0; !column.known && part < NameParts.size(); ++part)
        if (among(name, NameParts[part])) {
            column = Column{true, Role::NamePart, int(part), -1, {}, -1, false};
            return;
        }
    // Numbered entries of a web mail export, each with the column that tells its type.
    if (const auto m = NumberedColumn.match(name); m.hasMatch()) {
        const QString prefix = m.captured(1) + QLatin1Char(' ') + m.captured(2) + QLatin1String(" - ");
        const QString what = m.captured(3);
        int type = int(lower.indexOf(prefix + QLatin1String("type")));
        if (type < 0)
            type = int(lower.indexOf(prefix + QLatin1String("label")));
        if (what == QLatin1String("type") || what == QLatin1String("label")) {
            column = Column{true, Role::TypeOf, 0, -1, {}, -1, false};
            return;
        }
        if (m.captured(1) != QLatin1String("address") && what == QLatin1String("value")) {
            const Role role = m.captured(1) == QLatin1String("phone")     ? Role::Tel
                              : m.captured(1) == QLatin1String("website") ? Role::Url
                                                                          : Role::Email;
            column = Column{true, role, 0, -1, {}, type, true};
            return;
        }
        if (m.captured(1) == QLatin1String("address")) {
            const QString partName = what == QLatin1String("formatted") ? QString() : what;
            int part = 7;
            for (size_t p = 0; !partName.isEmpty() && p < AdrColumns.size(); ++p)
                if (among(partName, AdrColumns[p]))
                    part = int(p);
            if (part == 7 && !partName.isEmpty()) {
                column.known = false;
                return;
            }
            // One address per number: its parts share a group.
            column = Column{true, Role::AdrPart, part, groupOf(prefix), {}, type, false};
            return;
        }
    }
    if (column.role == Role::AdrPart) { // our whole Address
        column.group = groupOf(name);
        return;
    }
    for (const Named& group : AddressGroups)
        for (size_t part = 0; part < AdrColumns.size(); ++part)
            for (const char* p : AdrColumns[part]) {
                const QString full = *group.name
                                         ? QLatin1String(group.name) + QLatin1Char(' ') + QLatin1String(p)
                                         : QString::fromLatin1(p);
                if (name != full || (!*group.name && full == QLatin1String("address")))
                    continue;
                column = Column{true,
                                Role::AdrPart,
                                int(part),
                                groupOf(QLatin1String(group.name)),
                                typeParams(group.types),
                                -1,
                                false};
                return;
            }
}

QByteArray CsvProperties::lines(const std::vector<QString>& values) const {
    auto value = [&](int c) { return c >= 0 && size_t(c) < values.size() ? values[size_t(c)] : QString(); };
    QByteArray out;
    auto add = [&](const QByteArray& line) { out += line + '\n'; };
    bool nameDone = false;
    std::vector<bool> groupDone(size_t(groups_.size()), false);
    for (int c = 0; c < int(columns_.size()); ++c) {
        const Column& column = columns_[size_t(c)];
        const QString v = value(c);
        if (column.role == Role::NamePart && !std::exchange(nameDone, true)) {
            QString parts[5];
            for (int o = 0; o < int(columns_.size()); ++o)
                if (columns_[size_t(o)].role == Role::NamePart && parts[columns_[size_t(o)].part].isEmpty())
                    parts[columns_[size_t(o)].part] = value(o).trimmed();
            if (!(parts[0] + parts[1] + parts[2]).isEmpty())
                add("N:" + escaped(parts[0]) + ';' + escaped(parts[1]) + ';' + escaped(parts[2]) + ';' +
                    escaped(parts[3]) + ';' + escaped(parts[4]));
            continue;
        }
        if (column.role == Role::AdrPart && !groupDone[size_t(column.group)]) {
            groupDone[size_t(column.group)] = true;
            QString parts[8];
            QByteArray types = column.types;
            for (const int o : members_[size_t(column.group)]) {
                const Column& other = columns_[size_t(o)];
                if (parts[other.part].isEmpty())
                    parts[other.part] = value(o).trimmed();
                if (other.typeColumn >= 0)
                    types = labelTypes(value(other.typeColumn), false);
            }
            QString& whole = parts[7];
            if ((parts[0] + parts[1] + parts[2] + parts[3] + parts[4] + parts[5] + parts[6]).isEmpty() &&
                !whole.isEmpty()) {
                // Only the whole address: its parts when they are certain, else all as the street.
                const exchange::AddressParts split = splitAddress(whole);
                parts[2] = split.street;
                parts[3] = split.city;
                parts[4] = split.state;
                parts[5] = split.zip;
            }
            QByteArray adr;
            for (int p = 0; p < 7; ++p)
                adr += (p > 0 ? ";" : "") + escaped(parts[p]);
            if (adr.count(';') < adr.size())
                add("ADR" + types +
                    (whole.isEmpty() ? QByteArray() : ";LABEL=\"" + vcard::paramValue(whole) + '"') + ':' +
                    adr);
            continue;
        }
        if (v.trimmed().isEmpty())
            continue;
        const QByteArray types = column.typeColumn >= 0
                                     ? labelTypes(value(column.typeColumn), column.role == Role::Tel)
                                     : column.types;
        const QStringList each = column.numbered ? v.split(QStringLiteral(" ::: ")) : QStringList{v};
        for (const QString& one : each) {
            switch (column.role) {
            case Role::FullName:
                add("FN:" + escaped(one));
                break;
            case Role::Org:
                add("ORG:" + escaped(one));
                break;
            case Role::Title:
                add("TITLE:" + escaped(one));
                break;
            case Role::Note:
                add("NOTE:" + escaped(one));
                break;
            case Role::Nickname:
                add("NICKNAME:" + escaped(one));
                break;
            case Role::Birthday:
                if (one.trimmed() != QLatin1String("0/0/00")) // "none" in one desktop export
                    add(birthday(one));
                break;
            case Role::Tel:
                add("TEL;VALUE=text" + types + ':' + escaped(one.trimmed()));
                break;
            case Role::Email:
                add("EMAIL" + types + ':' + escaped(one.trimmed()));
                break;
            case Role::Url:
                add("URL" + types + ':' + escaped(one.trimmed(), true));
                break;
            default:
                break;
            }
        }
    }
    return out;
}

} // namespace exchange
