#pragma once

#include <QString>
#include <QStringList>

// The last way out for text the store refuses when the program ends: each
// note goes into a file of its own, "Pindel-gerettet-YYYYMMDD-HHMMSS-Karte-N.txt",
// exactly as typed (UTF-8), readable by the user alone. It goes into the
// store's folder, else $XDG_STATE_HOME (~/.local/state), else the home
// folder. The next start finds these files and tells the user where they are.
namespace RescueFiles {

// The folders tried, in order.
QStringList folders();

// Writes the text of card (1 to 3) into a new rescue file in the first folder
// that takes it, whole or not at all. Returns its path, or an empty text with
// the cause in *error.
QString write(int card, const QString& text, QString* error);

// Every rescue file in the folders, oldest first.
QStringList find();

} // namespace RescueFiles
