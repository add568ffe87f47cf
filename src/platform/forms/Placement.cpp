#include "platform/forms/Placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace forms {
namespace {
// The start that keeps `length` inside [low, low + room), or low when it cannot fit.
int within(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}
} // namespace

void placeOnScreen(QWidget* window, const QWidget* over) {
    const bool shown = window->isVisible();
    if (over && (shown || over == window || !over->isVisible()))
        over = nullptr;
    QScreen* screen = shown  ? window->screen()
                      : over ? over->screen()
                             : QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // A frame is known once the window is shown; before, the frame of the
    // window it opens over is the best guess.
    const QSize frame = shown  ? window->frameGeometry().size() - window->size()
                        : over ? over->frameGeometry().size() - over->size()
                               : QSize();
    if (window->minimumSize() != window->maximumSize())
        window->resize(window->size().boundedTo(room.size() - frame));
    QRect place(QPoint(), window->size() + frame);
    if (shown)
        place.moveTopLeft(window->frameGeometry().topLeft());
    else
        place.moveCenter(over ? over->frameGeometry().center() : room.center());
    window->move(within(place.left(), place.width(), room.left(), room.width()),
                 within(place.top(), place.height(), room.top(), room.height()));
}

} // namespace forms
