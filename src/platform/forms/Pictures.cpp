#include "platform/forms/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace forms {

QPixmap svgPixmap(const QString& resource, QSize size) {
    QSvgRenderer renderer(resource);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon svgIcon(const QString& resource, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int side : sizes)
        icon.addPixmap(svgPixmap(resource, QSize(side, side)));
    return icon;
}

QCursor svgCursor(const QString& resource, int hotX, int hotY) {
    return QCursor(svgPixmap(resource, QSize(32, 32)), hotX, hotY);
}

} // namespace forms
