#pragma once

#include "app/WindowFixture.h"
#include "identity/Identity.h"

namespace testing {

inline const QString Save = QStringLiteral("Do you want to save?");
inline const QString& Title = identity::ApplicationTitle;

// The main window, open on a phone book of its own, as the record commands'
// tests look at it.
class CommandWindow : public Window {
public:
    explicit CommandWindow(const QList<Contact>& contacts) : Window(contacts) { open(); }

    app::frmPhone* operator->() const { return w.get(); }
    QList<Contact> stored() const { return phonebook::read(book); }
    QString count() const { return w->lbRecords->text(); }
    // The names met by clicking the next arrow until the last record.
    QStringList walkForward() {
        QStringList names{shown()};
        for (int i = 0; i < stored().size() - 1; ++i) {
            click(w->Data1->nextButton());
            names << shown();
        }
        return names;
    }
};

} // namespace testing
