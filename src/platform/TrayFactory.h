#pragma once

#include <vector>

class QIcon;
class QMenu;
class QObject;
class TrayBackend;

// The trays this desktop may have, decided once at start.
namespace TrayFactory {

// The icon's ways into a tray, most preferred first, children of parent;
// none on a desktop that has no tray at all (Wayland without D-Bus).
std::vector<TrayBackend*> create(const QIcon& icon, QMenu* menu, QObject* parent);


} // namespace TrayFactory
