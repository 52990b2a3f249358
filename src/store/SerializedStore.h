#pragma once

#include "store/NoteStore.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

// One write of a save: a note's text (saved by NoteStore::saveNote, never over
// another program's change the user did not edit) or a plain value.
struct StoreWrite
{
    QString key = {};
    QString value = {};
    bool isNote = false;
    bool userEdited = false;
    // A note may come as UTF-8 bytes instead, converted on the worker: a
    // long note's bytes are quicker to take from its box than its text.
    QByteArray utf8 = {};
    bool asUtf8 = false;

    static StoreWrite note(QString key, QString text, bool userEdited)
    {
        return {.key = std::move(key), .value = std::move(text), .isNote = true, .userEdited = userEdited};
    }
    static StoreWrite noteInUtf8(QString key, QByteArray utf8, bool userEdited)
    {
        return {.key = std::move(key), .isNote = true, .userEdited = userEdited, .utf8 = std::move(utf8), .asUtf8 = true};
    }
    static StoreWrite plain(QString key, QString value) { return {.key = std::move(key), .value = std::move(value)}; }
};

// How a save went: the first refused write (the writes after it did not run)
// and, write by write, what became of it (nothing for a write that failed or
// did not run).
struct SaveResult
{
    std::optional<QString> failure;
    std::vector<std::optional<NoteSaveOutcome>> outcomes;
};

// The store every part of the program uses. Every access runs on one worker
// thread, strictly in the order it was asked for, so a later read never
// overtakes an earlier write. read(), write() and save() wait for their turn
// and their outcome, for the handlers whose next step depends on it;
// saveInBackground() returns at once, so saving a huge note while the user
// types does not freeze the window. Autosave, loss of focus, closing and the
// end of the session all save through save() or saveInBackground().
class SerializedStore
{
public:
    using Done = std::function<void(const SaveResult& result)>;

    explicit SerializedStore(NoteStore& inner);
    // Finishes what is queued, then stops the worker.
    ~SerializedStore();
    SerializedStore(const SerializedStore&) = delete;
    SerializedStore& operator=(const SerializedStore&) = delete;

    QString read(const QString& key, const QString& defaultValue);
    void write(const QString& key, const QString& value);

    // Reads the keys in their order after everything queued before, stopping
    // at the first the store refuses, and returns at once; done runs on
    // context's thread once they have been read, unless context is gone by
    // then. Until dropReadAhead(), the next read() of each of them takes what
    // was read then, or the refusal, instead of reading again: as if that
    // read had run at that time. A write of the key in between forgets it.
    // A start reads its notes this way, so that reading long ones does not
    // hold up the tray icon.
    void readAhead(const QStringList& keys, QObject* context, std::function<void()> done);
    // Forgets what was read ahead and not taken yet.
    void dropReadAhead();

    // Runs the writes in order and stops at the first that fails, like a
    // handler that stops at its first failing step. Once a write has landed
    // the store holds no reference to a long note's text (it remembers its
    // fingerprint), so the note box holding the only reference can take the
    // next key without copying the whole note.
    SaveResult save(std::vector<StoreWrite> writes);
    // The same after everything queued before it; done runs on context's
    // thread afterwards, unless context is gone by then.
    void saveInBackground(std::vector<StoreWrite> writes, QObject* context, Done done);

    // Earlier versions of notes and titles (see NoteStore).
    std::vector<NoteVersion> versions(const QString& key);
    std::optional<QString> versionText(qint64 id);
    void keepVersion(const QString& key, const QString& text);

    // Returns once everything queued so far has run.
    void waitUntilIdle();

private:
    // Runs job on the worker in its turn and hands back its result or what
    // it threw.
    template <typename Job> auto inTurn(Job job) -> decltype(job())
    {
        using Result = decltype(job());
        std::promise<Result> result;
        enqueue([&] {
            try {
                if constexpr (std::is_void_v<Result>) {
                    job();
                    result.set_value();
                } else {
                    result.set_value(job());
                }
            } catch (...) {
                result.set_exception(std::current_exception());
            }
        });
        return result.get_future().get();
    }

    SaveResult run(std::vector<StoreWrite>& writes);
    void forgetReadAhead(const QString& key);
    void enqueue(std::function<void()> job);
    void work();

    NoteStore& m_inner;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    // What was read ahead, by folded key; touched on the worker only.
    struct AheadAnswer
    {
        std::optional<QString> value;
        std::exception_ptr refusal;
    };
    QHash<QString, AheadAnswer> m_ahead;

    std::thread m_worker;
};
