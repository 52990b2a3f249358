#include "RecordingStore.h"
#include "store/SerializedStore.h"

#include <QTimer>
#include <QtTest>
#include <future>

namespace {

// A store whose writes wait until the test opens the gate, as a huge note's
// write keeps the disk busy.
class GatedStore final : public NoteStore
{
public:
    RecordingStore inner;
    std::promise<void> entered;
    std::shared_future<void> gate;

    std::vector<NoteVersion> versions(const QString& key) override { return inner.versions(key); }
    std::optional<QString> versionText(qint64 id) override { return inner.versionText(id); }
    void keepVersion(const QString& key, const QString& text) override { inner.keepVersion(key, text); }

protected:
    std::optional<QString> fetch(const QString& key) override
    {
        const QString missing = QStringLiteral("\x01missing");
        const QString value = inner.read(key, missing);
        return value == missing ? std::nullopt : std::optional<QString>(value);
    }
    void put(const QString& key, const QString& value, const TextFingerprint&) override
    {
        entered.set_value();
        gate.wait();
        inner.write(key, value);
    }
    void keepCopyBeforeOverwrite(const QString&) override {}
};

std::vector<StoreWrite> plain(std::initializer_list<std::pair<const char*, QString>> pairs)
{
    std::vector<StoreWrite> writes;
    for (const auto& [key, value] : pairs)
        writes.push_back(StoreWrite::plain(key, value));
    return writes;
}

} // namespace

class TestSerializedStore : public QObject
{
    Q_OBJECT
private slots:
    void everyAccessRunsInTheOrderAskedAndALaterReadSeesABackgroundBatch()
    {
        RecordingStore inner;
        SerializedStore store(inner);
        QObject context;
        std::optional<QString> outcome = QString("not yet");
        store.write("top", "300");
        store.saveInBackground(plain({{"Pindel1", "eins"}, {"Pindel3", "zwei"}}), &context,
                               [&](const SaveResult& result) { outcome = result.failure; });
        QCOMPARE(store.read("Pindel3", "fehlt"), QString("zwei")); // waits for the batch
        QCOMPARE(store.read("Top", "10"), QString("300"));
        QCOMPARE(inner.log,
                 QStringList({"write top", "write Pindel1", "write Pindel3", "read Pindel3", "read Top"}));
        QTRY_VERIFY(!outcome.has_value()); // told on this thread, once the loop runs
    }

    // Each key read ahead is read once, in order; its next read takes that
    // answer (the value, a missing key's default, or the refusal), unless
    // a write of the key came in between or what was left is dropped.
    void aReadAheadAnswersTheNextReadOfEachKeyOnce()
    {
        RecordingStore inner;
        inner.set("Pindel1", "eins");
        inner.set("Pindel3", "zwei");
        inner.set("Top", "300");
        inner.refuse("Width");
        SerializedStore store(inner);
        QObject context;
        bool done = false;
        store.readAhead({"Pindel1", "Pindel2", "Pindel3", "Top", "Width", "Height"}, &context,
                        [&] { done = true; });
        QTRY_VERIFY(done);
        const QStringList aheadLog{"read Pindel1", "read Pindel2", "read Pindel3", "read Top", "read Width"};
        QCOMPARE(inner.log, aheadLog); // stops at the refused key
        inner.set("Pindel1", "geändert"); // by another program, after it was read ahead
        store.saveInBackground(plain({{"top", "120"}}), &context, [](const SaveResult&) {});

        QCOMPARE(store.read("Pindel1", "fehlt"), QString("eins"));
        QCOMPARE(store.read("Pindel2", "Karte #1"), QString("Karte #1"));
        QCOMPARE(store.read("Top", "10"), QString("120")); // written since
        QVERIFY_THROWS_EXCEPTION(StoreError, store.read("Width", ""));
        QCOMPARE(store.read("Height", "2000"), QString("2000"));
        QCOMPARE(inner.log, aheadLog + QStringList({"write top", "read Top", "read Height"}));

        store.dropReadAhead();
        QCOMPARE(store.read("Pindel3", ""), QString("zwei"));
        QCOMPARE(store.read("Pindel1", ""), QString("geändert")); // taken once, then read anew
        QCOMPARE(inner.log.mid(aheadLog.size() + 3), QStringList({"read Pindel3", "read Pindel1"}));
    }

    // Once a write has landed the store holds no reference to a long note's
    // text, so the note box's text is the box's alone again: the next key
    // edits it in place instead of copying the whole note.
    void aSavedLongNoteLeavesNoReferenceBehind()
    {
        RecordingStore inner;
        SerializedStore store(inner);
        QObject context;
        QString note = QString("Zeile\n").repeated(1000);
        QVERIFY(note.size() > TextFingerprint::longText);
        bool done = false;
        store.saveInBackground({StoreWrite::note("Pindel1", note, true), StoreWrite::plain("top", "120")}, &context,
                               [&](const SaveResult& result) { done = !result.failure; });
        QTRY_VERIFY(done);
        QCOMPARE(store.read("Pindel1", ""), note);
        QVERIFY(note.isDetached());
        QVERIFY(store.read("Pindel1", "").constData() != note.constData());
    }

    void failuresReachTheCaller()
    {
        RecordingStore inner;
        inner.refuse("Pindel3");
        SerializedStore store(inner);
        QVERIFY_THROWS_EXCEPTION(StoreError, store.write("Pindel3", "x"));
        QVERIFY_THROWS_EXCEPTION(StoreError, store.read("Pindel3", ""));
        QObject context;
        std::optional<QString> outcome;
        bool done = false;
        store.saveInBackground(plain({{"Pindel1", "a"}, {"Pindel3", "b"}, {"Pindel4", "c"}}), &context,
                               [&](const SaveResult& result) {
                                   outcome = result.failure;
                                   QVERIFY(result.outcomes[0] && !result.outcomes[1] && !result.outcomes[2]);
                                   done = true;
                               });
        QTRY_VERIFY(done);
        QVERIFY(outcome && outcome->contains("Pindel3"));
        store.waitUntilIdle();
        QVERIFY(inner.contains("Pindel1"));
        QVERIFY(!inner.contains("Pindel4")); // stops at the first failure, as a handler does
    }

    void aBackgroundBatchLeavesTheEventLoopRunning()
    {
        GatedStore slow;
        std::promise<void> open;
        slow.gate = open.get_future().share();
        auto entered = slow.entered.get_future();
        SerializedStore store(slow);
        QObject context;
        bool done = false;
        store.saveInBackground(plain({{"Pindel1", QString(1000, 'x')}}), &context,
                               [&](const SaveResult&) { done = true; });
        entered.wait(); // the write is under way and holds the worker
        bool ticked = false;
        QTimer::singleShot(10, &context, [&] { ticked = true; });
        QTRY_VERIFY(ticked); // the loop goes on while the write waits
        QVERIFY(!done);
        open.set_value();
        QTRY_VERIFY(done);
        store.waitUntilIdle();
        QCOMPARE(slow.inner.value("Pindel1").size(), 1000);
    }

    // A note's save never reverts another program's change the user did not
    // edit; an edit wins once what it replaces is in the backup.
    void aNoteIsNeverSavedOverAnOutsideChangeUnlessEdited_data()
    {
        QTest::addColumn<QString>("outside"); // what another program wrote after the load, or nothing
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("pad"); // put before every text; long: remembered by its fingerprint
        const QStringList written{"write Pindel3"};
        // Texts of one length, so that only the content tells them apart.
        for (const QString& pad : {QString(), QString(TextFingerprint::longText, QLatin1Char('.'))}) {
            const QByteArray size = pad.isEmpty() ? "short, " : "long, ";
            QTest::newRow(size + "unchanged, not edited")
                << QString() << false << int(NoteSaveOutcome::Written) << "Im Feld" << written << pad;
            QTest::newRow(size + "unchanged, edited")
                << QString() << true << int(NoteSaveOutcome::Written) << "Im Feld" << written << pad;
            QTest::newRow(size + "changed, not edited")
                << "Fremdes" << false << int(NoteSaveOutcome::KeptOutsideChange) << "Fremdes" << QStringList()
                << pad;
            QTest::newRow(size + "changed, edited") << "Fremdes" << true << int(NoteSaveOutcome::WonOverOutsideChange)
                                                    << "Im Feld" << QStringList{"backup", "write Pindel3"} << pad;
            QTest::newRow(size + "changed to the same text")
                << "Im Feld" << false << int(NoteSaveOutcome::Written) << "Im Feld" << written << pad;
        }
    }
    void aNoteIsNeverSavedOverAnOutsideChangeUnlessEdited()
    {
        QFETCH(QString, outside);
        QFETCH(bool, edited);
        QFETCH(int, outcome);
        QFETCH(QString, stored);
        QFETCH(QStringList, log);
        QFETCH(QString, pad);
        RecordingStore inner;
        inner.set("Pindel3", pad + "Geladen");
        SerializedStore store(inner);
        QCOMPARE(store.read("Pindel3", ""), pad + "Geladen");
        if (!outside.isNull())
            inner.set("Pindel3", pad + outside);
        inner.log.clear();
        const SaveResult result = store.save({StoreWrite::note("Pindel3", pad + "Im Feld", edited)});
        QVERIFY(!result.failure);
        QCOMPARE(int(*result.outcomes[0]), outcome);
        QCOMPARE(inner.value("Pindel3"), pad + stored);
        QCOMPARE(inner.log, log);
        // Once written, the note is what the program last saw: no conflict any more.
        inner.log.clear();
        store.save({StoreWrite::note("Pindel3", pad + "Im Feld", false)});
        QCOMPARE(inner.log.contains("backup"), false);
    }

    void destroyingFinishesWhatWasQueued()
    {
        RecordingStore inner;
        {
            SerializedStore store(inner);
            QObject context;
            store.saveInBackground(plain({{"Pindel4", "drei"}}), &context, [](const SaveResult&) {});
            store.waitUntilIdle();
        }
        QCOMPARE(inner.value("Pindel4"), QString("drei"));
    }
};

QTEST_GUILESS_MAIN(TestSerializedStore)
#include "test_serialized_store.moc"
