// A hostile store file: the program reads every key, writes one and reads it
// back. Whatever the file holds, each access returns text or fails with
// StoreError; it never crashes, and a write that succeeded reads back.
//
// The first byte chooses the file: odd, the remaining bytes are the file
// itself (random bytes, or a mutated database from the corpus); even, they
// describe a database built with SQL: a table shape and rows of any type
// (INTEGER, REAL, BLOB, TEXT, NULL) under the program's keys in any case.
#include "store/SqliteStore.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const char* const kKeys[] = {"Pindel1", "Pindel2", "Pindel3", "Pindel4", "Pindel5",
                             "Pindel6", "left",    "Top",     "Width",   "Height"};

const char* const kShapes[] = {
    "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL COLLATE "
    "NOCASE, "
    "value TEXT NOT NULL, PRIMARY KEY (application, section, key))",
    "CREATE TABLE settings (application, section, key, value)",
    "CREATE TABLE settings (application, section, key COLLATE NOCASE, value, PRIMARY KEY (application, "
    "section, key))",
    "CREATE TABLE settings (application, section, key)",
    "CREATE TABLE other (x)",
    "CREATE TABLE settings (value, key, section, application) WITHOUT ROWID",
    "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL COLLATE "
    "NOCASE, value TEXT NOT NULL, PRIMARY KEY (application, section, key)); "
    "CREATE TABLE history (id INTEGER PRIMARY KEY, application, section, key COLLATE NOCASE, saved_at, "
    "value)",
    "CREATE TABLE settings (application, section, key, value); CREATE TABLE history (x)",
};

class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return empty() ? 0 : m_data[m_pos++]; }
    QByteArray bytes(size_t n)
    {
        n = std::min(n, m_size - std::min(m_pos, m_size));
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

void buildDatabase(const QString& path, Input& in)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, kShapes[in.byte() % std::size(kShapes)], nullptr, nullptr, nullptr);
    sqlite3_stmt* setting = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO settings (application, section, key, value) VALUES (?1, ?2, ?3, ?4)",
                       -1, &setting, nullptr);
    // Earlier versions with any time and any value, where the shape has a
    // history table that takes them.
    sqlite3_stmt* version = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO history (application, section, key, value, saved_at) "
                       "VALUES (?1, ?2, ?3, ?4, ?5)",
                       -1, &version, nullptr);
    while (setting && !in.empty()) {
        const uint8_t shape = in.byte();
        sqlite3_stmt* st = (shape & 0x80) && version ? version : setting;
        if (st == version) {
            const QByteArray time = in.bytes(in.byte() % 32);
            sqlite3_bind_text(st, 5, time.constData(), int(time.size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_text(st, 1, (shape & 1) ? "mirtal" : "MIRTAL", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, (shape & 2) ? "MIRTAL" : "Mirtal", -1, SQLITE_STATIC);
        QByteArray key = kKeys[in.byte() % std::size(kKeys)];
        if (shape & 4)
            key = key.toUpper();
        sqlite3_bind_text(st, 3, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        const QByteArray raw = in.bytes(in.byte());
        switch ((shape >> 3) % 5) {
        case 0:
            sqlite3_bind_text(st, 4, raw.constData(), int(raw.size()), SQLITE_TRANSIENT);
            break;
        case 1:
            sqlite3_bind_blob(st, 4, raw.constData(), int(raw.size()), SQLITE_TRANSIENT);
            break;
        case 2:
            sqlite3_bind_int64(st, 4, raw.isEmpty() ? 0 : qint64(qChecksum(raw)) - 40000);
            break;
        case 3:
            sqlite3_bind_double(st, 4,
                                raw.size() >= 8 ? *reinterpret_cast<const double*>(raw.constData()) : 0.5);
            break;
        default:
            sqlite3_bind_null(st, 4);
            break;
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(setting);
    sqlite3_finalize(version);
    sqlite3_close(db);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString folder = QDir::tempPath() + QStringLiteral("/pindel-fuzz-%1/MIRTAL").arg(::getpid());
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/store.sqlite3");

    Input in(data, size);
    if (in.byte() & 1) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(in.bytes(size));
    } else {
        buildDatabase(path, in);
    }

    SqliteStore store(path);
    store.setNoticeSink([](const QString&) {});
    for (const char* key : kKeys) {
        try {
            store.read(QString::fromLatin1(key), QStringLiteral("default"));
        } catch (const StoreError&) {
        }
    }
    bool written = false;
    try {
        store.write(QStringLiteral("height"), QStringLiteral("700"));
        written = true;
    } catch (const StoreError&) {
    }
    if (written) {
        try {
            if (store.read(QStringLiteral("Height"), QString()) != QLatin1String("700"))
                std::abort(); // a write reported as done must be seen by the next read
        } catch (const StoreError&) {
            std::abort();
        }
    }
    // A wipe keeps what it replaces, whatever the history table holds; the
    // note's save never depends on it.
    try {
        store.write(QStringLiteral("Pindel1"), QStringLiteral("neu"));
        store.write(QStringLiteral("Pindel1"), QString());
        if (!store.read(QStringLiteral("Pindel1"), QStringLiteral("default")).isEmpty())
            std::abort();
        for (const NoteVersion& v : store.versions(QStringLiteral("pindel1")))
            store.versionText(v.id);
    } catch (const StoreError&) {
    }
    return 0;
}
