#include "dialer/frmPrefix.h"

#include "dialer/Module1.h"
#include "dialer/SettingsText.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QScopeGuard>

#include <array>

namespace dialer {

frmPrefix::frmPrefix(DialerSettingsValues& settings)
    : Form("frmPrefix", QStringLiteral("Prefix"), 4296, 1884, QStringLiteral(":/icons/prefix.svg")),
      DialerSettings(settings) {
    Frame1 =
        forms::placed(new QGroupBox(QStringLiteral("Dialer Prefix"), this), "Frame1", 180, 180, 2835, 1515);
    txtAreaCode = forms::placed(forms::textBox(Frame1), "txtAreaCode", 300, 240, 435, 285);
    txtLongDist = forms::placed(forms::textBox(Frame1), "txtLongDist", 300, 660, 435, 285);
    txtOutLine = forms::placed(forms::textBox(Frame1), "txtOutLine", 300, 1080, 435, 285);
    Label1 = forms::placed(new QLabel(QStringLiteral("Area Code"), Frame1), "Label1", 900, 300, 1515, 255);
    Label2 = forms::placed(new QLabel(QStringLiteral("Long Distance Prefix ( 1 )"), Frame1), "Label2", 900,
                           720, 1875, 255);
    Label3 = forms::placed(new QLabel(QStringLiteral("Outside Line ( 0 ) for none."), Frame1), "Label3", 900,
                           1140, 1875, 255);
    // Each caption names its box for a screen reader.
    Label1->setBuddy(txtAreaCode);
    Label2->setBuddy(txtLongDist);
    Label3->setBuddy(txtOutLine);
    // No default button: Enter in a box does nothing.
    cmdOK = forms::placed(new QPushButton(QStringLiteral("&OK"), this), "cmdOK", 3180, 1140, 915, 375);
    cmdOK->setAutoDefault(false);

    setTabOrder(txtAreaCode, txtLongDist);
    setTabOrder(txtLongDist, txtOutLine);
    setTabOrder(txtOutLine, cmdOK);
    forms::wire(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmPrefix::showSettings() {
    txtAreaCode->setText(QString::number(DialerSettings.AreaCode));
    txtOutLine->setText(QString::number(DialerSettings.OutLine));
    txtLongDist->setText(QString::number(DialerSettings.LongDist));
}

void frmPrefix::Form_Load() {
    // Show the values in memory even when Prefix.sav cannot be read; the error still rises.
    const auto show = qScopeGuard([this] { showSettings(); });
    Module1::LoadPrefixSettings(DialerSettings);
}

// Every box is checked before anything changes: a box the user must mend
// leaves memory and Prefix.sav alone and the window open as typed.
void frmPrefix::cmdOK_Click() {
    struct Box {
        QLineEdit* edit;
        const char* name;
        qint16 value = 0;
    };
    std::array<Box, 3> boxes = {
        {{txtAreaCode, "area code"}, {txtLongDist, "long distance prefix"}, {txtOutLine, "outside line"}}};
    for (const Box& b : boxes) {
        if (b.edit->text().isEmpty()) {
            forms::MsgBox(QStringLiteral("Type a ZERO in place of no Number..!!!"), forms::vbOKOnly,
                          QStringLiteral("Enter a ZERO"));
            b.edit->setFocus();
            return;
        }
    }
    for (Box& b : boxes) {
        if (toInt16(b.edit->text(), b.value) != NumberText::Valid) {
            forms::MsgBox(QStringLiteral("The %1 must be a whole number from -32768 to 32767.")
                              .arg(QLatin1String(b.name)));
            b.edit->setFocus();
            b.edit->selectAll();
            return;
        }
    }

    // Memory takes the values only together with the file: a save that fails
    // (read-only folder, full disk) rises to the dispatcher with the file's
    // name and the reason, and the earlier values come back.
    const DialerSettingsValues before = DialerSettings;
    auto restore = qScopeGuard([&] { DialerSettings = before; });
    DialerSettings.AreaCode = boxes[0].value;
    DialerSettings.LongDist = boxes[1].value;
    DialerSettings.OutLine = boxes[2].value;
    Module1::SavePrefixSettings(DialerSettings);
    restore.dismiss();
    hideLoaded();
}

} // namespace dialer
