#include "platform/forms/Controls.h"

#include "platform/forms/Dispatch.h"

#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

namespace forms {
namespace {
// Watches one control's mouse events; a child of the control, so it goes with it.
class MouseHook final : public QObject {
public:
    using Wanted = bool (*)(const QWidget*, const QMouseEvent*);
    MouseHook(QWidget* control, Wanted wanted, std::function<void()> handler)
        : QObject(control), control_(control), wanted_(wanted), handler_(std::move(handler)) {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != control_)
            return false;
        // The second press of a double-click is a DblClick: its release is no Click.
        if (event->type() == QEvent::MouseButtonDblClick) {
            inDoubleClick_ = true;
            return false;
        }
        const bool mouse = event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease;
        const bool doubleClickEnds = event->type() == QEvent::MouseButtonRelease && std::exchange(inDoubleClick_, false);
        if (mouse && !doubleClickEnds && wanted_(control_, static_cast<const QMouseEvent*>(event)))
            dispatch(handler_);
        return false;
    }

private:
    QWidget* control_;
    Wanted wanted_;
    std::function<void()> handler_;
    bool inDoubleClick_ = false;
};
} // namespace

QFont font(const QString& family, double points, bool bold) {
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

void wireClick(QWidget* control, std::function<void()> handler) {
    new MouseHook(
        control,
        [](const QWidget* c, const QMouseEvent* e) {
            return e->type() == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton &&
                   c->rect().contains(e->position().toPoint());
        },
        std::move(handler));
}

void wireMouseMove(QWidget* control, std::function<void()> handler) {
    // Without tracking, moves arrive only while a button is held.
    control->setMouseTracking(true);
    new MouseHook(
        control, [](const QWidget*, const QMouseEvent* e) { return e->type() == QEvent::MouseMove; },
        std::move(handler));
}

} // namespace forms
