#pragma once

#include "platform/binding/DataControl.h"
#include "platform/comm/MSComm.h"

#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStringList>

#include <functional>
#include <memory>

// The handlers and the windows behind the menus stay out of this header, so
// that what includes it pulls in none of their libraries.
namespace contacts {
class PhoneBook;
class RecordCommands;
class FindSort;
} // namespace contacts
namespace dialer {
class DialOperations;
class CallerIdListener;
} // namespace dialer
namespace forms {
class SharedForm;
}

namespace app {

class InfoCommands;

// The main window: one contact at a time, the record navigator, the record
// commands, the dial buttons and the menus. It owns the controls and wires
// every event to the handler of its subsystem.
class frmPhone : public QMainWindow {
    Q_OBJECT
public:
    explicit frmPhone(QWidget* parent = nullptr);
    ~frmPhone() override;

    // How the program ends at once (Quit); tests replace it.
    void setEnd(std::function<void()> end) { End = std::move(end); }

    // The session is ending: asks about typed values as closing would, and
    // returns false when they could not be stored (the logout is cancelled).
    bool commitData();

    // A tel: or callto: link handed to the program: the window comes to the
    // front and asks whether to dial it. Links that arrive while a box is
    // open wait for it to close.
    void takeLink(const QString& link);

    // The program's other windows.
    enum class Window { ComPort, Prefix, About, Browser, Help, IncomingCalls };
    // How the window opens them: which one and, for a browser window, its
    // address, for the help viewer, its file. Tests replace it to see what
    // was opened without opening it.
    using OpenWindow = std::function<void(Window window, const QString& address)>;
    void setOpenWindow(OpenWindow open) { Open = std::move(open); }

    // Controls, under their design names.
    QLabel* Label1;
    QLabel* Label9;
    QLabel* Image1;
    QLabel* Label5;
    binding::DataControl* Data1;
    QLabel* Label2;
    QLineEdit* txtName;
    QLabel* Label3;
    QLineEdit* txtAddress;
    QLabel* Label11;
    QLineEdit* txtCompany;
    QLabel* Label6;
    QLineEdit* txtEmail;
    QPushButton* cmdEmail;
    QLabel* Label10;
    QLabel* Label8;
    QLabel* lbRecords;
    QLineEdit* txtWeb;
    QPushButton* cmdWeb;
    QLabel* Label4;
    QLabel* Label7;
    QLineEdit* txtPhone;
    QPushButton* cmdDialPhone;
    QLineEdit* txtMobile;
    QPushButton* cmdDialMobile;
    QGroupBox* Frame1;
    QPushButton* cmdDelete;
    QPushButton* cmdAdd;
    QPushButton* cmdFind;
    QPushButton* cmdSort;
    QPushButton* cmdEdit;
    QPushButton* CmdQuit;
    comm::MSComm* MSComm1 = nullptr;

    QMenu* mnuSettings;
    QAction* mnuModPortItem;
    QAction* mnuAreaCodeItem;
    QAction* mnuIncomingCalls = nullptr;     // "Show Incoming Calls", checkable
    QAction* mnuIncomingCallsItem = nullptr; // the caller-ID command dialog
    dialer::CallerIdListener* callerId() const { return callerId_.get(); }
    QMenu* mnuA;
    QAction* mnuHelp;
    QAction* mnuPro;
    QAction* mnuAbout;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout(QWidget* client);
    void buildMenus();
    void drawPictures();
    void setTabOrder();
    void wireKeys();
    void wireContacts();
    void wireRecordCommands();
    void wireDialer();
    void wireSettingsMenu();
    void wireInfo();
    void wireLinks();
    void wireIncomingCalls();
    // "Show" on a call: the window comes up on that contact, unless typing
    // would be lost by the move.
    void showCaller(const QString& contactId);
    // The caller asked for while typing, once the typing is stored or undone.
    void showWaitingCaller();
    void openWindow(Window window, const QString& address);
    void takeNextLink();

    std::function<void()> End;
    OpenWindow Open;
    QList<QKeySequence> walkKeys_; // the keys that press the navigator's arrows
    std::unique_ptr<contacts::PhoneBook> phoneBook_;
    std::unique_ptr<contacts::RecordCommands> recordCommands_;
    std::unique_ptr<contacts::FindSort> findSort_;
    std::unique_ptr<dialer::DialOperations> dialOperations_;
    std::unique_ptr<forms::SharedForm> comPort_;
    std::unique_ptr<forms::SharedForm> prefix_;
    std::unique_ptr<dialer::CallerIdListener> callerId_;
    std::unique_ptr<forms::SharedForm> incomingCalls_;
    QString callerToShow_; // asked for while typing; shown once the typing is stored or undone
    std::unique_ptr<InfoCommands> info_;
    QStringList links_;
    bool takingLink_ = false;
};

} // namespace app
