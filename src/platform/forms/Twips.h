#pragma once

#include <QRect>

class QWidget;

namespace forms {

inline constexpr int TwipsPerInch = 1440;

// Every geometry of the program is written in twips; this is the one place
// that turns them into device-independent pixels, from the screen's logical DPI.
int twipsToPixels(int twips);
int twipsToPixels(int twips, double logicalDpi);
QRect twipsRect(int left, int top, int width, int height);

// Places a control at a rectangle given in twips.
void place(QWidget* control, int left, int top, int width, int height);

} // namespace forms
