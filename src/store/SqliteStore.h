#pragma once

#include "store/NoteStore.h"
#include "store/SqliteHandle.h"

#include <QHash>

// The note store in one SQLite database per user, in this one table:
//   settings(application, section, key COLLATE NOCASE, value, PRIMARY KEY(...))
// Each write is its own transaction and durable when it returns (WAL journal,
// synchronous=FULL), so a crash leaves the old or the new value, never a mix.
// The file is opened on first use and again after a failure, so a write that
// failed because the disk was full succeeds once space is back.
class SqliteStore final : public NoteStore
{
public:
    explicit SqliteStore(QString path, QString application = QStringLiteral("MIRTAL"),
                         QString section = QStringLiteral("MIRTAL"));
    ~SqliteStore() override;

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;

    const QString& path() const { return m_path; }
    // How many writes reached the disk (equal values may skip it).
    int diskWrites() const { return m_diskWrites; }

    // How long a write waits for another program's lock before it fails.
    static constexpr int busyTimeoutMs = 1000;

private:
    bool ensureOpen(bool create, QString* error);
    QString failure(const QString& what, const QString& key, const QString& cause) const;
    void forgetKnownValuesIfChangedElsewhere();

    QString m_path;
    QByteArray m_application;
    QByteArray m_section;
    SqliteConnection m_db;
    SqliteStatement m_select;
    SqliteStatement m_upsert;
    SqliteStatement m_dataVersion;
    // What each key (folded to lower case) is known to hold on disk, valid
    // while no other connection has committed (PRAGMA data_version).
    QHash<QString, QString> m_known;
    qint64 m_knownVersion = -1;
    int m_diskWrites = 0;
};
