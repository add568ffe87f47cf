#include "dialer/CallNotice.h"

#include "identity/Identity.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace dialer {
namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
// A call is told once and is over in a minute: the notice need not stay.
constexpr int ShownMs = 60000;
constexpr int BusPatienceMs = 3000;
} // namespace

CallNotice::CallNotice(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(Service, Path, Service, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(Service, Path, Service, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

CallNotice::~CallNotice() = default;

void CallNotice::tell(const QString& title, const QString& body, std::function<void()> show) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showWindow(title, body, std::move(show));
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    QStringList actions;
    if (show)
        actions << QStringLiteral("default") << QStringLiteral("Show") << QStringLiteral("show")
                << QStringLiteral("Show");
    notify << identity::ApplicationTitle << uint(0) << QStringLiteral("call-start") << title << body
           << actions
           << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
                          {QStringLiteral("category"), QStringLiteral("call.incoming")}}
           << ShownMs;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify, BusPatienceMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, title, body, show = std::move(show)]() mutable {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    // No notification service (or none that answers): our own window.
                    showWindow(title, body, std::move(show));
                    return;
                }
                if (show)
                    shows_[reply.value()] = std::move(show);
            });
}

void CallNotice::actionInvoked(uint id, const QString& action) {
    const auto it = shows_.find(id);
    if (it == shows_.end() || (action != QLatin1String("show") && action != QLatin1String("default")))
        return;
    const std::function<void()> show = it->second;
    show();
}

void CallNotice::notificationClosed(uint id, uint) { shows_.erase(id); }

void CallNotice::showWindow(const QString& title, const QString& body, std::function<void()> show) {
    auto* window = new QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    window->setObjectName(QStringLiteral("frmIncomingCall"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Shown beside what the user is doing, never taking the keyboard from it.
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowTitle(QStringLiteral("Incoming Call"));
    auto* layout = new QVBoxLayout(window);
    auto* who = new QLabel(title, window);
    who->setObjectName(QStringLiteral("lblCaller"));
    QFont bold = who->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    who->setFont(bold);
    auto* what = new QLabel(body, window);
    what->setObjectName(QStringLiteral("lblCallerDetails"));
    layout->addWidget(who);
    layout->addWidget(what);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (show) {
        auto* showButton = new QPushButton(QStringLiteral("Show"), window);
        showButton->setObjectName(QStringLiteral("cmdShow"));
        connect(showButton, &QPushButton::clicked, window, [window, show = std::move(show)] {
            show();
            window->close();
        });
        buttons->addWidget(showButton);
    }
    auto* close = new QPushButton(QStringLiteral("Close"), window);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, window, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    window->show();
}

} // namespace dialer
