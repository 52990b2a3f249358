#include "AppFixture.h"
#include "core/CardTable.h"
#include "handlers/Autosave.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"
#include "ui/TrayIcon.h"
#include "ui/TrayMenu.h"
#include "ui/VersionsWindow.h"

#include <QPlainTextEdit>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

VersionsWindow* openedWithCtrlH(AppFixture& a, int card)
{
    a.app.window().tabStrip()->tabRow()->setCurrentIndex(card);
    QTest::keyClick(a.app.window().contentBox(card)->editor(), Qt::Key_H, Qt::ControlModifier);
    return a.app.versionsWindow();
}

QString focusedName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString("none");
}

} // namespace

class TestVersions : public QObject
{
    Q_OBJECT
private slots:
    // The replaced text (typing not yet saved included) is kept before the
    // box changes; the version is saved as typed, over another program's
    // change too; restoring the replaced text undoes the restore.
    void restoreKeepsWhatItReplacesAndSavesAsTyped_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("outsideChange");
        QTest::newRow("saved note") << 0 << "jetzt"
                                    << ""
                                    << "früher\nzweite Zeile" << false;
        QTest::newRow("unsaved typing") << 1 << "jetzt"
                                        << " getippt"
                                        << "früher" << false;
        QTest::newRow("line breaks exactly") << 2 << "a\r\nb"
                                             << ""
                                             << "x\r\ny\rz\n\r\n\rw" << false;
        QTest::newRow("empty version") << 0 << "jetzt"
                                       << ""
                                       << "" << false;
        QTest::newRow("another program changed the note") << 1 << "jetzt"
                                                          << ""
                                                          << "früher" << true;
    }
    void restoreKeepsWhatItReplacesAndSavesAsTyped()
    {
        QFETCH(int, card);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, version);
        QFETCH(bool, outsideChange);
        const QString key = kCards[size_t(card)].contentKey;
        AppFixture a;
        a.store.set(key, stored);
        a.store.addVersion(key, version, QDateTime::currentDateTimeUtc().addDays(-1));
        QVERIFY(a.startShown());
        ContentBox* box = a.app.window().contentBox(card);
        box->editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClicks(box->editor(), typed);
        const QString replaced = box->text();
        if (outsideChange)
            a.idle().set(key, "fremd");

        VersionsWindow* view = openedWithCtrlH(a, card);
        a.app.window().tabStrip()->tabRow()->setCurrentIndex((card + 1) % 3);
        QVERIFY(view && view->restoreButton()->isEnabled());
        a.idle().log.clear();
        QTest::mouseClick(view->restoreButton(), Qt::LeftButton);

        QCOMPARE(box->text(), version);
        QVERIFY(box->isModified());
        QCOMPARE(a.app.window().tabStrip()->currentIndex(), card);
        a.advance(Autosave::intervalMs);
        QCOMPARE(a.idle().value(key), version); // autosave
        const QStringList log = a.store.log;
        const qsizetype keep = log.indexOf("keep " + key);
        QVERIFY2(keep >= 0 && log.indexOf("write " + key, keep) > keep, qPrintable(log.join(", ")));
        QCOMPARE(log.contains("backup"), outsideChange);
        const auto kept = a.store.versions(key);
        QCOMPARE(a.store.versionText(kept.front().id), std::optional<QString>(replaced));
        QCOMPARE(view->currentVersion(), std::optional<qint64>(kept.front().id));

        QTest::mouseClick(view->restoreButton(), Qt::LeftButton);
        QCOMPARE(box->text(), replaced);
        a.advance(Autosave::intervalMs);
        QCOMPARE(a.idle().value(key), replaced);
    }

    // Nothing changes in the card, and the user is told why, in the window
    // and as every failure is told.
    void aRestoreThatCannotBeDoneLeavesTheCard_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("told");
        QTest::newRow("the store refuses to keep") << "refused"
                                                   << "refused keep Pindel1";
        QTest::newRow("the note was not read") << "not loaded"
                                               << "gesperrt";
        QTest::newRow("the version is gone") << "gone"
                                             << "nicht mehr aufbewahrt";
    }
    void aRestoreThatCannotBeDoneLeavesTheCard()
    {
        QFETCH(QString, cause);
        QFETCH(QString, told);
        AppFixture a;
        a.store.set("Pindel1", "jetzt");
        a.store.addVersion("Pindel1", "früher", QDateTime::currentDateTimeUtc());
        QVERIFY(a.startShown());
        ContentBox* box = a.app.window().contentBox(0);
        VersionsWindow* view = openedWithCtrlH(a, 0);
        if (cause == "refused")
            a.idle().refuse("Pindel1");
        else if (cause == "not loaded")
            box->markNotLoaded();
        else
            view->setVersions({{99, QDateTime::currentDateTimeUtc(), 3, "weg"}});
        a.idle().log.clear();

        emit view->restoreRequested();

        QCOMPARE(box->text(), QString("jetzt"));
        QVERIFY(!box->isModified());
        QVERIFY2(view->status().contains(told), qPrintable(view->status()));
        QVERIFY(view->status().contains("Karte 1 bleibt unverändert"));
        QVERIFY(a.app.reporter().lastMessage().contains(told));
        QCOMPARE(a.idle().log.contains("keep Pindel1"), cause == "refused");
    }

    void ctrlZUndoesTheRestoreAsOneStep()
    {
        AppFixture a;
        a.store.set("Pindel1", "alt");
        a.store.addVersion("Pindel1", "früher\nzwei\nZeilen", QDateTime::currentDateTimeUtc());
        QVERIFY(a.startShown());
        NoteEditor* editor = a.app.window().contentBox(0)->editor();
        editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClicks(editor, "abc");
        QTest::mouseClick(openedWithCtrlH(a, 0)->restoreButton(), Qt::LeftButton);
        QCOMPARE(a.app.window().contentBox(0)->text(), QString("früher\nzwei\nZeilen"));

        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(a.app.window().contentBox(0)->text(), QString("altabc"));
        QVERIFY(a.app.window().contentBox(0)->isModified());
    }

    // "Überschrift" lists the card's title versions, "Notiz" its note's.
    // Restoring a title stores it as "OK" does (store, tab, title box,
    // panel closed), after keeping the title it replaces and one typed on
    // the open panel; a refusal leaves the title as it was.
    void titleVersionsAreRestoredAsOkStoresThem_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("typedOnPanel"); // empty: panel closed
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("kept"); // newest first
        QTest::newRow("card 1") << 0 << "" << false << QStringList{"Einkauf", "Früher"};
        QTest::newRow("card 3, a title typed on the open panel")
            << 2 << "Entwurf" << false << QStringList{"Einkauf", "Entwurf", "Früher"};
        QTest::newRow("the store refuses") << 1 << "" << true << QStringList{"Früher"};
    }
    void titleVersionsAreRestoredAsOkStoresThem()
    {
        QFETCH(int, card);
        QFETCH(QString, typedOnPanel);
        QFETCH(bool, refused);
        QFETCH(QStringList, kept);
        const CardDefinition& def = kCards[size_t(card)];
        AppFixture a;
        a.store.set(def.titleKey, "Einkauf");
        a.store.addVersion(def.titleKey, "Früher", QDateTime::currentDateTimeUtc().addDays(-1));
        a.store.addVersion(def.contentKey, "eine Notiz", QDateTime::currentDateTimeUtc().addDays(-1));
        QVERIFY(a.startShown());
        MainWindow& w = a.app.window();
        w.tabStrip()->tabRow()->setCurrentIndex(card);
        if (!typedOnPanel.isEmpty()) {
            emit w.tabStrip()->doubleClicked();
            w.card(card).titleBox->setText(typedOnPanel);
        }
        VersionsWindow* view = openedWithCtrlH(a, card);
        QCOMPARE(view->list()->topLevelItem(0)->text(2), QString("eine Notiz"));
        QTest::mouseClick(view->titleChoice(), Qt::LeftButton);
        QCOMPARE(view->list()->topLevelItemCount(), 1);
        QCOMPARE(view->previewText(), QString("Früher"));
        if (refused)
            a.idle().refuse(def.titleKey);
        a.idle().log.clear();

        QTest::mouseClick(view->restoreButton(), Qt::LeftButton);

        const QString title = refused ? "Einkauf" : "Früher";
        QCOMPARE(w.tabStrip()->caption(card), title);
        QCOMPARE(a.idle().value(def.titleKey), title);
        QCOMPARE(a.store.log.contains("write " + def.titleKey), !refused);
        QStringList texts;
        a.store.refuseNothing();
        for (const NoteVersion& v : a.store.versions(def.titleKey))
            texts << *a.store.versionText(v.id);
        QCOMPARE(texts, kept);
        if (refused) {
            QVERIFY2(view->status().contains("bleibt unverändert"), qPrintable(view->status()));
            return;
        }
        QCOMPARE(w.card(card).titleBox->text(), title);
        QVERIFY(w.card(card).panel->isHidden());
        QCOMPARE(view->cardBox()->itemText(card), title);
        QCOMPARE(view->list()->topLevelItem(0)->text(2), QString("Einkauf"));
        QTest::mouseClick(view->noteChoice(), Qt::LeftButton);
        QCOMPARE(view->list()->topLevelItem(0)->text(2), QString("eine Notiz"));
    }

    // Cards by their titles, rows as German readers write date and size,
    // and a card with nothing kept says so.
    void theListShowsTheChosenCardsVersions()
    {
        AppFixture a;
        a.store.set("Pindel2", "Einkauf");
        a.store.set("Pindel5", "");
        const QDateTime older(QDate(2026, 12, 9), QTime(5, 35, 45));
        a.store.addVersion("Pindel3", QString(1234, 'x'), older);
        a.store.addVersion("Pindel3", "erste Zeile\r\nzweite", older.addSecs(60));
        QVERIFY(a.startShown());
        VersionsWindow* view = openedWithCtrlH(a, 0);

        QCOMPARE(view->windowTitle(), QString("Frühere Fassungen"));
        QCOMPARE(view->cardBox()->itemText(0), QString("Einkauf"));
        QCOMPARE(view->cardBox()->itemText(1), QString("Karte 2"));
        QCOMPARE(view->list()->topLevelItemCount(), 0);
        QVERIFY(view->findChild<QLabel*>("VersionsEmpty")->isVisible());
        QVERIFY(!view->restoreButton()->isEnabled());

        view->cardBox()->setCurrentIndex(1);
        QCOMPARE(view->list()->topLevelItemCount(), 2);
        const QTreeWidgetItem* newest = view->list()->topLevelItem(0);
        QCOMPARE(QStringList({newest->text(0), newest->text(1), newest->text(2)}),
                 QStringList({"09.12.2026 05:36:45", "19 Zeichen", "erste Zeile"}));
        QCOMPARE(view->list()->topLevelItem(1)->text(1), QString("1.234 Zeichen"));
        QCOMPARE(view->previewText(), QString("erste Zeile\nzweite"));
        QVERIFY(!view->findChild<QLabel*>("VersionsEmpty")->isVisible());

        view->list()->setCurrentItem(view->list()->topLevelItem(1));
        QCOMPARE(view->previewText(), QString(1234, 'x'));
    }

    // Both ways in open the one window, focused on the card chosen, with
    // the design's order for Tab and names for screen readers.
    void openedFromTheTrayMenuOrWithCtrlH_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("tray menu") << "tray";
        QTest::newRow("Ctrl+H in a note") << "note";
        QTest::newRow("Ctrl+H in a title box") << "title";
    }
    void openedFromTheTrayMenuOrWithCtrlH()
    {
        QFETCH(QString, from);
        AppFixture a;
        a.store.addVersion("Pindel4", "früher", QDateTime::currentDateTimeUtc());
        QVERIFY(a.startShown());
        MainWindow& w = a.app.window();
        w.tabStrip()->tabRow()->setCurrentIndex(2);
        emit w.tabStrip()->doubleClicked(); // the title panel open
        for (int twice = 0; twice < 2; ++twice) {
            if (from == "tray")
                w.tray()->menu()->versionsAction()->trigger();
            else if (from == "note")
                openedWithCtrlH(a, 2);
            else
                QTest::keyClick(w.card(2).titleBox->editor(), Qt::Key_H, Qt::ControlModifier);
        }
        VersionsWindow* view = a.app.versionsWindow();
        QVERIFY(view);
        int windows = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            windows += qobject_cast<VersionsWindow*>(w) ? 1 : 0;
        QCOMPARE(windows, 1);
        QVERIFY(QTest::qWaitForWindowActive(view));
        QCOMPARE(view->currentCard(), 2);
        QVERIFY(!view->list()->accessibleName().isEmpty() && !view->preview()->accessibleName().isEmpty());

        view->cardBox()->setFocus();
        QStringList walk;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walk << focusedName();
        }
        QCOMPARE(walk, QStringList({"VersionsOfNote", "VersionsList", "VersionsPreview", "VersionsRestore",
                                    "VersionsClose"}));
    }

    void everyControlByKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Alt+K") << int(Qt::Key_K) << "VersionsCard";
        QTest::newRow("Alt+F") << int(Qt::Key_F) << "VersionsList";
        QTest::newRow("Alt+V") << int(Qt::Key_V) << "VersionsPreview";
        QTest::newRow("Alt+W") << int(Qt::Key_W) << "restored";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "closed";
    }
    void everyControlByKeyboard()
    {
        QFETCH(int, key);
        QFETCH(QString, outcome);
        AppFixture a;
        a.store.addVersion("Pindel1", "früher", QDateTime::currentDateTimeUtc());
        QVERIFY(a.startShown());
        VersionsWindow* view = openedWithCtrlH(a, 0);
        QVERIFY(QTest::qWaitForWindowActive(view));
        view->closeButton()->setFocus();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        key == Qt::Key_Escape ? Qt::NoModifier : Qt::AltModifier);

        if (outcome == "restored")
            QTRY_COMPARE(a.app.window().contentBox(0)->text(), QString("früher"));
        else if (outcome == "closed")
            QVERIFY(!view->isVisible());
        else
            QCOMPARE(focusedName(), outcome);
    }
};

QTEST_MAIN(TestVersions)
#include "test_versions.moc"
