#include "platform/StatusNotifierItem.h"

#include "platform/DBusMenuExporter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
// A watcher that does not answer must not hold up the program for long.
constexpr int kWatcherTimeoutMs = 1000;

QDBusMessage callWatcher(const QString& method, const QVariantList& args = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(StatusNotifierItem::watcherService, kWatcherPath,
                                                       StatusNotifierItem::watcherService, method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kWatcherTimeoutMs);
}

bool watcherHasHost()
{
    QDBusMessage get = QDBusMessage::createMethodCall(StatusNotifierItem::watcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({StatusNotifierItem::watcherService, QStringLiteral("IsStatusNotifierHostRegistered")});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kWatcherTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

StatusNotifierItem::StatusNotifierItem(const QString& title, const QIcon& icon, QMenu* menu, QObject* parent)
    : QObject(parent), m_title(title), m_iconFolder(writeIcon(icon)), m_menu(menu),
      m_menuExporter(new DBusMenuExporter(menu, this))
{
    registerDBusTrayTypes();
    m_serviceName = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    if (!busAvailable())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // A watcher that appears later (the panel starts after the program) or
    // again (the panel was restarted) is told about the item again.
    m_watcher = new QDBusServiceWatcher(watcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    setInTray(false);
                else
                    registerWithWatcher();
            });
    bus.connect(watcherService, kWatcherPath, watcherService, QStringLiteral("StatusNotifierHostRegistered"),
                this, SLOT(hostRegistered()));
}

StatusNotifierItem::~StatusNotifierItem()
{
    withdrawFromBus();
}

bool StatusNotifierItem::busAvailable()
{
    return QDBusConnection::sessionBus().isConnected();
}

bool StatusNotifierItem::trayPresent()
{
    return busAvailable() && QDBusConnection::sessionBus().interface()->isServiceRegistered(watcherService) &&
           watcherHasHost();
}

QString StatusNotifierItem::id() const
{
    return QCoreApplication::applicationName();
}

QString StatusNotifierItem::iconName() const
{
    return QCoreApplication::applicationName();
}

void StatusNotifierItem::setOffered(bool on)
{
    if (on == m_offered)
        return;
    m_offered = on;
    if (!on) {
        withdrawFromBus();
        setInTray(false);
    } else if (busAvailable()) {
        registerWithWatcher();
    }
}

void StatusNotifierItem::setToolTip(const QString& tip)
{
    if (tip == m_tip)
        return;
    m_tip = tip;
    if (m_exported)
        emit NewToolTip();
}

bool StatusNotifierItem::exportOnBus()
{
    if (m_exported)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(kItemPath, this,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportScriptableSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerObject(kMenuPath, m_menuExporter,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportScriptableSignals |
                                QDBusConnection::ExportAllProperties)) {
        bus.unregisterObject(kItemPath);
        return false;
    }
    bus.registerService(m_serviceName);
    m_exported = true;
    return true;
}

void StatusNotifierItem::withdrawFromBus()
{
    if (!m_exported)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_serviceName);
    bus.unregisterObject(kMenuPath);
    bus.unregisterObject(kItemPath);
    m_exported = false;
}

void StatusNotifierItem::registerWithWatcher()
{
    if (!m_offered || !exportOnBus())
        return;
    if (!QDBusConnection::sessionBus().interface()->isServiceRegistered(watcherService)) {
        setInTray(false);
        return;
    }
    const QDBusMessage reply = callWatcher(QStringLiteral("RegisterStatusNotifierItem"), {m_serviceName});
    if (reply.type() != QDBusMessage::ReplyMessage) {
        setInTray(false);
        return;
    }
    hostRegistered();
}

void StatusNotifierItem::hostRegistered()
{
    // A watcher alone shows nothing: a tray must have said it is there.
    if (m_exported)
        setInTray(watcherHasHost());
}

void StatusNotifierItem::setInTray(bool inTray)
{
    if (inTray == m_inTray)
        return;
    m_inTray = inTray;
    emit inTrayChanged(inTray);
}

void StatusNotifierItem::Activate(int, int)
{
    emit activated();
}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    // For trays that ask the item to show its menu instead of drawing it.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && m_menu)
        m_menu->popup(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString&) {}

QString StatusNotifierItem::writeIcon(const QIcon& icon)
{
    // Installed beside the program, the icon is already in a theme folder.
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/icons");
    const QString name = QCoreApplication::applicationName() + QStringLiteral(".png");
    if (QFile::exists(installed + QStringLiteral("/hicolor/32x32/apps/") + name))
        return QDir::cleanPath(installed);

    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        return {};
    const QString folder = base + QStringLiteral("/orbo-icons");
    const QString apps = folder + QStringLiteral("/hicolor/32x32/apps");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!QDir().mkpath(apps) || !icon.pixmap(32, 32).save(&buffer, "PNG"))
        return {};
    // Trays look the name up as a theme icon, and some also as a plain file.
    for (const QString& path : {apps + u'/' + name, folder + u'/' + name}) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == png)
            continue;
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(png) == png.size())
            file.commit();
    }
    return folder;
}
