// `orbo --autostart enable|disable|status`: one table of what each command
// does to the entry in the autostart folder, what it says and how it ends,
// including an entry the desktop switched off with blanks around the equals
// sign and a relative XDG_CONFIG_HOME, which the XDG rules say to ignore.
#include "handlers/AutostartCommand.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

namespace {

enum class After { None, Written, Unchanged };

const QByteArray kEntry = "[Desktop Entry]\nType=Application\nName=Pindel\nExec=/usr/bin/orbo\n";

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(After)

class TestAutostartCommand : public QObject
{
    Q_OBJECT
private slots:
    void command_data()
    {
        QTest::addColumn<bool>("relativeConfigHome");
        QTest::addColumn<QByteArray>("before"); // the entry's text; null: no entry, "dir": a folder in its place
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<After>("after");
        QTest::addColumn<QString>("says");

        const QByteArray none;
        QTest::newRow("status, no entry") << false << none << QStringList{"status"} << 1 << After::None
                                          << "Pindel does not start at login.";
        QTest::newRow("status, entry") << false << kEntry << QStringList{"status"} << 0 << After::Unchanged
                                       << "Pindel starts at login (";
        QTest::newRow("status, Hidden=true") << false << kEntry + "Hidden=true\n" << QStringList{"status"} << 1
                                             << After::Unchanged << "does not start";
        QTest::newRow("status, Hidden = true with blanks")
            << false << kEntry + "Hidden = true \n" << QStringList{"status"} << 1 << After::Unchanged
            << "does not start";
        QTest::newRow("status, Hidden=false") << false << kEntry + "Hidden=false\n" << QStringList{"status"} << 0
                                              << After::Unchanged << "starts at login (";
        QTest::newRow("status, Hidden=true of another group")
            << false << kEntry + "[Desktop Action x]\nHidden=true\n" << QStringList{"status"} << 0
            << After::Unchanged << "starts at login (";
        QTest::newRow("enable, no entry") << false << none << QStringList{"enable"} << 0 << After::Written
                                          << "Pindel now starts at login (";
        QTest::newRow("enable, switched off with blanks")
            << false << kEntry + "Hidden = true\n" << QStringList{"enable"} << 0 << After::Written << "now starts";
        QTest::newRow("enable, relative XDG_CONFIG_HOME ignored")
            << true << none << QStringList{"enable"} << 0 << After::Written << "now starts";
        QTest::newRow("enable, a folder where the entry goes")
            << false << QByteArray("dir") << QStringList{"enable"} << 1 << After::None
            << "kann nicht geschrieben werden";
        QTest::newRow("disable, entry") << false << kEntry << QStringList{"disable"} << 0 << After::None
                                        << "Pindel no longer starts at login.";
        QTest::newRow("disable, no entry") << false << none << QStringList{"disable"} << 0 << After::None
                                           << "no longer starts";
        QTest::newRow("no command") << false << kEntry << QStringList{} << 2 << After::Unchanged << "usage:";
        QTest::newRow("unknown command") << false << none << QStringList{"on"} << 2 << After::None << "usage:";
        QTest::newRow("two commands") << false << kEntry << QStringList{"disable", "status"} << 2
                                      << After::Unchanged << "usage:";
    }

    void command()
    {
        QFETCH(bool, relativeConfigHome);
        QFETCH(QByteArray, before);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(After, after);
        QFETCH(QString, says);

        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString cwd = QDir::currentPath();
        auto restoreCwd = qScopeGuard([&] { QDir::setCurrent(cwd); });
        qputenv("HOME", home.path().toUtf8());
        QString config = home.filePath("config");
        if (relativeConfigHome) {
            QVERIFY(QDir::setCurrent(home.path()));
            qputenv("XDG_CONFIG_HOME", "relative-config");
            config = home.filePath(".config");
        } else {
            qputenv("XDG_CONFIG_HOME", config.toUtf8());
        }
        const QString entry = config + "/autostart/orbo.desktop";
        if (before == "dir") {
            QVERIFY(QDir().mkpath(entry));
        } else if (!before.isNull()) {
            QVERIFY(QDir().mkpath(config + "/autostart"));
            QFile file(entry);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }

        QString said;
        QTextStream out(&said);
        QTextStream err(&said);
        const QString program = "/opt/pindel/bin/orbo";
        QCOMPARE(AutostartCommand::run(arguments, program, out, err), status);
        out.flush();
        err.flush();
        QVERIFY2(said.contains(says), qPrintable(said));
        QCOMPARE(said.count('\n'), 1);

        const QByteArray now = contents(entry);
        switch (after) {
        case After::None:
            QVERIFY(!QFileInfo(entry).isFile());
            break;
        case After::Unchanged:
            QCOMPARE(now, before);
            break;
        case After::Written:
            QVERIFY2(now.contains("\nExec=" + program.toUtf8() + '\n'), now.constData());
            QVERIFY(!now.contains("Hidden"));
            QVERIFY(said.contains(entry));
            QCOMPARE(AutostartCommand::run({"status"}, program, out, err), 0);
            break;
        }
        QVERIFY(!QFileInfo::exists(home.filePath("relative-config")));
        QCOMPARE(QDir(config + "/autostart").entryList(QDir::Files | QDir::Hidden).size(),
                 after == After::None ? 0 : 1); // nothing half-written beside it
    }
};

QTEST_GUILESS_MAIN(TestAutostartCommand)
#include "test_autostart_command.moc"
