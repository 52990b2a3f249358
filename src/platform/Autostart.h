#pragma once

#include <QString>
#include <optional>

// Starting the program at login, for this user only: on desktops that follow
// the XDG autostart rules the desktop entry in $XDG_CONFIG_HOME/autostart
// (orbo-autostart switches it through `orbo --autostart`), on Windows a
// value under the user's Run key.
namespace Autostart {

// Where the entry lives, as shown in messages.
QString location();

// True while the entry exists and the desktop has not switched it off.
bool isEnabled();

// Creates the entry naming program (a full path), or removes it. Nothing on
// success, otherwise the failure in German, naming the entry and the cause;
// a failed write leaves no half-written entry.
std::optional<QString> setEnabled(bool on, const QString& program);

} // namespace Autostart
