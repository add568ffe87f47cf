#pragma once

#include "dialer/Module1.h"
#include "platform/forms/Form.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <QRadioButton>

#include <array>

namespace dialer {

// The modem port dialog: Com 1 to Com 8. A click on a port takes it into
// the dialer settings at once; OK saves it to Port.sav and hides the window.
class frmComPort : public forms::Form {
    Q_OBJECT
public:
    // The values in memory it shows and sets; they outlive the window.
    explicit frmComPort(DialerSettingsValues& settings);

    // The option for Com Index, 1 to 8.
    QRadioButton* optCom(int Index) const { return optCom_.at(Index - 1); }

    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* cmdOK;

    void Form_Load() override;
    void optCom_Click();
    void cmdOK_Click();

    // The label that names the option for Com Index.
    QLabel* captionOf(int Index) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The port of the option shown selected, 0 when none is.
    int selectedPort() const;

    DialerSettingsValues& DialerSettings;

    std::array<QRadioButton*, 8> optCom_{};
};

} // namespace dialer
