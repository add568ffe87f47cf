#include "platform/forms/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace forms {
namespace {
QPixmap render(QSvgRenderer& renderer, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}
} // namespace

QPixmap svgPixmap(const QString& resource, QSize size) {
    QSvgRenderer renderer(resource);
    return render(renderer, size);
}

QIcon svgIcon(const QString& resource, std::initializer_list<int> sizes) {
    // The drawing is read once for all its sizes.
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (int side : sizes)
        icon.addPixmap(render(renderer, QSize(side, side)));
    return icon;
}

QCursor svgCursor(const QString& resource, int hotX, int hotY) {
    return QCursor(svgPixmap(resource, QSize(32, 32)), hotX, hotY);
}

} // namespace forms
