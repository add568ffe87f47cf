#include "platform/forms/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace forms {
namespace {
double screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}
} // namespace

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / TwipsPerInch));
}

int twipsToPixels(int twips) { return twipsToPixels(twips, screenDpi()); }

int pixelsToTwips(int pixels, double logicalDpi) {
    return static_cast<int>(std::lround(pixels * TwipsPerInch / logicalDpi));
}

int pixelsToTwips(int pixels) { return pixelsToTwips(pixels, screenDpi()); }

QRect twipsRect(int left, int top, int width, int height) {
    const double dpi = screenDpi();
    return {twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
            twipsToPixels(height, dpi)};
}

void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twipsRect(left, top, width, height));
}

} // namespace forms
