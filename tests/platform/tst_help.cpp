#include "identity/Identity.h"
#include "platform/forms/MsgBox.h"
#include "platform/help/ChmFile.h"
#include "platform/help/HelpScheme.h"
#include "platform/help/HelpWindow.h"
#include "platform/help/HtmlHelp.h"
#include "support/ScriptedBoxes.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <optional>

using help::HelpWindow;

namespace {
constexpr int Patience = 60000; // the page engine starts slowly on a busy machine

// Runs a script in the viewer's page and returns its result.
QVariant evaluate(HelpWindow* window, const QString& script) {
    // The answer may come after we gave up waiting: it must not outlive us.
    auto answer = std::make_shared<std::optional<QVariant>>();
    window->view()->page()->runJavaScript(script, [answer](const QVariant& value) { *answer = value; });
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

int countTopics(const std::vector<help::Topic>& topics) {
    int n = 0;
    for (const auto& t : topics)
        n += 1 + countTopics(t.children);
    return n;
}

// Compiles a help project with the same compiler the build uses.
QString compile(const QString& dir, const QByteArray& project, const QByteArray& contents) {
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(dir + QLatin1Char('/') + name);
        return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
    };
    write(QStringLiteral("t.hhp"), project);
    write(QStringLiteral("t.hhc"), contents);
    write(QStringLiteral("a.html"), "<html><body><p>A</p></body></html>");
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

        HelpWindow* window = help::HtmlHelp(path);
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
        QCOMPARE(items, countTopics(file.contents()));
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
        QCOMPARE(help::HtmlHelp(path), window);
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
        const std::vector<help::Topic> index = file.index();
        const auto pageOf = [](const QString& local) { return local.section(QLatin1Char('#'), 0, 0); };
        QSet<QString> indexed;
        for (const help::Topic& keyword : index)
            indexed << pageOf(keyword.local);
        std::function<void(const std::vector<help::Topic>&)> everyPage = [&](const auto& topics) {
            for (const help::Topic& topic : topics) {
                if (!topic.local.isEmpty())
                    QVERIFY2(indexed.contains(pageOf(topic.local)), qPrintable(topic.local));
                everyPage(topic.children);
            }
        };
        everyPage(file.contents());

        for (const QString word :
             {"backup", "restore", "USB", "port", "prefix", "area code", "import", "export", "vCard", "CSV",
              "screen reader", "keyboard", "Page Down", "BUSY"}) {
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
        HelpWindow* window = help::HtmlHelp(path);
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
        out.close();

        testing::ScriptedBoxes boxes;
        QCOMPARE(help::HtmlHelp(path), nullptr);
        QCOMPARE(boxes.shown().size(), 1);
        const testing::Box& box = boxes.shown().front();
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
        QVERIFY2(box.text.contains(problem), qPrintable(box.text));
        QCOMPARE(box.flags, forms::vbCritical);
        QCOMPARE(box.title, identity::ApplicationTitle);
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
        const auto contents = file.contents();
        QCOMPARE(contents.size(), std::size_t(1));
        QCOMPARE(contents[0].name, QStringLiteral("Heading & more"));
        QCOMPARE(contents[0].children.size(), std::size_t(1));
    }
};

int main(int argc, char** argv) {
    help::registerUrlScheme();
    QApplication app(argc, argv);
    forms::setApplicationTitle(identity::ApplicationTitle);
    HelpTest tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_help.moc"
