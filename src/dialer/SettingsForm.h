#pragma once

#include "platform/forms/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace dialer {

// The window of a settings dialog: a fixed client area in twips, its own
// icon, no owner window. OK hides it and keeps it loaded; the close box
// unloads it (the instance deletes itself), so the next opening loads afresh.
class SettingsForm : public QWidget {
    Q_OBJECT
public:
    // Whether the close box has unloaded the window (it is about to go).
    bool isUnloaded() const { return unloaded_; }

protected:
    SettingsForm(const char* name, const QString& caption, int clientWidth, int clientHeight,
                 const QString& icon);

    // Hides the window and keeps it loaded, as OK does.
    void hideLoaded();
    void closeEvent(QCloseEvent* event) override;

private:
    bool hiding_ = false;
    bool unloaded_ = false;
};

} // namespace dialer
