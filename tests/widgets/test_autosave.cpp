#include "WindowFixture.h"
#include "handlers/Autosave.h"
#include "handlers/SaveNotes.h"
#include "ui/ContentBox.h"

#include <QtTest>

namespace {
const QStringList kContentWrites{"write Pindel1", "write Pindel3", "write Pindel4"};
}

// Typing is saved soon, through the same save as loss of focus and over the
// same worker the program uses; nothing is written while nothing changed; a
// box counts as saved only once its write landed.
class TestAutosave : public QObject
{
    Q_OBJECT

    struct Setup
    {
        WindowFixture f;
        Autosave autosave{f.ctx};
        Setup()
        {
            f.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        }
        QStringList log() { return f.idle().log; }
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
        QVERIFY(s.log().isEmpty()); // not on every keystroke
        QVERIFY(s.autosave.isPending());
        s.f.advance(Autosave::intervalMs - 1);
        QVERIFY(s.log().isEmpty());
        s.f.advance(1);
        QCOMPARE(s.log(), kContentWrites);
        QCOMPARE(s.f.store.value(key), QString("Notiz"));
        QVERIFY(!box->isModified());
        // Once saved, nothing more is written until the next edit.
        s.f.advance(2 * Autosave::intervalMs);
        QCOMPARE(s.log(), kContentWrites);
        QTest::keyClick(box->editor(), Qt::Key_Return);
        QTest::keyClicks(box->editor(), "zwei");
        s.f.advance(Autosave::intervalMs);
        QCOMPARE(s.log().size(), 6);
        QCOMPARE(s.f.store.value(key), QString("Notiz\nzwei"));
    }

    void fillingTheBoxesFromTheStoreWritesNothing()
    {
        Setup s;
        for (int card = 0; card < kCardCount; ++card)
            s.f.window.contentBox(card)->setText(QString("geladen %1\r\n").arg(card));
        s.f.advance(2 * Autosave::intervalMs);
        QVERIFY(s.log().isEmpty());
        QCOMPARE(s.f.reporter.toldCount(), 0);
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
            s.f.advance(Autosave::intervalMs / 10);
        }
        QVERIFY2(s.autosave.saves() >= 2, qPrintable(QString::number(s.autosave.saves())));
        s.f.advance(Autosave::intervalMs);
        QCOMPARE(s.f.idle().value("Pindel3"), QString(40, 'a'));
    }

    // A write the store refuses leaves the box unsaved: it is tried again
    // without a new edit until it lands, and the user hears of it once when
    // it fails and once when it works again.
    void aRefusedSaveIsTriedAgainUntilItLands()
    {
        Setup s;
        s.autosave.setIntervals(50, 200);
        s.f.store.refuse("Pindel3");
        QTest::keyClicks(s.f.window.contentBox(0)->editor(), "eins");
        QTest::keyClicks(s.f.window.contentBox(1)->editor(), "zwei");
        s.f.advance(Autosave::intervalMs); // a timer started before the intervals were shortened
        QCOMPARE(s.f.reporter.toldCount(), 1);
        QVERIFY(s.f.reporter.lastMessage().contains("Pindel3"));
        QVERIFY(!s.f.window.contentBox(0)->isModified()); // landed before the refused key
        QVERIFY(s.f.window.contentBox(1)->isModified());
        const int tries = int(s.log().count("write Pindel3"));
        s.f.advance(200);
        s.f.advance(200);
        QCOMPARE(s.log().count("write Pindel3"), tries + 2); // again and again, no edit needed
        QCOMPARE(s.f.reporter.toldCount(), 1);
        s.f.store.refuseNothing();
        s.f.advance(200);
        QCOMPARE(s.f.idle().value("Pindel3"), QString("zwei"));
        QVERIFY(!s.f.window.contentBox(1)->isModified());
        QCOMPARE(s.f.reporter.toldCount(), 2);
        QCOMPARE(s.f.reporter.lastMessage(), FailureReporter::savingAgain);
        const int writes = int(s.log().size());
        s.f.advance(2 * 200);
        QCOMPARE(s.log().size(), writes); // saved: no more tries
    }

    // Typing while a save is under way is not counted as saved by it.
    void onlyWhatASaveTookCountsAsSaved()
    {
        WindowFixture f;
        ContentBox* box = f.window.contentBox(2);
        box->setText("alt");
        QTest::keyClicks(box->editor(), "A");
        const ContentBox::Snapshot first = box->snapshot();
        QTest::keyClicks(box->editor(), "B");
        box->markSaved(first);
        QVERIFY(box->isModified());
        const ContentBox::Snapshot second = box->snapshot();
        box->markSaved(second);
        QVERIFY(!box->isModified());
        box->markSaved(first); // a late report of an older save changes nothing
        QVERIFY(!box->isModified());
        QTest::keyClicks(box->editor(), "C");
        const ContentBox::Snapshot beforeRefill = box->snapshot();
        box->setText("neu geladen");
        QTest::keyClicks(box->editor(), "D");
        box->markSaved(beforeRefill); // taken before the box was filled anew
        QVERIFY(box->isModified());
    }

    void aSaveByLossOfFocusMakesTheTimerIdle()
    {
        Setup s;
        QTest::keyClicks(s.f.window.contentBox(0)->editor(), "x");
        QVERIFY(!SaveNotes::now(s.f.ctx, false)); // what a save by close or focus loss does
        s.f.idle().log.clear();
        s.f.advance(2 * Autosave::intervalMs);
        QVERIFY(s.log().isEmpty());
    }
};

QTEST_MAIN(TestAutosave)
#include "test_autosave.moc"
