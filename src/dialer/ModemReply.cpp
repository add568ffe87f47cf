#include "dialer/ModemReply.h"

#include <QRegularExpression>
#include <QStringList>

namespace dialer {

std::optional<QString> dialFailure(const QString& replies) {
    static const QStringList words = {QStringLiteral("NO DIALTONE"), QStringLiteral("NO DIAL TONE"),
                                      QStringLiteral("BUSY"),        QStringLiteral("NO CARRIER"),
                                      QStringLiteral("NO ANSWER"),   QStringLiteral("ERROR")};
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
    for (const QString& line : replies.split(lineEnd, Qt::SkipEmptyParts)) {
        const QString word = line.trimmed().toUpper();
        if (words.contains(word))
            return word;
    }
    return std::nullopt;
}

QString modemAnswer(const QString& replies) {
    if (const auto word = dialFailure(replies))
        return *word;
    static const QRegularExpression ok(QStringLiteral("(^|[\r\n])\\s*OK\\s*($|[\r\n])"));
    return ok.match(replies).hasMatch() ? QStringLiteral("OK") : QString();
}

QString dialFailureText(const QString& word, const QString& number) {
    QString meaning;
    if (word.startsWith(QLatin1String("NO DIAL")))
        meaning = QStringLiteral("it hears no dial tone, so the number was not dialed.\n\nIs the telephone "
                                 "line plugged into the modem (its LINE socket) and into the wall, and is "
                                 "no other telephone on the line in use? Then dial again.");
    else if (word == QLatin1String("BUSY"))
        meaning = QStringLiteral("the line of %1 is busy.\n\nHang up and dial again later.").arg(number);
    else if (word == QLatin1String("NO CARRIER"))
        meaning = QStringLiteral("the call did not go through, or it was cut off.\n\nHang up, check the "
                                 "number, and dial again.");
    else if (word == QLatin1String("NO ANSWER"))
        meaning = QStringLiteral("nobody answered %1.\n\nHang up and dial again later.").arg(number);
    else
        meaning = QStringLiteral("it did not take the dial command.\n\nCheck that the number holds only "
                                 "digits, blanks and hyphens, that the prefixes under Dialer Settings, Area "
                                 "Code are right, and that the port under Dialer Settings, Modem Port is "
                                 "the modem's.");
    return QStringLiteral("The modem answered %1: %2").arg(word, meaning);
}

} // namespace dialer
