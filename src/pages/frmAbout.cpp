#include "pages/frmAbout.h"

#include "identity/Identity.h"
#include "pages/Services.h"
#include "pages/frmBrowser.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/Pictures.h"
#include "platform/forms/Twips.h"

#include <QDir>
#include <QKeyEvent>
#include <QPainter>

namespace pages {
namespace {
// The window is dark so that the white copyright line, the red version and
// the green address, all without a background of their own, stand out on it.
const QColor Background(0x0b, 0x1a, 0x2e);

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect twips, const QColor& ink,
              const QFont& font) {
    auto* l =
        forms::placed(new QLabel(text, parent), name, twips.x(), twips.y(), twips.width(), twips.height());
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, ink);
    l->setPalette(palette);
    l->setFont(font);
    return l;
}
} // namespace

QString versionCaption(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout()
    : Form("frmAbout", identity::ApplicationTitle, 4344, 3864, QStringLiteral(":/icons/quorvel.svg")),
      picture_(forms::svgPixmap(QStringLiteral(":/pictures/about.svg"), QSize(157, 120))) {
    // The program's own icon in every size a window manager may ask for.
    setWindowIcon(identity::programIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Background);
    setPalette(palette);
    setAutoFillBackground(true);

    const QString arial = QStringLiteral("Arial");
    lblVersion = label(this, "lblVersion", QStringLiteral("Version"), {2712, 384, 732, 240}, Qt::red,
                       forms::font(arial, 9.6, true));
    lblVersion->setAlignment(Qt::AlignCenter);
    lblDisclaimer = label(this, "lblDisclaimer",
                          QStringLiteral("Copyright \u00a9 2026 the makers of %1. All rights reserved.")
                              .arg(identity::ApplicationTitle),
                          {2208, 864, 1800, 948}, Qt::white, forms::font(arial, 8.4));
    lblDisclaimer->setAlignment(Qt::AlignCenter);
    lblDisclaimer->setWordWrap(true);

    Label2 = label(this, "Label2", QStringLiteral("Get Quorvel Book Dialer Pro."), {1092, 2160, 2172, 192},
                   Qt::blue, font());
    Label2->setAutoFillBackground(true);
    QPalette link = Label2->palette();
    link.setColor(QPalette::Window, Qt::white);
    Label2->setPalette(link);
    Label2->setCursor(forms::svgCursor(QStringLiteral(":/pointers/hand.svg"), 12, 1));

    // An address longer than the label gives way in the middle; the whole
    // stays in the tooltip. It is text, never markup.
    const QString home = identity::makerHomePage();
    Label1 = label(this, "Label1", {}, {1116, 2424, 2100, 240}, Qt::green,
                   forms::font(QStringLiteral("MS Sans Serif"), 7.8));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(Label1->fontMetrics().elidedText(home, Qt::ElideMiddle, Label1->width()));
    Label1->setToolTip(home);
    Label1->setAccessibleName(home);

    // Under the address, in the room above OK: which file holds the contacts.
    lblBook = label(this, "lblBook", {}, {120, 2736, 4104, 216}, QColor(0xc8, 0xd2, 0xe0),
                    forms::font(QStringLiteral("MS Sans Serif"), 7.8));
    lblBook->setTextFormat(Qt::PlainText);
    lblBook->setAlignment(Qt::AlignCenter);
    lblBook->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdOK = forms::placed(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 1692, 3216, 960, 405);
    cmdOK->setDefault(true);
    cmdOK->setFocus();

    forms::wire(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    forms::wireClick(Label2, [this] { Label2_Click(); });
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About"));
    lblVersion->setText(
        versionCaption(identity::VersionMajor, identity::VersionMinor, identity::VersionRevision));
    // The label was sized for the word "Version" alone: it grows about its
    // centre until the whole number shows.
    const QRect design = forms::twipsGeometry(lblVersion);
    const int needed =
        forms::pixelsToTwips(lblVersion->fontMetrics().horizontalAdvance(lblVersion->text()) + 2);
    if (needed > design.width())
        forms::place(lblVersion, design.x() - (needed - design.width()) / 2, design.y(), needed,
                     design.height());
    showBook();
}

void frmAbout::cmdOK_Click() { close(); }

// Read at each load: the whole path in the tooltip and for a screen reader,
// its middle given up when the line is too short for it.
void frmAbout::showBook() {
    const Host* host = services();
    const QString book = host && host->bookFile ? host->bookFile() : QString();
    lblBook->setVisible(!book.isEmpty());
    const QString line = QStringLiteral("Phone book: %1").arg(QDir::toNativeSeparators(book));
    lblBook->setText(lblBook->fontMetrics().elidedText(line, Qt::ElideMiddle, lblBook->width()));
    lblBook->setToolTip(line);
    lblBook->setAccessibleName(line);
}

void frmAbout::Label2_Click() { OpenBrowser(identity::productPage()); }

// OK is both the default and the cancel button, wherever the focus is.
void frmAbout::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        cmdOK->click();
        break;
    default:
        Form::keyPressEvent(event);
    }
}

void frmAbout::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    QPainter(this).drawPixmap(0, 0, picture_);
}

} // namespace pages
