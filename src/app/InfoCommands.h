#pragma once

#include <QString>

namespace app {

// The main window's commands that name the help file or show the notices of
// the larger edition. None of them touches the phone book or the settings.
class InfoCommands {
public:
    // The help file Help opens: phone.chm in the current folder at the moment
    // of the click, else the one beside the program or in its shared data
    // folder.
    static QString helpFile();
    void cmdEmail_Click();
    void cmdWeb_Click();
    void Image1_MouseMove();

private:
    bool noticeOpen_ = false;
};

} // namespace app
