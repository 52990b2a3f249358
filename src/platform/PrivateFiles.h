#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Notes are private: the store's folder is the user's alone (0700) and its
// files are readable and writable by the user only (0600), whatever the umask.
// On Windows the per-user profile folder already gives this; these do nothing.
namespace PrivateFiles {

// Creates the folder (and its parents) if needed and takes every right of
// group and others from the folder itself (0700 when new). The user's own
// rights are left alone. Returns false with the cause in *error.
bool ensureFolder(const QString& folder, QString* error);

// Creates the file empty with mode 0600 if it does not exist, and takes the
// rights of group and others from an existing one. Returns false with the
// cause in *error.
bool ensureFile(const QString& file, QString* error);

// Takes the rights of group and others from a file if it exists.
void tightenIfPresent(const QString& file);

// Gives a journal file the user's rights of its database file and none for
// anyone else. SQLite makes journal files with the mode the database had at
// that moment: made while the user had set it read-only, they would keep the
// store read-only after the user allowed writing again.
void followMode(const QString& mainFile, const QString& companion);

// Writes bytes into a new file in folder that is the user's alone (0600)
// before it has a name, then gives it the first of nameFor(1), nameFor(2),
// ... that names nothing yet: an existing file or symbolic link is never
// replaced or followed. Every write and sync is checked; a file that could
// not be written whole is removed and never named. Returns the new file's
// path, or an empty text with the cause in *error.
QString createNew(const QString& folder, const std::function<QString(int attempt)>& nameFor,
                  const QByteArray& bytes, QString* error);

// Which file a path names now: a store replaced by rename (a sync tool,
// another program) or deleted gives another identity or none. Nothing where
// the platform cannot tell.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identityOf(const QString& file);

// What a file looks like now, as cheap to learn as one stat: which file it is,
// its size and when its content and its inode last changed (nanoseconds). A
// file rewritten in place keeps its identity but not these; the time of the
// inode's change cannot be set back by any program. Nothing when it is missing.
struct FileState
{
    FileIdentity identity;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileState&) const = default;
};
std::optional<FileState> stateOf(const QString& file);

// Whether another process holds a lock on bytes [start, start + length) of
// the file, or wants one that this test could not see past. Locks of this
// process do not count. Nothing is locked where the platform cannot tell.
// The file is opened and closed for the test, which drops every POSIX lock
// this process holds on it: call it only while nothing of this process
// locks the file.
bool lockedByAnotherProcess(const QString& file, qint64 start, qint64 length);

} // namespace PrivateFiles
