#pragma once

#include "store/NoteStore.h"

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// Runs every access to a store on one worker thread, strictly in the order it
// was asked for. read() and write() wait for their turn and their outcome, so
// the handlers keep their order of steps and their failure styles; a batch
// handed to writeInBackground() returns at once, so saving a huge note while
// the user types does not freeze the window. Because all access shares one
// queue, a later read or write never overtakes a background batch.
class SerializedStore final : public NoteStore
{
public:
    using Batch = std::vector<std::pair<QString, QString>>;
    // Runs on the thread of the context object given with the batch.
    using Done = std::function<void(const std::optional<QString>& failure)>;

    explicit SerializedStore(NoteStore& inner);
    // Finishes what is queued, then stops the worker.
    ~SerializedStore() override;

    QString read(const QString& key, const QString& defaultValue) override;
    void write(const QString& key, const QString& value) override;

    // Writes the pairs in order and stops at the first that fails, like a
    // handler; then calls done on context's thread. context must outlive the
    // batch (waitUntilIdle() in its destructor ensures that).
    void writeInBackground(Batch batch, QObject* context, Done done);

    // Returns once everything queued so far has run.
    void waitUntilIdle();

private:
    void enqueue(std::function<void()> job);
    void work();

    NoteStore& m_inner;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker;
};
