// The main window's controls, each at its place in twips.
#include "app/frmPhone.h"

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
enum class Ink { Button, Black, Shadow };

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect twips, Ink ink = Ink::Button) {
    auto* l = new QLabel(text, parent);
    forms::placed(l, name, twips.x(), twips.y(), twips.width(), twips.height());
    QPalette palette = l->palette();
    const QPalette system = QApplication::palette();
    const QColor colour = ink == Ink::Black    ? QColor(Qt::black)
                          : ink == Ink::Shadow ? system.color(QPalette::Dark)
                                               : system.color(QPalette::ButtonText);
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    return l;
}

QLineEdit* textBox(QWidget* parent, const char* name, QRect twips) {
    auto* box = forms::textBox(parent);
    forms::placed(box, name, twips.x(), twips.y(), twips.width(), twips.height());
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect twips) {
    auto* b = new QPushButton(caption, parent);
    forms::placed(b, name, twips.x(), twips.y(), twips.width(), twips.height());
    return b;
}

// A picture button has no caption, so a screen reader is given its name.
QPushButton* pictureButton(QWidget* parent, const char* name, const QString& spoken, QRect twips) {
    auto* b = button(parent, name, {}, twips);
    b->setAccessibleName(spoken);
    b->setIconSize(QSize(16, 16));
    return b;
}
} // namespace

void frmPhone::buildLayout(QWidget* c) {
    const QFont title = forms::font(QStringLiteral("Times New Roman"), 18, true);
    // Label9 is the shadow: drawn first, 30 twips right and down, under Label1.
    Label9 = label(c, "Label9", identity::ApplicationTitle, {1020, 270, 3435, 390}, Ink::Shadow);
    Label9->setFont(title);
    Label1 = label(c, "Label1", identity::ApplicationTitle, {990, 240, 3435, 390});
    Label1->setFont(title);

    Image1 = label(c, "Image1", {}, {4500, 0, 936, 720});
    Image1->setScaledContents(true);
    Label5 = label(c, "Label5", QStringLiteral("SELECT NEXT"), {4470, 840, 1365, 240});

    Data1 = forms::placed(new data::DataControl(c), "Data1", 4380, 1110, 1515, 345);
    Data1->setCaption(QStringLiteral("DIR"));
    Data1->setFont(forms::font(QStringLiteral("Arial"), 8.4));

    Label2 = label(c, "Label2", QStringLiteral("NAME> Last, First"), {180, 900, 1575, 240});
    txtName = textBox(c, "txtName", {150, 1140, 4185, 285});
    txtName->setToolTip(QStringLiteral("* TYPE OVER WILL BE PERMANENT *"));
    Label3 = label(c, "Label3", QStringLiteral("ADDRESS> Street, City, State Zip"), {180, 1500, 2970, 240});
    txtAddress = textBox(c, "txtAddress", {150, 1740, 5745, 285});
    Label11 = label(c, "Label11", QStringLiteral("COMPANY:"), {180, 2100, 1050, 240}, Ink::Black);
    txtCompany = textBox(c, "txtCompany", {150, 2340, 5745, 285});
    Label6 = label(c, "Label6", QStringLiteral("EMAIL:"), {180, 2730, 630, 240}, Ink::Black);
    txtEmail = textBox(c, "txtEmail", {150, 2970, 4275, 285});
    cmdEmail = pictureButton(c, "cmdEmail", QStringLiteral("E-mail"), {4464, 2940, 345, 360});
    Label10 = label(c, "Label10", QStringLiteral("Records"), {5160, 3150, 600, 195});
    Label10->setAutoFillBackground(true);
    Label8 = label(c, "Label8", QStringLiteral("WEB PAGE:"), {180, 3390, 1110, 240}, Ink::Black);
    lbRecords = label(c, "lbRecords", QStringLiteral("0"), {5400, 3450, 90, 195});
    lbRecords->setAutoFillBackground(true);
    lbRecords->setAlignment(Qt::AlignCenter);
    lbRecords->setMinimumWidth(lbRecords->width());
    lbRecords->setAccessibleName(QStringLiteral("Records 0"));
    txtWeb = textBox(c, "txtWeb", {150, 3630, 4275, 285});
    cmdWeb = pictureButton(c, "cmdWeb", QStringLiteral("Web page"), {4464, 3600, 345, 360});
    Label4 = label(c, "Label4", QStringLiteral("PHONE ###-###-####"), {120, 4170, 1935, 240});
    Label7 = label(c, "Label7", QStringLiteral("MOBILE ###-###-####"), {3216, 4176, 1956, 240}, Ink::Black);
    txtPhone = textBox(c, "txtPhone", {612, 4410, 1812, 285});
    cmdDialPhone = pictureButton(c, "cmdDialPhone", QStringLiteral("Dial phone"), {2484, 4380, 360, 345});
    cmdDialPhone->setToolTip(QStringLiteral("* SEE DIALER SETTINGS *"));
    txtMobile = textBox(c, "txtMobile", {3684, 4410, 1812, 285});
    cmdDialMobile = pictureButton(c, "cmdDialMobile", QStringLiteral("Dial mobile"), {5556, 4380, 360, 345});
    cmdDialMobile->setToolTip(QStringLiteral("* SEE DIALER SETTINGS *"));
    cmdDialMobile->setDefault(true);

    Frame1 = forms::placed(new QGroupBox(QStringLiteral("Manipulate Database"), c), "Frame1", 120, 4890, 4845,
                           675);
    // The record buttons belong to the window, drawn above the frame.
    cmdDelete = button(c, "cmdDelete", QStringLiteral("&Delete"), {240, 5130, 795, 315});
    cmdDelete->setToolTip(QStringLiteral("* THINK ABOUT IT *"));
    cmdAdd = button(c, "cmdAdd", QStringLiteral("&New"), {1200, 5130, 795, 315});
    cmdAdd->setToolTip(QStringLiteral("* CLICK NEW BEFORE ADDING DATA *"));
    cmdFind = button(c, "cmdFind", QStringLiteral("&Find"), {2160, 5130, 795, 315});
    cmdFind->setToolTip(QStringLiteral("* CLICK FIND THEN TYPE NAME IN POP-UP BOX *"));
    cmdSort = button(c, "cmdSort", QStringLiteral("&Sort"), {3120, 5130, 795, 315});
    cmdEdit = button(c, "cmdEdit", QStringLiteral("&Edit"), {4080, 5130, 795, 345});
    CmdQuit = button(c, "CmdQuit", QStringLiteral("&Quit"), {5130, 5040, 795, 495});
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
