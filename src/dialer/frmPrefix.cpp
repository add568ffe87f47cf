#include "dialer/frmPrefix.h"

#include "dialer/Module1.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"

#include <QScopeGuard>
#include <QStringView>

#include <algorithm>
#include <array>
#include <optional>

namespace dialer {

using Module1::DialerSettings;

namespace {
// A prefix box's text as a number: blanks around it, an optional sign, a
// fraction rounded half to even. Empty when it is no number or lies outside
// -32768 to 32767.
std::optional<qint16> prefixValue(QStringView text) {
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.mid(1);
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    auto digitsOnly = [](QStringView s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction))
        return std::nullopt;

    // Leading zeros cost nothing; past 32768 the magnitude is out of range
    // whatever the fraction, so stop growing it there.
    qint32 magnitude = 0;
    for (QChar c : whole)
        magnitude = std::min<qint32>(magnitude * 10 + (c.unicode() - u'0'), 40000);
    // Half to even: above a half rounds up, a half exactly up only from an odd number.
    if (!fraction.isEmpty()) {
        const QChar first = fraction[0];
        const bool moreThanHalf =
            first > u'5' || (first == u'5' && std::any_of(fraction.begin() + 1, fraction.end(),
                                                          [](QChar c) { return c != u'0'; }));
        const bool half = first == u'5' && !moreThanHalf;
        if (moreThanHalf || (half && magnitude % 2 == 1))
            ++magnitude;
    }
    const qint32 value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<qint16>(value);
}
} // namespace

frmPrefix::frmPrefix()
    : Form("frmPrefix", QStringLiteral("Prefix"), 4296, 1884, QStringLiteral(":/icons/prefix.svg")) {
    Frame1 =
        forms::placed(new QGroupBox(QStringLiteral("Dialer Prefix"), this), "Frame1", 180, 180, 2835, 1515);
    txtAreaCode = forms::placed(new QLineEdit(Frame1), "txtAreaCode", 300, 240, 435, 285);
    txtLongDist = forms::placed(new QLineEdit(Frame1), "txtLongDist", 300, 660, 435, 285);
    txtOutLine = forms::placed(new QLineEdit(Frame1), "txtOutLine", 300, 1080, 435, 285);
    Label1 = forms::placed(new QLabel(QStringLiteral("Area Code"), Frame1), "Label1", 900, 300, 1515, 255);
    Label2 = forms::placed(new QLabel(QStringLiteral("Long Distance Prefix ( 1 )"), Frame1), "Label2", 900,
                           720, 1875, 255);
    Label3 = forms::placed(new QLabel(QStringLiteral("Outside Line ( 0 ) for none."), Frame1), "Label3", 900,
                           1140, 1875, 255);
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
    Module1::LoadPrefixSettings();
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
        const std::optional<qint16> value = prefixValue(b.edit->text());
        if (!value) {
            forms::MsgBox(QStringLiteral("The %1 must be a whole number from -32768 to 32767.")
                              .arg(QLatin1String(b.name)));
            b.edit->setFocus();
            b.edit->selectAll();
            return;
        }
        b.value = *value;
    }

    // Memory takes the values only together with the file: a save that fails
    // (read-only folder, full disk) rises to the dispatcher with the file's
    // name and the reason, and the earlier values come back.
    const DialerSettingsValues before = DialerSettings;
    auto restore = qScopeGuard([&] { DialerSettings = before; });
    DialerSettings.AreaCode = boxes[0].value;
    DialerSettings.LongDist = boxes[1].value;
    DialerSettings.OutLine = boxes[2].value;
    Module1::SavePrefixSettings();
    restore.dismiss();
    hideLoaded();
}

} // namespace dialer
