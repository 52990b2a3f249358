#include "WindowFixture.h"
#include "handlers/SaveNotes.h"
#include "handlers/Startup.h"
#include "ui/ContentBox.h"
#include "ui/TabStrip.h"
#include "ui/TrayIcon.h"

#include <QtTest>

namespace {
const QStringList kReadOrder{"read Pindel1", "read Pindel2", "read Pindel3", "read Pindel4", "read Pindel5",
                             "read Pindel6", "read left",    "read Top",     "read Width",   "read Height"};
}

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void hintsHaveTheirExactForm()
    {
        QCOMPARE(Startup::loadHint().size(), 74);
        QCOMPARE(Startup::activationHint().size(), 73);
        QCOMPARE(Startup::loadHint(),
                 QString::fromUtf8(
                     "Fügen Sie einen Verweis dieses \rProgrammes in ihren\r AUTOSTART Ordner ein."));
        QCOMPARE(
            Startup::activationHint(),
            QString::fromUtf8("Fügen Sie einen Verweis dieses \nProgrammes in ihren\n AUTOSTART Ordner ein"));
    }

    void loadStepWithAnEmptyStore()
    {
        WindowFixture f;
        QVERIFY(!Startup::loadStep(f.ctx));
        QCOMPARE(f.store.log, kReadOrder);
        QCOMPARE(f.window.contentBox(0)->text(), Startup::loadHint());
        QCOMPARE(f.window.contentBox(1)->text(), QString());
        QCOMPARE(f.window.contentBox(2)->text(), QString());
        for (int i = 0; i < kCardCount; ++i) {
            QCOMPARE(f.window.card(i).titleBox->text(), QString("Karte #%1").arg(i + 1));
            QCOMPARE(f.window.tabStrip()->caption(i), QString("Karte #%1").arg(i + 1));
        }
        QCOMPARE(f.window.leftTwips(), 10.0f);
        QCOMPARE(f.window.topTwips(), 10.0f);
        QCOMPARE(f.window.widthTwips(), 5000.0f);
        QCOMPARE(f.window.heightTwips(), 2000.0f);
        QVERIFY(f.window.tray()->display());
        // No tray on this platform: the window stays on screen instead of hiding.
        QVERIFY(!f.window.tray()->isInTray());
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.store.size(), 0); // reading writes nothing
    }

    void hintOnlyForExactlyEmptyCard1()
    {
        WindowFixture f;
        f.store.set("Pindel1", " ");
        Startup::loadStep(f.ctx);
        QCOMPARE(f.window.contentBox(0)->text(), QString(" "));
        f.store.set("Pindel1", "");
        Startup::activation(f.ctx);
        QCOMPARE(f.window.contentBox(0)->text(), Startup::activationHint());
    }

    void storedEmptyTitleGivesAnEmptyCaption()
    {
        WindowFixture f;
        f.store.set("Pindel5", "");
        f.store.set("Pindel6", "Einkauf & Co");
        Startup::loadStep(f.ctx);
        QCOMPARE(f.window.tabStrip()->caption(1), QString());
        QCOMPARE(f.window.tabStrip()->caption(2), QString("Einkauf & Co"));
        QCOMPARE(f.window.tabStrip()->tabRow()->tabText(2), QString("Einkauf && Co"));
    }

    void loadStepStopsAtANonNumberWidth()
    {
        WindowFixture f;
        f.store.set("left", "100");
        f.store.set("top", "200");
        f.store.set("width", "breit");
        f.store.set("height", "3000");
        const auto failure = Startup::loadStep(f.ctx);
        QVERIFY(failure);
        QVERIFY2(failure->contains("Width"), qPrintable(*failure));
        QCOMPARE(f.store.log.last(), QString("read Width"));
        QCOMPARE(f.window.leftTwips(), 100.0f);
        QCOMPARE(f.window.topTwips(), 200.0f);
        QVERIFY(f.window.heightTwips() != 3000.0f);
        QVERIFY(!f.window.tray()->display());
        QVERIFY(!f.window.isVisible()); // the caller leaves it on screen
    }

    void activationSkipsOnlyANonNumberWidth()
    {
        WindowFixture f;
        Startup::loadStep(f.ctx);
        f.marquee = {150, 1};
        f.store.set("width", "breit");
        f.store.set("height", "3000");
        f.store.set("Pindel3", "Zwei");
        f.store.log.clear();
        Startup::activation(f.ctx);
        QCOMPARE(f.store.log, kReadOrder);
        QCOMPARE(f.marquee.position, qint64(0));
        QCOMPARE(f.marquee.stopFlag, 0);
        QCOMPARE(f.window.widthTwips(), 5000.0f);
        QCOMPARE(f.window.heightTwips(), 3000.0f);
        QCOMPARE(f.window.contentBox(1)->text(), QString("Zwei"));
        QVERIFY(f.window.tray()->display());
    }

    void activationSkipsARefusedRead()
    {
        WindowFixture f;
        f.store.set("Pindel1", "eins");
        f.store.set("Pindel4", "drei");
        f.store.refuse("Pindel3");
        Startup::activation(f.ctx);
        QCOMPARE(f.window.contentBox(0)->text(), QString("eins"));
        QCOMPARE(f.window.contentBox(2)->text(), QString("drei"));
        QCOMPARE(f.store.log, kReadOrder);
    }

    // A note the store would not give at start is never written over: not by
    // the hint, not by a save, not by typing; it is read again at the next
    // activation and the user is told.
    void aNoteThatFailedToLoadIsNeverWrittenUntilRead()
    {
        WindowFixture f;
        f.store.set("Pindel1", "die echte Notiz");
        f.store.refuse("Pindel1");
        QVERIFY(Startup::loadStep(f.ctx));
        ContentBox* card1 = f.window.contentBox(0);
        QVERIFY(!card1->isLoaded());
        QVERIFY(card1->text().isEmpty()); // no hint in place of the note
        QVERIFY(card1->editor()->isReadOnly());
        QVERIFY(f.reporter.lastMessage().contains("Karte 1"));
        QVERIFY(!SaveNotes::now(f.ctx, true));
        QCOMPARE(f.idle().value("Pindel1"), QString("die echte Notiz"));
        QVERIFY(!f.store.log.contains("write Pindel1"));

        f.store.refuseNothing();
        Startup::activation(f.ctx);
        QVERIFY(card1->isLoaded());
        QVERIFY(!card1->editor()->isReadOnly());
        QCOMPARE(card1->text(), QString("die echte Notiz"));
    }

    void activationUsesTheLoadSizeForMissingGeometry()
    {
        WindowFixture f;
        Startup::activation(f.ctx);
        QCOMPARE(f.window.widthTwips(), 5000.0f);
        QCOMPARE(f.window.heightTwips(), 2000.0f);
    }

    void geometryRoundTripsExactly()
    {
        WindowFixture f;
        f.store.set("left", "-120");
        f.store.set("top", "300");
        f.store.set("width", "2400");
        f.store.set("height", "700");
        QVERIFY(!Startup::loadStep(f.ctx));
        QCOMPARE(f.window.leftTwips(), -120.0f);
        QCOMPARE(f.window.topTwips(), 300.0f);
        QCOMPARE(f.window.widthTwips(), 2400.0f);
        QCOMPARE(f.window.heightTwips(), 700.0f);
    }

    void aWindowWhollyOffScreenIsBroughtBack()
    {
        WindowFixture f;
        f.store.set("left", "-480000");
        f.store.set("top", "-480000");
        QVERIFY(!Startup::loadStep(f.ctx));
        const QRect frame = f.window.frameGeometry();
        QVERIFY(f.window.screen()->availableGeometry().intersects(frame));
        QCOMPARE(f.store.value("left"), QString("-480000")); // the store is not rewritten
    }

    void hostileGeometryNeverCrashes_data()
    {
        QTest::addColumn<QString>("value");
        for (const char* v : {"1e30", "-1e30", "NaN", "inf", "1e39", "0x10", " 12 ", "12abc", "12,5", "12.5"})
            QTest::newRow(v) << QString(v);
        QTest::newRow("1 MB of digits") << QString(1024 * 1024, QLatin1Char('7'));
    }
    void hostileGeometryNeverCrashes()
    {
        QFETCH(QString, value);
        for (const char* key : {"left", "top", "width", "height"}) {
            WindowFixture f;
            f.store.set(key, value);
            Startup::loadStep(f.ctx);
            Startup::activation(f.ctx);
            QVERIFY(f.window.tray()->display()); // activation always reaches its last step
            if (f.window.isVisible())
                QVERIFY(f.window.screen()->availableGeometry().intersects(f.window.frameGeometry()));
        }
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
