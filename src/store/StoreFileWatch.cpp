#include "store/StoreFileWatch.h"

#include <sqlite3.h>

namespace {

// Read through the connection's own file handle: opening and closing the file
// here would drop the locks SQLite holds on it.
quint32 changeCounterOf(sqlite3* db)
{
    sqlite3_file* file = nullptr;
    if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return 0;
    unsigned char bytes[4] = {};
    if (file->pMethods->xRead(file, bytes, sizeof bytes, 24) != SQLITE_OK)
        return 0; // a file shorter than a header reads as zeros
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | quint32(bytes[3]);
}

} // namespace

StoreFileWatch::Look StoreFileWatch::lookNow(sqlite3* db) const
{
    return {PrivateFiles::stateOf(m_path), changeCounterOf(db), PrivateFiles::stateOf(logPath())};
}

void StoreFileWatch::remember(sqlite3* db)
{
    m_left = lookNow(db);
}

StoreFileWatch::Change StoreFileWatch::look(sqlite3* db) const
{
    const auto file = PrivateFiles::stateOf(m_path);
    if (!file)
        return Change::Gone;
    if (!m_left || !m_left->file)
        return Change::None;
    if (file->identity != m_left->file->identity)
        return Change::Replaced;
    if (*file != *m_left->file || changeCounterOf(db) != m_left->changeCounter)
        return Change::RewrittenInPlace;
    if (m_left->log) {
        const auto log = PrivateFiles::stateOf(logPath());
        if (!log || log->identity != m_left->log->identity)
            return Change::LogReplaced;
    }
    return Change::None;
}
