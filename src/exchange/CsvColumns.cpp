#include "exchange/CsvColumns.h"

#include "exchange/FieldText.h"
#include "exchange/ReadError.h"
#include "exchange/VCardProperty.h"
#include "exchange/VCardReader.h"

#include <QRegularExpression>
#include <QSet>

namespace exchange {
namespace {
// Column names as the common programs write them, lower case, per field.
const std::vector<std::pair<Field, std::vector<const char*>>> FieldColumns = {
    {Name, {"name", "display name", "full name"}},
    {Company, {"company", "organization", "organization name", "organization 1 - name", "organisation"}},
    {Phone,
     {"phone", "business phone", "work phone", "home phone", "primary phone", "company main phone",
      "other phone", "telephone"}},
    {Mobile, {"mobile", "mobile phone", "mobile number", "cell phone", "cellular number", "cell"}},
    {Email,
     {"email", "e-mail", "e-mail address", "email address", "primary email", "e-mail 1 - value",
      "email 1 - value", "e-mail 2 address", "secondary email"}},
    {Address, {"address", "address 1 - formatted", "address 2 - formatted"}},
    {WebPage,
     {"webpage", "web page", "website", "website 1 - value", "web page 1", "web page 2",
      "personal web page"}},
};

// Parts of a name; the first column found for a part counts.
const std::vector<std::vector<const char*>> NameColumns = {{"first name", "given name"},
                                                           {"middle name", "additional name"},
                                                           {"last name", "family name", "surname"}};

// Address parts of each group, as "<group> <part>".
const std::vector<const char*> AddressGroups = {"home",  "business",    "work",
                                                "other", "address 1 -", "address 2 -"};
const std::vector<std::vector<const char*>> AddressColumns = {{"street", "address"},
                                                              {"city"},
                                                              {"state", "region"},
                                                              {"postal code", "zipcode", "zip"},
                                                              {"country/region", "country"}};

// "<group> <part>" of every address group and part, made once: a header of
// thousands of columns is looked through for each of them.
const std::vector<std::vector<QStringList>>& addressNames() {
    static const auto names = [] {
        std::vector<std::vector<QStringList>> all(AddressGroups.size());
        for (size_t group = 0; group < AddressGroups.size(); ++group)
            for (const auto& part : AddressColumns) {
                all[group].emplace_back();
                for (const char* n : part)
                    all[group].back()
                        << QLatin1String(AddressGroups[group]) + QLatin1Char(' ') + QLatin1String(n);
            }
        return all;
    }();
    return names;
}

QStringList lowerCase(const QStringList& header) {
    QStringList lower;
    for (const QString& column : header)
        lower << column.trimmed().toLower();
    return lower;
}

// "Phone 1 - Value" beside "Phone 1 - Type" (or "- Label") saying "Mobile".
const QRegularExpression NumberedPhone(QStringLiteral("^phone (\\d+) - value$"));
} // namespace

CsvColumns::CsvColumns(const QStringList& header, qint64 line)
    : properties_(lowerCase(header)), fields_(FieldCount),
      addresses_(AddressGroups.size(), std::vector<std::vector<int>>(AddressColumns.size())),
      names_(NameColumns.size()) {
    const QStringList lower = lowerCase(header);
    bool any = false;
    QSet<QString> asideNames; // the list would be searched once per column
    for (int c = 0; c < int(lower.size()); ++c) {
        const QString& name = lower[c];
        bool known = false;
        for (const auto& [field, names] : FieldColumns)
            for (const char* n : names)
                if (name == QLatin1String(n)) {
                    fields_[size_t(field)].push_back(c);
                    known = true;
                }
        for (size_t part = 0; part < NameColumns.size(); ++part)
            for (const char* n : NameColumns[part])
                if (name == QLatin1String(n)) {
                    names_[part].push_back(c);
                    known = true;
                }
        for (size_t group = 0; group < AddressGroups.size(); ++group)
            for (size_t part = 0; part < AddressColumns.size(); ++part)
                for (const QString& n : addressNames()[group][part])
                    if (name == n) {
                        addresses_[group][part].push_back(c);
                        known = true;
                    }
        if (const auto m = NumberedPhone.match(name); m.hasMatch()) {
            const QString prefix = QStringLiteral("phone %1 - ").arg(m.captured(1));
            int kind = int(lower.indexOf(prefix + QLatin1String("type")));
            if (kind < 0)
                kind = int(lower.indexOf(prefix + QLatin1String("label")));
            phones_.push_back({c, kind});
            known = true;
        }
        const bool kindColumn =
            name.startsWith(QLatin1String("phone ")) &&
            (name.endsWith(QLatin1String(" - type")) || name.endsWith(QLatin1String(" - label")));
        known = known || kindColumn || properties_.known(c);
        any = any || known;
        if (!(properties_.foreign() ? properties_.known(c) : known || kindColumn) && !name.isEmpty() &&
            !asideNames.contains(header[c].trimmed())) {
            asideNames.insert(header[c].trimmed());
            aside_ << header[c].trimmed();
            asideColumns_.push_back(c);
        }
    }
    if (!any)
        badInput(line,
                 QStringLiteral("this is neither a vCard file (BEGIN:VCARD) nor a CSV file whose first row "
                                "names its columns (%1; or as other address books name them: First "
                                "Name, Middle Name, Last Name, Given Name, Family Name, Display Name, "
                                "Company, Organization Name, Business Phone, Home Phone, Mobile Phone, "
                                "Phone 1 - Value, E-mail Address, Primary Email, Home Street, Home City, "
                                "Home State, Home Postal Code, Address 1 - Formatted, Web Page, "
                                "Website 1 - Value)")
                     .arg(book::fieldNames().join(QLatin1String(", "))));
}

void CsvColumns::compose(const std::vector<QString>& values, Card& card) const {
    if (properties_.foreign()) {
        // Another program's export: every column it names becomes the property it stands for,
        // and the fields are chosen from those as from any card.
        card.kept = properties_.lines(values);
        keepAside(values, card);
        const Card read = VCardReader::fieldsOf(card.kept);
        static_cast<Fields&>(card) = read;
        card.aside = read.aside;
        return;
    }
    auto value = [&](int column) {
        return column >= 0 && size_t(column) < values.size() ? values[size_t(column)] : QString();
    };
    auto firstOf = [&](const std::vector<int>& columns) {
        for (const int c : columns)
            if (QString v = value(c); !v.trimmed().isEmpty())
                return v;
        return QString();
    };
    for (int f = 0; f < FieldCount; ++f) {
        QString& field = card[size_t(f)];
        field = firstOf(fields_[size_t(f)]);
        // Blanks alone stay as they came, so a file we wrote reads back the same.
        for (const int c : fields_[size_t(f)])
            if (field.isEmpty())
                field = value(c);
    }

    // Name as "Last, First Middle" when the parts are there; else a whole name.
    const QString last = firstOf(names_[2]);
    const QString given = joinNonEmpty({firstOf(names_[0]), firstOf(names_[1])}, u" ");
    if (!last.isEmpty() || !given.isEmpty())
        card[Name] = composeName(last, given);

    for (const Numbered& phone : phones_) {
        const QString number = value(phone.value).section(QStringLiteral(" ::: "), 0, 0).trimmed();
        const bool mobile = value(phone.kind).contains(QLatin1String("mobile"), Qt::CaseInsensitive);
        QString& into = card[mobile ? Mobile : Phone];
        if (into.isEmpty())
            into = number;
    }

    keepAside(values, card);

    // The first address group that holds anything, when no whole address does.
    for (const auto& group : addresses_) {
        if (!card[Address].isEmpty())
            break;
        QStringList part;
        for (const auto& columns : group)
            part << firstOf(columns);
        card[Address] = joinNonEmpty({composeAddress(part[0], part[1], part[2], part[3]), part[4]});
    }
}

void CsvColumns::keepAside(const std::vector<QString>& values, Card& card) const {
    // The other columns stay with the contact, as properties of its card.
    for (size_t i = 0; i < asideColumns_.size(); ++i) {
        const size_t c = size_t(asideColumns_[i]);
        if (const QString v = c < values.size() ? values[c] : QString(); !v.isEmpty()) {
            card.kept += "X-CSV;X-COLUMN=\"" + vcard::paramValue(aside_[qsizetype(i)]) +
                         "\":" + vcard::escaped(v) + '\n';
            ++card.aside;
        }
    }
}

} // namespace exchange
