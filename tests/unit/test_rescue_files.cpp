#include "store/RescueFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// The rescue files: the last place typed text goes when the store refuses.
// A rescue is whole or not there at all, never takes the name of anything
// that exists, and only files with text in them are named at a start.
namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int modeOf(const QString& path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestRescueFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void fileNames_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<QString>("name");
        QTest::newRow("first") << "Karte-1" << 1 << "Pindel-gerettet-20240305-070809-Karte-1.txt";
        QTest::newRow("taken once") << "Karte-1" << 2 << "Pindel-gerettet-20240305-070809-Karte-1-2.txt";
        QTest::newRow("no folders in a label")
            << "Fassung-../a/b" << 1 << "Pindel-gerettet-20240305-070809-Fassung-___a_b.txt";
    }
    void fileNames()
    {
        QFETCH(QString, label);
        QFETCH(int, attempt);
        QFETCH(QString, name);
        const QDateTime at(QDate(2024, 3, 5), QTime(7, 8, 9));
        QCOMPARE(RescueFiles::fileName(at, label, attempt), name);
    }

    // What already has the name (an earlier rescue in the same second, a
    // clock set back, a symbolic link someone placed) stays as it is.
    void aRescueTakesNoNameThatIsTaken_data()
    {
        QTest::addColumn<QStringList>("taken"); // "file" or "link" (dangling) or "link to file"
        QTest::addColumn<QString>("suffix");
        QTest::newRow("free") << QStringList{} << "";
        QTest::newRow("a file") << QStringList{"file"} << "-2";
        QTest::newRow("a dangling link") << QStringList{"link"} << "-2";
        QTest::newRow("a link to a file") << QStringList{"link to file"} << "-2";
        QTest::newRow("two names") << QStringList{"file", "link"} << "-3";
    }
    void aRescueTakesNoNameThatIsTaken()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, suffix);
        const QString folder = m_dir->filePath("store");
        const QString elsewhere = m_dir->filePath("elsewhere.txt");
        QVERIFY(QDir().mkpath(folder));
        // Within one second of the rescue: the names it tries first.
        const QDateTime now = QDateTime::currentDateTime();
        QStringList names;
        for (const QDateTime& at : {now, now.addSecs(1)}) {
            for (int i = 0; i < taken.size(); ++i) {
                const QString name = folder + '/' + RescueFiles::fileName(at, "Karte-1", i + 1);
                if (taken[i] == "file") {
                    QFile f(name);
                    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("frühere Rettung") > 0);
                } else {
                    if (taken[i] == "link to file") {
                        QFile f(elsewhere);
                        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("fremd") > 0);
                    }
                    QVERIFY(QFile::link(elsewhere + (taken[i] == "link" ? ".none" : ""), name));
                }
            }
        }
        QString error;
        const QString file = RescueFiles::write({folder}, "Karte-1", "gerettet", &error);
        QVERIFY2(!file.isEmpty(), qPrintable(error));
        QVERIFY2(QFileInfo(file).fileName().endsWith("Karte-1" + suffix + ".txt"), qPrintable(file));
        QVERIFY(!QFileInfo(file).isSymLink());
        QCOMPARE(bytesOf(file), QByteArray("gerettet"));
        QCOMPARE(modeOf(file), 0600);
        QVERIFY(!QFileInfo::exists(elsewhere + ".none"));
        if (QFileInfo::exists(elsewhere))
            QCOMPARE(bytesOf(elsewhere), QByteArray("fremd"));
        for (const QString& name : filesIn(folder)) {
            if (name != QFileInfo(file).fileName() && !QFileInfo(folder + '/' + name).isSymLink())
                QCOMPARE(bytesOf(folder + '/' + name), QByteArray("frühere Rettung"));
        }
    }

    // A folder that cannot be made, or a write cut short (here by a file
    // size limit, as by a full disk): the next folder is tried, and what
    // could not be written whole is never left behind or named.
    void aRescueIsWholeOrNowhere_data()
    {
        QTest::addColumn<bool>("firstFolderImpossible");
        QTest::addColumn<bool>("writesCutShort");
        QTest::newRow("first folder cannot be made") << true << false;
        QTest::newRow("every write cut short") << false << true;
    }
    void aRescueIsWholeOrNowhere()
    {
        QFETCH(bool, firstFolderImpossible);
        QFETCH(bool, writesCutShort);
        QFile blocker(m_dir->filePath("a file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QStringList folders{firstFolderImpossible ? blocker.fileName() + "/MIRTAL" : m_dir->filePath("one"),
                                  m_dir->filePath("two")};
        const QString text = QString(20000, QChar(u'ä'));

        struct rlimit oldLimit = {};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        ::signal(SIGXFSZ, SIG_IGN);
        if (writesCutShort) {
            struct rlimit small = oldLimit;
            small.rlim_cur = 4096;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        QString error;
        const QString file = RescueFiles::write(folders, "Karte-2", text, &error);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        ::signal(SIGXFSZ, SIG_DFL);

        if (writesCutShort) {
            QVERIFY2(file.isEmpty(), qPrintable(file));
            QVERIFY2(error.contains(QDir::toNativeSeparators(folders[1])), qPrintable(error));
            QCOMPARE(filesIn(folders[0]), QStringList());
            QCOMPARE(filesIn(folders[1]), QStringList());
        } else {
            QCOMPARE(QFileInfo(file).absolutePath(), folders[1]);
            QCOMPARE(bytesOf(file), text.toUtf8());
            QCOMPARE(modeOf(folders[1]), 0700);
        }
    }

    // The places in order, and what a start names: files with text only,
    // with a warning for the folder emptied at logout.
    void aStartNamesRescuesWithTextInEveryPlace()
    {
        const QString home = m_dir->filePath("home");
        const QString runtime = m_dir->filePath("run");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir->filePath("state")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const QStringList places = RescueFiles::folders();
        QCOMPARE(places, (QStringList{m_dir->filePath("config/MIRTAL"), m_dir->filePath("state/MIRTAL"), home,
                                      runtime}));
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(runtime));

        QString error;
        const QString kept = RescueFiles::write({runtime}, "Karte-3", "Text", &error);
        QVERIFY2(!kept.isEmpty(), qPrintable(error));
        QFile empty(home + "/Pindel-gerettet-20240101-000000-Karte-1.txt");
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();

        QCOMPARE(RescueFiles::find(), QStringList{kept});
        QVERIFY(RescueFiles::describe({kept}).contains("Abmelden oder Neustart"));
        QVERIFY(!RescueFiles::describe({empty.fileName()}).contains("Abmelden"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestRescueFiles)
#include "test_rescue_files.moc"
