#include "platform/forms/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
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

namespace {
constexpr const char* TwipsProperty = "twipsGeometry";
}

void place(QWidget* control, int left, int top, int width, int height) {
    control->setProperty(TwipsProperty, QRect(left, top, width, height));
    control->setGeometry(twipsRect(left, top, width, height));
}

QRect twipsGeometry(const QWidget* control) {
    const QVariant kept = control->property(TwipsProperty);
    if (kept.isValid())
        return kept.toRect();
    const QRect px = control->geometry();
    return {pixelsToTwips(px.x()), pixelsToTwips(px.y()), pixelsToTwips(px.width()),
            pixelsToTwips(px.height())};
}

void move(QWidget* control, int left, int top) {
    const QRect r = twipsGeometry(control);
    place(control, left, top, r.width(), r.height());
}

void setWidth(QWidget* control, int width) {
    const QRect r = twipsGeometry(control);
    place(control, r.x(), r.y(), width, r.height());
}

void setHeight(QWidget* control, int height) {
    const QRect r = twipsGeometry(control);
    place(control, r.x(), r.y(), r.width(), height);
}

} // namespace forms
