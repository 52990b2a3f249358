#include "store/SerializedStore.h"

#include "app/HandlerSteps.h"

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

void SerializedStore::writeInBackground(Batch batch, QObject* context, Done done)
{
    enqueue([this, batch = std::move(batch), context, done = std::move(done)] {
        std::vector<HandlerSteps::Step> steps;
        for (const auto& [key, value] : batch)
            steps.push_back([this, &key = key, &value = value] { m_inner.write(key, value); });
        const std::optional<QString> failure = HandlerSteps::stopAtFirstFailure(steps);
        QMetaObject::invokeMethod(
            context, [done, failure] { done(failure); }, Qt::QueuedConnection);
    });
}
