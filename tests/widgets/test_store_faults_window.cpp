#include "core/Marquee.h"
#include "handlers/Closing.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "handlers/Startup.h"
#include "store/SqliteStore.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"

#include "handlers/SaveNotes.h"
#include "store/SerializedStore.h"
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

// The handlers on the real store when the store fails: what the user sees and
// what is kept. Large notes are kept exactly; their timings are printed, not
// asserted.
class TestStoreFaultsWindow : public QObject
{
    Q_OBJECT

    struct Setup
    {
        QTemporaryDir dir;
        SqliteStore store;
        SerializedStore serialized{store};
        MarqueeState marquee;
        FailureReporter reporter;
        MainWindow window;
        HandlerContext ctx{window, serialized, marquee, reporter};
        // A new store in a folder of its own, or the next run on an existing one.
        explicit Setup(const QString& path = {})
            : store(path.isEmpty() ? dir.filePath("MIRTAL/store.sqlite3") : path)
        {
        }
    };

    static QString bigNote(qsizetype size)
    {
        QString note;
        note.reserve(size + 64);
        for (int i = 0; note.size() < size; ++i)
            note +=
                QStringLiteral("Zeile %1 \u00e4\u00f6\u00fc \u20ac \U0001F4CC ").arg(i).repeated(30) + '\n';
        return note;
    }

private slots:
    void closeWithTheStoreLockedKeepsTheWindowAndItsText()
    {
        Setup s;
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        s.window.contentBox(1)->setText("vorher");
        s.store.write("Pindel1", "");
        s.window.contentBox(1)->editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClicks(s.window.contentBox(1)->editor(), " und jetzt");

        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(s.store.path()).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        for (int attempt = 0; attempt < 2; ++attempt) {
            QCloseEvent close;
            if (auto failure = Closing::closeRequest(s.ctx, &close))
                s.reporter.report(*failure);
            QVERIFY(!close.isAccepted());
            QVERIFY2(s.window.isVisible(), "a failed save hid the window");
            QCOMPARE(s.window.contentBox(1)->text(), QString("vorher und jetzt"));
        }
        QCOMPARE(s.reporter.toldCount(), 1); // told once, not at every attempt
        QVERIFY2(s.reporter.lastMessage().contains("Pindel3"), qPrintable(s.reporter.lastMessage()));

        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        QCloseEvent close;
        QVERIFY(!Closing::closeRequest(s.ctx, &close));
        QVERIFY(!s.window.isVisible() || s.window.isMinimized());
        SqliteStore nextRun(s.store.path());
        QCOMPARE(nextRun.read("Pindel3", ""), QString("vorher und jetzt"));
        QCOMPARE(nextRun.read("height", "").isEmpty(), false);
    }

    void fiftyMegabytesPastedAndLoadedAreKeptExactly()
    {
        Setup s;
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        const QString note = bigNote(50 * 1024 * 1024);

        QElapsedTimer clock;
        QGuiApplication::clipboard()->setText(note);
        ContentBox* box = s.window.contentBox(2);
        box->setFocus();
        clock.start();
        box->editor()->SendScintilla(QsciScintillaBase::SCI_PASTE);
        const qint64 pasteMs = clock.restart();
        QVERIFY(!SaveNotes::now(s.ctx, false));
        const qint64 saveMs = clock.restart();
        QVERIFY(!SaveNotes::now(s.ctx, false));
        const qint64 unchangedSaveMs = clock.restart();

        Setup next(s.store.path());
        clock.restart();
        QVERIFY(!Startup::loadStep(next.ctx));
        const qint64 loadMs = clock.restart();
        QCOMPARE(next.window.contentBox(2)->text(), note);
        qInfo("50 MB note: paste %lld ms, save %lld ms, save unchanged %lld ms, load %lld ms", pasteMs,
              saveMs, unchangedSaveMs, loadMs);
    }
};

QTEST_MAIN(TestStoreFaultsWindow)
#include "test_store_faults_window.moc"
