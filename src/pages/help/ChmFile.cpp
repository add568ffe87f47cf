#include "pages/help/ChmFile.h"

#include "pages/help/ChmCheck.h"
#include "pages/help/Contents.h"
#include "platform/core/Error.h"

#include <QFile>
#include <QFileInfo>

#include <chm_lib.h>

namespace help {
namespace {
using platform::Error;
namespace err = platform::err;

QString withoutFragment(const QString& name) { return name.section(QLatin1Char('#'), 0, 0); }

// Record codes of the file's system record that the viewer reads.
enum SystemCode : quint16 { ContentsFileCode = 0, IndexFileCode = 1, DefaultTopicCode = 2, TitleCode = 3 };
} // namespace

void ChmFile::Close::operator()(chmFile* file) const { chm_close(file); }

void ChmFile::checkReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(err::FileNotFound, QStringLiteral("The file does not exist."));
    if (!info.isFile())
        throw Error(err::FileAccess, QStringLiteral("It is not a file."));
    if (QFile probe(path); !probe.open(QIODevice::ReadOnly))
        throw Error(err::FileAccess, probe.errorString());
}

ChmFile::ChmFile(const QString& path) : path_(path) {
    checkReadable(path);
    const QByteArray native = QFile::encodeName(path);
    file_.reset(chm_open(native.constData()));
    if (!file_)
        throw Error(err::BadFileFormat, QStringLiteral("It is not a compiled help file."));
    readSystemRecord();
    if (defaultTopic_.isEmpty())
        defaultTopic_ = firstPage(contents().topics);
    if (defaultTopic_.isEmpty() || !read(withoutFragment(defaultTopic_)))
        throw Error(err::BadFileFormat, QStringLiteral("Its first page cannot be read."));
}

std::optional<QByteArray> ChmFile::read(const QString& name) const {
    const QByteArray object =
        QFile::encodeName(name.startsWith(QLatin1Char('/')) ? name : QLatin1Char('/') + name);
    chmUnitInfo unit{};
    if (chm_resolve_object(file_.get(), object.constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (unit.length > LargestObject)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 got =
        chm_retrieve_object(file_.get(), &unit, reinterpret_cast<unsigned char*>(data.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length))
        return std::nullopt;
    return data;
}

Sitemap ChmFile::sitemap(const QString& name) const {
    if (name.isEmpty())
        return {};
    const auto data = read(name);
    return data ? parseContents(*data) : Sitemap{};
}

void ChmFile::readSystemRecord() {
    const auto record = read(QStringLiteral("/#SYSTEM"));
    if (!record)
        return;
    // A version word, then entries of a code word, a length word and that
    // many bytes; the texts end in a NUL.
    const auto word = [&](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(record->at(at)) |
                                    static_cast<quint8>(record->at(at + 1)) << 8);
    };
    for (qsizetype at = 4; at + 4 <= record->size();) {
        const quint16 code = word(at), length = word(at + 2);
        at += 4;
        if (at + length > record->size())
            break;
        const QString text = QString::fromUtf8(record->mid(at, length).split('\0').front());
        if (code == TitleCode)
            title_ = text;
        else if (code == DefaultTopicCode)
            defaultTopic_ = text.startsWith(QLatin1Char('/')) ? text.mid(1) : text;
        else if (code == ContentsFileCode)
            contentsFile_ = text;
        else if (code == IndexFileCode)
            indexFile_ = text;
        at += length;
    }
}

} // namespace help
