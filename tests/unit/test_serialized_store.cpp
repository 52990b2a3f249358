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
    QString read(const QString& key, const QString& fallback) override { return inner.read(key, fallback); }
    void write(const QString& key, const QString& value) override
    {
        entered.set_value();
        gate.wait();
        inner.write(key, value);
    }
    RecordingStore inner;
    std::promise<void> entered;
    std::shared_future<void> gate;
};

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
        store.writeInBackground({{"Pindel1", "eins"}, {"Pindel3", "zwei"}}, &context,
                                [&](const std::optional<QString>& failure) { outcome = failure; });
        QCOMPARE(store.read("Pindel3", "fehlt"), QString("zwei")); // waits for the batch
        QCOMPARE(store.read("Top", "10"), QString("300"));
        QCOMPARE(inner.log,
                 QStringList({"write top", "write Pindel1", "write Pindel3", "read Pindel3", "read Top"}));
        QTRY_VERIFY(!outcome.has_value()); // told on this thread, once the loop runs
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
        store.writeInBackground({{"Pindel1", "a"}, {"Pindel3", "b"}, {"Pindel4", "c"}}, &context,
                                [&](const std::optional<QString>& failure) {
                                    outcome = failure;
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
        store.writeInBackground({{"Pindel1", QString(1000, 'x')}}, &context,
                                [&](const std::optional<QString>&) { done = true; });
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

    void destroyingFinishesWhatWasQueued()
    {
        RecordingStore inner;
        {
            SerializedStore store(inner);
            QObject context;
            store.writeInBackground({{"Pindel4", "drei"}}, &context, [](const std::optional<QString>&) {});
            store.waitUntilIdle();
        }
        QCOMPARE(inner.value("Pindel4"), QString("drei"));
    }
};

QTEST_GUILESS_MAIN(TestSerializedStore)
#include "test_serialized_store.moc"
