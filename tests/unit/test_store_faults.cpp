#include "RawDb.h"
#include "platform/PrivateFiles.h"
#include "store/SqliteStore.h"
#include "store/StoreRecovery.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <functional>
#include <grp.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Faults a real desktop meets: a damaged store file, a full disk, a file or
// folder the user may not write, values of the wrong type. In each the write
// fails with a clear cause and nothing already on disk is lost; once the cause
// is gone, the next write succeeds.
namespace {

constexpr uid_t kNobody = 65534;

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What another machine made of the store: a copy taken through SQLite, as
// the sqlite3 tool's .backup takes it, with some values changed; its bytes.
QByteArray otherMachinesCopy(const QString& storePath, const QList<std::pair<QString, QString>>& changes)
{
    const QString copyPath = storePath + ".other";
    {
        RawDb live(storePath);
        RawDb copy(copyPath);
        sqlite3_backup* backup = sqlite3_backup_init(copy.db(), "main", live.db(), "main");
        sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        for (const auto& [key, value] : changes)
            copy.put(key, value);
    }
    QByteArray bytes = bytesOf(copyPath);
    QFile::remove(copyPath);
    return bytes;
}

// Writes bytes over a file in place, as cp does: the same file, new content.
void writeInPlace(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QString rowValue(int i)
{
    return QStringLiteral("Zeile %1 ").arg(i).repeated(60);
}

// A store of many rows, its journal folded into the file, as a closed run leaves it.
void makeStoreWithRows(const QString& path, int rows)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        SqliteStore store(path);
        store.write("Pindel1", "erste Notiz");
    }
    RawDb db(path);
    db.exec("BEGIN");
    for (int i = 0; i < rows; ++i)
        db.put(QStringLiteral("k%1").arg(i), rowValue(i));
    db.exec("COMMIT");
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

// Modes mean nothing to root: checks that need them run in a child process
// as "nobody" on a folder handed to that user.
bool runAsUnprivileged(const QString& folder, const std::function<QString()>& check, QString* message)
{
    if (::getuid() != 0) {
        *message = check();
        return message->isEmpty();
    }
    if (::chown(QFile::encodeName(folder).constData(), kNobody, kNobody) != 0) {
        *message = QStringLiteral("chown failed");
        return false;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        QString result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            result = QStringLiteral("cannot become nobody");
        else
            result = check();
        const QByteArray out = result.toUtf8();
        [[maybe_unused]] auto written = ::write(pipeFds[1], out.constData(), size_t(out.size()));
        ::_exit(result.isEmpty() ? 0 : 1);
    }
    ::close(pipeFds[1]);
    QByteArray out;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, int(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    *message = QString::fromUtf8(out);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->filePath("MIRTAL"); }
    QString path() const { return folder() + "/store.sqlite3"; }
    QStringList damagedFiles() const
    {
        return QDir(folder())
            .entryList({"store.sqlite3.damaged-*"}, QDir::Files)
            .filter(QRegularExpression("damaged-[0-9-]+$"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void damagedFileIsMovedAsideAndReadableRowsCarried_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not a database") << "random";
        QTest::newRow("truncated") << "truncate";
        QTest::newRow("fails the quick check") << "overwrite";
    }
    void damagedFileIsMovedAsideAndReadableRowsCarried()
    {
        QFETCH(QString, damage);
        constexpr int rows = 3000; // enough pages of 64 KB that half a file holds some
        QByteArray damaged;
        if (damage == "random") {
            QDir().mkpath(folder());
            damaged.resize(64 * 1024);
            for (char& c : damaged)
                c = char(QRandomGenerator::global()->bounded(256));
        } else {
            makeStoreWithRows(path(), rows);
            damaged = bytesOf(path());
            QVERIFY(damaged.size() > 20 * 4096);
            if (damage == "truncate")
                damaged.truncate(damaged.size() / 2);
            else // garbage over the start of a page in the middle of the table, where its header lies.
                 // Garbage inside a row's text alone no check can find: SQLite keeps no checksums.
                damaged.replace(damaged.size() / 2 / 65536 * 65536, 3 * 4096,
                                QByteArray(3 * 4096, char(0x5a)));
        }
        QFile::remove(path() + "-wal");
        QFile::remove(path() + "-shm");
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(damaged);
        }

        const mode_t oldMask = ::umask(0);
        SqliteStore store(path());
        QStringList told;
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        const QString first = store.read("Pindel1", "fehlt");
        ::umask(oldMask);

        // Moved aside byte for byte, never written over.
        QCOMPARE(damagedFiles().size(), 1);
        const QString aside = folder() + "/" + damagedFiles().first();
        QVERIFY(aside.contains(QRegularExpression("store\\.sqlite3\\.damaged-\\d{8}-\\d{6}$")));
        QCOMPARE(bytesOf(aside), damaged);
        QCOMPARE(fileMode(aside), 0600);
        QCOMPARE(fileMode(path()), 0600);
        // The user is told once, with the place of the old file.
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QDir::toNativeSeparators(aside)), qPrintable(told.first()));

        // Every carried row is exactly what was stored.
        RawDb fresh(path());
        QCOMPARE(fresh.one("PRAGMA integrity_check"), QString("ok"));
        const int carried = fresh.one("SELECT count(*) FROM settings").toInt();
        if (damage == "random") {
            QCOMPARE(carried, 0);
            QCOMPARE(first, QString("fehlt"));
        } else {
            QVERIFY2(carried > 0, "nothing carried over");
            QVERIFY(told.first().contains(QString::number(carried)));
            for (int i = 0; i < rows; ++i) {
                const QString got = store.read(QStringLiteral("k%1").arg(i), QString());
                QVERIFY2(got.isNull() || got == rowValue(i), qPrintable(QString("k%1: %2 vs %3: %4")
                                                                            .arg(i)
                                                                            .arg(got.size())
                                                                            .arg(rowValue(i).size())
                                                                            .arg(got.right(40))));
            }
        }
        // The program goes on: the store takes writes again.
        store.write("Pindel3", "weiter");
        QCOMPARE(fresh.one("SELECT value FROM settings WHERE key='Pindel3'"), QString("weiter"));
    }

    void damageFoundLaterIsHandledAtTheNextAccess()
    {
        makeStoreWithRows(path(), 50);
        SqliteStore store(path());
        QCOMPARE(store.read("Pindel1", ""), QString("erste Notiz"));
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(0);
            f.write(QByteArray(100, 'x')); // the header is gone
        }
        // The open connection may still serve from its cache; at the latest
        // a reopen finds the damage. Nothing may crash, nothing may be lost.
        for (int i = 0; i < 3; ++i) {
            try {
                store.write("Pindel4", QStringLiteral("Versuch %1").arg(i));
            } catch (const StoreError&) {
            }
        }
        SqliteStore nextRun(path());
        nextRun.setNoticeSink([](const QString&) {});
        nextRun.write("Pindel4", "danach");
        QCOMPARE(nextRun.read("Pindel4", ""), QString("danach"));
        // Either the damage was found and the file set aside, or a write of
        // the first run put the damaged page back from its cache (keeping an
        // earlier version writes the file's first page): then every row is
        // still there.
        if (damagedFiles().isEmpty()) {
            QCOMPARE(RawDb(path()).one("PRAGMA quick_check"), QString("ok"));
            for (int i = 0; i < 50; ++i)
                QCOMPARE(nextRun.read(QStringLiteral("k%1").arg(i), ""), rowValue(i));
        } else {
            QCOMPARE(damagedFiles().size(), 1);
        }
    }

    void backupHoldsTheStoreAsItWasAtTheFirstWriteOfTheRun()
    {
        const mode_t oldMask = ::umask(0);
        {
            SqliteStore firstRun(path());
            firstRun.write("Pindel1", "Lauf 1");
            QVERIFY2(!QFileInfo::exists(firstRun.backupPath()), "a new store has nothing to back up");
        }
        {
            SqliteStore secondRun(path());
            QCOMPARE(secondRun.read("Pindel1", ""), QString("Lauf 1"));
            secondRun.write("Pindel1", "Lauf 1"); // unchanged: no write, no backup
            QVERIFY(!QFileInfo::exists(secondRun.backupPath()));
            secondRun.write("Pindel1", "Lauf 2");
            secondRun.write("Pindel1", "Lauf 2, später");
            QCOMPARE(fileMode(secondRun.backupPath()), 0600);
            RawDb backup(secondRun.backupPath(), SQLITE_OPEN_READONLY);
            QCOMPARE(backup.one("PRAGMA integrity_check"), QString("ok"));
            QCOMPARE(backup.one("SELECT value FROM settings WHERE key='Pindel1'"), QString("Lauf 1"));
        }
        SqliteStore thirdRun(path());
        thirdRun.write("Pindel1", "Lauf 3");
        ::umask(oldMask);
        RawDb backup(path() + ".bak", SQLITE_OPEN_READONLY);
        QCOMPARE(backup.one("SELECT value FROM settings WHERE key='Pindel1'"), QString("Lauf 2, später"));
        QVERIFY(!QFileInfo::exists(path() + ".bak.new"));
    }

    // The file under the store changes while it is open: replaced by rename,
    // it is read anew; deleted with its folder, it is made again from what
    // the program last read or wrote, and the user is told.
    void aFileReplacedOrDeletedUnderTheStoreIsFollowed()
    {
        QStringList told;
        SqliteStore store(path());
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        store.write("Pindel1", "eins");
        store.write("Pindel3", "zwei");
        QCOMPARE(store.read("Pindel2", "Karte #1"), QString("Karte #1"));

        const QString replacement = m_dir->filePath("replacement.sqlite3");
        {
            RawDb copy(replacement);
            QVERIFY(copy.exec(
                "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT "
                "NOT NULL COLLATE NOCASE, value TEXT NOT NULL, PRIMARY KEY (application, section, key))"));
            copy.put("Pindel1", "ersetzt");
        }
        QVERIFY(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(path()).constData()) ==
                0);
        QCOMPARE(store.read("Pindel1", ""), QString("ersetzt"));
        QCOMPARE(store.saveNote("Pindel3", "zwei", false), NoteSaveOutcome::KeptOutsideChange);

        QVERIFY(QDir(folder()).removeRecursively());
        store.write("Pindel4", "drei");
        RawDb again(path(), SQLITE_OPEN_READONLY);
        QCOMPARE(again.value("Pindel1"), std::optional<QByteArray>("ersetzt"));
        QCOMPARE(again.value("Pindel4"), std::optional<QByteArray>("drei"));
        QCOMPARE(again.value("Pindel3"), std::optional<QByteArray>("zwei")); // what the window holds
        QVERIFY(!again.value("Pindel2")); // read, but missing: no default is made up
        QCOMPARE(fileMode(folder()), 0700);
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains("verschwunden"));
    }

    // A long note is remembered by its fingerprint only. Deleted with its
    // folder, the file is made again with the note read out of the deleted
    // file; when that is not the text this program last saw, the note is
    // written from the window at the next save, and a read until then fails
    // instead of emptying the card.
    void aLongNoteOutlivesTheDeletionOfTheFile_data()
    {
        QTest::addColumn<bool>("changedBeforeDeletion");
        QTest::newRow("as last saved") << false;
        QTest::newRow("changed elsewhere, then deleted") << true;
    }
    void aLongNoteOutlivesTheDeletionOfTheFile()
    {
        QFETCH(bool, changedBeforeDeletion);
        const QString note = QString("Zeile\n").repeated(2000);
        QStringList told;
        SqliteStore store(path());
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        store.write("Pindel3", note);
        store.write("Pindel2", "Titel");
        if (changedBeforeDeletion)
            RawDb(path()).put("Pindel3", note + "fremd");
        QVERIFY(QDir(folder()).removeRecursively());
        store.write("Pindel4", "drei");
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains("verschwunden"));
        QCOMPARE(RawDb(path()).value("Pindel2"), std::optional<QByteArray>("Titel"));
        if (changedBeforeDeletion) {
            QVERIFY(!RawDb(path()).value("Pindel3"));
            QVERIFY(told.first().contains("Pindel3"));
            QVERIFY_THROWS_EXCEPTION(StoreError, store.read("Pindel3", ""));
            QCOMPARE(store.saveNote("Pindel3", note, false), NoteSaveOutcome::Written);
        }
        QCOMPARE(RawDb(path()).value("Pindel3"), std::optional<QByteArray>(note.toUtf8()));
        QCOMPARE(store.read("Pindel3", ""), note);
    }

    // Some sync and backup tools write a new file over the store in place:
    // the same file with new bytes, while the program has it open. The new
    // content is read; no page of the old one (in the cache, in the log) is
    // played into it; a note the user did not edit is never written over the
    // new text, an edited one wins and the other text is kept as a version
    // and in the backup.
    void aFileRewrittenInPlaceIsReadAnew_data()
    {
        QTest::addColumn<bool>("logHoldsOldPages");
        QTest::newRow("log emptied after each write") << false;
        QTest::newRow("log holding another program's pages of the old content") << true;
    }
    void aFileRewrittenInPlaceIsReadAnew()
    {
        QFETCH(bool, logHoldsOldPages);
        QStringList told;
        auto owned = std::make_unique<SqliteStore>(path());
        SqliteStore& store = *owned;
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        store.write("Pindel1", "eins");
        store.write("Pindel3", "zwei");
        store.write("Pindel4", "drei");
        QCOMPARE(store.read("Pindel1", ""), QString("eins"));

        const QByteArray other = otherMachinesCopy(
            path(), {{"Pindel1", "eins anders"}, {"Pindel3", "zwei anders"}, {"Pindel4", "drei anders"}});
        if (logHoldsOldPages)
            RawDb(path()).put("Pindel2", "auf der alten Fassung");
        const auto before = PrivateFiles::identityOf(path());
        writeInPlace(path(), other);
        QCOMPARE(PrivateFiles::identityOf(path()), before);

        QCOMPARE(store.read("Pindel1", ""), QString("eins anders"));
        QCOMPARE(store.read("Pindel2", "fehlt"), QString("fehlt"));
        QCOMPARE(store.saveNote("Pindel3", "zwei", false), NoteSaveOutcome::KeptOutsideChange);
        QCOMPARE(store.saveNote("Pindel4", "drei bearbeitet", true), NoteSaveOutcome::WonOverOutsideChange);
        store.write("Pindel1", "eins anders, weiter");
        const std::vector<NoteVersion> versions = store.versions("Pindel4");
        QVERIFY(!versions.empty());
        QCOMPARE(store.versionText(versions.front().id), std::optional<QString>("drei anders"));

        // Told once of the rewrite, once of the edit that won; this program's
        // own writes since are no change of someone else's.
        QCOMPARE(told.size(), 2);
        QVERIFY2(told[0].contains("überschrieben"), qPrintable(told[0]));
        const QStringList setAside = QDir(folder()).entryList({"store.sqlite3-wal.old-*"}, QDir::Files);
        QCOMPARE(setAside.size(), logHoldsOldPages ? 1 : 0);
        if (logHoldsOldPages)
            QVERIFY2(told[0].contains(setAside.first()), qPrintable(told[0]));
        QVERIFY2(told[1].contains("Pindel4"), qPrintable(told[1]));

        RawDb backup(path() + ".bak", SQLITE_OPEN_READONLY);
        QCOMPARE(backup.value("Pindel4"), std::optional<QByteArray>("drei anders"));
        owned.reset(); // closing writes nothing old back either
        RawDb disk(path(), SQLITE_OPEN_READONLY);
        QCOMPARE(disk.one("PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(disk.value("Pindel1"), std::optional<QByteArray>("eins anders, weiter"));
        QCOMPARE(disk.value("Pindel3"), std::optional<QByteArray>("zwei anders"));
        QCOMPARE(disk.value("Pindel4"), std::optional<QByteArray>("drei bearbeitet"));
        QCOMPARE(disk.value("Pindel2"), std::nullopt);
    }

    // Rewritten while nothing reads it, the file is still not written over
    // when the program closes the store.
    void closingAfterAnInPlaceRewriteWritesNothingBack()
    {
        {
            SqliteStore store(path());
            store.setNoticeSink([](const QString&) {});
            store.write("Pindel1", "eins");
            const QByteArray other = otherMachinesCopy(path(), {{"Pindel1", "eins anders"}});
            RawDb(path()).put("Pindel3", "auf der alten Fassung");
            writeInPlace(path(), other);
        }
        RawDb disk(path(), SQLITE_OPEN_READONLY);
        QCOMPARE(disk.one("PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(disk.value("Pindel1"), std::optional<QByteArray>("eins anders"));
        QCOMPARE(disk.value("Pindel3"), std::nullopt);
    }

    void recoveryKeepsTheBackupOfThePreviousRun()
    {
        {
            SqliteStore run(path());
            run.write("Pindel1", "gut");
        }
        {
            SqliteStore run(path());
            run.write("Pindel1", "auch gut");
        }
        const QByteArray backup = bytesOf(path() + ".bak");
        QVERIFY(!backup.isEmpty());
        QFile::remove(path() + "-wal");
        QFile::remove(path() + "-shm");
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("kaputt");
        f.close();
        SqliteStore run(path());
        QString told;
        run.setNoticeSink([&](const QString& notice) { told = notice; });
        run.write("Pindel1", "neu");
        QCOMPARE(bytesOf(path() + ".bak"), backup);
        QVERIFY2(told.contains(path() + ".bak"), qPrintable(told));
    }

    void aFullDiskFailsTheWriteUntilSpaceIsBack_data()
    {
        QTest::addColumn<bool>("tmpfs");
        QTest::newRow("file size limit") << false;
        QTest::newRow("small tmpfs") << true;
    }
    void aFullDiskFailsTheWriteUntilSpaceIsBack()
    {
        QFETCH(bool, tmpfs);
        QString storePath = path();
        QString filler;
        if (tmpfs) {
            if (::getuid() != 0)
                QSKIP("mounting a tmpfs needs root");
            const QString mountPoint = m_dir->filePath("small");
            QDir().mkpath(mountPoint);
            if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                        "size=4m,mode=0700") != 0)
                QSKIP("this machine does not allow mounting a tmpfs");
            storePath = mountPoint + "/MIRTAL/store.sqlite3";
            filler = mountPoint + "/filler";
        }
        auto cleanup = qScopeGuard([&] {
            if (tmpfs)
                ::umount2(QFile::encodeName(m_dir->filePath("small")).constData(), MNT_DETACH);
        });
        SqliteStore store(storePath);
        store.write("Pindel1", "alt");
        const QString big(1024 * 1024, QChar('n'));

        struct rlimit oldLimit = {};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        ::signal(SIGXFSZ, SIG_IGN);
        if (tmpfs) {
            QFile f(filler);
            QVERIFY(f.open(QIODevice::WriteOnly));
            while (f.write(QByteArray(64 * 1024, 'f')) > 0) {
            }
        } else {
            struct rlimit small = oldLimit;
            small.rlim_cur = 256 * 1024;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        try {
            store.write("Pindel1", big);
            QFAIL("a write on a full disk reported success");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains("Pindel1"), qPrintable(e.message()));
        }
        // Nothing already on disk is lost.
        QCOMPARE(RawDb(storePath).one("SELECT value FROM settings WHERE key='Pindel1'"), QString("alt"));

        if (tmpfs)
            QVERIFY(QFile::remove(filler));
        else
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        ::signal(SIGXFSZ, SIG_DFL);
        store.write("Pindel1", big);
        QCOMPARE(RawDb(storePath).one("SELECT value FROM settings WHERE key='Pindel1'"), big);
    }

    void refusedFilesFailWritesWithoutLossUntilAllowedAgain_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("refusedMode");
        QTest::addColumn<int>("allowedMode");
        QTest::newRow("read-only file") << "file" << 0400 << 0600;
        QTest::newRow("read-only folder") << "folder" << 0500 << 0700;
        QTest::newRow("no permission on the file") << "file" << 0000 << 0600;
    }
    void refusedFilesFailWritesWithoutLossUntilAllowedAgain()
    {
        QFETCH(QString, target);
        QFETCH(int, refusedMode);
        QFETCH(int, allowedMode);
        const QString storePath = path();
        const QString folderPath = folder();
        auto check = [=]() -> QString {
            {
                SqliteStore setup(storePath);
                setup.write("Pindel1", "alt");
            } // closed: the journal files are gone and must be made anew
            const QByteArray refused = QFile::encodeName(target == "file" ? storePath : folderPath);
            ::chmod(refused.constData(), mode_t(refusedMode));
            SqliteStore store(storePath);
            int told = 0;
            store.setNoticeSink([&](const QString&) { ++told; });
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    store.write("Pindel1", "neu");
                    return QStringLiteral("write reported success on a refused store");
                } catch (const StoreError& e) {
                    if (!e.message().contains("Pindel1"))
                        return QStringLiteral("unclear cause: ") + e.message();
                }
            }
            if (!QDir(folderPath).entryList({"store.sqlite3.damaged-*"}).isEmpty() || told > 0)
                return QStringLiteral("a refused file was taken for a damaged one");
            ::chmod(refused.constData(), mode_t(allowedMode));
            try {
                store.write("Pindel1", "neu");
            } catch (const StoreError& e) {
                return QStringLiteral("write after the cause was gone failed: ") + e.message();
            }
            if (RawDb(storePath).one("SELECT value FROM settings WHERE key='Pindel1'") !=
                QLatin1String("neu"))
                return QStringLiteral("the value did not reach the disk");
            return QString();
        };
        QString message;
        QVERIFY2(runAsUnprivileged(m_dir->path(), check, &message), qPrintable(message));
    }

    void valuesOfOtherTypesReadAsTextOrFailTheStep_data()
    {
        QTest::addColumn<QByteArray>("sqlValue");
        QTest::addColumn<QString>("expected"); // null: the read fails the step
        QTest::newRow("integer") << QByteArray("1234") << "1234";
        QTest::newRow("real") << QByteArray("12.5") << "12.5";
        QTest::newRow("blob of text") << QByteArray("X'3132'") << "12";
        QTest::newRow("blob, invalid UTF-8")
            << QByteArray("X'FFFE00C3'") << QString::fromUtf16(u"\uFFFD\uFFFD\0\uFFFD", 4);
        QTest::newRow("null") << QByteArray("NULL") << QString();
    }
    void valuesOfOtherTypesReadAsTextOrFailTheStep()
    {
        QFETCH(QByteArray, sqlValue);
        QFETCH(QString, expected);
        QDir().mkpath(folder());
        {
            // A foreign table without the NOT NULL rule, as another tool might make it.
            RawDb db(path());
            QVERIFY(db.exec(
                "CREATE TABLE settings (application TEXT, section TEXT, key TEXT COLLATE NOCASE, value, "
                "PRIMARY KEY (application, section, key))"));
            QVERIFY(db.exec("INSERT INTO settings VALUES ('MIRTAL', 'MIRTAL', 'Width', " + sqlValue + ")"));
        }
        SqliteStore store(path());
        if (expected.isNull()) {
            QVERIFY_THROWS_EXCEPTION(StoreError, store.read("width", "10"));
        } else {
            QCOMPARE(store.read("width", "10"), expected);
        }
        store.write("width", "900"); // replaced by text
        QCOMPARE(store.read("Width", "10"), QString("900"));
    }

    void foreignShapesOfTheTableNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("schema");
        QTest::addColumn<bool>("readable");
        QTest::newRow("keys differing in case")
            << QByteArray(
                   "CREATE TABLE settings (application, section, key, value);"
                   "INSERT INTO settings VALUES ('MIRTAL','MIRTAL','top','1'),('MIRTAL','MIRTAL','TOP','2')")
            << true;
        QTest::newRow("missing table") << QByteArray("CREATE TABLE other (x)") << true;
        QTest::newRow("missing column")
            << QByteArray("CREATE TABLE settings (application, section, key)") << false;
        QTest::newRow("a view in its place") << QByteArray("CREATE VIEW settings AS SELECT 1 AS x") << false;
    }
    void foreignShapesOfTheTableNeverCrash()
    {
        QFETCH(QByteArray, schema);
        QFETCH(bool, readable);
        QDir().mkpath(folder());
        {
            RawDb db(path());
            QVERIFY(db.exec(schema));
        }
        SqliteStore store(path());
        if (readable) {
            const QString top = store.read("Top", "10");
            QVERIFY2(top == "1" || top == "2" || top == "10", qPrintable(top));
        } else {
            QVERIFY_THROWS_EXCEPTION(StoreError, store.read("Top", "10"));
        }
        try {
            store.write("top", "5");
            QCOMPARE(store.read("Top", "10"), QString("5"));
        } catch (const StoreError&) {
            // a write the foreign table cannot take fails the step
        }
        QVERIFY(damagedFiles().isEmpty()); // foreign, not damaged
    }

    void aFiftyMegabyteNoteIsKeptExactly()
    {
        QString note;
        note.reserve(50 * 1024 * 1024);
        for (int i = 0; note.size() < 50 * 1024 * 1024; ++i)
            note += QStringLiteral("Zeile %1: äöü ß €\r\n").arg(i);
        {
            SqliteStore store(path());
            store.write("Pindel4", note);
        }
        SqliteStore nextRun(path());
        QCOMPARE(nextRun.read("Pindel4", QString()), note);
    }
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "test_store_faults.moc"
