#include "store/NoteHistory.h"

#include "store/SqliteHandle.h"

#include <QDateTime>
#include <sqlite3.h>

const char* const NoteHistory::schema =
    "CREATE TABLE IF NOT EXISTS history (id INTEGER PRIMARY KEY, application TEXT NOT NULL, "
    "section TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE, saved_at TEXT NOT NULL, value TEXT NOT NULL)";

namespace {

constexpr qsizetype firstLineLength = 200;

QString columnString(sqlite3_stmt* st, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(st, column));
}

bool refused(sqlite3* db, QString* error)
{
    *error = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

} // namespace

NoteHistory::NoteHistory(QByteArray application, QByteArray section)
    : m_application(std::move(application)), m_section(std::move(section))
{
}

QString NoteHistory::formatTime(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC).toString(Qt::ISODateWithMs);
}

std::optional<qint64> NoteHistory::parseTime(const QString& text)
{
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    return time.toMSecsSinceEpoch();
}

bool NoteHistory::tableExists(sqlite3* db, bool* exists, QString* error)
{
    SqliteStatement query;
    if (!query.prepare(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'history'"))
        return refused(db, error);
    const int rc = sqlite3_step(query.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return refused(db, error);
    *exists = rc == SQLITE_ROW;
    return true;
}

bool NoteHistory::query(sqlite3* db, SqliteStatement& statement, const char* sql, QString* error)
{
    bool exists = false;
    if (!tableExists(db, &exists, error))
        return false;
    if (!exists)
        return true;
    if (!statement.prepare(db, sql))
        return refused(db, error);
    statement.bindText(1, m_application);
    statement.bindText(2, m_section);
    return true;
}

bool NoteHistory::learn(sqlite3* db, QString* error)
{
    if (m_kept)
        return true;
    SqliteStatement query;
    if (!this->query(db, query,
                     "SELECT id, key, saved_at FROM history WHERE application = ?1 AND section = ?2", error))
        return false;
    std::vector<VersionRules::Kept> kept;
    if (query.isPrepared()) {
        int rc;
        while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
            kept.push_back({sqlite3_column_int64(query.get(), 0),
                            NoteStore::foldKey(columnString(query.get(), 1)),
                            parseTime(columnString(query.get(), 2)), 0});
        }
        if (rc != SQLITE_DONE)
            return refused(db, error);
        query.finalize();
        // A version's size is in its row's header: a blob handle reads it
        // without reading the text, which for a full history is 100 MB.
        for (VersionRules::Kept& k : kept) {
            sqlite3_blob* blob = nullptr;
            if (sqlite3_blob_open(db, "main", "history", "value", k.id, 0, &blob) == SQLITE_OK)
                k.bytes = sqlite3_blob_bytes(blob);
            sqlite3_blob_close(blob);
        }
    }
    m_kept = std::move(kept);
    return true;
}

const VersionRules::Kept* NoteHistory::newestOf(const QString& foldedKey) const
{
    const VersionRules::Kept* newest = nullptr;
    for (const VersionRules::Kept& k : *m_kept) {
        if (k.key == foldedKey && (!newest || k.id > newest->id))
            newest = &k;
    }
    return newest;
}

bool NoteHistory::keepReplaced(sqlite3* db, const QString& key, const std::optional<QString>& before,
                               const QString& after, bool forced, qint64 nowMs, QString* error)
{
    if (!before || before->isEmpty() || *before == after)
        return true;
    if (!forced) {
        if (!learn(db, error))
            return false;
        const VersionRules::Kept* newest = newestOf(NoteStore::foldKey(key));
        std::optional<qint64> since;
        if (newest && newest->savedAtMs)
            since = nowMs - *newest->savedAtMs;
        if (!VersionRules::keepsReplaced(*before, after, since))
            return true;
    }
    return keep(db, key, *before, nowMs, error);
}

bool NoteHistory::keep(sqlite3* db, const QString& key, const QString& text, qint64 nowMs, QString* error)
{
    if (text.isEmpty())
        return true;
    if (sqlite3_exec(db, schema, nullptr, nullptr, nullptr) != SQLITE_OK || !learn(db, error))
        return refused(db, error);
    const QString folded = NoteStore::foldKey(key);
    const QByteArray utf8 = text.toUtf8();
    const VersionRules::Kept* newest = newestOf(folded);
    if (newest && newest->bytes == utf8.size()) {
        std::optional<QString> newestText;
        if (!this->text(db, newest->id, &newestText, error))
            return false;
        if (newestText == text)
            return true;
    }
    SqliteStatement insert;
    if (!insert.prepare(db, "INSERT INTO history (application, section, key, saved_at, value) "
                            "VALUES (?1, ?2, ?3, ?4, ?5)"))
        return refused(db, error);
    const QByteArray keyUtf8 = key.toUtf8();
    const QByteArray savedAt = formatTime(nowMs).toUtf8();
    insert.bindText(1, m_application);
    insert.bindText(2, m_section);
    insert.bindText(3, keyUtf8);
    insert.bindText(4, savedAt);
    insert.bindText(5, utf8);
    if (sqlite3_step(insert.get()) != SQLITE_DONE)
        return refused(db, error);
    m_kept->push_back({sqlite3_last_insert_rowid(db), folded, nowMs, utf8.size()});
    return thin(db, nowMs, error);
}

bool NoteHistory::thin(sqlite3* db, qint64 nowMs, QString* error)
{
    const std::vector<qint64> ids = VersionRules::toRemove(*m_kept, nowMs);
    if (ids.empty())
        return true;
    SqliteStatement remove;
    if (!remove.prepare(db, "DELETE FROM history WHERE id = ?1"))
        return refused(db, error);
    for (const qint64 id : ids) {
        SqliteStatement::Use use(remove);
        sqlite3_bind_int64(remove.get(), 1, id);
        if (sqlite3_step(remove.get()) != SQLITE_DONE)
            return refused(db, error);
    }
    std::erase_if(*m_kept, [&](const VersionRules::Kept& k) {
        return std::binary_search(ids.begin(), ids.end(), k.id);
    });
    return true;
}

bool NoteHistory::list(sqlite3* db, const QString& key, std::vector<NoteVersion>* versions, QString* error)
{
    versions->clear();
    SqliteStatement query;
    if (!this->query(db, query,
                     "SELECT id, saved_at, length(value), substr(value, 1, 1000) FROM history "
                     "WHERE application = ?1 AND section = ?2 AND key = ?3 ORDER BY id DESC",
                     error))
        return false;
    if (!query.isPrepared())
        return true; // no table: no versions
    const QByteArray keyUtf8 = key.toUtf8();
    query.bindText(3, keyUtf8);
    int rc;
    while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
        NoteVersion version;
        version.id = sqlite3_column_int64(query.get(), 0);
        if (const auto ms = parseTime(columnString(query.get(), 1)))
            version.savedAt = QDateTime::fromMSecsSinceEpoch(*ms, Qt::UTC);
        version.length = sqlite3_column_int64(query.get(), 2);
        const QString start = columnString(query.get(), 3);
        qsizetype end = 0;
        while (end < start.size() && start[end] != QLatin1Char('\n') && start[end] != QLatin1Char('\r'))
            ++end;
        version.firstLine = start.left(std::min(end, firstLineLength));
        versions->push_back(std::move(version));
    }
    return rc == SQLITE_DONE || refused(db, error);
}

bool NoteHistory::text(sqlite3* db, qint64 id, std::optional<QString>* text, QString* error)
{
    text->reset();
    SqliteStatement query;
    if (!this->query(db, query,
                     "SELECT value FROM history WHERE application = ?1 AND section = ?2 AND id = ?3", error))
        return false;
    if (!query.isPrepared())
        return true;
    sqlite3_bind_int64(query.get(), 3, id);
    const int rc = sqlite3_step(query.get());
    if (rc == SQLITE_ROW)
        *text = columnString(query.get(), 0);
    return rc == SQLITE_ROW || rc == SQLITE_DONE || refused(db, error);
}
