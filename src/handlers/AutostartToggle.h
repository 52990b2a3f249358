#pragma once

#include <QString>
#include <optional>

class TrayMenu;

// "Mit der Anmeldung starten" in the tray menu: switches starting at login
// for program (a full path, named by the entry). The entry may be changed
// outside the program (orbo-autostart, the desktop's settings), so the check
// mark is read again each time the menu opens.
namespace AutostartToggle {

// Shows on the menu whether the program starts at login now.
void showState(TrayMenu& menu);

// Switches the entry on or off, then shows the state it really has. Nothing
// on success, otherwise the failure in German, naming the entry and the cause.
std::optional<QString> choose(TrayMenu& menu, bool on, const QString& program);

} // namespace AutostartToggle
