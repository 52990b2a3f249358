#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class InstanceChannel;

// One running copy per user and store: two copies writing the same keys would
// silently lose one copy's edits. The first copy holds a lock file and listens
// on a local socket, both in a folder only this user can enter; a later start
// asks it to bring its window back and then ends. A lock left behind by a
// copy that crashed is recognised as stale (its process is gone) and taken.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Running,     // this is the one copy: it holds the lock and listens
        AnotherRuns, // another copy holds the lock: hand over to it
        Unguarded,   // no private place for the lock: run, but unguarded
    };

    // storePath names the store this copy works on; each store has its own
    // lock and socket, so users and separate stores never meet.
    explicit SingleInstance(const QString& storePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    Claim claim();

    // Asks the running copy to show its window; true once it confirmed.
    bool handOver(int timeoutMs = 10000);

    QString folder() const { return m_folder; }
    QString lockPath() const;
    QString serverName() const;
    // Why the last claim() or handOver() did not go as planned.
    QString problem() const { return m_problem; }

signals:
    // A later start asked for the window.
    void showRequested();

private:
    bool makeFolderPrivate();
    void listen();

    QString m_folder;
    QString m_id;
    QString m_problem;
    std::unique_ptr<QLockFile> m_lock;
    InstanceChannel* m_channel = nullptr;
};
