#include "platform/forms/Form.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/Pictures.h"
#include "platform/forms/Placement.h"
#include "platform/forms/Twips.h"

#include <QCloseEvent>
#include <QResizeEvent>

namespace forms {

Form::Form(const char* name, const QString& caption, int clientWidth, int clientHeight, const QString& icon,
           Border border)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint |
                           (border == Border::Sizable ? Qt::WindowMinMaxButtonsHint : Qt::Widget)),
      scale_(clientWidth, clientHeight) {
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setWindowIcon(svgIcon(icon, {16, 32}));
    // The captions were sized for the narrow standard dialog font; Arial at
    // 7.8 pt keeps the longest of them whole inside their labels.
    setFont(forms::font(QStringLiteral("Arial"), 7.8));
    const QSize pixels(twipsToPixels(clientWidth), twipsToPixels(clientHeight));
    if (border == Border::Fixed)
        setFixedSize(pixels);
    else
        resize(pixels);
}

void Form::Show() {
    if (!loaded_) {
        loaded_ = true;
        // Near where the user looks, not at the screen's corner; placed
        // before loading, as a window may show itself while it loads.
        placeOnScreen(this);
        dispatch([this] { Form_Load(); });
    }
    show();
    raise();
    activateWindow();
}

void Form::resizeClient(int width, int height) {
    scale_ = QSize(width, height);
    resize(twipsToPixels(width), twipsToPixels(height));
}

// Closing rather than hiding lets the application see a last visible window
// go: a dialog hidden after the main window has closed ends the program
// instead of keeping it running unseen.
void Form::hideLoaded() {
    hiding_ = true;
    close();
    hiding_ = false;
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (hiding_ || unloaded_)
        return;
    unloaded_ = true;
    deleteLater();
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Pixels are coarser than twips: keep the twips last asked for while the
    // window has their size.
    if (event->size() != QSize(twipsToPixels(scale_.width()), twipsToPixels(scale_.height())))
        scale_ = QSize(pixelsToTwips(event->size().width()), pixelsToTwips(event->size().height()));
    for (QWidget* control : docked_)
        setWidth(control, scale_.width());
    dispatch([this] { Form_Resize(); });
}

} // namespace forms
