// Port.sav and Prefix.sav: the bytes written, the forms read, and loads that
// fail or find no file. Real files in a temporary program folder.
#include "dialer/Module1.h"
#include "dialer/SettingsText.h"
#include "platform/core/AppPath.h"
#include "platform/core/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace dialer;

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot open>");
}

// The error number a load raises, 0 when it raises none.
template <typename Load> int failureOf(Load load, DialerSettingsValues& settings) {
    try {
        load(settings);
        return 0;
    } catch (const platform::Error& e) {
        return e.number();
    }
}
} // namespace

class SettingsFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString port, prefix;
    dialer::DialerSettingsValues DialerSettings;

private slots:
    void init() {
        QVERIFY(dir.isValid());
        platform::setAppPath(dir.path());
        port = dir.filePath(QStringLiteral("Port.sav"));
        prefix = dir.filePath(QStringLiteral("Prefix.sav"));
        QFile::remove(port);
        QFile::remove(prefix);
        DialerSettings = {};
    }

    void writersWriteThePrintFormByteForByte() {
        DialerSettings.ModemPort = 3;
        Module1::SavePortSetting(DialerSettings);
        QCOMPARE(contentOf(port), QByteArray(" 3 \r\n"));

        DialerSettings = {0, 212, 9, 1};
        Module1::SavePrefixSettings(DialerSettings);
        QCOMPARE(contentOf(prefix), QByteArray(" 212  9  1 \r\n"));

        DialerSettings = {0, 0, -1, -32768};
        Module1::SavePrefixSettings(DialerSettings);
        QCOMPARE(contentOf(prefix), QByteArray(" 0 -1 -32768 \r\n"));
        // A second save replaces the file; it never appends.
        DialerSettings.ModemPort = 12;
        Module1::SavePortSetting(DialerSettings);
        QCOMPARE(contentOf(port), QByteArray(" 12 \r\n"));
    }

    void whatIsWrittenReadsBack() {
        DialerSettings = {8, 32767, -32768, 0};
        Module1::SavePortSetting(DialerSettings);
        Module1::SavePrefixSettings(DialerSettings);
        DialerSettings = {};
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(8));
        QCOMPARE(DialerSettings.AreaCode, qint16(32767));
        QCOMPARE(DialerSettings.OutLine, qint16(-32768));
        QCOMPARE(DialerSettings.LongDist, qint16(0));
    }

    void theReaderTakesEveryFormOfTheNumbers_data() {
        QTest::addColumn<QByteArray>("portFile");
        QTest::addColumn<QByteArray>("prefixFile");
        QTest::newRow("print form") << QByteArray(" 3 \r\n") << QByteArray(" 212  9  1 \r\n");
        QTest::newRow("bare") << QByteArray("3") << QByteArray("212,9,1");
        QTest::newRow("lines") << QByteArray("3\r\n") << QByteArray("212\r\n9\r\n1\r\n");
        QTest::newRow("commas, blanks") << QByteArray("  3,") << QByteArray("212 , 9 ,1,junk after");
        QTest::newRow("LF only, leading zeros") << QByteArray("\n03\n") << QByteArray("\n0212\n09\n+1");
    }
    void theReaderTakesEveryFormOfTheNumbers() {
        QFETCH(QByteArray, portFile);
        QFETCH(QByteArray, prefixFile);
        write(port, portFile);
        write(prefix, prefixFile);
        QVERIFY(Module1::PortFileExists());
        QVERIFY(Module1::PrefixFileExists());
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(3));
        QCOMPARE(DialerSettings.AreaCode, qint16(212));
        QCOMPARE(DialerSettings.OutLine, qint16(9));
        QCOMPARE(DialerSettings.LongDist, qint16(1));
    }

    void badFilesFailAndChangeNoValue_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("error");
        QTest::newRow("empty") << QByteArray() << platform::err::BadFileFormat;
        QTest::newRow("two of three") << QByteArray(" 212  9 \r\n") << platform::err::BadFileFormat;
        QTest::newRow("overflow") << QByteArray(" 212  40000  1 \r\n") << platform::err::Overflow;
        QTest::newRow("below range") << QByteArray("212,-32769,1") << platform::err::Overflow;
        QTest::newRow("very long") << QByteArray("212,9,1234567890123456789012") << platform::err::Overflow;
        QTest::newRow("letters") << QByteArray("212,nine,1") << platform::err::TypeMismatch;
        QTest::newRow("empty between commas") << QByteArray("212,,1") << platform::err::TypeMismatch;
    }
    void badFilesFailAndChangeNoValue() {
        QFETCH(QByteArray, content);
        QFETCH(int, error);
        DialerSettings = {5, 415, 8, 7};
        write(prefix, content);
        QCOMPARE(failureOf(Module1::LoadPrefixSettings, DialerSettings), error);
        QCOMPARE(DialerSettings.AreaCode, qint16(415));
        QCOMPARE(DialerSettings.OutLine, qint16(8));
        QCOMPARE(DialerSettings.LongDist, qint16(7));
        // No handle stays open: the file can be replaced and read at once.
        QVERIFY(QFile::remove(prefix));
        write(prefix, " 1  2  3 \r\n");
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.AreaCode, qint16(1));
    }

    void anEmptyPortFileFails() {
        DialerSettings.ModemPort = 4;
        write(port, "");
        QCOMPARE(failureOf(Module1::LoadPortSetting, DialerSettings), platform::err::BadFileFormat);
        QCOMPARE(DialerSettings.ModemPort, qint16(4));
    }

    void missingFilesLeaveTheValuesInMemory() {
        QVERIFY(!Module1::PortFileExists());
        QVERIFY(!Module1::PrefixFileExists());
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(0));
        QCOMPARE(DialerSettings.AreaCode, qint16(0));

        // Deleted while the program runs: the values last loaded stay.
        write(port, " 12 \r\n");
        write(prefix, " 212  9  1 \r\n");
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QVERIFY(QFile::remove(port));
        QVERIFY(QFile::remove(prefix));
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(12));
        QCOMPARE(DialerSettings.AreaCode, qint16(212));
        QCOMPARE(DialerSettings.LongDist, qint16(1));
    }

    void everyLoadReadsTheFileAgain() {
        write(port, "3");
        Module1::LoadPortSetting(DialerSettings);
        write(port, "5");
        Module1::LoadPortSetting(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(5));
    }

    // Hand-edited numbers with a fraction are rounded half to even, as the
    // prefix dialog rounds what is typed.
    void handEditedFractionsAreRounded() {
        write(port, "3.0");
        write(prefix, " 212.5 , 9.51\r\n-1.5 ");
        Module1::LoadPortSetting(DialerSettings);
        Module1::LoadPrefixSettings(DialerSettings);
        QCOMPARE(DialerSettings.ModemPort, qint16(3));
        QCOMPARE(DialerSettings.AreaCode, qint16(212));
        QCOMPARE(DialerSettings.OutLine, qint16(10));
        QCOMPARE(DialerSettings.LongDist, qint16(-2));
    }

    // A large file is no settings file: told in a line, without reading it all
    // or quoting it; a bad number is quoted in part only.
    void largeOrGarbledFilesGiveShortMessages() {
        DialerSettings.ModemPort = 4;
        write(port, QByteArray(4 * 1024 * 1024, '7'));
        QString message;
        try {
            Module1::LoadPortSetting(DialerSettings);
        } catch (const platform::Error& e) {
            message = e.description();
        }
        QVERIFY2(message.contains("not a settings file") && message.size() < 300,
                 qPrintable(message.left(400)));
        QCOMPARE(DialerSettings.ModemPort, qint16(4));

        write(prefix, "212," + QByteArray(200, 'x') + ",1");
        message.clear();
        try {
            Module1::LoadPrefixSettings(DialerSettings);
        } catch (const platform::Error& e) {
            message = e.description();
        }
        QVERIFY2(message.startsWith("Prefix.sav holds") && message.size() < 100, qPrintable(message));
    }

    // A save killed before moving its copy into place leaves
    // "Prefix.sav.quorvel-save-" and six letters; the next save removes such
    // leftovers of its own, and never a user's own copies, whatever their
    // names. The saved file keeps the mode the user gave it.
    void aSaveRemovesLeftoversOfItsOwnOnly() {
        const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
        const QStringList ours = {"Prefix.sav.quorvel-save-AbCd12", "Port.sav.quorvel-save-AbCd12"};
        const QStringList kept = {"Prefix.sav.backup",
                                  "Port.sav.old123",
                                  "Prefix.sav.AbCd12",
                                  "Prefix.sav.bak",
                                  "Prefix.sav.fresh1",
                                  "Prefix.sav.quorvel-save-fresh1",
                                  "Prefix.sav.quorvel-save-AbCd123"};
        for (const QString& name : ours + kept) {
            write(dir.filePath(name), " 1  2  3 \r\n");
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (!name.endsWith("fresh1")) // another copy may be saving it right now
                QVERIFY(file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
        }
        write(prefix, " 0  0  0 \r\n");
        QVERIFY(QFile::setPermissions(prefix, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        Module1::SavePrefixSettings(DialerSettings);
        Module1::SavePortSetting(DialerSettings);
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        left.sort();
        QStringList expected = kept;
        expected << "Prefix.sav"
                 << "Port.sav";
        expected.sort();
        QCOMPARE(left, expected);
        QCOMPARE(QFile::permissions(prefix), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                 QFile::WriteUser | QFile::ReadGroup);
        for (const QString& name : kept)
            QCOMPARE(contentOf(dir.filePath(name)), QByteArray(" 1  2  3 \r\n"));
        for (const QString& name : kept)
            QFile::remove(dir.filePath(name));
    }

    void aFailedSaveIsReportedAndLeavesNothingBehind() {
        // Port.sav taken by a folder: the finished file cannot replace it.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Port.sav")));
        DialerSettings.ModemPort = 7;
        QCOMPARE(failureOf(Module1::SavePortSetting, DialerSettings), platform::err::FileAccess);
        QVERIFY(QFileInfo(port).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(QDir(port).removeRecursively());

        // The program's folder gone: nothing is created.
        const QString missing = dir.filePath(QStringLiteral("gone"));
        platform::setAppPath(missing);
        QCOMPARE(failureOf(Module1::SavePrefixSettings, DialerSettings), platform::err::FileAccess);
        QVERIFY(!QFileInfo::exists(missing));
    }
};

QTEST_GUILESS_MAIN(SettingsFilesTest)
#include "tst_settingsfiles.moc"
