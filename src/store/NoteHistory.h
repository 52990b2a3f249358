#pragma once

#include "core/VersionRules.h"
#include "store/NoteStore.h"

#include <QByteArray>
#include <optional>
#include <vector>

struct sqlite3;
class SqliteStatement;

// The earlier versions of notes and titles, kept in a second table of the
// store file beside the settings, which stay exactly as they are:
//   history(id, application, section, key COLLATE NOCASE, saved_at, value)
// saved_at is UTC in ISO 8601 with milliseconds. The table is made by the
// first write (the store's, or the first version kept), so a store that is
// only read is never changed.
//
// Every call works on the connection it is given, inside the caller's
// transaction: a version and the save it belongs to land together or not at
// all. What is known of the table (ids, keys, times and sizes, for the
// rules and the thinning) is read once and then followed; the owner says
// when another program may have changed it.
class NoteHistory
{
public:
    static const char* const schema;

    NoteHistory(QByteArray application, QByteArray section);

    // Another connection committed, or this one's work was rolled back.
    void forgetWhatIsKnown() { m_kept.reset(); }

    // Keeps before as a version of key when the rules say so (always when
    // forced), then thins the versions out. False with *error when the
    // database refused.
    bool keepReplaced(sqlite3* db, const QString& key, const std::optional<QString>& before,
                      const QString& after, bool forced, qint64 nowMs, QString* error);
    // Keeps text as a version now, unless it is empty or equals the newest.
    bool keep(sqlite3* db, const QString& key, const QString& text, qint64 nowMs, QString* error);

    // Newest first; none when the table does not exist.
    bool list(sqlite3* db, const QString& key, std::vector<NoteVersion>* versions, QString* error);
    bool text(sqlite3* db, qint64 id, std::optional<QString>* text, QString* error);

    static QString formatTime(qint64 msSinceEpoch);
    static std::optional<qint64> parseTime(const QString& text);

private:
    bool tableExists(sqlite3* db, bool* exists, QString* error);
    // Prepares sql on the history table with ?1 and ?2 bound to this
    // store's application and section; leaves it unprepared when there is
    // no table yet.
    bool query(sqlite3* db, SqliteStatement& statement, const char* sql, QString* error);
    bool learn(sqlite3* db, QString* error);
    const VersionRules::Kept* newestOf(const QString& foldedKey) const;
    bool thin(sqlite3* db, qint64 nowMs, QString* error);

    QByteArray m_application;
    QByteArray m_section;
    std::optional<std::vector<VersionRules::Kept>> m_kept;
};
