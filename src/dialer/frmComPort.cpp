#include "dialer/frmComPort.h"

#include "dialer/Module1.h"
#include "platform/comm/MSComm.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/Twips.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>

namespace dialer {

namespace {
// Where each option sits inside the frame, in twips: Com 1 to 4 down the
// left column, Com 5 to 8 down the right. Each is only as wide as its circle.
struct OptionPlace {
    int left, top, width;
};
constexpr std::array<OptionPlace, 8> OptionPlaces = {{
    {168, 311, 228},
    {168, 827, 228},
    {168, 1241, 216},
    {168, 1733, 240},
    {1452, 311, 228},
    {1452, 827, 228},
    {1452, 1241, 216},
    {1452, 1733, 240},
}};
} // namespace

frmComPort::frmComPort(DialerSettingsValues& settings)
    : Form("frmComPort", QStringLiteral("Com Port"), 2748, 3084, QStringLiteral(":/icons/comport.svg")),
      DialerSettings(settings) {
    Frame1 = forms::placed(new QGroupBox(QStringLiteral("Modem"), this), "Frame1", 120, 216, 2475, 2220);
    for (int i = 1; i <= 8; ++i) {
        const OptionPlace& p = OptionPlaces[i - 1];
        const QByteArray name = "optCom" + QByteArray::number(i);
        optCom_[i - 1] =
            forms::placed(new QRadioButton(Frame1), name.constData(), p.left, p.top, p.width, 255);
    }
    // The labels name the ports; they take no focus.
    Label1 = forms::placed(new QLabel(QStringLiteral("Com 1"), Frame1), "Label1", 480, 336, 480, 204);
    Label2 = forms::placed(new QLabel(QStringLiteral("Com 2"), Frame1), "Label2", 480, 828, 552, 252);
    Label3 = forms::placed(new QLabel(QStringLiteral("Com 3"), Frame1), "Label3", 480, 1272, 552, 192);
    Label4 = forms::placed(new QLabel(QStringLiteral("Com 4"), Frame1), "Label4", 480, 1764, 492, 192);
    Label8 = forms::placed(new QLabel(QStringLiteral("Com 5"), Frame1), "Label8", 1752, 336, 480, 204);
    Label7 = forms::placed(new QLabel(QStringLiteral("Com 6"), Frame1), "Label7", 1752, 828, 552, 252);
    Label6 = forms::placed(new QLabel(QStringLiteral("Com 7"), Frame1), "Label6", 1752, 1272, 552, 192);
    Label5 = forms::placed(new QLabel(QStringLiteral("Com 8"), Frame1), "Label5", 1752, 1764, 492, 192);
    // The options have no text of their own: each label names its option for
    // a screen reader, and a click on it selects the option.
    const std::array<QLabel*, 8> names = {Label1, Label2, Label3, Label4, Label8, Label7, Label6, Label5};
    for (int i = 1; i <= 8; ++i) {
        names[i - 1]->setBuddy(optCom(i));
        names[i - 1]->installEventFilter(this);
    }
    cmdOK = forms::placed(new QPushButton(QStringLiteral("&OK"), this), "cmdOK", 1008, 2640, 795, 315);
    cmdOK->setDefault(true);

    // Down the left column, OK, then up the right column.
    const std::array<QWidget*, 9> order = {optCom(1), optCom(2), optCom(3), optCom(4), cmdOK,
                                           optCom(8), optCom(7), optCom(6), optCom(5)};
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Selecting an option by code raises its Click too, as Form_Load relies on.
    for (QRadioButton* option : optCom_)
        forms::wire(option, &QRadioButton::toggled, this, [this] { optCom_Click(); });
    forms::wire(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmComPort::Form_Load() {
    // Show the port in memory even when Port.sav cannot be read; the error still rises.
    const auto show = qScopeGuard([this] {
        const int port = DialerSettings.ModemPort;
        if (port >= 1 && port <= 8)
            optCom(port)->setChecked(true);
    });
    Module1::LoadPortSetting(DialerSettings);
}

int frmComPort::selectedPort() const {
    for (int i = 1; i <= 8; ++i)
        if (optCom(i)->isChecked())
            return i;
    return 0;
}

void frmComPort::optCom_Click() {
    if (const int port = selectedPort())
        DialerSettings.ModemPort = static_cast<qint16>(port);
}

void frmComPort::cmdOK_Click() {
    // A dial while the window is open reloads ModemPort from Port.sav; save
    // the port the user sees selected, and ModemPort only when none is.
    if (const int port = selectedPort())
        DialerSettings.ModemPort = static_cast<qint16>(port);
    // A file that cannot be written rises to the dispatcher, which names it
    // and the reason; the window stays open and the old file stays as it was.
    Module1::SavePortSetting(DialerSettings);
    hideLoaded();
}

// Which device each port is, as it is now: a USB modem comes and goes.
void frmComPort::showEvent(QShowEvent* event) {
    for (int i = 1; i <= 8; ++i) {
        const comm::MSComm::Device device = comm::MSComm::device(i);
        QString where = device.path;
        if (!device.link.isEmpty())
            where += QStringLiteral(" (the link %1 points there)").arg(device.link);
        if (!device.present)
            where += QStringLiteral(", not present");
        const QString text = QStringLiteral("Com %1: %2").arg(i).arg(where);
        optCom(i)->setToolTip(text);
        optCom(i)->setAccessibleDescription(text);
        if (QLabel* label = captionOf(i))
            label->setToolTip(text);
    }
    Form::showEvent(event);
}

QLabel* frmComPort::captionOf(int Index) const {
    for (QLabel* label : Frame1->findChildren<QLabel*>())
        if (label->buddy() == optCom(Index))
            return label;
    return nullptr;
}

bool frmComPort::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        if (auto* label = qobject_cast<QLabel*>(watched))
            if (auto* option = qobject_cast<QRadioButton*>(label->buddy())) {
                option->setFocus(Qt::MouseFocusReason);
                option->click();
                return true;
            }
    return Form::eventFilter(watched, event);
}

// Enter clicks OK wherever the focus is: it is the window's default button.
void frmComPort::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        cmdOK->click();
    else
        Form::keyPressEvent(event);
}

} // namespace dialer
