#pragma once

#include <QFont>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

namespace forms {

// A font as the layouts name it: family, size in points (fractions allowed), bold.
QFont font(const QString& family, double points, bool bold = false);

// A menu of the menu bar and an item of a menu, each under its design name.
QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption);
QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption);

} // namespace forms
