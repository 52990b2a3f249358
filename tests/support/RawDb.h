#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

// A second, independent connection to a store file: what another program (or
// the next run) sees on disk, and a way to leave rows there as another tool
// would.
class RawDb
{
public:
    explicit RawDb(const QString& path, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    ~RawDb() { sqlite3_close(m_db); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    bool exec(const QByteArray& sql)
    {
        return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // The first column of the first row as text, or "<error>".
    QString one(const QByteArray& sql)
    {
        sqlite3_stmt* st = nullptr;
        QString out = QStringLiteral("<error>");
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                    sqlite3_column_bytes(st, 0));
        sqlite3_finalize(st);
        return out;
    }

    // The stored bytes of a key of the program's section, exactly.
    std::optional<QByteArray> value(const QString& key)
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(
            m_db, "SELECT value FROM settings WHERE application='MIRTAL' AND section='MIRTAL' AND key=?", -1,
            &st, nullptr);
        const QByteArray k = key.toUtf8();
        sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        std::optional<QByteArray> out;
        if (sqlite3_step(st) == SQLITE_ROW)
            out =
                QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 0)), sqlite3_column_bytes(st, 0));
        sqlite3_finalize(st);
        return out;
    }

    void put(const QString& key, const QString& value)
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, "INSERT OR REPLACE INTO settings VALUES ('MIRTAL', 'MIRTAL', ?1, ?2)", -1,
                           &st, nullptr);
        const QByteArray k = key.toUtf8(), v = value.toUtf8();
        sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_finalize(st);
    }

    sqlite3* db() { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// A file's permission bits, e.g. 0600.
inline int fileMode(const QString& path)
{
    struct stat st = {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 0777);
}
