#pragma once

#include "platform/forms/Form.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace pages {

// "Version 6.1.0": each number as plain decimal, as wide as it needs.
QString versionCaption(int major, int minor, int revision);

// The About box: the version, the maker's copyright line and home page, and
// a link to the larger edition's page. OK, Enter and Esc unload it.
class frmAbout : public forms::Form {
    Q_OBJECT
public:
    frmAbout();

    QLabel* lblVersion;
    QLabel* lblDisclaimer;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* lblBook; // the phone book's path: where the user's contacts are
    QPushButton* cmdOK;

    void Form_Load() override;
    void cmdOK_Click();
    void Label2_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showBook();
    QPixmap picture_;
};

} // namespace pages
