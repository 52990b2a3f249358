#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The last way out for text the store refuses: each text goes into a file of
// its own, "Pindel-gerettet-YYYYMMDD-HHMMSS-LABEL.txt" (a note of card 1 has
// the label "Karte-1"), exactly as typed (UTF-8), readable by the user alone.
// It goes into the store's folder, else $XDG_STATE_HOME/MIRTAL
// (~/.local/state/MIRTAL), else the home folder, else $XDG_RUNTIME_DIR: the
// first that takes the whole text. A file is never written over: a name
// already taken (a second run within the same second, a clock set back)
// gets "-2", "-3", ... The next start finds these files and tells the user
// where they are.
namespace RescueFiles {

// The folders tried, in order, for a store in storeFolder (by default the
// user's store).
QStringList folders();
QStringList folders(const QString& storeFolder);

// The name of the rescue file made at `at`, for the attempt-th try of that
// name (1 for the first). What in label could not be part of a file name
// becomes "_".
QString fileName(const QDateTime& at, const QString& label, int attempt);

// Writes text into a new rescue file in the first of folders that takes it
// whole; a folder that does not exist is made, private. Returns its path, or
// an empty text with the causes in *error.
QString write(const QStringList& folders, const QString& label, const QString& text, QString* error);
QString write(const QString& label, const QString& text, QString* error);

// Whether file lies in $XDG_RUNTIME_DIR, which most desktops keep in memory
// and empty at logout or restart.
bool lastsUntilLogout(const QString& file);

// The paths of files, for a message; with a warning when one of them lasts
// only until logout.
QString describe(const QStringList& files);

// Every rescue file with something in it in the folders, oldest first.
QStringList find();

} // namespace RescueFiles
