#pragma once

#include <QString>

// Where the note store lives: one file per user,
// $XDG_CONFIG_HOME/MIRTAL/store.sqlite3 (default ~/.config/MIRTAL/...),
// %APPDATA%\MIRTAL\store.sqlite3 on Windows.
namespace StoreLocation {

QString defaultFolder();
QString defaultPath();

} // namespace StoreLocation
