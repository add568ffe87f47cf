#include "identity/Identity.h"
#include "pages/help/ChmCheck.h"
#include "pages/help/ChmFile.h"
#include "pages/help/HelpScheme.h"
#include "pages/help/HelpWindow.h"
#include "pages/help/HtmlHelp.h"
#include "platform/forms/MsgBox.h"
#include "support/ScriptedBoxes.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtEndian>

#include <memory>
#include <optional>

using help::HelpWindow;

namespace {
constexpr int Patience = 60000; // the page engine starts slowly on a busy machine

// Runs a script in the viewer's page and returns its result.
QVariant evaluate(HelpWindow* window, const QString& script) {
    // The answer may come after we gave up waiting: it must not outlive us.
    auto answer = std::make_shared<std::optional<QVariant>>();
    // The pages run no scripts of their own; the test's run beside them.
    window->view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                          [answer](const QVariant& value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, Patience))
        return {};
    return **answer;
}

// Waits until the viewer shows `page` loaded whole, its images included.
bool showsPage(HelpWindow* window, const QString& page) {
    return QTest::qWaitFor(
        [&] {
            return help::pageOf(window->view()->url()) == page &&
                   evaluate(window, QStringLiteral("document.readyState === 'complete' && "
                                                   "location.pathname === '/%1'")
                                        .arg(page))
                       .toBool();
        },
        Patience);
}

QString currentTopic(HelpWindow* window) {
    const QTreeWidgetItem* item = window->contents()->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

// The file with the last chunk of its directory listing leading back to
// itself, as a damaged file may: a reader that follows it goes round forever.
QByteArray withDirectoryLoop(QByteArray chm) {
    const auto word = [&](qsizetype at) {
        quint32 value = 0; // little-endian, and 0 past the end
        for (qsizetype i = 3; i >= 0; --i)
            value = value << 8 | (at >= 0 && at + i < chm.size() ? uchar(chm[at + i]) : 0u);
        return qint32(value);
    };
    const qsizetype itsp = chm.indexOf("ITSP");
    const qsizetype first = itsp + word(itsp + 8); // the chunks follow the directory header
    const qint32 chunkSize = word(itsp + 16);
    for (qsizetype at = chm.indexOf("PMGL", first); at >= 0; at = chm.indexOf("PMGL", at + 4)) {
        if ((at - first) % chunkSize == 0 && word(at + 16) == -1) {
            qToLittleEndian<qint32>(qint32((at - first) / chunkSize),
                                    reinterpret_cast<uchar*>(chm.data() + at + 16));
            return chm;
        }
    }
    return {};
}

// Opens a help file as the Help command does and waits for its viewer.
HelpWindow* openHelp(const QString& path) {
    help::HtmlHelp(path);
    if (!QTest::qWaitFor([&] { return help::shownHelp() && help::shownHelp()->isVisible(); }, Patience))
        return nullptr;
    return help::shownHelp();
}

// Compiles a help project with the same compiler the build uses; its pages
// a.html and b.html say A and B unless given.
QString compile(const QString& dir, const QByteArray& project, const QByteArray& contents,
                const QByteArray& pageA = "<html><body><p>A</p></body></html>") {
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(dir + QLatin1Char('/') + name);
        return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
    };
    write(QStringLiteral("t.hhp"), project);
    write(QStringLiteral("t.hhc"), contents);
    write(QStringLiteral("a.html"), pageA);
    write(QStringLiteral("b.html"), "<html><body><p>B</p></body></html>");
    QProcess chmcmd;
    chmcmd.setWorkingDirectory(dir);
    chmcmd.start(QStringLiteral(QUORVEL_CHMCMD), {QStringLiteral("t.hhp")});
    chmcmd.waitForFinished(Patience);
    return dir + QStringLiteral("/t.chm");
}
} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void opensAtTheDefaultTopicWithTheContentsBeside() {
        const QString path = QStringLiteral(QUORVEL_HELP_FILE);
        const help::ChmFile file(path);
        QVERIFY(!file.defaultTopic().isEmpty());

        HelpWindow* window = openHelp(path);
        QVERIFY(window);
        QVERIFY(window->isWindow());
        QVERIFY(!window->parentWidget());
        // Whole on the screen, however small the screen.
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
        QVERIFY(showsPage(window, file.defaultTopic()));
        QVERIFY(evaluate(window, QStringLiteral("document.body.innerText.trim().length")).toInt() > 0);

        // Every entry of the contents is in the tree, and the tree marks the page shown.
        int items = 0;
        for (QTreeWidgetItemIterator it(window->contents()); *it; ++it)
            ++items;
        QVERIFY(items > 1);
        QCOMPARE(items, int(file.contents().topics.size()));
        QCOMPARE(currentTopic(window), file.defaultTopic());

        // A screen reader can name every control the keyboard reaches; the
        // page speaks for itself.
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || control->focusProxy() ||
                window->view()->isAncestorOf(control) || control == window->view())
                continue;
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(spoken && !spoken->text(QAccessible::Name).trimmed().isEmpty(),
                     control->metaObject()->className());
        }

        // The pictures of the page come out of the help file.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return evaluate(window,
                                QStringLiteral("document.images.length > 0 && Array.from(document.images)"
                                               ".every(i => i.complete && i.naturalWidth > 0)"))
                    .toBool();
            },
            Patience));

        // Help again, even after the viewer was put away, brings back the same one.
        window->hide();
        help::HtmlHelp(path);
        QCOMPARE(help::shownHelp(), window);
        QVERIFY(window->isVisible());

        // Closed, it is gone; the next Help opens a fresh one.
        const QPointer<HelpWindow> closed = window;
        window->close();
        QTRY_VERIFY(!closed);
    }

    // Every page can be found from the index, and the words a user would
    // type find a keyword that leads to a page about them.
    void theIndexFindsEveryPageAndTheWordsUsersType() {
        const help::ChmFile file(QStringLiteral(QUORVEL_HELP_FILE));
        const std::vector<help::Topic> index = file.index().topics;
        const auto pageOf = [](const QString& local) { return local.section(QLatin1Char('#'), 0, 0); };
        QSet<QString> indexed;
        for (const help::Topic& keyword : index)
            indexed << pageOf(keyword.local);
        for (const help::Topic& topic : file.contents().topics) {
            if (!topic.local.isEmpty())
                QVERIFY2(indexed.contains(pageOf(topic.local)), qPrintable(topic.local));
        }

        for (const QString word : {"backup", "restore", "USB", "port", "prefix", "area code", "import",
                                   "export", "vCard", "CSV", "screen reader", "keyboard", "Page Down", "BUSY",
                                   // quorvel-book and sync, tel: links, where files live
                                   "quorvel-book", "second phone book", "disk is full", "CardDAV", "summary",
                                   "tel:", "Port.sav"}) {
            bool found = false;
            for (const help::Topic& keyword : index) {
                if (!keyword.name.contains(word, Qt::CaseInsensitive))
                    continue;
                const std::optional<QByteArray> page = file.read(pageOf(keyword.local));
                QVERIFY2(page, qPrintable(keyword.local));
                found = found || QString::fromUtf8(*page).contains(word, Qt::CaseInsensitive);
            }
            QVERIFY2(found, qPrintable(word));
        }
    }

    void followsLinksTheTreeAndTheHistory() {
        const QString path = QStringLiteral(QUORVEL_HELP_FILE);
        HelpWindow* window = openHelp(path);
        QVERIFY(window);
        const QString home = window->file().defaultTopic();
        QVERIFY(showsPage(window, home));

        // A click of the mouse on the first link of the page, as a reader
        // would: on its first line, for a link may wrap.
        const QVariantList link =
            evaluate(window, QStringLiteral("(() => { const a = document.querySelector("
                                            "'a[href$=\".html\"]'); a.scrollIntoView(); "
                                            "const r = a.getClientRects()[0]; return "
                                            "[a.getAttribute('href'), r.x + r.width / 2, "
                                            "r.y + r.height / 2]; })()"))
                .toList();
        QCOMPARE(link.size(), 3);
        const QString target = link[0].toString();
        QWidget* surface = window->view()->focusProxy();
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(link[1].toInt(), link[2].toInt()));
        QVERIFY(target != home);
        QVERIFY(showsPage(window, target));
        QCOMPARE(currentTopic(window), target);

        window->view()->pageAction(QWebEnginePage::Back)->trigger();
        QVERIFY(showsPage(window, home));
        QCOMPARE(currentTopic(window), home);

        // A click on a page in the tree shows it.
        QTreeWidget* tree = window->contents();
        QTreeWidgetItem* last = nullptr;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            last = *it;
        QVERIFY(last);
        const QString page = last->data(0, Qt::UserRole).toString();
        QVERIFY(page != home && !page.isEmpty());
        tree->scrollToItem(last);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(last).center());
        QVERIFY(showsPage(window, page));

        // A keyword typed into the index, then Enter, shows the page it names.
        QListWidget* index = window->index();
        QVERIFY(index->count() > 1);
        const QListWidgetItem* keyword = index->item(index->count() - 1);
        const QString named = keyword->data(Qt::UserRole).toString().section(QLatin1Char('#'), 0, 0);
        auto* typed = window->findChild<QLineEdit*>(QStringLiteral("keyword"));
        QVERIFY(typed);
        QTest::keyClicks(typed, keyword->text());
        QCOMPARE(index->currentItem(), keyword);
        QTest::keyClick(typed, Qt::Key_Return);
        QVERIFY(showsPage(window, named));

        const QPointer<HelpWindow> closed = window;
        window->close();
        QTRY_VERIFY(!closed);
    }

    void aFileThatCannotBeShownIsNamedInAMessage_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << "missing"
                                 << "was not found";
        QTest::newRow("a folder") << "folder"
                                  << "cannot be read";
        QTest::newRow("empty") << "empty"
                               << "damaged";
        QTest::newRow("not a help file") << "text"
                                         << "damaged";
        QTest::newRow("cut short") << "truncated"
                                   << "damaged";
        QTest::newRow("directory going round") << "loop"
                                               << "damaged";
    }
    void aFileThatCannotBeShownIsNamedInAMessage() {
        QFETCH(QString, kind);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("phone.chm"));
        QFile real(QStringLiteral(QUORVEL_HELP_FILE));
        QVERIFY(real.open(QIODevice::ReadOnly));
        QFile out(path);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (kind != QLatin1String("missing"))
            QVERIFY(out.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("text"))
            out.write("<html><body>not compiled</body></html>\n");
        else if (kind == QLatin1String("truncated"))
            out.write(real.read(real.size() / 3));
        else if (kind == QLatin1String("loop"))
            out.write(withDirectoryLoop(real.readAll()));
        out.close();

        testing::ScriptedBoxes boxes;
        help::HtmlHelp(path);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.shown().size(), qsizetype(1), Patience);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        const testing::Box& box = boxes.shown().front();
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
        QVERIFY2(box.text.contains(problem), qPrintable(box.text));
        QCOMPARE(box.flags, forms::vbCritical);
        QCOMPARE(box.title, identity::ApplicationTitle);
    }

    // Contents nested far deeper than any reader could follow: the viewer
    // opens without a crash, shows the tree to its deepest level and says so.
    void deeplyNestedContentsAreShownToALimit() {
        QTemporaryDir dir;
        constexpr int Levels = 25000;
        QByteArray contents = "<HTML><BODY>";
        for (int i = 0; i < Levels; ++i)
            contents += "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"L" +
                        QByteArray::number(i) + "\"><param name=\"Local\" value=\"a.html\"></OBJECT>";
        for (int i = 0; i < Levels; ++i)
            contents += "</UL>";
        contents += "</BODY></HTML>";
        const QString path =
            compile(dir.path(),
                    "[OPTIONS]\nCompiled file=t.chm\nContents file=t.hhc\nDefault topic=a.html\n"
                    "Title=Deep\n\n[FILES]\na.html\nb.html\n",
                    contents);
        HelpWindow* window = openHelp(path);
        QVERIFY(window);
        int deepest = 0, items = 0;
        for (QTreeWidgetItemIterator it(window->contents()); *it; ++it) {
            int depth = 0;
            for (const QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
                ++depth;
            deepest = std::max(deepest, depth);
            ++items;
        }
        QCOMPARE(deepest, help::DeepestLevel);
        QCOMPARE(items, help::MostTopics);
        auto* limits = window->findChild<QLabel*>(QStringLiteral("limits"));
        QVERIFY(limits && limits->isVisible());
        QVERIFY2(limits->text().contains(QString::number(help::DeepestLevel)), qPrintable(limits->text()));
        QVERIFY(showsPage(window, QStringLiteral("a.html")));
        window->close();
    }

    // A planted help file's pages run no script and reach nothing outside
    // the file: no request to a server, no file of this computer; the page
    // still shows.
    void pagesReachNothingOutsideTheFile() {
        QTcpServer watched;
        QVERIFY(watched.listen(QHostAddress::LocalHost));
        int requests = 0;
        connect(&watched, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* socket = watched.nextPendingConnection()) {
                ++requests;
                socket->close();
                socket->deleteLater();
            }
        });
        const QByteArray server = "http://127.0.0.1:" + QByteArray::number(watched.serverPort());
        QTemporaryDir dir;
        const QByteArray local = QUrl::fromLocalFile(QStringLiteral(QUORVEL_HELP_FILE)).toEncoded();
        const QString path = compile(
            dir.path(),
            "[OPTIONS]\nCompiled file=t.chm\nContents file=t.hhc\nDefault topic=a.html\nTitle=Planted\n\n"
            "[FILES]\na.html\nb.html\n",
            "<HTML><BODY><UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"><param "
            "name=\"Local\" value=\"a.html\"></OBJECT></UL></BODY></HTML>",
            "<html><head><title>Planted</title><link rel=\"stylesheet\" href=\"" + server +
                "/style.css\"><script src=\"" + server +
                "/code.js\"></script><script>document.title = "
                "'Ran';</script></head><body><p id=\"shown\">A</p><img src=\"" +
                server + "/picture.png\"><iframe src=\"" + server + "/frame.html\"></iframe><iframe src=\"" +
                local + "\"></iframe></body></html>");
        HelpWindow* window = openHelp(path);
        QVERIFY(window);
        QVERIFY(showsPage(window, QStringLiteral("a.html")));
        QCOMPARE(evaluate(window, QStringLiteral("document.getElementById('shown').innerText")).toString(),
                 QStringLiteral("A"));
        QCOMPARE(evaluate(window, QStringLiteral("document.title")).toString(), QStringLiteral("Planted"));
        // A link to the server, clicked, goes nowhere either.
        // The engine refuses it: the load ends, failed, without a request.
        QSignalSpy ended(window->view(), &QWebEngineView::loadFinished);
        window->showTopic(QString::fromLatin1(server + "/page.html"));
        QVERIFY(QTest::qWaitFor([&] { return !ended.isEmpty(); }, Patience));
        QCOMPARE(ended.first().first().toBool(), false);
        QCOMPARE(requests, 0);
        window->close();
    }

    void withoutADefaultTopicTheFirstPageOfTheContentsIsShown() {
        QTemporaryDir dir;
        const QString path =
            compile(dir.path(),
                    "[OPTIONS]\nCompiled file=t.chm\nContents file=t.hhc\nTitle=T\n\n"
                    "[FILES]\na.html\nb.html\n",
                    "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"Local\" "
                    "value=\"a.html\"></OBJECT><UL><LI><OBJECT type=\"text/sitemap\"><param "
                    "name=\"Name\" value=\"Heading &amp; more\"></OBJECT><UL><LI><OBJECT "
                    "type=\"text/sitemap\"><param name=\"Name\" value=\"B\"><param "
                    "name=\"Local\" value=\"b.html\"></OBJECT></UL></UL></BODY></HTML>");
        const help::ChmFile file(path);
        QCOMPARE(file.defaultTopic(), QStringLiteral("b.html"));
        const auto contents = file.contents().topics;
        QCOMPARE(contents.size(), std::size_t(2));
        QCOMPARE(contents[0].name, QStringLiteral("Heading & more"));
        QCOMPARE(contents[0].level, 0);
        QCOMPARE(contents[1].level, 1);
    }
};

int main(int argc, char** argv) {
    help::registerUrlScheme();
    help::setCheckProgram(QStringLiteral(QUORVEL_OUT_DIR "/quorvel-chmcheck"));
    QApplication app(argc, argv);
    forms::setApplicationTitle(identity::ApplicationTitle);
    HelpTest tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_help.moc"
