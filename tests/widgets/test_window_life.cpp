#include "AppFixture.h"
#include "WidgetHelpers.h"
#include "WindowFixture.h"
#include "app/PindelApp.h"
#include "core/Timer.h"
#include "handlers/Closing.h"
#include "handlers/MarqueeTick.h"
#include "handlers/Resize.h"
#include "handlers/SaveNotes.h"
#include "handlers/Restore.h"
#include "handlers/Startup.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"
#include "ui/ContentBox.h"
#include "ui/TabStrip.h"
#include "ui/TrayIcon.h"

#include <QCloseEvent>
#include <QtTest>
#include <cmath>

using namespace WidgetHelpers;

namespace {

const QStringList kCloseWrites{"write Pindel1", "write Pindel3", "write Pindel4", "write left",
                               "write top",     "write width",   "write height"};

// Pixels of a size in twips at the offscreen platform's 96 DPI.
int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

} // namespace

class TestWindowLife : public QObject
{
    Q_OBJECT
private slots:
    void closeRequestWritesSevenKeysInOrderAndHides()
    {
        WindowFixture f;
        Startup::loadStep(f.ctx);
        f.window.show();
        f.window.contentBox(1)->setText("Karte zwei\r\nZeile 2");
        f.window.setLeftTwips(-120);
        f.window.setTopTwips(300);
        f.window.setWidthTwips(2400);
        f.window.setHeightTwips(700);
        for (int round = 0; round < 2; ++round) {
            f.store.log.clear();
            QCloseEvent event;
            QVERIFY(!Closing::closeRequest(f.ctx, &event));
            QVERIFY(!event.isAccepted());
            QCOMPARE(f.store.log, kCloseWrites);
        }
        QCOMPARE(f.store.value("Pindel1"), Startup::loadHint());
        QCOMPARE(f.store.value("Pindel3"), QString("Karte zwei\r\nZeile 2"));
        QCOMPARE(f.store.value("Pindel4"), QString());
        QCOMPARE(f.store.value("Top"), QString("300"));
        QCOMPARE(f.store.value("left"), QString("-120"));
        QCOMPARE(f.store.value("Width"), QString("2400"));
        QCOMPARE(f.store.value("Height"), QString("700"));
        // Without a tray a hidden window could not come back: it is minimised.
        QVERIFY(!f.window.tray()->isInTray());
        QVERIFY(f.window.isMinimized() || !f.window.isVisible());
        QVERIFY(!f.store.contains("Pindel2")); // titles are not saved by closing
    }

    void aRefusedWriteEndsTheCloseRequestAndKeepsTheWindow()
    {
        WindowFixture f;
        f.window.show();
        f.window.contentBox(0)->setText("eins");
        f.store.refuse("Pindel3");
        QCloseEvent event;
        const auto failure = Closing::closeRequest(f.ctx, &event);
        QVERIFY(failure);
        QVERIFY(!event.isAccepted());
        QCOMPARE(f.store.log, QStringList({"write Pindel1", "write Pindel3"}));
        QCOMPARE(f.store.value("Pindel1"), QString("eins"));
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.window.isMinimized());
    }

    void focusLossWritesOnlyTheContents()
    {
        WindowFixture f;
        f.window.contentBox(2)->setText("drei");
        SaveNotes::inBackground(f.ctx, &f.window);
        QCOMPARE(f.idle().log, QStringList({"write Pindel1", "write Pindel3", "write Pindel4"}));
        QCOMPARE(f.store.value("Pindel4"), QString("drei"));
    }

    void deactivatingTheShownWindowSavesTheContents()
    {
        AppFixture a;
        PindelApp& app = a.app;
        QVERIFY(a.start());
        showAndActivate(app.window());
        QTRY_VERIFY(countOf(a.idle().log, "read Pindel1") == 2); // activation has run
        app.window().contentBox(0)->setFocus();
        QTest::keyClicks(app.window().contentBox(0)->editor(), "neu");
        a.idle().log.clear();
        QWidget other;
        showAndActivate(other);
        QTRY_VERIFY(a.idle().log.contains("write Pindel1"));
        QVERIFY(a.store.value("Pindel1").endsWith("neu") || a.store.value("Pindel1").startsWith("neu"));
        QVERIFY(!a.store.log.contains("write left"));
        QCOMPARE(app.reporter().toldCount(), 0);
    }

    // The start displays the icon and reads the notes on the store's worker.
    // A click on the icon before they are in runs the load step first and
    // shows the stored notes; an end before it writes nothing: not the
    // empty boxes over the notes, nor the default size over the stored one.
    void whatComesBeforeTheNotesAreReadWaitsForThem_data()
    {
        QTest::addColumn<bool>("click");
        QTest::newRow("a click on the icon") << true;
        QTest::newRow("the end of the session") << false;
    }
    void whatComesBeforeTheNotesAreReadWaitsForThem()
    {
        QFETCH(bool, click);
        AppFixture a;
        PindelApp& app = a.app;
        a.store.set("Pindel1", "die Notiz");
        a.store.set("width", "3000");
        app.start();
        QVERIFY(app.window().tray()->display());
        QVERIFY(!app.isStarted()); // the load step waits for the event loop
        QVERIFY(!app.window().contentBox(0)->isLoaded());
        if (click) {
            app.restoreFromTray();
            QCOMPARE(app.window().contentBox(0)->text(), QString("die Notiz"));
            QVERIFY(app.window().isVisible());
            QTest::keyClicks(app.window().contentBox(0)->editor(), "neu: ");
            QCoreApplication::processEvents(); // what was read ahead arrives late
            QVERIFY(app.window().isVisible());
            QCOMPARE(app.window().contentBox(0)->text(), QString("neu: die Notiz"));
            QCOMPARE(app.window().widthTwips(), 3000.0f);
        } else {
            app.endSession();
            QCOMPARE(a.idle().value("Pindel1"), QString("die Notiz"));
            QCOMPARE(a.store.value("width"), QString("3000"));
            QVERIFY(!a.store.log.join(' ').contains("write"));
        }
    }

    void restoreWithAnEmptyStore()
    {
        WindowFixture f;
        f.marquee = {300, 1};
        Restore::restore(f.ctx);
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.marquee.position, qint64(0));
        QCOMPARE(f.marquee.stopFlag, 0);
        for (int i = 0; i < kCardCount; ++i) {
            QCOMPARE(f.window.contentBox(i)->text(), QString());
            QCOMPARE(f.window.card(i).titleBox->text(), QString()); // no title defaults here
        }
        QCOMPARE(f.window.leftTwips(), 10.0f);
        QCOMPARE(f.window.topTwips(), 10.0f);
        QCOMPARE(f.window.widthTwips(), 5000.0f);
        QCOMPARE(f.window.heightTwips(), 2000.0f);
        QVERIFY(f.window.tray()->display());
        QCOMPARE(f.store.log,
                 QStringList({"read Pindel1", "read Pindel2", "read Pindel3", "read Pindel4", "read Pindel5",
                              "read Pindel6", "read left", "read Top", "read Width", "read Height"}));
    }

    void restoreThenActivationFillsTheTitlesAndTheHint()
    {
        WindowFixture f;
        f.store.set("Pindel3", "zwei");
        Restore::restore(f.ctx);
        QCOMPARE(f.window.card(0).titleBox->text(), QString());
        Startup::activation(f.ctx); // on X11 it follows once the window is active
        QCOMPARE(f.window.card(0).titleBox->text(), QString("Karte #1"));
        QCOMPARE(f.window.tabStrip()->caption(1), QString("Karte #2"));
        QCOMPARE(f.window.contentBox(0)->text(), Startup::activationHint());
        QCOMPARE(f.window.contentBox(1)->text(), QString("zwei"));
    }

    void restoreSkipsANonNumberWidth()
    {
        WindowFixture f;
        f.window.setWidthTwips(6000);
        f.store.set("width", "breit");
        f.store.set("height", "3000");
        Restore::restore(f.ctx);
        QCOMPARE(f.window.heightTwips(), 3000.0f);
        QVERIFY(f.window.tray()->display());
        QCOMPARE(f.store.log.last(), QString("read Height"));
    }

    void restoreOfAShownWindowKeepsUnsavedEdits()
    {
        WindowFixture f;
        f.store.set("Pindel3", "alt");
        Restore::restore(f.ctx);
        QTest::keyClicks(f.window.contentBox(1)->editor(), "neu ");
        Restore::restore(f.ctx); // the tray icon clicked again
        QCOMPARE(f.window.contentBox(1)->text(), QString("neu alt"));
        QCOMPARE(f.idle().value("Pindel3"), QString("neu alt"));
    }

    void restoreOfAShownWindowThatCannotSaveLeavesTheBoxes()
    {
        WindowFixture f;
        Restore::restore(f.ctx);
        QTest::keyClicks(f.window.contentBox(0)->editor(), "ungespeichert");
        f.store.refuse("Pindel1");
        Restore::restore(f.ctx);
        QCOMPARE(f.window.contentBox(0)->text(), QString("ungespeichert"));
        QTRY_COMPARE(f.reporter.toldCount(), 1);
        // Minimised, nothing is saved before the reload, and the typing still
        // stays, undo history and all.
        f.window.showMinimized();
        f.store.refuseNothing();
        f.store.set("Pindel1", "aus dem Speicher");
        Restore::restore(f.ctx);
        QCOMPARE(f.window.contentBox(0)->text(), QString("ungespeichert"));
        QVERIFY(f.window.contentBox(0)->editor()->isUndoAvailable());
    }

    void resizeFollowsTheWindow_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("stripWidth");
        QTest::addColumn<int>("stripHeight");
        QTest::addColumn<int>("boxWidth"); // -1: keeps its size
        QTest::addColumn<int>("boxHeight");
        QTest::newRow("design size") << 7475 << 5685 << 7275 << 5215 << 7095 << 4815;
        QTest::newRow("700 high") << 6000 << 700 << 5800 << 230 << 5620 << -1;
        QTest::newRow("300 wide") << 300 << 3000 << 100 << 2530 << -1 << 2130;
        QTest::newRow("exactly 380 wide") << 380 << 3000 << 180 << 2530 << 0 << 2130;
    }
    void resizeFollowsTheWindow()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, stripWidth);
        QFETCH(int, stripHeight);
        QFETCH(int, boxWidth);
        QFETCH(int, boxHeight);
        WindowFixture f;
        const QSize before = f.window.contentBox(0)->size();
        f.window.setMinimumSize(0, 0);
        f.window.setWidthTwips(float(width));
        f.window.setHeightTwips(float(height));
        Resize::apply(f.window);
        QCOMPARE(f.window.tabStrip()->width(), px(stripWidth));
        QCOMPARE(f.window.tabStrip()->height(), px(stripHeight));
        for (int card = 0; card < kCardCount; ++card) {
            const QSize box = f.window.contentBox(card)->size();
            QCOMPARE(box.width(), boxWidth < 0 ? before.width() : px(boxWidth));
            QCOMPARE(box.height(), boxHeight < 0 ? before.height() : px(boxHeight));
            QCOMPARE(f.window.contentBox(card)->pos(), QPoint(4, 24)); // 60, 360 twips: never moves
        }
        QCOMPARE(f.window.card(0).panel->size(), QSize(165, 85)); // panels keep their design size
    }

    void resizeAfterASkippedStepSizesNormallyAgain()
    {
        WindowFixture f;
        f.window.setMinimumSize(0, 0); // below the window's own minimum
        f.window.setWidthTwips(300);
        f.window.setHeightTwips(3000);
        Resize::apply(f.window);
        f.window.setWidthTwips(7475);
        Resize::apply(f.window);
        QCOMPARE(f.window.contentBox(2)->width(), px(7095));
    }

    void tickShowsTheMarqueeAndSkipsUnchangedTexts()
    {
        WindowFixture f;
        QCOMPARE(f.window.windowTitle(), QString("MIR-TAL Orbo -  Pindel ! (Inhalt bleibt immer erhalten)"));
        QCOMPARE(f.window.tray()->tipText(), QString("öffnen MIRTAL Pindelfenster"));
        MarqueeTick::tick(f.ctx);
        QCOMPARE(f.window.windowTitle(), QString(" MIR-TAL ORBO     ") + QString(30, ' '));
        QCOMPARE(f.window.tray()->tipText(), QString(" MIR-TAL Orbo -  Pindel ! (Inh"));
        f.marquee = {209, 0};
        MarqueeTick::tick(f.ctx); // 210: the caption freezes
        QCOMPARE(f.marquee.stopFlag, 1);
        QCOMPARE(f.window.windowTitle(), QString(" MIR-TAL ORBO     ") + QString(30, ' '));
        QSignalSpy titleChanges(&f.window, &QWidget::windowTitleChanged);
        for (int i = 0; i < 5; ++i)
            MarqueeTick::tick(f.ctx);
        QCOMPARE(titleChanges.count(), 0);
        QCOMPARE(f.window.tray()->tipText(), QString());
    }

    void timerTicksEveryTwoHundredMilliseconds()
    {
        AppFixture a;
        MainWindow& w = a.app.window();
        QCOMPARE(a.app.findChild<Timer*>("Timer1")->interval(), 200);
        a.clock.advance(199);
        QCOMPARE(w.windowTitle(), MainWindow::designCaption);
        a.clock.advance(1);
        QCOMPARE(w.windowTitle(), QString(" MIR-TAL ORBO     ") + QString(30, ' '));
        QCOMPARE(w.tray()->tipText(), QString(" MIR-TAL Orbo -  Pindel ! (Inh"));
        a.clock.advance(200);
        QCOMPARE(w.tray()->tipText(), QString("MIR-TAL Orbo -  Pindel ! (Inha"));
    }
};

QTEST_MAIN(TestWindowLife)
#include "test_window_life.moc"
