#pragma once

#include <QString>

namespace forms {
class Form;
}

// The windows that show pages (the browser window, the About box that opens
// it, the help viewer) run on the page engine, whose start costs more than
// the whole main window. They live in a module of their own beside the
// program, loaded the first time one of them is opened.
namespace windows {

struct Entry {
    forms::Form* (*makeAbout)(); // a new About box, not yet shown; its holder deletes it
    void (*openBrowser)(const QString& address);
    void (*showHelp)(const QString& file);
};

// The module's entry, loaded on first use. Null when the module could not be
// loaded: the user has then been told what failed.
const Entry* load();

// Tests link the windows into the test program and hand their entry here.
void use(const Entry* entry);

} // namespace windows

// What the module exports; its first call readies the module for use.
extern "C" const windows::Entry* quorvel_windows();
