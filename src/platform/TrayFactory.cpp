#include "platform/TrayFactory.h"

#include "platform/QtTrayBackend.h"

#include <QGuiApplication>

#ifdef PINDEL_STATUS_NOTIFIER
#include "platform/DBusTrayBackend.h"
#include "platform/StatusNotifierItem.h"
#endif

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

namespace TrayFactory {

std::vector<TrayBackend*> create(const QIcon& icon, QMenu* menu, QObject* parent)
{
    std::vector<TrayBackend*> backends;
    bool qtWouldTakeTheBus = false;
#ifdef PINDEL_STATUS_NOTIFIER
    if (StatusNotifierItem::busAvailable()) {
        backends.push_back(new DBusTrayBackend(icon, menu, parent));
        // Qt's own icon takes the D-Bus tray when one is up as it is made,
        // and then loses it for good when the panel restarts; the item above
        // does that part.
        qtWouldTakeTheBus = StatusNotifierItem::trayPresent();
    }
#endif
    // Qt's own icon serves XEmbed trays and Windows; Wayland has no such tray.
    if (!onWayland() && !qtWouldTakeTheBus)
        backends.push_back(new QtTrayBackend(icon, menu, parent));
    return backends;
}

} // namespace TrayFactory
