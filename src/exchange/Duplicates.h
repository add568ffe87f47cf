#pragma once

#include <QList>
#include <QString>

#include <QHash>

#include <utility>
#include <vector>

namespace exchange {

// What the duplicate search looks at of a contact.
struct Likeness {
    QString name, company, phone, mobile, email;
};

// Finds groups of contacts that are probably one person: the same number
// (as links::matchKey reads it), the same e-mail (whatever its case), or the
// same name in either order with a number, e-mail or company in common. One
// pass over the contacts with an index of what each key was first seen with,
// so the time grows with the book, not with its pairs.
class DuplicateFinder {
public:
    explicit DuplicateFinder(QString homeRegion) : homeRegion_(std::move(homeRegion)) {}
    // The contacts in turn; the n-th added is n (from 0). A batch's keys
    // are read on every core: reading a number is most of the work.
    void add(const QList<Likeness>& batch);
    // Groups of two or more, each in the order its contacts were added;
    // the groups in the order of their first contacts.
    QList<QList<qsizetype>> groups();

private:
    qsizetype root(qsizetype i);
    std::vector<quint32> parent_;
    QHash<quint64, quint32> firstWith_;
    QString homeRegion_;
};

// The keys of a contact, each with what a person reads of it ("same number
// +1 212-555-0161") when `words`.
QList<std::pair<QString, QString>> likenessKeys(const Likeness& contact, const QString& homeRegion,
                                                bool words = true);

// Why `group` is one, in words: what its contacts have in common, as the
// first key that joins two of them.
QString groupReason(const QList<Likeness>& group, const QString& homeRegion);

} // namespace exchange
