#pragma once

#include "platform/PrivateFiles.h"

#include <QString>
#include <optional>

struct sqlite3;

// What the store file and its write-ahead log looked like when this program
// last left them: after opening, and after each of its own writes was
// carried from the log into the file. In between nothing of this program
// changes the file (the log is carried in by hand, never by SQLite during a
// commit), so a file that looks otherwise was changed by someone else:
// deleted, replaced by rename, or rewritten in place as some sync and backup
// tools do. Looking costs two stat calls and a read of four bytes.
class StoreFileWatch
{
public:
    enum class Change {
        None,
        Gone,             // no file at the path
        Replaced,         // another file at the path, renamed over it
        RewrittenInPlace, // the same file with other bytes
        LogReplaced,      // the log deleted or another file renamed over it
    };

    explicit StoreFileWatch(QString path) : m_path(std::move(path)) {}

    // The file and its log as they are now count as this program's doing.
    void remember(sqlite3* db);
    Change look(sqlite3* db) const;

private:
    struct Look
    {
        std::optional<PrivateFiles::FileState> file;
        // SQLite's file change counter (header bytes 24-27): in WAL mode it
        // changes only when a checkpoint writes the first page, and it tells
        // a rewrite within the same tick of the file system's clock.
        quint32 changeCounter = 0;
        std::optional<PrivateFiles::FileState> log;
    };
    Look lookNow(sqlite3* db) const;
    QString logPath() const { return m_path + QStringLiteral("-wal"); }

    QString m_path;
    std::optional<Look> m_left;
};
