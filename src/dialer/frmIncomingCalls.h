#pragma once

#include "platform/forms/Form.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace dialer {

class CallerIdListener;

// "Incoming Calls": which command turns on the modem's caller ID. Try sends
// it and tells whether the modem took it; OK keeps it in callerid.conf (and
// sends it when the window is listening) and hides the window.
class frmIncomingCalls : public forms::Form {
    Q_OBJECT
public:
    explicit frmIncomingCalls(CallerIdListener& listener);

    QLabel* Label1;
    QComboBox* cboCommand;
    QPushButton* cmdTry;
    QLabel* lblResult;
    QPushButton* cmdOK;

    void Form_Load() override;
    void cmdTry_Click();
    void cmdOK_Click();

private:
    CallerIdListener& listener_;
};

} // namespace dialer
