#include "store/SerializedStore.h"

#include "core/HandlerSteps.h"

#include <QPointer>

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
    return inTurn([&] {
        const auto ahead = m_ahead.constFind(NoteStore::foldKey(key));
        if (ahead == m_ahead.cend())
            return m_inner.read(key, defaultValue);
        const AheadAnswer answer = *ahead;
        m_ahead.erase(ahead);
        if (answer.refusal)
            std::rethrow_exception(answer.refusal);
        return answer.value.value_or(defaultValue);
    });
}

void SerializedStore::write(const QString& key, const QString& value)
{
    inTurn([&] {
        forgetReadAhead(key);
        m_inner.write(key, value);
    });
}

void SerializedStore::readAhead(const QStringList& keys, QObject* context, std::function<void()> done)
{
    enqueue([this, keys, context = QPointer<QObject>(context), done = std::move(done)] {
        std::vector<HandlerSteps::Step> steps;
        for (const QString& key : keys) {
            steps.push_back([this, key] {
                AheadAnswer& answer = m_ahead[NoteStore::foldKey(key)];
                try {
                    answer = {m_inner.readIfPresent(key), nullptr};
                } catch (...) {
                    answer = {std::nullopt, std::current_exception()};
                    throw;
                }
            });
        }
        HandlerSteps::stopAtFirstFailure(steps);
        if (context)
            QMetaObject::invokeMethod(context.data(), done, Qt::QueuedConnection);
    });
}

void SerializedStore::dropReadAhead()
{
    enqueue([this] { m_ahead.clear(); });
}

void SerializedStore::forgetReadAhead(const QString& key)
{
    m_ahead.remove(NoteStore::foldKey(key));
}

std::vector<NoteVersion> SerializedStore::versions(const QString& key)
{
    return inTurn([&] { return m_inner.versions(key); });
}

std::optional<QString> SerializedStore::versionText(qint64 id)
{
    return inTurn([&] { return m_inner.versionText(id); });
}

void SerializedStore::keepVersion(const QString& key, const QString& text)
{
    inTurn([&] { m_inner.keepVersion(key, text); });
}

SaveResult SerializedStore::run(std::vector<StoreWrite>& writes)
{
    SaveResult result;
    result.outcomes.resize(writes.size());
    std::vector<HandlerSteps::Step> steps;
    for (size_t i = 0; i < writes.size(); ++i) {
        steps.push_back([this, &result, &write = writes[i], i] {
            forgetReadAhead(write.key);
            if (write.isNote) {
                // A note handed over as its bytes becomes text here, off
                // the window's thread.
                if (write.asUtf8) {
                    write.value = QString::fromUtf8(write.utf8);
                    write.utf8 = QByteArray();
                    write.asUtf8 = false;
                }
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
    return inTurn([&] { return run(writes); });
}

void SerializedStore::saveInBackground(std::vector<StoreWrite> writes, QObject* context, Done done)
{
    enqueue([this, writes = std::move(writes), context = QPointer<QObject>(context), done = std::move(done)]() mutable {
        SaveResult result = run(writes);
        if (context)
            QMetaObject::invokeMethod(
                context.data(), [done, result = std::move(result)] { done(result); }, Qt::QueuedConnection);
    });
}
