#include "exchange/Duplicates.h"

#include "links/MatchKey.h"

#include <algorithm>
#include <future>
#include <thread>

namespace exchange {
namespace {
// A name's words in any order, without case or commas: "Mensah, Kofi" and
// "Kofi Mensah" are one.
QString nameKey(const QString& name) {
    QStringList words;
    QString word;
    for (const QChar c : name.toCaseFolded()) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    std::sort(words.begin(), words.end());
    return words.join(QLatin1Char(' '));
}

// The last seven digits of a number: the same person's number written with
// and without its area code.
QString localDigits(const QString& number) {
    QString digits;
    for (const QChar c : number)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits.size() < 7 ? QString() : digits.right(7);
}
} // namespace

QList<std::pair<QString, QString>> likenessKeys(const Likeness& contact, const QString& homeRegion,
                                                bool words) {
    QList<std::pair<QString, QString>> keys;
    // A short code (0, 911, *21#) or an e-mail that is none ("n/a") is
    // shared by people who have nothing else in common.
    for (const QString* number : {&contact.phone, &contact.mobile})
        if (const QString key = links::matchKey(*number, homeRegion); localDigits(key).size() == 7)
            keys.append({QLatin1String("t") + key,
                         words ? QStringLiteral("same number ") + links::shownKey(key) : QString()});
    const QString email = contact.email.trimmed();
    if (email.contains(QLatin1Char('@')))
        keys.append({QLatin1String("e") + email.toCaseFolded(), QStringLiteral("same e-mail ") + email});
    const QString name = nameKey(contact.name);
    if (name.isEmpty())
        return keys;
    const QString sameName = QStringLiteral("same name %1 and ").arg(contact.name.trimmed());
    const QString company = contact.company.trimmed();
    if (!company.isEmpty())
        keys.append({QStringLiteral("c%1\x1f%2").arg(name, company.toCaseFolded()),
                     sameName + QStringLiteral("company ") + company});
    for (const QString* number : {&contact.phone, &contact.mobile})
        if (const QString digits = localDigits(*number); !digits.isEmpty())
            keys.append({QStringLiteral("d%1\x1f%2").arg(name, digits),
                         sameName + QStringLiteral("number ") + number->trimmed()});
    return keys;
}

void DuplicateFinder::add(const QList<Likeness>& batch) {
    // Keys are kept as 64-bit hashes: a million contacts' keys as text would
    // take gigabytes. Two keys of one hash (about one chance in four million
    // for a million contacts) would put contacts that share nothing in one
    // group; a group made only by such a join has no reason, and the caller
    // leaves it out.
    std::vector<std::vector<quint64>> hashes(size_t(batch.size()));
    const qsizetype parts =
        std::clamp(qsizetype(std::thread::hardware_concurrency()), qsizetype(1), qsizetype(8));
    const qsizetype step = (batch.size() + parts - 1) / parts;
    std::vector<std::future<void>> running;
    for (qsizetype from = 0; from < batch.size(); from += step)
        running.push_back(std::async(std::launch::async, [&, from] {
            for (qsizetype i = from; i < std::min(from + step, batch.size()); ++i)
                for (const auto& key : likenessKeys(batch[i], homeRegion_, false))
                    hashes[size_t(i)].push_back(qHash(key.first, size_t(0x51ed270b27)));
        }));
    for (auto& part : running)
        part.get();
    for (const std::vector<quint64>& keys : hashes) {
        const auto self = quint32(parent_.size());
        parent_.push_back(self);
        for (const quint64 hash : keys) {
            const auto found = firstWith_.constFind(hash);
            if (found == firstWith_.constEnd()) {
                firstWith_.insert(hash, self);
                continue;
            }
            const qsizetype a = root(*found), b = root(self);
            if (a != b)
                parent_[size_t(std::max(a, b))] = quint32(std::min(a, b));
        }
    }
}

qsizetype DuplicateFinder::root(qsizetype i) {
    while (parent_[size_t(i)] != quint32(i)) {
        parent_[size_t(i)] = parent_[parent_[size_t(i)]]; // halves the path for the next look
        i = parent_[size_t(i)];
    }
    return i;
}

QList<QList<qsizetype>> DuplicateFinder::groups() {
    // A group's root is its first contact, so groups come in the order of their first.
    QHash<qsizetype, qsizetype> at; // root -> index in `out`
    QList<QList<qsizetype>> out;
    for (qsizetype i = 0; i < qsizetype(parent_.size()); ++i) {
        const qsizetype r = root(i);
        if (r == i)
            continue;
        auto found = at.constFind(r);
        if (found == at.constEnd()) {
            found = at.insert(r, out.size());
            out.append(QList<qsizetype>{r});
        }
        out[*found].append(i);
    }
    return out;
}

QString groupReason(const QList<Likeness>& group, const QString& homeRegion) {
    // In the words of the first contact that has the key.
    QHash<QString, std::pair<qsizetype, QString>> seen;
    for (qsizetype i = 0; i < group.size(); ++i)
        for (const auto& [key, words] : likenessKeys(group[i], homeRegion)) {
            const auto found = seen.constFind(key);
            if (found == seen.constEnd())
                seen.insert(key, {i, words});
            else if (found->first != i)
                return found->second;
        }
    return {};
}

} // namespace exchange
