#pragma once

namespace info {

// The main window's commands that open the help file or show the notices of
// the larger edition. None of them touches the phone book or the settings.
class InfoCommands {
public:
    // Opens phone.chm from the current folder at the moment of the click,
    // which is the program's folder when it was started there.
    void mnuHelp_Click();
    void cmdEmail_Click();
    void cmdWeb_Click();
    void Image1_MouseMove();

private:
    bool noticeOpen_ = false;
};

} // namespace info
