// The main window's controls, each at its place in the layout table.
#include "app/frmPhone.h"

#include "app/PhoneLayout.h"

#include "identity/Identity.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Pictures.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QApplication>
#include <QMenuBar>
#include <QShortcut>

namespace app {
namespace {
using layout::place;
using layout::Place;

enum class Ink { Button, Black, Shadow };

template <typename Control> Control* placed(Control* control, const Place& p) {
    return forms::placed(control, p.name, p.left, p.top, p.width, p.height);
}

QLabel* label(QWidget* parent, const Place& p, const QString& text, Ink ink = Ink::Button) {
    auto* l = placed(new QLabel(text, parent), p);
    QPalette palette = l->palette();
    const QPalette system = QApplication::palette();
    const QColor colour = ink == Ink::Black    ? QColor(Qt::black)
                          : ink == Ink::Shadow ? system.color(QPalette::Dark)
                                               : system.color(QPalette::ButtonText);
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    return l;
}

QLineEdit* textBox(QWidget* parent, const Place& p) { return placed(forms::textBox(parent), p); }

QPushButton* button(QWidget* parent, const Place& p, const QString& caption) {
    return placed(new QPushButton(caption, parent), p);
}

// A picture button has no caption, so a screen reader is given its name.
QPushButton* pictureButton(QWidget* parent, const Place& p, const QString& spoken) {
    auto* b = button(parent, p, {});
    b->setAccessibleName(spoken);
    b->setIconSize(QSize(16, 16));
    return b;
}
} // namespace

void frmPhone::buildLayout(QWidget* c) {
    const QFont title = forms::font(QStringLiteral("Times New Roman"), 18, true);
    // Label9 is the shadow: drawn first, 30 twips right and down, under Label1.
    Label9 = label(c, place("Label9"), identity::ApplicationTitle, Ink::Shadow);
    Label9->setFont(title);
    Label1 = label(c, place("Label1"), identity::ApplicationTitle);
    Label1->setFont(title);

    Image1 = label(c, place("Image1"), {});
    Image1->setScaledContents(true);
    Label5 = label(c, place("Label5"), QStringLiteral("SELECT NEXT"));

    Data1 = placed(new binding::DataControl(c), place("Data1"));
    Data1->setCaption(QStringLiteral("DIR"));
    Data1->setFont(forms::font(QStringLiteral("Arial"), 8.4));

    Label2 = label(c, place("Label2"), QStringLiteral("NAME> Last, First"));
    txtName = textBox(c, place("txtName"));
    txtName->setToolTip(QStringLiteral("* TYPE OVER WILL BE PERMANENT *"));
    Label3 = label(c, place("Label3"), QStringLiteral("ADDRESS> Street, City, State Zip"));
    txtAddress = textBox(c, place("txtAddress"));
    Label11 = label(c, place("Label11"), QStringLiteral("COMPANY:"), Ink::Black);
    txtCompany = textBox(c, place("txtCompany"));
    Label6 = label(c, place("Label6"), QStringLiteral("EMAIL:"), Ink::Black);
    txtEmail = textBox(c, place("txtEmail"));
    cmdEmail = pictureButton(c, place("cmdEmail"), QStringLiteral("E-mail"));
    Label10 = label(c, place("Label10"), QStringLiteral("Records"));
    Label10->setAutoFillBackground(true);
    Label8 = label(c, place("Label8"), QStringLiteral("WEB PAGE:"), Ink::Black);
    lbRecords = label(c, place("lbRecords"), QStringLiteral("0"));
    lbRecords->setAutoFillBackground(true);
    lbRecords->setAlignment(Qt::AlignCenter);
    lbRecords->setMinimumWidth(lbRecords->width());
    lbRecords->setAccessibleName(QStringLiteral("Records 0"));
    txtWeb = textBox(c, place("txtWeb"));
    cmdWeb = pictureButton(c, place("cmdWeb"), QStringLiteral("Web page"));
    Label4 = label(c, place("Label4"), QStringLiteral("PHONE ###-###-####"));
    Label7 = label(c, place("Label7"), QStringLiteral("MOBILE ###-###-####"), Ink::Black);
    txtPhone = textBox(c, place("txtPhone"));
    cmdDialPhone = pictureButton(c, place("cmdDialPhone"), QStringLiteral("Dial phone"));
    cmdDialPhone->setToolTip(QStringLiteral("* SEE DIALER SETTINGS *"));
    txtMobile = textBox(c, place("txtMobile"));
    cmdDialMobile = pictureButton(c, place("cmdDialMobile"), QStringLiteral("Dial mobile"));
    cmdDialMobile->setToolTip(QStringLiteral("* SEE DIALER SETTINGS *"));
    cmdDialMobile->setDefault(true);

    Frame1 = placed(new QGroupBox(QStringLiteral("Manipulate Database"), c), place("Frame1"));
    // The record buttons belong to the window, drawn above the frame.
    cmdDelete = button(c, place("cmdDelete"), QStringLiteral("&Delete"));
    cmdDelete->setToolTip(QStringLiteral("* THINK ABOUT IT *"));
    cmdAdd = button(c, place("cmdAdd"), QStringLiteral("&New"));
    cmdAdd->setToolTip(QStringLiteral("* CLICK NEW BEFORE ADDING DATA *"));
    cmdFind = button(c, place("cmdFind"), QStringLiteral("&Find"));
    cmdFind->setToolTip(QStringLiteral("* CLICK FIND THEN TYPE NAME IN POP-UP BOX *"));
    cmdSort = button(c, place("cmdSort"), QStringLiteral("&Sort"));
    cmdEdit = button(c, place("cmdEdit"), QStringLiteral("&Edit"));
    CmdQuit = button(c, place("CmdQuit"), QStringLiteral("&Quit"));
    CmdQuit->setToolTip(QStringLiteral("* SEE-YA *"));
    CmdQuit->setFont(forms::font(QStringLiteral("MS Sans Serif"), 7.8, true));
    // A screen reader names each box by the caption above it.
    for (auto [caption, box] : {std::pair{Label2, txtName},
                                {Label3, txtAddress},
                                {Label11, txtCompany},
                                {Label6, txtEmail},
                                {Label8, txtWeb},
                                {Label4, txtPhone},
                                {Label7, txtMobile}})
        caption->setBuddy(box);
}

// The pictures, the program's icon and the pointers are drawn from the first
// round of the event loop: after the window is on its way to the screen,
// which then takes longer than drawing them, and before its first paint.
void frmPhone::drawPictures() {
    // The application's icon, once for this window and every later one.
    if (QGuiApplication::windowIcon().isNull())
        QGuiApplication::setWindowIcon(identity::programIcon());
    Image1->setPixmap(forms::svgPixmap(QStringLiteral(":/pictures/image1.svg"), QSize(78, 60)));
    for (auto [b, svg] : {std::pair{cmdEmail, ":/icons/envelope.svg"},
                          {cmdWeb, ":/icons/globe.svg"},
                          {cmdDialPhone, ":/icons/deskphone.svg"},
                          {cmdDialMobile, ":/icons/mobilephone.svg"}})
        b->setIcon(forms::svgIcon(QString::fromLatin1(svg), {16, 32}));
    const QCursor hand = forms::svgCursor(QStringLiteral(":/pointers/hand.svg"), 12, 1);
    for (QPushButton* b : {cmdEmail, cmdWeb, cmdDialPhone, cmdDialMobile})
        b->setCursor(hand);
    cmdDelete->setCursor(forms::svgCursor(QStringLiteral(":/pointers/sword.svg"), 2, 2));
    cmdAdd->setCursor(forms::svgCursor(QStringLiteral(":/pointers/pencil.svg"), 11, 20));
    cmdFind->setCursor(forms::svgCursor(QStringLiteral(":/pointers/magnifier.svg"), 9, 8));
}

void frmPhone::buildMenus() {
    mnuSettings = forms::addMenu(menuBar(), "mnuSettings", QStringLiteral("&Dialer Settings"));
    mnuModPortItem = forms::addMenuItem(mnuSettings, "mnuModPortItem", QStringLiteral("&Modem Port"));
    mnuAreaCodeItem = forms::addMenuItem(mnuSettings, "mnuAreaCodeItem", QStringLiteral("&Area Code"));
    mnuA = forms::addMenu(menuBar(), "mnuA", QStringLiteral("&About"));
    mnuHelp = forms::addMenuItem(mnuA, "mnuHelp", QStringLiteral("Help"));
    // F1, the key every desktop program opens its help with, from any of its
    // windows; the menu item itself stays as it is, without a key beside it.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, mnuHelp, &QAction::trigger);
    mnuPro = forms::addMenuItem(mnuA, "mnuPro", QStringLiteral("Pro Version"));
    mnuAbout = forms::addMenuItem(mnuA, "mnuAbout", QStringLiteral("About"));
}

void frmPhone::setTabOrder() {
    const QList<QWidget*> order = {txtName, txtAddress, txtCompany,   txtEmail,  cmdEmail,      txtWeb,
                                   cmdWeb,  txtPhone,   cmdDialPhone, txtMobile, cmdDialMobile, cmdAdd,
                                   cmdFind, cmdSort,    cmdEdit,      CmdQuit,   cmdDelete};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace app
