#pragma once

#include "platform/forms/Form.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QToolBar>

namespace web {
class WebBrowser;
}

namespace pages {

// A small web browser: a toolbar of six buttons, the address bar, the page,
// and a timer that keeps the caption at "Working..." while a page loads.
// Every opening is a new, independent window that lives until its close box
// or until the program quits.
class frmBrowser : public forms::Form {
    Q_OBJECT
public:
    frmBrowser();
    ~frmBrowser() override;

    // The address loaded when the window loads; setting it loads nothing.
    QString StartingAddress;

    QToolBar* tbToolBar;
    QWidget* picAddress;
    QLabel* lblAddress;
    QComboBox* cboAddress;
    web::WebBrowser* brwWebBrowser;
    QTimer* timTimer;

    void Form_Load() override;
    void brwWebBrowser_DownloadComplete();
    void cboAddress_Click();
    void cboAddress_KeyPress(int KeyAscii);
    void Form_Resize() override;
    void timTimer_Timer();
    void tbToolBar_ButtonClick(const QString& Key);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Records the page just reached at the top of the address list, once.
    void recordLocation();
    // Moves a window that would open over another browser window off it.
    void cascade();

    bool SuppressNavigation = false;
};

// Opens a new browser window on an address, as every opener does: a new
// instance, its StartingAddress set, shown modeless without an owner. The
// caller keeps no reference; the window is returned only to be looked at.
frmBrowser* OpenBrowser(const QString& address);

} // namespace pages
