// Earlier versions of notes and titles: which saves keep one, how they thin
// out over time and under the cap, and how the history table lives in the
// store file beside the settings, which stay as they are.
#include "RawDb.h"
#include "core/TextFingerprint.h"
#include "core/VersionRules.h"
#include "store/NoteHistory.h"
#include "store/SqliteStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 kNow = 1'800'000'000'000 - 1'800'000'000'000 % VersionRules::dayMs; // midnight UTC
constexpr qint64 kMinute = VersionRules::minuteMs;

// "key@hours:bytes" per version, oldest (lowest id) first, hours before now
// (negative: later than now); "?" for an unreadable time; "*n" for n alike.
std::vector<VersionRules::Kept> versionsFrom(const QString& list)
{
    std::vector<VersionRules::Kept> kept;
    for (const QString& item : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QRegularExpression("[@:*]"));
        for (int n = parts.size() > 3 ? parts[3].toInt() : 1; n > 0; --n) {
            VersionRules::Kept k{qint64(kept.size()), parts[0], std::nullopt, parts[2].toLongLong()};
            if (parts[1] != QLatin1String("?"))
                k.savedAtMs = kNow - qint64(parts[1].toDouble() * VersionRules::hourMs);
            kept.push_back(k);
        }
    }
    return kept;
}

} // namespace

class TestNoteHistory : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path() const { return m_dir->filePath("MIRTAL/store.sqlite3"); }

    QStringList kept(const QString& key)
    {
        RawDb db(path());
        QStringList values;
        for (int id = 1; id < 100; ++id) {
            const QString value = db.one(QStringLiteral("SELECT value FROM history WHERE id=%1 AND key='%2'")
                                             .arg(id)
                                             .arg(key)
                                             .toUtf8());
            if (value != QLatin1String("<error>"))
                values << value;
        }
        return values;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void aSaveKeepsWhatItReplacesByTheRules_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("minutesSinceNewest"); // -1: no version yet
        QTest::addColumn<bool>("keeps");
        const QString a(5000, 'a'), b(1001, 'b'), c(5000, 'c');
        QTest::newRow("unchanged") << "Notiz"
                                   << "Notiz" << 60 << false;
        QTest::newRow("nothing to replace") << ""
                                            << "Notiz" << -1 << false;
        QTest::newRow("first version of a key") << "Notiz"
                                                << "Notiz!" << -1 << true;
        QTest::newRow("typing, within five minutes") << "Notiz"
                                                     << "Notiz!" << 4 << false;
        QTest::newRow("typing, five minutes on") << "Notiz"
                                                 << "Notiz!" << 5 << true;
        QTest::newRow("wiped") << "Eine lange Notiz"
                               << "" << 0 << true;
        QTest::newRow("pasted over") << "Eine lange Notiz"
                                     << "Etwas ganz anderes" << 0 << true;
        QTest::newRow("less than half removed") << "Eine lange Notiz"
                                                << "Eine lange" << 0 << false;
        QTest::newRow("1001 characters removed") << a + b + c << a + c << 0 << true;
        QTest::newRow("1000 characters removed") << a + b.left(1000) + c << a + c << 0 << false;
        QTest::newRow("clock set back") << "Notiz"
                                        << "Notiz!" << -60 << true;
    }
    void aSaveKeepsWhatItReplacesByTheRules()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, minutesSinceNewest);
        QFETCH(bool, keeps);
        const std::optional<qint64> since =
            minutesSinceNewest == -1 ? std::nullopt : std::optional<qint64>(minutesSinceNewest * kMinute);
        QCOMPARE(VersionRules::keepsReplaced(before, after, since), keeps);
    }

    void versionsThinOutWithAgeAndUnderTheCap_data()
    {
        QTest::addColumn<QString>("versions");
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<QList<qint64>>("removed");
        const qint64 big = VersionRules::capBytes;
        const QString newest20 = " a@0:5*20"; // the newest 20 of a key stay, so the rows need more
        QTest::newRow("the last day: all stay")
            << "a@23.9:10 a@12:10 a@1:10" + newest20 << big << QList<qint64>{};
        QTest::newRow("a week: the longest of each hour")
            << "a@30.9:10 a@30.5:20 a@30.1:10 a@29.5:10" + newest20 << big << QList<qint64>{0, 2};
        QTest::newRow("90 days: one a day, the later of equals")
            << "a@245:10 a@241:10 a@200:10" + newest20 << big << QList<qint64>{0};
        QTest::newRow("older than 90 days: gone") << "a@2161:10 a@2000:10" + newest20 << big << QList<qint64>{0};
        QTest::newRow("the newest 20 of a key stay, however old")
            << "a@5000:10*21 b@0:5" << big << QList<qint64>{0};
        QTest::newRow("a bucket's longest may be among the newest 20")
            << "a@30.9:10 a@30.5:20 a@0:5*19" << big << QList<qint64>{0};
        QTest::newRow("keys are thinned apart")
            << "a@30.5:10 b@30.4:10 a@0:5*20 b@0:5*20" << big << QList<qint64>{};
        // The clock set back: versions kept then are stamped before those
        // kept earlier; with it right again, their age is unknown.
        QTest::newRow("set back: no age for a time before one kept earlier")
            << "a@3:10 a@216000:10*2 a@2:10*19" << big << QList<qint64>{1};
        QTest::newRow("set back: stamped then, kept by count")
            << "a@3:10 a@216000:10 a@2:10*19" << big << QList<qint64>{};
        // The clock ahead then: with it right now, the times lie in the future.
        QTest::newRow("ahead then: no age for a time later than now")
            << "a@-2400:10*21" << big << QList<qint64>{0};
        QTest::newRow("ahead then: later versions keep their ages")
            << "a@-2400:10 a@30.9:10 a@30.5:20 a@29:10 a@0:5*20" << big << QList<qint64>{0, 1};
        QTest::newRow("the cap: oldest first")
            << "a@5:10 a@4:10 a@3:10 a@0:10" << qint64(25) << QList<qint64>{0, 1};
        QTest::newRow("the cap: in the order of keeping, not of the times")
            << "a@-2400:10 a@216000:10 a@5:10 a@0:10" << qint64(25) << QList<qint64>{0, 1};
        QTest::newRow("the cap spares the newest of each key")
            << "a@5:10 b@4:10" << qint64(5) << QList<qint64>{};
        QTest::newRow("no readable time: kept by count, first under the cap")
            << "a@?:10 a@3000:10 a@1:10 a@0:10" << qint64(25) << QList<qint64>{0, 1};
        QTest::newRow("no readable time: thinned by count")
            << "a@?:10 a@1:10*20" << big << QList<qint64>{0};
    }
    void versionsThinOutWithAgeAndUnderTheCap()
    {
        QFETCH(QString, versions);
        QFETCH(qint64, cap);
        QFETCH(QList<qint64>, removed);
        const std::vector<qint64> ids = VersionRules::toRemove(versionsFrom(versions), kNow, cap);
        QCOMPARE(QList<qint64>(ids.begin(), ids.end()), removed);
    }

    void savesOfNotesAndTitlesKeepVersionsInTheStore()
    {
        SqliteStore store(path());
        qint64 now = kNow;
        store.setClock([&] { return now; });
        const std::pair<int, const char*> steps[] = {
            {0, "eins"}, {1, "eins zwei"}, {2, "eins zwei drei"},     {3, "eins zwei drei"}, {4, ""},
            {5, "x"},    {10, "xy"},       {11, "Ganz anderer Text"},
        };
        for (const auto& [minute, text] : steps) {
            now = kNow + minute * kMinute;
            store.write("Pindel1", QString::fromUtf8(text));
            store.write("Pindel2", QStringLiteral("Titel %1").arg(minute));
            store.write("left", QString::number(minute)); // the window's place is no note
        }
        QCOMPARE(kept("Pindel1"), (QStringList{"eins", "eins zwei drei", "x", "xy"}));
        QCOMPARE(kept("Pindel2"), (QStringList{"Titel 0", "Titel 5"})); // the first, then five minutes on
        QCOMPARE(RawDb(path()).one("SELECT count(*) FROM history WHERE key NOT IN ('Pindel1', 'Pindel2')"),
                 QString("0"));
        QCOMPARE(RawDb(path()).one("SELECT saved_at FROM history ORDER BY id LIMIT 1"),
                 QString("2027-01-15T00:01:00.000Z")); // UTC, ISO 8601 with milliseconds

        const std::vector<NoteVersion> listed = store.versions("pindel1");
        QCOMPARE(int(listed.size()), 4);
        QCOMPARE(listed.front().firstLine, QString("xy")); // newest first
        QCOMPARE(listed.front().savedAt, QDateTime::fromMSecsSinceEpoch(kNow + 11 * kMinute, Qt::UTC));
        QCOMPARE(store.versionText(listed.back().id), std::optional<QString>("eins"));
        QCOMPARE(store.versionText(9999), std::nullopt);
    }

    void aStoreWithoutHistoryIsReadUnchangedAndGainsItOnTheFirstWrite()
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        const QByteArray settings =
            "CREATE TABLE settings (application TEXT NOT NULL, section TEXT NOT NULL, "
            "key TEXT NOT NULL COLLATE NOCASE, value TEXT NOT NULL, "
            "PRIMARY KEY (application, section, key))";
        {
            RawDb old(path());
            QVERIFY(old.exec(settings));
            QVERIFY(old.exec("INSERT INTO settings VALUES ('MIRTAL', 'MIRTAL', 'Pindel1', 'alte Notiz')"));
        }
        SqliteStore store(path());
        QCOMPARE(store.read("Pindel1", ""), QString("alte Notiz"));
        QVERIFY(store.versions("Pindel1").empty());
        QCOMPARE(RawDb(path()).one("SELECT count(*) FROM sqlite_master WHERE name = 'history'"),
                 QString("0"));

        store.write("left", "100"); // the first write, of no note
        QCOMPARE(RawDb(path()).one("SELECT count(*) FROM history"), QString("0"));
        store.write("Pindel1", "neue Notiz");
        QCOMPARE(kept("Pindel1"), QStringList{"alte Notiz"});
        QCOMPARE(RawDb(path()).one("SELECT sql FROM sqlite_master WHERE name = 'settings'"),
                 QString::fromUtf8(settings));
    }

    void aVersionLandsWithItsSaveOrNotAtAll()
    {
        SqliteStore store(path());
        store.write("Pindel1", "erste Fassung");
        store.write("Pindel1", "zweite Fassung"); // the first version; the table exists now
        QVERIFY(RawDb(path()).exec("CREATE TRIGGER refuse BEFORE UPDATE ON settings "
                                   "BEGIN SELECT RAISE(ABORT, 'abgelehnt'); END"));
        QVERIFY_THROWS_EXCEPTION(StoreError, store.write("Pindel1", ""));
        QCOMPARE(kept("Pindel1"), QStringList{"erste Fassung"});
        QCOMPARE(store.read("Pindel1", ""), QString("zweite Fassung"));
    }

    // A table of another shape (an older or a later program's) keeps no
    // version, but the save goes on; what a version was due for (a wipe)
    // goes into a rescue file beside the store instead, and is told.
    void aHistoryTableOfAnotherShapeDoesNotStopSaves_data()
    {
        QTest::addColumn<QByteArray>("schema");
        QTest::newRow("other columns") << QByteArray("CREATE TABLE history (x)");
        QTest::newRow("one more NOT NULL column")
            << QByteArray("CREATE TABLE history (id INTEGER PRIMARY KEY, application TEXT NOT NULL, "
                          "section TEXT NOT NULL, key TEXT NOT NULL COLLATE NOCASE, saved_at TEXT NOT NULL, "
                          "value TEXT NOT NULL, device TEXT NOT NULL)");
    }
    void aHistoryTableOfAnotherShapeDoesNotStopSaves()
    {
        QFETCH(QByteArray, schema);
        const QString folder = QFileInfo(path()).absolutePath();
        QDir().mkpath(folder);
        QVERIFY(RawDb(path()).exec(schema));
        SqliteStore store(path());
        QStringList told;
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        store.write("Pindel1", "eins");
        store.write("Pindel1", "");
        store.write("Pindel1", "zwei");
        store.write("Pindel1", "zwei!"); // typing: no version due
        store.write("Pindel1", "");
        QCOMPARE(RawDb(path()).value("Pindel1"), std::optional<QByteArray>(""));

        QStringList rescued;
        for (const QString& name : QDir(folder).entryList({"Pindel-gerettet-*-Fassung-Pindel1*.txt"}, QDir::Files,
                                                          QDir::Time | QDir::Reversed)) {
            QFile file(folder + '/' + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            rescued << QString::fromUtf8(file.readAll());
            QVERIFY2(told.filter(name).size() == 1, qPrintable(told.join('\n')));
        }
        rescued.sort();
        QCOMPARE(rescued, (QStringList{"eins", "zwei!"}));
        QCOMPARE(told.filter("Frühere Fassungen von „Pindel1“").size(), 1); // once, not at every save
        QCOMPARE(told.size(), 3);
    }

    // A long note's replaced text is read from the file, as the store
    // remembers only its fingerprint.
    void keptOnRequestOnceAndOverAnOutsideChange_data()
    {
        QTest::addColumn<QString>("pad"); // put before the note's texts
        QTest::newRow("short") << QString();
        QTest::newRow("long") << QString(TextFingerprint::longText, QLatin1Char('.'));
    }
    void keptOnRequestOnceAndOverAnOutsideChange()
    {
        QFETCH(QString, pad);
        SqliteStore store(path());
        store.setNoticeSink([](const QString&) {});
        store.keepVersion("Pindel3", "getippt");
        store.keepVersion("Pindel3", "getippt");
        store.keepVersion("Pindel3", "");
        QCOMPARE(kept("Pindel3"), QStringList{"getippt"});

        store.write("Pindel3", pad + "meine Notiz");
        store.write("Pindel3", pad + "meine Notiz!"); // within five minutes: no version
        RawDb(path()).put("Pindel3", pad + "von außen");
        QCOMPARE(store.saveNote("Pindel3", pad + "meine Notiz!!", true), NoteSaveOutcome::WonOverOutsideChange);
        QCOMPARE(kept("Pindel3"), (QStringList{"getippt", pad + "von außen"}));
        store.write("Pindel3", ""); // a wipe keeps what it replaces
        QCOMPARE(kept("Pindel3"), (QStringList{"getippt", pad + "von außen", pad + "meine Notiz!!"}));
    }

    void oldVersionsThinOutWhenANewOneIsKept()
    {
        SqliteStore store(path());
        store.setClock([] { return kNow; });
        store.write("Pindel1", "neu"); // makes the table
        RawDb db(path());
        QStringList days{"200", "100", "50", "10"};
        for (int i = 0; i < VersionRules::newestKept; ++i)
            days << "0";
        for (const QString& day : days)
            QVERIFY(db.exec(QStringLiteral("INSERT INTO history (application, section, key, saved_at, value) "
                                           "VALUES ('MIRTAL', 'MIRTAL', 'Pindel1', '%1', 'vor %2 Tagen')")
                                .arg(NoteHistory::formatTime(kNow - day.toInt() * VersionRules::dayMs))
                                .arg(day)
                                .toUtf8()));
        store.write("Pindel1", ""); // a wipe keeps "neu", and the thinning runs
        QStringList stay;
        for (const QString& day : days.mid(2))
            stay << QStringLiteral("vor %1 Tagen").arg(day);
        stay << "neu";
        QCOMPARE(kept("Pindel1"), stay); // 200 and 100 days are over the 90; the newest 20 stay
    }

    // The store's clock set wrong for one run and right again: the saves of
    // each run thin the versions by what their clock says.
    void aWrongClockDeletesNoVersion_data()
    {
        QTest::addColumn<QStringList>("saves"); // "days from now:text" of Pindel1, in order
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("set back 9000 days, then right")
            << QStringList{"-1:gestern", "-1:", "-9000:Mein langer Text", "-9000:", "0:neu", "0:", "0:x", "0:"}
            << QStringList{"gestern", "Mein langer Text", "neu", "x"};
        QTest::newRow("set back 9000 days in the first run")
            << QStringList{"-9000:Mein langer Text", "-9000:", "0:neu", "0:", "1:x", "1:"}
            << QStringList{"Mein langer Text", "neu", "x"};
        QTest::newRow("100 days ahead, then right")
            << QStringList{"-30:vor einem Monat", "-30:", "-1:gestern", "-1:", "100:Mein langer Text", "100:",
                           "0:neu", "0:"}
            << QStringList{"vor einem Monat", "gestern", "Mein langer Text", "neu"};
    }
    void aWrongClockDeletesNoVersion()
    {
        QFETCH(QStringList, saves);
        QFETCH(QStringList, kept);
        SqliteStore store(path());
        qint64 now = kNow;
        store.setClock([&] { return now; });
        for (const QString& save : saves) {
            const qsizetype colon = save.indexOf(QLatin1Char(':'));
            now = kNow + save.left(colon).toLongLong() * VersionRules::dayMs;
            store.write("Pindel1", save.mid(colon + 1));
        }
        QCOMPARE(this->kept("Pindel1"), kept);
    }

    void versionsSurviveADamagedFile()
    {
        {
            SqliteStore store(path());
            store.write("Pindel1", "eins");
            store.write("Pindel1", "");
            store.write("Pindel4", "vier");
            store.write("Pindel4", "");
            RawDb db(path());
            db.exec("BEGIN");
            for (int i = 0; i < 2000; ++i)
                db.exec(QStringLiteral("INSERT INTO settings VALUES ('MIRTAL', 'MIRTAL', 'k%1', '%2')")
                            .arg(i)
                            .arg(QString(600, QLatin1Char('z')))
                            .toUtf8());
            db.exec("COMMIT");
            db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        }
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        file.write(QByteArray(3 * 65536, char(0x5a)));
        file.close();

        SqliteStore store(path());
        QStringList told;
        store.setNoticeSink([&](const QString& notice) { told << notice; });
        QVERIFY(store.versions("Pindel1").size() == 1);
        QCOMPARE(store.versionText(store.versions("Pindel4").front().id), std::optional<QString>("vier"));
        QVERIFY(told.join("").contains("2 frühere Fassungen wurden übernommen"));
        QCOMPARE(QFileInfo(path()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
    }
};

QTEST_GUILESS_MAIN(TestNoteHistory)
#include "test_note_history.moc"
