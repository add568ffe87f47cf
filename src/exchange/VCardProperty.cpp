#include "exchange/VCardProperty.h"

#include <utility>

namespace exchange::vcard {

Kind kindOf(QByteArrayView name) {
    static constexpr std::pair<QByteArrayView, Kind> Known[] = {
        {"N", Kind::N},     {"FN", Kind::FN},           {"TEL", Kind::Tel}, {"ADR", Kind::Adr},
        {"ORG", Kind::Org}, {"EMAIL", Kind::Email},     {"URL", Kind::Url}, {"BEGIN", Kind::Begin},
        {"END", Kind::End}, {"VERSION", Kind::Version}, {"UID", Kind::Uid}};
    for (const auto& [known, kind] : Known)
        if (sameName(name, known))
            return kind;
    return Kind::Other;
}

QByteArrayView propertyName(QByteArrayView line) {
    qsizetype i = 0;
    while (i < line.size() && line[i] != ';' && line[i] != ':')
        ++i;
    QByteArrayView name = line.first(i);
    for (qsizetype dot = name.size() - 1; dot >= 0; --dot) // group.NAME
        if (name[dot] == '.')
            return name.sliced(dot + 1);
    return name;
}

bool isBinary(QByteArrayView name) {
    return sameName(name, "PHOTO") || sameName(name, "LOGO") || sameName(name, "SOUND") ||
           sameName(name, "KEY");
}

bool splitProperty(QByteArrayView line, QByteArrayView& name, QByteArrayView& params, QByteArrayView& value) {
    name = propertyName(line);
    qsizetype i = name.data() - line.data() + name.size();
    const qsizetype paramsFrom = i;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            break;
    }
    if (i >= line.size())
        return false;
    params = line.sliced(paramsFrom, i - paramsFrom);
    value = line.sliced(i + 1);
    return true;
}

namespace {
void addType(Params& p, QByteArrayView type) {
    // TYPE=cell,voice and TYPE="cell,voice" alike.
    qsizetype from = 0;
    for (qsizetype i = 0; i <= type.size(); ++i) {
        if (i == type.size() || type[i] == ',') {
            QByteArrayView one = type.sliced(from, i - from).trimmed();
            if (one.startsWith('"'))
                one = one.sliced(1);
            if (one.endsWith('"'))
                one.chop(1);
            if (sameName(one, "cell"))
                p.cell = true;
            else if (sameName(one, "pref") && p.pref == 0)
                p.pref = 1;
            else if (sameName(one, "home"))
                p.home = true;
            else if (sameName(one, "work"))
                p.work = true;
            else if (sameName(one, "fax") || sameName(one, "pager") || sameName(one, "textphone") ||
                     sameName(one, "modem") || sameName(one, "video"))
                p.noVoice = true;
            from = i + 1;
        }
    }
}

void setEncoding(Params& p, QByteArrayView value) {
    if (sameName(value, "QUOTED-PRINTABLE"))
        p.encoding = Params::Encoding::QuotedPrintable;
    else if (sameName(value, "BASE64") || sameName(value, "B"))
        p.encoding = Params::Encoding::Base64;
    else if (!sameName(value, "8BIT") && !sameName(value, "7BIT"))
        p.unknownEncoding = value;
}
} // namespace

bool ParamReader::next(Param& param) {
    while (!rest_.isEmpty()) {
        qsizetype i = rest_.startsWith(';') ? 1 : 0;
        const qsizetype from = i;
        bool quoted = false;
        while (i < rest_.size() && (quoted || rest_[i] != ';')) {
            if (rest_[i] == '"')
                quoted = !quoted;
            ++i;
        }
        const QByteArrayView text = rest_.sliced(from, i - from);
        rest_ = rest_.sliced(i);
        if (text.trimmed().isEmpty())
            continue;
        const qsizetype eq = text.indexOf('=');
        param.text = text;
        param.bare = eq < 0;
        param.key = (param.bare ? text : text.first(eq)).trimmed();
        param.value = param.bare ? QByteArrayView() : text.sliced(eq + 1).trimmed();
        return true;
    }
    return false;
}

Params parseParams(QByteArrayView params) {
    Params p;
    ParamReader reader(params);
    for (Param param; reader.next(param);) {
        if (param.bare) { // vCard 2.1 bare values: CELL, QUOTED-PRINTABLE
            if (sameName(param.key, "QUOTED-PRINTABLE") || sameName(param.key, "BASE64"))
                setEncoding(p, param.key);
            else
                addType(p, param.key);
        } else if (sameName(param.key, "TYPE")) {
            addType(p, param.value);
        } else if (sameName(param.key, "ENCODING")) {
            setEncoding(p, param.value);
        } else if (sameName(param.key, "CHARSET")) {
            p.charset = param.value;
        } else if (sameName(param.key, "VALUE")) {
            p.text = sameName(param.value, "text");
        } else if (sameName(param.key, "PREF")) {
            p.pref = qBound(1, param.value.toByteArray().toInt(), 100);
        }
    }
    return p;
}

QByteArray escaped(const QString& value, bool uri) {
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\\' || (!uri && (c == ',' || c == ';')))
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

QByteArray paramValue(const QString& value) {
    QByteArray out;
    for (char c : value.toUtf8()) {
        if (c == '^')
            out += "^^";
        else if (c == '"')
            out += "^'";
        else if (c == '\n')
            out += "^n";
        else if (c != '\r')
            out += c;
    }
    return out;
}

QString unescape(QStringView value) {
    if (!value.contains(QLatin1Char('\\')))
        return value.toString();
    QString out;
    out.reserve(value.size());
    qsizetype from = 0; // the text since the last escape, copied in one go
    for (qsizetype i = value.indexOf(QLatin1Char('\\')); i >= 0 && i + 1 < value.size();
         i = value.indexOf(QLatin1Char('\\'), i + 2)) {
        out += value.sliced(from, i - from);
        const QChar n = value[i + 1];
        if (n == QLatin1Char('n') || n == QLatin1Char('N'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('\\') || n == QLatin1Char(',') || n == QLatin1Char(';') ||
                 n == QLatin1Char(':'))
            out += n;
        else // not an escape we know: keep it as written
            out += value.sliced(i, 2);
        from = i + 2;
    }
    out += value.sliced(from);
    return out;
}

Components::Components(const QString& value) {
    const bool escaped = value.contains(QLatin1Char('\\'));
    qsizetype from = 0;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        if (i + 1 < value.size() && value[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (i == value.size() || value[i] == QLatin1Char(';')) {
            const QStringView part = QStringView(value).sliced(from, i - from);
            if (escaped)
                unescaped_ << unescape(part);
            else
                parts_.append(part);
            from = i + 1;
        }
    }
    // Views of the unescaped strings' own text, which stays where it is.
    for (const QString& part : unescaped_)
        parts_.append(part);
}

} // namespace exchange::vcard
