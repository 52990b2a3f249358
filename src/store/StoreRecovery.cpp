#include "store/StoreRecovery.h"

#include "platform/PrivateFiles.h"
#include "store/NoteHistory.h"
#include "store/SqliteHandle.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <sqlite3.h>

namespace StoreRecovery {

namespace {

const char* const kCompanions[] = {"-wal", "-shm"};

bool isDamageCode(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

QByteArray columnText(sqlite3_stmt* st, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return QByteArray(text ? text : "", sqlite3_column_bytes(st, column));
}

// Reads rows until the end or the first page that cannot be read.
void collectRows(sqlite3* db, const char* sql, std::vector<Row>& rows, std::set<QByteArray>& seen)
{
    SqliteStatement statement;
    if (!statement.prepare(db, sql))
        return;
    sqlite3_stmt* st = statement.get();
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (sqlite3_column_type(st, 3) == SQLITE_NULL)
            continue;
        Row row{columnText(st, 0), columnText(st, 1), columnText(st, 2), columnText(st, 3)};
        // Keys match without regard to ASCII case, as in the store itself.
        const QByteArray id = row.application + '\0' + row.section + '\0' + row.key.toLower();
        if (seen.insert(id).second)
            rows.push_back(std::move(row));
    }
}

bool renameFile(const QString& from, const QString& to, QString* error)
{
    std::error_code code;
    std::filesystem::rename(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), code);
    if (code) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(from),
                                              QString::fromLocal8Bit(code.message()));
        return false;
    }
    return true;
}

} // namespace

Health check(sqlite3* db, QString* cause)
{
    SqliteStatement statement;
    int rc = statement.prepare(db, "PRAGMA quick_check") ? SQLITE_OK : sqlite3_errcode(db);
    QStringList problems;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            const QString line = QString::fromUtf8(columnText(statement.get(), 0));
            if (line != QLatin1String("ok") && problems.size() < 3)
                problems << line;
        }
    }
    statement.finalize();
    if (rc != SQLITE_DONE) {
        *cause = QString::fromUtf8(sqlite3_errmsg(db));
        return isDamageCode(sqlite3_extended_errcode(db)) ? Health::Damaged : Health::Unreadable;
    }
    if (!problems.isEmpty()) {
        *cause = problems.join(QStringLiteral("; "));
        return Health::Damaged;
    }
    return Health::Sound;
}

QString moveAside(const QString& path, QString* error)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".damaged-") + stamp + QStringLiteral("-%1").arg(n);

    // The companions go first: a -wal left behind would be read as part of
    // the new store. Should anything not move, what moved is put back.
    QStringList moved;
    bool ok = true;
    for (const char* suffix : kCompanions) {
        const QString from = path + QLatin1String(suffix);
        if (!QFileInfo::exists(from))
            continue;
        ok = renameFile(from, target + QLatin1String(suffix), error);
        if (!ok)
            break;
        moved << QLatin1String(suffix);
    }
    if (ok && renameFile(path, target, error)) {
        PrivateFiles::tightenIfPresent(target);
        return target;
    }
    QString ignored;
    for (const QString& suffix : moved)
        renameFile(target + suffix, path + suffix, &ignored);
    return QString();
}

namespace {

// Runs read on a read-only copy of the file: the damaged file is evidence and
// stays exactly as it is. A file cut off inside a page would show that page's
// missing part as zeros, so the copy ends at the last whole page.
void readFromCopy(const QString& path, const std::function<void(sqlite3*)>& read)
{
    const QString copy = path + QStringLiteral(".salvage");
    auto removeCopy = [&] {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(copy + QLatin1String(suffix));
    };
    removeCopy();
    if (!QFile::copy(path, copy))
        return;
    PrivateFiles::tightenIfPresent(copy);
    if (QFile::copy(path + QStringLiteral("-wal"), copy + QStringLiteral("-wal")))
        PrivateFiles::tightenIfPresent(copy + QStringLiteral("-wal"));
    {
        QFile file(copy);
        if (file.open(QIODevice::ReadWrite)) {
            const QByteArray header = file.read(100);
            if (header.size() == 100) {
                int pageSize = (quint8(header[16]) << 8) | quint8(header[17]);
                if (pageSize == 1)
                    pageSize = 65536;
                if (pageSize >= 512 && (pageSize & (pageSize - 1)) == 0)
                    file.resize(file.size() - file.size() % pageSize);
            }
        }
    }
    SqliteConnection connection;
    if (connection.open(copy)) {
        // Lets a truncated file be read up to where it ends, instead of
        // refusing it as a whole.
        sqlite3_exec(connection.get(), "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr);
        read(connection.get());
    }
    connection.close();
    removeCopy();
}

} // namespace

std::vector<Row> readableRows(const QString& path)
{
    std::vector<Row> rows;
    readFromCopy(path, [&](sqlite3* db) {
        std::set<QByteArray> seen;
        const char* const columns = "SELECT application, section, key, value FROM settings";
        collectRows(db, columns, rows, seen);
        // A damaged page ends a scan; scanning from the other end reaches the
        // rows that lie beyond it.
        collectRows(db, (QByteArray(columns) + " ORDER BY rowid DESC").constData(), rows, seen);
    });
    return rows;
}

std::vector<VersionRow> readableVersions(const QString& path)
{
    std::vector<VersionRow> versions;
    readFromCopy(path, [&](sqlite3* db) {
        std::set<qint64> seen;
        for (const char* sql : {"SELECT id, application, section, key, saved_at, value FROM history",
                                "SELECT id, application, section, key, saved_at, value FROM history "
                                "ORDER BY id DESC"}) {
            SqliteStatement statement;
            if (!statement.prepare(db, sql))
                return;
            sqlite3_stmt* st = statement.get();
            while (sqlite3_step(st) == SQLITE_ROW) {
                if (sqlite3_column_type(st, 5) == SQLITE_NULL ||
                    !seen.insert(sqlite3_column_int64(st, 0)).second)
                    continue;
                versions.push_back({sqlite3_column_int64(st, 0), columnText(st, 1), columnText(st, 2),
                                    columnText(st, 3), columnText(st, 4), columnText(st, 5)});
            }
        }
    });
    // In the order they were kept, so that the newest stays the newest.
    std::sort(versions.begin(), versions.end(),
              [](const VersionRow& a, const VersionRow& b) { return a.id < b.id; });
    return versions;
}

namespace {

// Inserts every item in one transaction, after the statements in prepare
// (which make the table where needed); the number written, or -1 with
// *error and nothing written.
template <typename Item, typename Bind>
int insertAll(sqlite3* db, const char* prepare, const char* sql, const std::vector<Item>& items, Bind bind,
              QString* error)
{
    if (items.empty())
        return 0;
    SqliteStatement insert;
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, prepare, nullptr, nullptr, nullptr) == SQLITE_OK && insert.prepare(db, sql);
    int written = 0;
    for (const Item& item : items) {
        if (!ok)
            break;
        SqliteStatement::Use use(insert);
        bind(insert, item);
        ok = sqlite3_step(insert.get()) == SQLITE_DONE;
        written += sqlite3_changes(db);
    }
    insert.finalize();
    if (ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return written;
    *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return -1;
}

} // namespace

int carryInto(sqlite3* db, const std::vector<Row>& rows, QString* error)
{
    return insertAll(
        db, "", "INSERT OR IGNORE INTO settings (application, section, key, value) VALUES (?1, ?2, ?3, ?4)",
        rows,
        [](SqliteStatement& insert, const Row& row) {
            insert.bindText(1, row.application);
            insert.bindText(2, row.section);
            insert.bindText(3, row.key);
            insert.bindText(4, row.value);
        },
        error);
}

int carryVersionsInto(sqlite3* db, const std::vector<VersionRow>& versions, QString* error)
{
    return insertAll(
        db, NoteHistory::schema,
        "INSERT OR IGNORE INTO history (id, application, section, key, saved_at, value) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
        versions,
        [](SqliteStatement& insert, const VersionRow& row) {
            sqlite3_bind_int64(insert.get(), 1, row.id);
            insert.bindText(2, row.application);
            insert.bindText(3, row.section);
            insert.bindText(4, row.key);
            insert.bindText(5, row.savedAt);
            insert.bindText(6, row.value);
        },
        error);
}

void discardPartialBackup(const QString& backupPath)
{
    const QString partial = backupPath + QStringLiteral(".new");
    QFile::remove(partial);
    // A copy that failed (a full disk) leaves its rollback journal too.
    QFile::remove(partial + QStringLiteral("-journal"));
}

bool backup(sqlite3* db, const QString& backupPath, QString* error)
{
    const QString partial = backupPath + QStringLiteral(".new");
    discardPartialBackup(backupPath);
    if (!PrivateFiles::ensureFile(partial, error))
        return false;
    bool ok = false;
    {
        SqliteConnection copy;
        if (!copy.open(partial)) {
            *error = copy.errorMessage();
        } else if (sqlite3_backup* job = sqlite3_backup_init(copy.get(), "main", db, "main")) {
            const int rc = sqlite3_backup_step(job, -1);
            sqlite3_backup_finish(job);
            ok = rc == SQLITE_DONE;
            if (!ok)
                *error = QString::fromUtf8(sqlite3_errstr(rc));
        } else {
            *error = copy.errorMessage();
        }
    }
    // Only a complete copy replaces the previous backup.
    if (!ok || !renameFile(partial, backupPath, error)) {
        discardPartialBackup(backupPath);
        return false;
    }
    return true;
}

} // namespace StoreRecovery
