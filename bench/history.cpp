// Earlier versions under steady typing, on the real store with a simulated
// clock: a note of SIZE bytes edited every 200 ms for MINUTES minutes, saved
// as autosave saves while the user types (every fourth edit, 800 ms), each
// save through the store's worker as the program does. Prints:
//   "history BYTES VERSIONS"  what the history table holds afterwards
//   "file BYTES"              the store file once closed
//   "save MEDIAN MIN MAX"     ms per save (the worker's time; typing does not wait for it)
//   "save_keeping MEDIAN MIN MAX"  ms of the saves that kept a version
// Then, on a store whose history is at its cap (100 MB): "open_full MS",
// opening and checking it as a start does; "backup_full MS BYTES", the first
// write of the run, which copies the store to its backup; "first_keeping_full
// MS BYTES", the first save that keeps a version (it learns what the table
// holds) and what the history holds then; "second_keeping_full MS", the next.
//   history SIZE_BYTES MINUTES
#include "NoteOfSize.h"
#include "core/VersionRules.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

void printStats(const char* label, std::vector<double> ms)
{
    if (ms.empty()) {
        std::printf("%s - - -\n", label);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s %.3f %.3f %.3f\n", label, ms[ms.size() / 2], ms.front(), ms.back());
}

qint64 one(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        value = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return value;
}

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + "-wal").size();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qsizetype size = argc > 1 ? QString(argv[1]).toLongLong() : 1'000'000;
    const int minutes = argc > 2 ? QString(argv[2]).toInt() : 60;

    QTemporaryDir dir;
    const QString path = dir.filePath("store.sqlite3");
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        SqliteStore store(path);
        store.setClock([&] { return now; });
        QString note = noteOfSize(size);
        store.write("Pindel1", note);
        SerializedStore serialized(store);
        std::vector<double> saves, keeping;
        const int edits = minutes * 60 * 5;
        for (int edit = 1; edit <= edits; ++edit) {
            now += 200;
            // Typing goes on in the middle of the note, a word at a time.
            note.insert(note.size() / 2 + (edit % 500), QLatin1Char(edit % 7 ? 'x' : ' '));
            if (edit % 4)
                continue;
            const qint64 before = one(path, "SELECT count(*) FROM history");
            QElapsedTimer clock;
            clock.start();
            const SaveResult result = serialized.save({StoreWrite::note("Pindel1", note, true)});
            const double ms = clock.nsecsElapsed() / 1e6;
            if (result.failure) {
                std::fprintf(stderr, "save failed: %s\n", qPrintable(*result.failure));
                return 1;
            }
            saves.push_back(ms);
            if (one(path, "SELECT count(*) FROM history") != before)
                keeping.push_back(ms);
        }
        std::printf("history %lld %lld\n", one(path, "SELECT sum(length(CAST(value AS BLOB))) FROM history"),
                    one(path, "SELECT count(*) FROM history"));
        printStats("save", saves);
        printStats("save_keeping", keeping);
    }
    std::printf("file %lld\n", fileSize(path));

    // A history at its cap: versions of 1 MB in the last day, until the cap
    // holds them back; then a new run's first save that keeps one.
    const QString full = dir.filePath("full.sqlite3");
    {
        SqliteStore store(full);
        qint64 t = QDateTime::currentMSecsSinceEpoch() - VersionRules::dayMs / 2;
        store.setClock([&] { return t; });
        const QString mb = noteOfSize(1'000'000);
        for (int i = 0; i < 110; ++i) {
            t += VersionRules::typingSpacingMs;
            store.keepVersion("Pindel1", mb + QString::number(i));
        }
        store.write("Pindel1", mb);
    }
    {
        SqliteStore store(full);
        QElapsedTimer clock;
        clock.start();
        store.read("Pindel1", QString()); // the start of a run opens and checks the file
        std::printf("open_full %.3f\n", clock.nsecsElapsed() / 1e6);
        clock.start();
        store.write("left", "100"); // the first write of a run copies the store to its backup
        std::printf("backup_full %.3f %lld\n", clock.nsecsElapsed() / 1e6,
                    QFileInfo(store.backupPath()).size());
        clock.start();
        store.write("Pindel1", QStringLiteral("gelöscht"));
        std::printf("first_keeping_full %.3f %lld\n", clock.nsecsElapsed() / 1e6,
                    one(full, "SELECT sum(length(CAST(value AS BLOB))) FROM history"));
        clock.start();
        store.write("Pindel1", noteOfSize(1'000'000));
        std::printf("second_keeping_full %.3f\n", clock.nsecsElapsed() / 1e6);
        clock.start();
        const size_t listed = store.versions("Pindel1").size();
        std::printf("list_full %.3f %zu\n", clock.nsecsElapsed() / 1e6, listed);
    }
    return 0;
}
