#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct sqlite3;

// What keeps a user's notes when the store file itself goes wrong: a damaged
// file is never written over but moved aside, and what can still be read is
// carried into a new store; and once per run the store as it was is copied
// beside it, so a user can go back one run.
namespace StoreRecovery {

enum class Health {
    Sound,
    Damaged,    // fails the quick check, is not a database, or is truncated
    Unreadable, // cannot be checked now (locked, no permission): not damage
};

// Runs PRAGMA quick_check on an open connection; *cause says what is wrong.
Health check(sqlite3* db, QString* cause);

// One row of the settings table, each column in its text form.
struct Row
{
    QByteArray application, section, key, value;
};

// One row of the history table (an earlier version of a note or title).
struct VersionRow
{
    qint64 id = 0;
    QByteArray application, section, key, savedAt, value;
};

// Moves the store file (and its -wal and -shm files) aside under a dated
// name beside it, "store.sqlite3.damaged-YYYYMMDD-HHMMSS", leaving it exactly
// as it was. Returns the new name, or an empty text with *error when the file
// could not be moved (then nothing was changed).
QString moveAside(const QString& path, QString* error);

// Every row of the settings table that can still be read from the file, which
// is opened read-only. Rows without a value are left out.
std::vector<Row> readableRows(const QString& path);

// Every earlier version that can still be read from the file, oldest first.
std::vector<VersionRow> readableVersions(const QString& path);
// Writes them into an open store's history in one transaction; the number
// written, or -1 with *error.
int carryVersionsInto(sqlite3* db, const std::vector<VersionRow>& versions, QString* error);

// Writes rows into an open, empty store in one transaction; the number
// written, or -1 with *error.
int carryInto(sqlite3* db, const std::vector<Row>& rows, QString* error);

// Removes what a backup cut short left: "<backupPath>.new" and its journal.
void discardPartialBackup(const QString& backupPath);

// Copies the whole database behind db to backupPath with SQLite's online
// backup API, through a temporary file that replaces the old backup only once
// complete. The copy is the user's alone (0600).
bool backup(sqlite3* db, const QString& backupPath, QString* error);

} // namespace StoreRecovery
