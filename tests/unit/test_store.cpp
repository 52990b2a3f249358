#include "RawDb.h"
#include "core/TextFingerprint.h"
#include "platform/StoreLocation.h"
#include "store/SqliteStore.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Put before a value, it makes a long one, which the store remembers by its
// fingerprint only.
const QString kLong(TextFingerprint::longText, QLatin1Char('.'));

void addShortAndLongRows()
{
    QTest::addColumn<QString>("pad");
    QTest::newRow("short") << QString();
    QTest::newRow("long") << kLong;
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("MIRTAL/store.sqlite3")); }

private slots:
    void init()
    {
        QFile::remove(path());
        QFile::remove(path() + "-wal");
        QFile::remove(path() + "-shm");
        QFile::remove(path() + ".bak");
    }

    void valuesComeBackExactly_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString("");
        QTest::newRow("blanks only") << QString("   ");
        QTest::newRow("leading and trailing blanks") << QString("  note  ");
        QTest::newRow("CRLF") << QString("a\r\nb\r\n");
        QTest::newRow("lone CR") << QString("a\rb\r");
        QTest::newRow("lone LF") << QString("a\nb\n");
        QTest::newRow("tab") << QString("a\tb");
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("BOM at start") << QString::fromUtf16(u"\uFEFFnote");
        QTest::newRow("quotes") << QString("'\"`");
        QTest::newRow("backslashes") << QString("C:\\Pfad\\n\\\\");
        QTest::newRow("umlauts and sharp s") << QString::fromUtf8("ÄÖÜäöüß");
        QTest::newRow("emoji") << QString::fromUtf8("Notiz 📌");
        QTest::newRow("control characters") << QString::fromUtf16(u"\u0001\u0007\u001b\u007f");
        QString big;
        big.reserve(10 * 1024 * 1024);
        for (int i = 0; big.size() < 10 * 1024 * 1024; ++i)
            big += QStringLiteral("Zeile %1 mit Umlauten äöü und Tab\t\r\n").arg(i);
        QTest::newRow("10 MB multi-line") << big;
    }
    void valuesComeBackExactly()
    {
        QFETCH(QString, value);
        {
            SqliteStore store(path());
            store.write(QStringLiteral("Pindel1"), value);
            QCOMPARE(store.read(QStringLiteral("Pindel1"), QStringLiteral("default")), value);
        }
        RawDb other(path());
        const auto raw = other.value(QStringLiteral("Pindel1"));
        QVERIFY(raw.has_value());
        QCOMPARE(QString::fromUtf8(*raw), value);
        SqliteStore nextRun(path());
        QCOMPARE(nextRun.read(QStringLiteral("Pindel1"), QStringLiteral("default")), value);
    }

    void keysIgnoreCaseAndMissingKeysGiveTheDefault()
    {
        SqliteStore store(path());
        QCOMPARE(store.read("Top", "10"), QString("10"));
        QVERIFY2(!QFileInfo::exists(path()), "reading an empty store creates nothing");
        store.write("top", "300");
        store.write("width", "900");
        QCOMPARE(store.read("Top", "10"), QString("300"));
        QCOMPARE(store.read("WIDTH", "10"), QString("900"));
        store.write("Top", "-120");
        RawDb other(path());
        QCOMPARE(QString::fromUtf8(other.value("top").value()), QString("-120"));
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(other.db(), "SELECT count(*) FROM settings", -1, &st, nullptr);
        sqlite3_step(st);
        QCOMPARE(sqlite3_column_int(st, 0), 2);
        sqlite3_finalize(st);
        store.write("Pindel2", "");
        QCOMPARE(store.read("Pindel2", "Karte #1"), QString(""));
    }

    void tableIsTheDocumentedOne()
    {
        SqliteStore(path()).write("Pindel1", "x");
        RawDb other(path());
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(other.db(), "SELECT sql FROM sqlite_master WHERE name='settings'", -1, &st,
                           nullptr);
        QCOMPARE(sqlite3_step(st), SQLITE_ROW);
        QCOMPARE(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
            QString(
                "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL "
                "COLLATE NOCASE, value TEXT NOT NULL, PRIMARY KEY (application, section, key))"));
        sqlite3_finalize(st);
        sqlite3_prepare_v2(other.db(), "PRAGMA journal_mode", -1, &st, nullptr);
        sqlite3_step(st);
        QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                 QString("wal"));
        sqlite3_finalize(st);
    }

    // New files get large pages (big notes save twice as fast); a file made
    // before, or by another tool, keeps its pages and its notes.
    void newFilesGetLargePagesAndOldFilesKeepTheirs()
    {
        SqliteStore(path()).write("Pindel1", "neu");
        QCOMPARE(RawDb(path()).one("PRAGMA page_size"), QString("65536"));

        init();
        QDir().mkpath(QFileInfo(path()).absolutePath());
        {
            RawDb old(path());
            QVERIFY(old.exec("PRAGMA page_size=4096"));
            QVERIFY(old.exec(
                "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT "
                "NULL COLLATE NOCASE, value TEXT NOT NULL, PRIMARY KEY (application, section, key))"));
            old.put("Pindel1", "alt");
        }
        SqliteStore store(path());
        QCOMPARE(store.read("Pindel1", "-"), QString("alt"));
        const QString big = QString("Zeile\n").repeated(300000);
        store.write("Pindel3", big);
        QCOMPARE(RawDb(path()).one("PRAGMA page_size"), QString("4096"));
        QCOMPARE(RawDb(path()).value("Pindel3"), std::optional<QByteArray>(big.toUtf8()));
    }

    // Beyond the threshold a fingerprint stands for the text: equal exactly
    // when the texts are, whichever buffer holds them.
    void fingerprintsAreEqualExactlyWhenTheTextsAre_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("short, equal") << "Notiz"
                                      << "Notiz" << true;
        QTest::newRow("short, one letter") << "Notiz"
                                           << "Notiy" << false;
        QTest::newRow("at the threshold, last letter") << kLong << kLong.chopped(1) + 'x' << false;
        QTest::newRow("long, equal") << kLong + "Ende" << kLong + "Ende" << true;
        QTest::newRow("long, first letter") << 'x' + kLong << 'y' + kLong << false;
        QTest::newRow("long, last letter") << kLong + "Ende" << kLong + "Endf" << false;
        QTest::newRow("long, high byte of the last character")
            << kLong + QChar(0x0041) << kLong + QChar(0x0141) << false;
        QTest::newRow("long, one longer") << kLong + "E" << kLong + "EE" << false;
    }
    void fingerprintsAreEqualExactlyWhenTheTextsAre()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, equal);
        const QString copyOfB(b.constData(), b.size());
        QCOMPARE(TextFingerprint(a) == TextFingerprint(copyOfB), equal);
        QCOMPARE(TextFingerprint(a).matches(copyOfB), equal);
        QCOMPARE(TextFingerprint(a).isLong(), a.size() > TextFingerprint::longText);
    }

    void unchangedValuesSkipTheDiskUnlessChangedElsewhere_data() { addShortAndLongRows(); }
    void unchangedValuesSkipTheDiskUnlessChangedElsewhere()
    {
        QFETCH(QString, pad);
        SqliteStore store(path());
        store.write("Pindel3", pad + "Notiz");
        QCOMPARE(store.diskWrites(), 1);
        store.write("pindel3", pad + "Notiz");
        QCOMPARE(store.diskWrites(), 1);
        store.write("pindel3", pad + "Notiy"); // as long, one letter changed
        QCOMPARE(store.diskWrites(), 2);
        // Another program changes the key: the same value must be written again.
        RawDb other(path());
        QVERIFY(other.exec("UPDATE settings SET value='fremd' WHERE key='Pindel3'"));
        store.write("Pindel3", pad + "Notiy");
        QCOMPARE(store.diskWrites(), 3);
        QCOMPARE(QString::fromUtf8(other.value("Pindel3").value()), pad + "Notiy");
    }

    // Reads are answered from what this store last read or wrote until
    // another program changes the file; a long value is read from the file.
    void readsSeeChangesMadeElsewhere_data() { addShortAndLongRows(); }
    void readsSeeChangesMadeElsewhere()
    {
        QFETCH(QString, pad);
        SqliteStore store(path());
        store.write("Pindel1", pad + "eigene");
        QCOMPARE(store.read("pindel1", "x"), pad + "eigene");
        RawDb other(path());
        other.put("Pindel1", pad + "fremde");
        QCOMPARE(store.read("Pindel1", "x"), pad + "fremde");
        QCOMPARE(store.read("Pindel1", "x"), pad + "fremde");
        QVERIFY(other.exec("DELETE FROM settings WHERE key='Pindel1'"));
        QCOMPARE(store.read("Pindel1", "x"), QString("x"));
        store.write("Pindel1", pad + "wieder");
        QCOMPARE(store.read("PINDEL1", "x"), pad + "wieder");
    }

    // Another program changes a note between this program's read and its
    // save: an unedited note is left as the other program wrote it, an
    // edited one wins after the store was copied to the backup, and the same
    // text from both is simply written.
    void aNoteChangedElsewhereIsNeverRevertedUnlessEdited_data()
    {
        QTest::addColumn<QString>("pad");
        QTest::addColumn<QString>("outside");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("stored");
        for (const QString& pad : {QString(), kLong}) {
            const QByteArray size = pad.isEmpty() ? "short, " : "long, ";
            QTest::newRow(size + "unchanged, not edited")
                << pad << QString() << false << int(NoteSaveOutcome::Written) << "Im Feld";
            QTest::newRow(size + "changed, not edited")
                << pad << "Fremdes" << false << int(NoteSaveOutcome::KeptOutsideChange) << "Fremdes";
            QTest::newRow(size + "changed, edited")
                << pad << "Fremdes" << true << int(NoteSaveOutcome::WonOverOutsideChange) << "Im Feld";
            QTest::newRow(size + "changed to the same text")
                << pad << "Im Feld" << false << int(NoteSaveOutcome::Written) << "Im Feld";
        }
    }
    void aNoteChangedElsewhereIsNeverRevertedUnlessEdited()
    {
        QFETCH(QString, pad);
        QFETCH(QString, outside);
        QFETCH(bool, edited);
        QFETCH(int, outcome);
        QFETCH(QString, stored);
        SqliteStore store(path());
        store.setNoticeSink([](const QString&) {});
        store.write("Pindel3", pad + "Geladen");
        QCOMPARE(store.read("Pindel3", ""), pad + "Geladen");
        RawDb other(path());
        if (!outside.isNull())
            other.put("Pindel3", pad + outside);
        QCOMPARE(int(store.saveNote("Pindel3", pad + "Im Feld", edited)), outcome);
        QCOMPARE(QString::fromUtf8(other.value("Pindel3").value()), pad + stored);
        QCOMPARE(QFileInfo::exists(store.backupPath()), outcome == int(NoteSaveOutcome::WonOverOutsideChange));
        // Once written, the note is what the program last saw: no conflict, and no write of the same text.
        const int writes = store.diskWrites();
        QCOMPARE(store.saveNote("Pindel3", pad + stored, false), NoteSaveOutcome::Written);
        QCOMPARE(store.diskWrites(), writes);
    }

    void aLockHeldElsewhereFailsTheWriteWithAClearCause()
    {
        SqliteStore store(path());
        store.write("Pindel1", "alt");
        RawDb other(path());
        QVERIFY(other.exec("BEGIN IMMEDIATE"));
        try {
            store.write("Pindel1", "neu");
            QFAIL("the write went through despite the lock");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains("Pindel1") && e.message().contains("store.sqlite3"),
                     qPrintable(e.message()));
        }
        QVERIFY(other.exec("COMMIT"));
        store.write("Pindel1", "neu"); // the cause is gone: the next write succeeds
        QCOMPARE(QString::fromUtf8(other.value("Pindel1").value()), QString("neu"));
    }

    void notAStoreFileIsMovedAsideNotWrittenOver()
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        SqliteStore store(path());
        QString told;
        store.setNoticeSink([&](const QString& notice) { told = notice; });
        QCOMPARE(store.read("Pindel1", "leer"), QString("leer"));
        const QStringList aside =
            QDir(QFileInfo(path()).absolutePath()).entryList({"store.sqlite3.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(QFileInfo(path()).absolutePath() + "/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray(4096, 'x'));
        QVERIFY2(told.contains(aside.first()), qPrintable(told));
        store.write("Pindel1", "neu");
        QCOMPARE(store.read("Pindel1", ""), QString("neu"));
        for (const QString& name : aside)
            QFile::remove(QFileInfo(path()).absolutePath() + "/" + name);
    }

    void filesArePrivateWhateverTheUmask()
    {
        const mode_t old = ::umask(0);
        {
            SqliteStore store(path());
            store.write("Pindel1", "geheim");
            QCOMPARE(fileMode(QFileInfo(path()).absolutePath()), 0700);
            QCOMPARE(fileMode(path()), 0600);
            QVERIFY(QFileInfo::exists(path() + "-wal"));
            QCOMPARE(fileMode(path() + "-wal"), 0600);
            QCOMPARE(fileMode(path() + "-shm"), 0600);
        }
        ::chmod(QFile::encodeName(path()).constData(), 0644);
        SqliteStore again(path());
        QCOMPARE(again.read("Pindel1", ""), QString("geheim"));
        QCOMPARE(fileMode(path()), 0600);
        ::umask(old);
    }

    void locationFollowsXdgConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", "/tmp/pindel-xdg");
        QCOMPARE(StoreLocation::defaultPath(), QString("/tmp/pindel-xdg/MIRTAL/store.sqlite3"));
        qputenv("XDG_CONFIG_HOME", "relative/ignored");
        QCOMPARE(StoreLocation::defaultPath(), QDir::homePath() + "/.config/MIRTAL/store.sqlite3");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(StoreLocation::defaultPath(), QDir::homePath() + "/.config/MIRTAL/store.sqlite3");
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
