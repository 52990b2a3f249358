#include "AppFixture.h"
#include "handlers/AutostartToggle.h"
#include "platform/Autostart.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TrayIcon.h"
#include "ui/TrayMenu.h"

#ifdef PINDEL_STATUS_NOTIFIER
#include "platform/DBusMenuExporter.h"
#endif

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestTrayMenu : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString useConfig(const QString& name)
    {
        const QString config = m_dir.filePath(name);
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        return config + QStringLiteral("/autostart/orbo.desktop");
    }

private slots:
    void entriesInTheirOrder()
    {
        TrayMenu menu;
        QStringList texts;
        for (const QAction* a : menu.actions())
            texts << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(texts, QStringList({"&Öffnen", "Mit der &Anmeldung starten", "&Frühere Fassungen…", "-",
                                     "&Beenden"}));
        QVERIFY(menu.autostartAction()->isCheckable());
        QVERIFY(!menu.openAction()->isCheckable() && !menu.quitAction()->isCheckable());
        QVERIFY(!menu.versionsAction()->isCheckable());
    }

    // The entry names the program by its full path, quoted and escaped
    // where a desktop would otherwise misread it.
    void startAtLoginNamesTheProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "bin"
                               << "Exec=%1/bin/orbo";
        QTest::newRow("blank") << "my bin"
                               << "Exec=\"%1/my bin/orbo\"";
        QTest::newRow("dollar, quote, percent") << "a$b\"c%d"
                                                << "Exec=\"%1/a\\\\$b\\\\\"c%%d/orbo\"";
    }
    void startAtLoginNamesTheProgram()
    {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        const QString program = m_dir.filePath(folder) + "/orbo";

        const QString entry = useConfig("program-" + QString(QTest::currentDataTag()));
        QVERIFY(!Autostart::isEnabled());
        QCOMPARE(Autostart::setEnabled(true, program), std::nullopt);
        QVERIFY(contents(entry).contains(exec.arg(m_dir.path()).toUtf8() + '\n'));
        QVERIFY(contents(entry).contains("\nName=Pindel\n"));
        QCOMPARE(QFile::permissions(entry) & 0x0777,
                 QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(Autostart::isEnabled());
        QCOMPARE(Autostart::setEnabled(false, program), std::nullopt);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!Autostart::isEnabled());
    }

    void theCheckMarkFollowsTheEntry()
    {
        const QString entry = useConfig("check");
        AppFixture a;
        TrayMenu& menu = *a.app.window().tray()->menu();
        QAction* autostart = menu.autostartAction();
        QVERIFY(!autostart->isChecked());
        autostart->trigger();
        QVERIFY(autostart->isChecked());
        QVERIFY(QFile::exists(entry));
        autostart->trigger();
        QVERIFY(!autostart->isChecked());
        QVERIFY(!QFile::exists(entry));

        // Switched on by the helper, then off by the desktop's settings: the
        // mark is read again each time the menu opens.
        QCOMPARE(Autostart::setEnabled(true, "/usr/bin/orbo"), std::nullopt);
        emit menu.aboutToShow();
        QVERIFY(autostart->isChecked());
        QFile hidden(entry);
        QVERIFY(hidden.open(QIODevice::Append));
        hidden.write("Hidden=true\n");
        hidden.close();
        emit menu.aboutToShow();
        QVERIFY(!autostart->isChecked());
    }

    void aSwitchThatFailsIsToldAndLeavesTheMark_data()
    {
        QTest::addColumn<QString>("blocker"); // a file where the program needs a folder, or the reverse
        QTest::newRow("autostart folder is a file") << "autostart";
        QTest::newRow("entry is a folder") << "autostart/orbo.desktop/x";
    }
    void aSwitchThatFailsIsToldAndLeavesTheMark()
    {
        QFETCH(QString, blocker);
        const QString config = m_dir.filePath("blocked-" + QString(QTest::currentDataTag()));
        useConfig("blocked-" + QString(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(QFileInfo(config + "/" + blocker).path()));
        QFile block(config + "/" + blocker);
        QVERIFY(block.open(QIODevice::WriteOnly));
        block.close();

        TrayMenu menu;
        menu.autostartAction()->setChecked(true); // as the click leaves it
        const QString message = AutostartToggle::choose(menu, true, "/usr/bin/orbo").value_or(QString());
        QVERIFY2(message.startsWith("Der Autostart-Eintrag " + config +
                                    "/autostart/orbo.desktop kann nicht "
                                    "geschrieben werden: "),
                 qPrintable(message));
        QVERIFY(!menu.autostartAction()->isChecked());
        QCOMPARE(QDir(config + "/autostart").entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

#ifdef PINDEL_STATUS_NOTIFIER
    // What a D-Bus tray draws: the same entries, the check mark as it is
    // when the menu opens, and a click that triggers the entry.
    void theDBusTrayGetsTheSameMenu()
    {
        useConfig("dbus");
        AppFixture a;
        TrayMenu& menu = *a.app.window().tray()->menu();
        DBusMenuExporter exporter(&menu);
        const DBusMenuLayout layout = exporter.layout();
        QStringList seen;
        for (const DBusMenuLayout& entry : layout.children) {
            const QVariantMap& p = entry.properties;
            seen << (p.value("type") == "separator" ? QString("-") : p.value("label").toString());
        }
        // The menu's letters as D-Bus menus mark them.
        QCOMPARE(seen, QStringList({"_Öffnen", "Mit der _Anmeldung starten", "_Frühere Fassungen…", "-",
                                    "_Beenden"}));
        QCOMPARE(layout.children.at(1).properties.value("toggle-type"), QVariant("checkmark"));
        QCOMPARE(layout.children.at(1).properties.value("toggle-state"), QVariant(0));

        QCOMPARE(Autostart::setEnabled(true, "/usr/bin/orbo"), std::nullopt);
        QSignalSpy updated(&exporter, &DBusMenuExporter::ItemsPropertiesUpdated);
        exporter.AboutToShow(0);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(exporter.layout().children.at(1).properties.value("toggle-state"), QVariant(1));

        QSignalSpy opened(&menu, &TrayMenu::openChosen);
        exporter.Event(1, "clicked", QDBusVariant(QVariant(0)), 0);
        QTRY_COMPARE(opened.size(), 1);
        QSignalSpy versions(&menu, &TrayMenu::versionsChosen);
        exporter.Event(3, "clicked", QDBusVariant(QVariant(0)), 0);
        QTRY_COMPARE(versions.size(), 1);
        QSignalSpy quit(&menu, &TrayMenu::quitChosen);
        exporter.Event(4, "clicked", QDBusVariant(QVariant(0)), 0); // the separator
        exporter.Event(5, "hovered", QDBusVariant(QVariant(0)), 0);
        QCoreApplication::sendPostedEvents(); // where a click's action would be queued
        QCOMPARE(quit.size(), 0);
    }
#endif

    // "Öffnen" is the icon's activation; "Beenden" saves as the session end does.
    void openShowsTheWindowAndQuitSaves()
    {
        AppFixture a;
        PindelApp& app = a.app;
        app.start();
        TrayMenu* menu = app.window().tray()->menu();
        QSignalSpy activated(app.window().tray(), &TrayIcon::activationEvent);
        app.window().hide();
        menu->openAction()->trigger();
        QCOMPARE(activated.size(), 1);
        QVERIFY(app.window().isVisible());

        QTest::keyClicks(app.window().contentBox(1)->editor(), "getippt");
        a.idle().log.clear();
        menu->quitAction()->trigger();
        QVERIFY(a.idle().log.contains("write Pindel3"));
        QCOMPARE(a.store.value("Pindel3"), QString("getippt"));
        QVERIFY(a.store.log.contains("write height"));
    }
};

QTEST_MAIN(TestTrayMenu)
#include "test_tray_menu.moc"
