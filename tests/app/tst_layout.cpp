// The main window's layout, keys and menus held against the design.
#include "WindowFixture.h"
#include "support/TestMain.h"

#include <QMenuBar>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>

#include <cmath>

using namespace testing;

namespace {
// Twips to pixels, worked out here on its own rather than by the program's helper.
int px(int twips) {
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    return int(std::floor(twips * dpi / 1440.0 + 0.5));
}

struct Placed {
    const char* name;
    const char* text;
    int left, top, width, height;
    const char* tooltip;
};

const Placed Design[] = {
    {"Label1", "Quorvel Book Dialer", 990, 240, 3435, 390, ""},
    {"Label9", "Quorvel Book Dialer", 1020, 270, 3435, 390, ""},
    {"Image1", "", 4500, 0, 936, 720, ""},
    {"Label5", "SELECT NEXT", 4470, 840, 1365, 240, ""},
    {"Data1", "", 4380, 1110, 1515, 345, ""},
    {"Label2", "NAME> Last, First", 180, 900, 1575, 240, ""},
    {"txtName", "", 150, 1140, 4185, 285, "* TYPE OVER WILL BE PERMANENT *"},
    {"Label3", "ADDRESS> Street, City, State Zip", 180, 1500, 2970, 240, ""},
    {"txtAddress", "", 150, 1740, 5745, 285, ""},
    {"Label11", "COMPANY:", 180, 2100, 1050, 240, ""},
    {"txtCompany", "", 150, 2340, 5745, 285, ""},
    {"Label6", "EMAIL:", 180, 2730, 630, 240, ""},
    {"txtEmail", "", 150, 2970, 4275, 285, ""},
    {"cmdEmail", "", 4464, 2940, 345, 360, ""},
    {"Label10", "Records", 5160, 3150, 600, 195, ""},
    {"Label8", "WEB PAGE:", 180, 3390, 1110, 240, ""},
    {"txtWeb", "", 150, 3630, 4275, 285, ""},
    {"cmdWeb", "", 4464, 3600, 345, 360, ""},
    {"Label4", "PHONE ###-###-####", 120, 4170, 1935, 240, ""},
    {"Label7", "MOBILE ###-###-####", 3216, 4176, 1956, 240, ""},
    {"txtPhone", "", 612, 4410, 1812, 285, ""},
    {"cmdDialPhone", "", 2484, 4380, 360, 345, "* SEE DIALER SETTINGS *"},
    {"txtMobile", "", 3684, 4410, 1812, 285, ""},
    {"cmdDialMobile", "", 5556, 4380, 360, 345, "* SEE DIALER SETTINGS *"},
    {"Frame1", "Manipulate Database", 120, 4890, 4845, 675, ""},
    {"cmdDelete", "&Delete", 240, 5130, 795, 315, "* THINK ABOUT IT *"},
    {"cmdAdd", "&New", 1200, 5130, 795, 315, "* CLICK NEW BEFORE ADDING DATA *"},
    {"cmdFind", "&Find", 2160, 5130, 795, 315, "* CLICK FIND THEN TYPE NAME IN POP-UP BOX *"},
    {"cmdSort", "&Sort", 3120, 5130, 795, 315, ""},
    {"cmdEdit", "&Edit", 4080, 5130, 795, 345, ""},
    {"CmdQuit", "&Quit", 5130, 5040, 795, 495, "* SEE-YA *"},
};

QString textOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
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

    void everyControlSitsWhereItWasDesigned() {
        QWidget* client = win->w->centralWidget();
        QCOMPARE(client->size(), QSize(px(6072), px(5640)));
        for (const Placed& p : Design) {
            auto* w = client->findChild<QWidget*>(p.name);
            QVERIFY2(w, p.name);
            QCOMPARE(w->parentWidget(), client); // buttons belong to the window, not the frame
            QCOMPARE(w->geometry(), QRect(px(p.left), px(p.top), px(p.width), px(p.height)));
            if (qstrlen(p.text))
                QCOMPARE(textOf(w), QString::fromUtf8(p.text));
            QCOMPARE(w->toolTip(), QString::fromUtf8(p.tooltip));
        }
        // The counter keeps its place and grows rightwards for wider counts.
        QLabel* counter = win->w->lbRecords;
        QCOMPARE(counter->pos(), QPoint(px(5400), px(3450)));
        QCOMPARE(counter->height(), px(195));
        QVERIFY(counter->width() >= px(90));
        QVERIFY(counter->width() >= counter->sizeHint().width());
    }

    void fontsColoursAndPictures() {
        auto& w = *win->w;
        for (QLabel* title : {w.Label1, w.Label9}) {
            QCOMPARE(title->font().family(), "Times New Roman");
            QCOMPARE(title->font().pointSize(), 18);
            QVERIFY(title->font().bold());
        }
        QCOMPARE(w.Label9->palette().color(QPalette::WindowText),
                 QApplication::palette().color(QPalette::Dark));
        for (QLabel* black : {w.Label11, w.Label6, w.Label8, w.Label7})
            QCOMPARE(black->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(w.Data1->font().family(), "Arial");
        QCOMPARE(w.Data1->font().pointSizeF(), 8.4);
        QCOMPARE(w.Data1->Caption(), "DIR");
        QCOMPARE(w.CmdQuit->font().family(), "MS Sans Serif");
        QCOMPARE(w.CmdQuit->font().pointSizeF(), 7.8);
        QVERIFY(w.CmdQuit->font().bold());
        // Only the counter and its caption are opaque.
        for (QLabel* l : w.centralWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            QCOMPARE(l->autoFillBackground(), l == w.Label10 || l == w.lbRecords);
        QCOMPARE(w.lbRecords->alignment(), Qt::AlignCenter);
        QCOMPARE(w.Image1->pixmap().size(), QSize(78, 60));
        for (QPushButton* b : {w.cmdEmail, w.cmdWeb, w.cmdDialPhone, w.cmdDialMobile}) {
            QVERIFY(b->text().isEmpty());
            QVERIFY(!b->icon().isNull());
            QCOMPARE(b->icon().availableSizes(), QList<QSize>({QSize(16, 16), QSize(32, 32)}));
            QCOMPARE(b->cursor().hotSpot(), QPoint(12, 1));
        }
        QCOMPARE(w.cmdAdd->cursor().hotSpot(), QPoint(11, 20));
        QCOMPARE(w.cmdFind->cursor().hotSpot(), QPoint(9, 8));
        QCOMPARE(w.cmdDelete->cursor().pixmap().size(), QSize(32, 32));
        QCOMPARE(w.txtName->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(w.windowIcon().availableSizes(), QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}}));
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
        QCOMPARE(w.txtName->geometry(), QRect(px(150), px(1140), px(4185), px(285)));
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
