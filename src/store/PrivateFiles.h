#pragma once

#include <QString>

// Notes are private: the store's folder is the user's alone (0700) and its
// files are readable and writable by the user only (0600), whatever the umask.
// On Windows the per-user profile folder already gives this; these do nothing.
namespace PrivateFiles {

// Creates the folder (and its parents) if needed and tightens the folder
// itself to 0700. Returns false with the cause in *error.
bool ensureFolder(const QString& folder, QString* error);

// Creates the file empty with mode 0600 if it does not exist, and tightens an
// existing one. Returns false with the cause in *error.
bool ensureFile(const QString& file, QString* error);

// Tightens a file to 0600 if it exists.
void tightenIfPresent(const QString& file);

} // namespace PrivateFiles
