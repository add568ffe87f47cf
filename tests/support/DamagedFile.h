#pragma once

// Damaging a phone book file on purpose, one page of it, as a bad disk
// sector or a cut-short copy would.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>

namespace testing {

inline qint64 pageSize(const QByteArray& header) {
    const int size = (quint8(header[16]) << 8) | quint8(header[17]);
    return size == 1 ? 65536 : size;
}

// The number (from 1) of the first page whose bytes hold `marker`; 0 if none.
inline qint64 pageHolding(const QString& path, const QByteArray& marker) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray all = f.readAll();
    const qsizetype at = all.indexOf(marker);
    return at < 0 ? 0 : at / pageSize(all) + 1;
}

// Overwrites page `page` (from 1) with bytes no valid page holds.
inline void damagePage(const QString& path, qint64 page) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot write " + path.toStdString());
    const qint64 size = pageSize(f.read(100));
    f.seek((page - 1) * size);
    f.write(QByteArray(size, '\xA5'));
}

} // namespace testing
