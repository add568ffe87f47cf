// The main window's layout, keys and menus held against the design.
#include "WindowFixture.h"
#include "app/PhoneLayout.h"
#include "platform/forms/Twips.h"
#include "support/TestMain.h"

#include <QMenuBar>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>

using namespace testing;

namespace {
QRect designed(const app::layout::Place& p) { return forms::twipsRect(p.left, p.top, p.width, p.height); }

// Drawn over another on purpose: the title over its shadow, and the record
// buttons wholly inside their frame.
bool overlapsByDesign(const QWidget* a, const QWidget* b) {
    const auto is = [](const QWidget* w, const char* name) { return w->objectName() == QLatin1String(name); };
    const auto inFrame = [&](const QWidget* frame, const QWidget* w) {
        return is(frame, "Frame1") && frame->geometry().contains(w->geometry());
    };
    return (is(a, "Label9") && is(b, "Label1")) || (is(a, "Label1") && is(b, "Label9")) || inFrame(a, b) ||
           inFrame(b, a);
}
} // namespace

class LayoutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> win;

private slots:
    void init() {
        win = std::make_unique<Window>(QList<Contact>{contact("A"), contact("B")});
        win->open();
    }
    void cleanup() { win.reset(); }

    // What the user sees: every control of the table where the table puts
    // it, whole inside the window, no two on top of each other but where the
    // design draws one over another; the picture buttons show their pictures.
    void everyControlIsWholeInsideTheWindowAndNoneHidesAnother() {
        QWidget* client = win->w->centralWidget();
        QCOMPARE(client->size(), QSize(forms::twipsToPixels(app::layout::ClientWidth),
                                       forms::twipsToPixels(app::layout::ClientHeight)));
        QTRY_COMPARE(win->w->lbRecords->text(), "2");
        QList<QWidget*> shown;
        for (const app::layout::Place& p : app::layout::Places) {
            auto* w = client->findChild<QWidget*>(QLatin1String(p.name), Qt::FindDirectChildrenOnly);
            QVERIFY2(w, p.name); // buttons belong to the window, not the frame
            QVERIFY2(w->isVisible(), p.name);
            if (w == win->w->lbRecords) { // it grows rightwards for wider counts
                QCOMPARE(w->pos(), designed(p).topLeft());
                QCOMPARE(w->height(), designed(p).height());
                QVERIFY(w->width() >= std::max(designed(p).width(), w->sizeHint().width()));
            } else {
                QCOMPARE(w->geometry(), designed(p));
            }
            QVERIFY2(client->rect().contains(w->geometry()), p.name);
            shown << w;
        }
        // No control shown is left out of the table.
        for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(!w->isVisible() || shown.contains(w), qPrintable(w->objectName()));
        for (qsizetype i = 0; i < shown.size(); ++i)
            for (qsizetype j = i + 1; j < shown.size(); ++j)
                if (!overlapsByDesign(shown[i], shown[j]))
                    QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                             qPrintable(shown[i]->objectName() + " covers " + shown[j]->objectName()));
        for (QPushButton* b : {win->w->cmdEmail, win->w->cmdWeb, win->w->cmdDialPhone, win->w->cmdDialMobile})
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        // A screen reader says what the number counts.
        QCOMPARE(win->w->lbRecords->accessibleName(), "Records " + win->w->lbRecords->text());
    }

    void tabWalksTheDesignedOrderAndLabelsTakeNoFocus() {
        auto& w = *win->w;
        const QList<QWidget*> order = {
            w.txtName, w.txtAddress, w.txtCompany,   w.txtEmail,  w.cmdEmail,      w.txtWeb,
            w.cmdWeb,  w.txtPhone,   w.cmdDialPhone, w.txtMobile, w.cmdDialMobile, w.cmdAdd,
            w.cmdFind, w.cmdSort,    w.cmdEdit,      w.CmdQuit,   w.cmdDelete,     w.txtName};
        w.txtName->setFocus();
        QCOMPARE(QApplication::focusWidget(), w.txtName);
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
        QCOMPARE(w.Data1->firstButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(w.Frame1->focusPolicy(), Qt::NoFocus);
    }

    void enterPressesTheDefaultOrTheFocusedButton() {
        auto& w = *win->w;
        QVERIFY(w.cmdDialMobile->isDefault());
        // Only the key routing is under test here, not what the buttons do.
        QObject::disconnect(w.cmdDialMobile, &QPushButton::clicked, nullptr, nullptr);
        QObject::disconnect(w.cmdSort, &QPushButton::clicked, nullptr, nullptr);
        QSignalSpy dialMobile(w.cmdDialMobile, &QPushButton::clicked);
        QSignalSpy sort(w.cmdSort, &QPushButton::clicked);
        for (QLineEdit* box :
             {w.txtName, w.txtAddress, w.txtCompany, w.txtEmail, w.txtWeb, w.txtPhone, w.txtMobile})
            QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(dialMobile.count(), 7);
        w.cmdSort->setFocus();
        QTest::keyClick(w.cmdSort, Qt::Key_Return);
        QCOMPARE(sort.count(), 1);
        QCOMPARE(dialMobile.count(), 7);
    }

    void menusAndAccessKeys() {
        auto& w = *win->w;
        const QList<QAction*> bar = w.menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar[0]->text(), "&Dialer Settings");
        QCOMPARE(bar[1]->text(), "&About");
        auto captions = [](QMenu* m) {
            QStringList texts;
            for (QAction* a : m->actions()) {
                const bool plain = !a->isSeparator() && a->isEnabled() && a->isVisible() &&
                                   !a->isCheckable() && a->shortcut().isEmpty();
                texts << (plain ? a->text() : QStringLiteral("(not a plain item)"));
            }
            return texts;
        };
        QCOMPARE(captions(w.mnuSettings),
                 QStringList({"&Modem Port", "&Area Code", "(not a plain item)", "Incoming &Calls..."}));
        // The item that turns listening on is checkable, off until the user or
        // callerid.conf says so, and no two items of the menu share an access key.
        QCOMPARE(w.mnuIncomingCalls->text(), "Show &Incoming Calls");
        QVERIFY(w.mnuIncomingCalls->isCheckable());
        QSet<QChar> keys;
        for (QAction* a : w.mnuSettings->actions()) {
            const QChar key = a->text().at(a->text().indexOf('&') + 1).toUpper();
            QVERIFY2(!keys.contains(key), qPrintable(a->text()));
            keys.insert(key);
        }
        QCOMPARE(captions(w.mnuA), QStringList({"Help", "Pro Version", "About"}));
        // Alt+letter presses the button whose caption marks that letter.
        QObject::disconnect(w.cmdEdit, &QPushButton::clicked, nullptr, nullptr);
        QSignalSpy edit(w.cmdEdit, &QPushButton::clicked);
        QTest::keyClick(&w, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(edit.count(), 1); // an access key clicks with a short animation
    }

    void theWindowDoesNotGrow() {
        auto& w = *win->w;
        const QSize before = w.size();
        w.resize(before + QSize(200, 200));
        QCOMPARE(w.size(), before);
        QCOMPARE(w.txtName->geometry(), designed(app::layout::place("txtName")));
        // So its frame offers no maximize, only minimize and close.
        const Qt::WindowFlags frame = w.windowFlags();
        QVERIFY(frame & Qt::CustomizeWindowHint);
        QVERIFY(!(frame & Qt::WindowMaximizeButtonHint));
        QVERIFY(frame & Qt::WindowMinimizeButtonHint);
        QVERIFY(frame & Qt::WindowCloseButtonHint);
    }
};

QUORVEL_TEST_MAIN(LayoutTest)
#include "tst_layout.moc"
