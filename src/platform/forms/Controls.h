#pragma once

#include <QFont>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace forms {

// A font as the layouts name it: family, size in points (fractions allowed), bold.
QFont font(const QString& family, double points, bool bold = false);

// A menu of the menu bar and an item of a menu, each under its design name.
QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption);
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption);

// Labels and pictures have no signals for these events. Each runs a handler
// through dispatch(): on a click (the left button pressed and released over
// the control), or on every move of the pointer over it, buttons pressed or not.
void wireClick(QWidget* control, std::function<void()> handler);
void wireMouseMove(QWidget* control, std::function<void()> handler);

} // namespace forms
