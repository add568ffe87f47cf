#include "sync/engine/CardText.h"

#include "exchange/CardReader.h"
#include "exchange/CardWriter.h"
#include "platform/core/Error.h"

#include <QBuffer>
#include <QCryptographicHash>

namespace engine {

std::optional<exchange::Card> readCard(const QByteArray& vcard) {
    QByteArray bytes = vcard;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    try {
        exchange::Card card;
        if (exchange::openCardReader(in)->next(card))
            return card;
    } catch (const platform::Error&) {
    }
    return std::nullopt;
}

QByteArray cardText(const exchange::Card& card) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    auto writer = exchange::makeVCardWriter(out);
    writer->write(card);
    writer->flush();
    return bytes;
}

QString hrefFor(const QString& collectionPath, const QString& uid) {
    QString name = uid;
    if (name.startsWith(QLatin1String("urn:uuid:")))
        name.remove(0, 9);
    const bool plain =
        !name.isEmpty() && name.size() <= 100 && std::all_of(name.begin(), name.end(), [](QChar c) {
            return (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'_' || c == u'.';
        });
    // Anything else in a path would need escaping that servers undo differently.
    if (!plain || name.startsWith(u'.'))
        name = QString::fromLatin1(QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha1).toHex());
    QString path = collectionPath;
    if (!path.endsWith(u'/'))
        path += u'/';
    return path + name + QStringLiteral(".vcf");
}

} // namespace engine
