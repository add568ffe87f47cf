#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace forms {

// The program's pictures are drawn as SVG; these render them to the sizes a
// control needs.
QPixmap svgPixmap(const QString& resource, QSize size);
QIcon svgIcon(const QString& resource, std::initializer_list<int> sizes);
QCursor svgCursor(const QString& resource, int hotX, int hotY);

} // namespace forms
