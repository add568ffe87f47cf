#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>

namespace dialer {

// Tells the user about a call without taking the keyboard: a desktop
// notification (org.freedesktop.Notifications on the session bus) with a
// "Show" action, or, with no notification service, a small window of the
// program's own that is not modal. Nothing here waits on the bus.
class CallNotice : public QObject {
    Q_OBJECT
public:
    explicit CallNotice(QObject* parent = nullptr);
    ~CallNotice() override;

    // `show` runs when the user chooses Show; without one there is no Show.
    void tell(const QString& title, const QString& body, std::function<void()> show = {});

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    void showWindow(const QString& title, const QString& body, std::function<void()> show);

    std::map<uint, std::function<void()>> shows_; // by notification id, until it closes
};

} // namespace dialer
