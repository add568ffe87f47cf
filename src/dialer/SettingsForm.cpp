#include "dialer/SettingsForm.h"

#include "Pictures.h"

#include "platform/forms/Pictures.h"
#include "platform/forms/Twips.h"

#include <QCloseEvent>

namespace dialer {

SettingsForm::SettingsForm(const char* name, const QString& caption, int clientWidth, int clientHeight,
                           const QString& icon)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint) {
    initPictures();
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setWindowIcon(forms::svgIcon(icon, {16, 32}));
    // The captions were sized for the narrow standard dialog font; Arial at
    // 7.8 pt keeps "Outside Line ( 0 ) for none." whole inside its label.
    QFont standard(QStringLiteral("Arial"));
    standard.setPointSizeF(7.8);
    setFont(standard);
    setFixedSize(forms::twipsToPixels(clientWidth), forms::twipsToPixels(clientHeight));
}

// Closing rather than hiding lets the application see a last visible window
// go: a dialog hidden after the main window has closed ends the program
// instead of keeping it running unseen.
void SettingsForm::hideLoaded() {
    hiding_ = true;
    close();
    hiding_ = false;
}

void SettingsForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (hiding_ || unloaded_)
        return;
    unloaded_ = true;
    deleteLater();
}

} // namespace dialer
