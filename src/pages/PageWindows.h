#pragma once

#include <QString>

#include <functional>

// The windows that show pages (the About box, the browser window, the help
// viewer) run on the page engine, whose start costs more than the whole main
// window. They live in a module of their own beside the program, loaded the
// first time one of them is opened. The module owns its windows: the program
// asks for one to be shown and never holds it.
namespace pages {

// What the program asks of the module.
class PageWindows {
public:
    // The one About box, shown again while it is loaded.
    virtual void showAbout() = 0;
    // A new browser window on an address; it lives on its own.
    virtual void openBrowser(const QString& address) = 0;
    // The help viewer on a compiled help file; a file that cannot be shown
    // is told to the user.
    virtual void showHelp(const QString& file) = 0;

protected:
    ~PageWindows() = default; // the module keeps its windows until the program ends
};

// What the module asks of the program: services only the program has. A
// service the program has not registered is left unset, and what would use
// it does nothing.
struct Host {
    // A tel: or callto: link clicked in a page, as written in the page.
    std::function<void(const QString& link)> dialLink;
    // The phone book the main window opens, which the About box names.
    std::function<QString()> bookFile;
};

} // namespace pages

// What the module exports: the build it comes from, read without calling
// into the module, and its entry. The loader calls the entry only on a
// module of its own build, so that the two never disagree about what the
// other looks like. The host outlives the module.
extern "C" const char* const quorvel_pages_build;
extern "C" pages::PageWindows* quorvel_pages(pages::Host* host);
