#pragma once

#include <QApplication>
#include <QWidget>

namespace forms {

// Where a window appears when it is first shown: centred over the window the
// user was working in (the screen's middle when there is none), and fully on
// that screen: moved onto it, and shrunk to it when it may be resized.
// Called again once the window is shown, it only keeps it whole on its
// screen, now that its frame is known.
void placeOnScreen(QWidget* window, const QWidget* over = QApplication::activeWindow());

} // namespace forms
