#pragma once

#include "dialer/Module1.h"
#include "platform/forms/Form.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dialer {

// The dialing prefix dialog: own area code, long-distance prefix and outside
// line. OK takes the three boxes into the dialer settings, saves them to
// Prefix.sav and hides the window.
class frmPrefix : public forms::Form {
    Q_OBJECT
public:
    // The values in memory it shows and sets; they outlive the window.
    explicit frmPrefix(DialerSettingsValues& settings);

    QGroupBox* Frame1;
    QLineEdit* txtAreaCode;
    QLineEdit* txtLongDist;
    QLineEdit* txtOutLine;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* cmdOK;

    void Form_Load() override;
    void cmdOK_Click();

private:
    void showSettings();

    DialerSettingsValues& DialerSettings;
};

} // namespace dialer
