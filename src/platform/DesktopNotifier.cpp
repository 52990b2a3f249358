#include "platform/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
}

DesktopNotifier::DesktopNotifier(const QString& appName, QObject* parent)
    : QObject(parent), m_appName(appName)
{
}

void DesktopNotifier::notify(const QString& title, const QString& text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* iface = bus.isConnected() ? bus.interface() : nullptr;
    // A service that is not running may still be started by the bus.
    if (!iface || (!iface->isServiceRegistered(kService) &&
                   !iface->activatableServiceNames().value().contains(kService))) {
        emit notShown(title, text);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/Notifications"), kService, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call.setArguments({m_appName, uint(0), QStringLiteral("dialog-warning"), title, text, QStringList(),
                       hints, int(10000)});
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, title, text](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError())
                    emit notShown(title, text);
            });
}
