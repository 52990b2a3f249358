#include "store/SerializedStore.h"

#include "core/HandlerSteps.h"

#include <QPointer>
#include <future>

SerializedStore::SerializedStore(NoteStore& inner) : m_inner(inner), m_worker([this] { work(); }) {}

SerializedStore::~SerializedStore()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SerializedStore::enqueue(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void SerializedStore::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return; // stopping, and nothing left to do
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        job();
        lock.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

void SerializedStore::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

QString SerializedStore::read(const QString& key, const QString& defaultValue)
{
    std::promise<QString> result;
    enqueue([&] {
        try {
            result.set_value(m_inner.read(key, defaultValue));
        } catch (...) {
            result.set_exception(std::current_exception());
        }
    });
    return result.get_future().get();
}

void SerializedStore::write(const QString& key, const QString& value)
{
    std::promise<void> result;
    enqueue([&] {
        try {
            m_inner.write(key, value);
            result.set_value();
        } catch (...) {
            result.set_exception(std::current_exception());
        }
    });
    result.get_future().get();
}

SaveResult SerializedStore::run(const std::vector<StoreWrite>& writes)
{
    SaveResult result;
    result.outcomes.resize(writes.size());
    std::vector<HandlerSteps::Step> steps;
    for (size_t i = 0; i < writes.size(); ++i) {
        steps.push_back([this, &result, &write = writes[i], i] {
            if (write.isNote) {
                result.outcomes[i] = m_inner.saveNote(write.key, write.value, write.userEdited);
            } else {
                m_inner.write(write.key, write.value);
                result.outcomes[i] = NoteSaveOutcome::Written;
            }
        });
    }
    result.failure = HandlerSteps::stopAtFirstFailure(steps);
    return result;
}

SaveResult SerializedStore::save(std::vector<StoreWrite> writes)
{
    std::promise<SaveResult> result;
    enqueue([&] { result.set_value(run(writes)); });
    return result.get_future().get();
}

void SerializedStore::saveInBackground(std::vector<StoreWrite> writes, QObject* context, Done done)
{
    enqueue([this, writes = std::move(writes), context = QPointer<QObject>(context), done = std::move(done)] {
        SaveResult result = run(writes);
        if (context)
            QMetaObject::invokeMethod(
                context.data(), [done, result = std::move(result)] { done(result); }, Qt::QueuedConnection);
    });
}
