#include "app/frmPhone.h"

#include "app/InfoCommands.h"
#include "app/PhoneLayout.h"
#include "contacts/FindSort.h"
#include "contacts/PhoneBook.h"
#include "contacts/RecordCommands.h"
#include "dialer/CallerIdListener.h"
#include "dialer/DialOperations.h"
#include "identity/Identity.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/SharedForm.h"
#include "platform/forms/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QSessionManager>
#include <QShortcut>
#include <QTimer>

#include <array>

namespace app {
namespace {
// Which box shows which field of the phone book.
contacts::BoundBoxes boundBoxes(const frmPhone& w) {
    contacts::BoundBoxes boxes{};
    boxes[book::Name] = w.txtName;
    boxes[book::Company] = w.txtCompany;
    boxes[book::Phone] = w.txtPhone;
    boxes[book::Address] = w.txtAddress;
    boxes[book::Mobile] = w.txtMobile;
    boxes[book::Email] = w.txtEmail;
    boxes[book::WebPage] = w.txtWeb;
    return boxes;
}
} // namespace

frmPhone::frmPhone(QWidget* parent)
    : QMainWindow(parent), End([] { QCoreApplication::exit(0); }),
      Open([this](Window window, const QString& address) { openWindow(window, address); }) {
    setObjectName(QStringLiteral("frmPhone"));
    setWindowTitle(QStringLiteral("Phone Dir"));

    // The standard font of the window: 8 pt in the metrics the layout was made for.
    setFont(forms::font(QStringLiteral("Arial"), 8));

    auto* client = new QWidget(this);
    client->setFixedSize(forms::twipsToPixels(layout::ClientWidth),
                         forms::twipsToPixels(layout::ClientHeight));
    setCentralWidget(client);
    buildLayout(client);
    QTimer::singleShot(0, this, &frmPhone::drawPictures);
    buildMenus();
    setTabOrder();
    // A fixed layout: the window keeps the size of its client area and menu
    // bar, and its frame offers no maximize button that could do nothing.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    wireKeys();
    wireContacts();
    wireRecordCommands();
    wireDialer();
    wireSettingsMenu();
    wireInfo();
    wireLinks();
    wireIncomingCalls();

    // Loading: point the data control at the file, then open it.
    forms::dispatch([this] { phoneBook_->Form_Load(); });
    forms::dispatch([this] { Data1->Refresh(); });
    txtName->setFocus();
}

frmPhone::~frmPhone() = default;

void frmPhone::wireKeys() {
    // Enter in any text box presses the default button.
    for (QLineEdit* box : boundBoxes(*this))
        connect(box, &QLineEdit::returnPressed, cmdDialMobile, &QPushButton::click);
    // Escape presses the cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, CmdQuit, &QPushButton::click);
    // The navigator's arrows take no focus: these keys press them from
    // anywhere in the window, save prompt and all.
    const std::array<std::pair<QKeySequence, QToolButton*>, 4> arrows = {{
        {QKeySequence(Qt::Key_PageDown), Data1->nextButton()},
        {QKeySequence(Qt::Key_PageUp), Data1->previousButton()},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), Data1->firstButton()},
        {QKeySequence(Qt::CTRL | Qt::Key_End), Data1->lastButton()},
    }};
    for (const auto& [key, arrow] : arrows) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, arrow, &QToolButton::click);
        walkKeys_ << key;
    }
    // A text box would keep Ctrl+Home and Ctrl+End for its cursor; Home and End do that here.
    for (QLineEdit* box : {txtName, txtAddress, txtCompany, txtEmail, txtWeb, txtPhone, txtMobile})
        box->installEventFilter(this);
}

bool frmPhone::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (walkKeys_.contains(QKeySequence(key->keyCombination()))) {
            event->ignore(); // the window's shortcut takes it
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmPhone::wireContacts() {
    phoneBook_ = std::make_unique<contacts::PhoneBook>(*Data1, *lbRecords, boundBoxes(*this));
    forms::wire(CmdQuit, &QPushButton::clicked, this, [this] { phoneBook_->CmdQuit_Click(End); });
    // Logging out must not lose typing: the session manager waits for the answer.
    connect(
        qApp, &QGuiApplication::commitDataRequest, this,
        [this](QSessionManager& manager) {
            if (!manager.allowsInteraction())
                return;
            const bool stored = commitData();
            manager.release();
            if (!stored)
                manager.cancel();
        },
        Qt::DirectConnection);
}

bool frmPhone::commitData() {
    bool stored = false;
    forms::dispatch([&] {
        phoneBook_->CommitData();
        stored = true;
    });
    return stored; // when not, the typing is still in the boxes
}

// New, Edit, Delete, Find and Sort.
void frmPhone::wireRecordCommands() {
    recordCommands_ = std::make_unique<contacts::RecordCommands>(*Data1, *txtName);
    findSort_ = std::make_unique<contacts::FindSort>(*Data1);
    forms::wire(cmdAdd, &QPushButton::clicked, this, [this] { recordCommands_->cmdAdd_Click(); });
    forms::wire(cmdEdit, &QPushButton::clicked, this, [this] { recordCommands_->cmdEdit_Click(); });
    forms::wire(cmdDelete, &QPushButton::clicked, this, [this] { recordCommands_->cmdDelete_Click(); });
    forms::wire(cmdFind, &QPushButton::clicked, this, [this] { findSort_->cmdFind_Click(); });
    forms::wire(cmdSort, &QPushButton::clicked, this, [this] { findSort_->cmdSort_Click(); });
}

// Dial Phone and Dial Mobile.
void frmPhone::wireDialer() {
    MSComm1 = new comm::MSComm(this);
    dialOperations_ = std::make_unique<dialer::DialOperations>(*txtPhone, *txtMobile, *MSComm1);
    forms::wire(cmdDialPhone, &QPushButton::clicked, this, [this] { dialOperations_->cmdDialPhone_Click(); });
    forms::wire(cmdDialMobile, &QPushButton::clicked, this,
                [this] { dialOperations_->cmdDialMobile_Click(); });
}

void frmPhone::closeEvent(QCloseEvent* event) {
    int Cancel = 0;
    forms::dispatch([&] { phoneBook_->Form_Unload(Cancel); });
    if (Cancel)
        event->ignore();
    else
        event->accept();
}

} // namespace app
