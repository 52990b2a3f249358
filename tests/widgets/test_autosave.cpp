#include "WindowFixture.h"
#include "app/Autosave.h"
#include "store/SerializedStore.h"
#include "window/ContentBox.h"

#include <QtTest>

namespace {
const QStringList kContentWrites{"write Pindel1", "write Pindel3", "write Pindel4"};
}

// Typing is saved soon, through the same writes as loss of focus; nothing is
// written while nothing changed. Waits only let the timers fire.
class TestAutosave : public QObject
{
    Q_OBJECT

    struct Setup
    {
        WindowFixture f;
        std::optional<QString> lastFailure;
        int reports = 0;
        Autosave autosave{f.ctx, [this](const std::optional<QString>& failure) {
                              ++reports;
                              lastFailure = failure;
                              if (failure)
                                  f.reporter.report(*failure);
                              else
                                  f.reporter.clear();
                          }};
        Setup()
        {
            f.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        }
    };

private slots:
    void typingIsSavedSoonAfterTheLastEdit_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("key");
        QTest::newRow("card 1") << 0 << "Pindel1";
        QTest::newRow("card 2") << 1 << "Pindel3";
        QTest::newRow("card 3") << 2 << "Pindel4";
    }
    void typingIsSavedSoonAfterTheLastEdit()
    {
        QFETCH(int, card);
        QFETCH(QString, key);
        Setup s;
        ContentBox* box = s.f.window.contentBox(card);
        box->setFocus();
        QTest::keyClicks(box->editor(), "Notiz");
        QVERIFY(s.f.store.log.isEmpty()); // not on every keystroke
        QVERIFY(s.autosave.isPending());
        QTRY_COMPARE_WITH_TIMEOUT(s.f.store.log, kContentWrites, 5 * Autosave::intervalMs);
        QCOMPARE(s.f.store.value(key), QString("Notiz"));
        // Once saved, nothing more is written until the next edit.
        QTest::qWait(2 * Autosave::intervalMs);
        QCOMPARE(s.f.store.log, kContentWrites);
        QTest::keyClick(box->editor(), Qt::Key_Return);
        QTest::keyClicks(box->editor(), "zwei");
        QTRY_COMPARE_WITH_TIMEOUT(s.f.store.log.size(), 6, 5 * Autosave::intervalMs);
        QCOMPARE(s.f.store.value(key), QString("Notiz\nzwei"));
    }

    void fillingTheBoxesFromTheStoreWritesNothing()
    {
        Setup s;
        for (int card = 0; card < 3; ++card)
            s.f.window.contentBox(card)->setText(QString("geladen %1\r\n").arg(card));
        QTest::qWait(2 * Autosave::intervalMs);
        QVERIFY(s.f.store.log.isEmpty());
        QCOMPARE(s.reports, 0);
    }

    void continuousTypingIsSavedAtLeastOncePerInterval()
    {
        Setup s;
        ContentBox* box = s.f.window.contentBox(1);
        box->setFocus();
        // Typing without a pause for four intervals: a timer restarted by each
        // key would never fire.
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(box->editor(), Qt::Key_A);
            QTest::qWait(Autosave::intervalMs / 10);
        }
        QVERIFY2(s.autosave.saves() >= 2, qPrintable(QString::number(s.autosave.saves())));
        QTRY_COMPARE_WITH_TIMEOUT(s.f.store.value("Pindel3"), QString(40, 'a'), 5 * Autosave::intervalMs);
    }

    void aFailedSaveIsToldOnceAndTriedAgain()
    {
        Setup s;
        s.autosave.setIntervals(50, 200);
        s.f.store.refuse("Pindel3");
        QTest::keyClicks(s.f.window.contentBox(0)->editor(), "eins");
        QTest::keyClicks(s.f.window.contentBox(2)->editor(), "drei");
        QTRY_VERIFY(s.lastFailure.has_value());
        // Card 1 was written before the refused key, card 3 not: the handler
        // stops at its failing step.
        QCOMPARE(s.f.store.log, (QStringList{"write Pindel1", "write Pindel3"}));
        QTRY_VERIFY(s.f.store.log.size() >= 4); // tried again without a new edit
        QCOMPARE(s.f.reporter.toldCount(), 1);
        s.f.store.refuseNothing();
        QTRY_VERIFY(s.reports >= 3 && !s.lastFailure);
        QCOMPARE(s.f.store.value("Pindel4"), QString("drei"));
        QCOMPARE(s.f.store.value("Pindel1"), QString("eins"));
        QTest::qWait(300);
        const int writes = int(s.f.store.log.size());
        QTest::qWait(300);
        QCOMPARE(s.f.store.log.size(), writes); // saved: no more retries
    }

    void aSlowSaveStretchesTheIntervalSoTypingGoesOn()
    {
        // A store that takes at least 200 ms per write, as with huge notes.
        struct SlowStore final : NoteStore
        {
            QString read(const QString&, const QString& fallback) override { return fallback; }
            void write(const QString&, const QString&) override { QThread::msleep(200); }
        } slow;
        WindowFixture f;
        HandlerContext ctx{f.window, slow, f.module, f.reporter};
        Autosave autosave(ctx, [](const std::optional<QString>&) {});
        autosave.setIntervals(50, 200);
        QCOMPARE(autosave.currentIntervalMs(), 50);
        QTest::keyClicks(f.window.contentBox(0)->editor(), "x");
        QTRY_COMPARE(autosave.saves(), 1);
        // Three writes of at least 200 ms: the next interval is three times that.
        QVERIFY2(autosave.currentIntervalMs() >= 3 * 600,
                 qPrintable(QString::number(autosave.currentIntervalMs())));
    }

    void withASerializedStoreTheWritesRunInTheBackground()
    {
        WindowFixture f;
        SerializedStore serialized(f.store);
        HandlerContext ctx{f.window, serialized, f.module, f.reporter};
        int reports = 0;
        std::optional<QString> last = QString("none yet");
        Autosave autosave(ctx, [&](const std::optional<QString>& failure) {
            ++reports;
            last = failure;
        });
        autosave.setIntervals(50, 200);
        QTest::keyClicks(f.window.contentBox(1)->editor(), "Hintergrund");
        QTRY_COMPARE(reports, 1);
        QVERIFY(!last);
        serialized.waitUntilIdle();
        QCOMPARE(f.store.log, kContentWrites); // the same writes as loss of focus
        QCOMPARE(f.store.value("Pindel3"), QString("Hintergrund"));
    }

    void aSaveByLossOfFocusMakesTheTimerIdle()
    {
        Setup s;
        QTest::keyClicks(s.f.window.contentBox(0)->editor(), "x");
        for (int card = 0; card < 3; ++card)
            s.f.window.contentBox(card)->text(); // what a save by close or focus loss does
        s.f.store.log.clear();
        QTest::qWait(2 * Autosave::intervalMs);
        QVERIFY(s.f.store.log.isEmpty());
    }
};

QTEST_MAIN(TestAutosave)
#include "test_autosave.moc"
