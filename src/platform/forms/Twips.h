#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace forms {

inline constexpr int TwipsPerInch = 1440;

// Every geometry of the program is written in twips; this is the one place
// that turns them into device-independent pixels, from the screen's logical DPI.
int twipsToPixels(int twips);
int twipsToPixels(int twips, double logicalDpi);
QRect twipsRect(int left, int top, int width, int height);
// Back from the screen: pixels to twips.
int pixelsToTwips(int pixels);
int pixelsToTwips(int pixels, double logicalDpi);

// Places a control at a rectangle given in twips.
void place(QWidget* control, int left, int top, int width, int height);

// The rectangle in twips a control was last placed at (a control never placed
// in twips gives its pixel geometry converted). Twips are finer than pixels,
// so reading them back from the screen would drift.
QRect twipsGeometry(const QWidget* control);
// Moves a control and keeps its size; sizes a control and keeps its place.
void move(QWidget* control, int left, int top);
void setWidth(QWidget* control, int width);
void setHeight(QWidget* control, int height);

// Names a control (its design name) and places it; returns it for chaining.
template <typename Control>
Control* placed(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QLatin1String(name));
    place(control, left, top, width, height);
    return control;
}

} // namespace forms
