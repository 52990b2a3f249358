#pragma once

#include "platform/PrivateFiles.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class InstanceChannel;
class QFileSystemWatcher;

// One running copy per store: two copies would each write the texts they
// loaded over the other's edits. The guard belongs to the store, not to the
// session: the lock file lies beside the store in its folder, which only this
// user may enter, so neither another environment (another terminal, su, ssh,
// no runtime folder) nor another user can get around it. The running copy
// listens on a local socket there too; a later start asks it to bring its
// window back and ends. A lock left by a copy that crashed names a process
// that is gone and is taken over. Lock and socket deleted while the copy
// runs (with the store's folder, by a cleaner) are made again at once, so a
// later start never takes the running copy for gone.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim {
        Running,     // this is the one copy: it holds the lock and listens
        AnotherRuns, // another copy holds the lock: hand over to it
        Refused,     // no safe place for the lock: do not run at all
    };

    enum class HandOver {
        Shown,        // the running copy showed its window
        HolderGone,   // the copy holding the lock ended meanwhile
        Stopped,      // the copy is stopped (SIGSTOP) and cannot answer
        NotAnswering, // no answer before the deadline, or unreachable
    };

    // A copy loading huge notes may take seconds before it answers.
    static constexpr int answerTimeoutMs = 10000;
    // A copy seen stopped this long is reported without waiting further.
    static constexpr int stoppedTimeoutMs = 1000;

    explicit SingleInstance(const QString& storePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // How a start that does not run ends: status 0 once the running copy
    // showed its window; status 1 with the message for the user (paragraphs
    // split by blank lines) why this start cannot run.
    struct Ending {
        int status = 0;
        QString message;
    };

    // The one call at start: empty when this copy is to run.
    std::optional<Ending> settle();

    Claim claim();
    // Asks the copy holding the lock to show its window.
    HandOver handOver(int timeoutMs = answerTimeoutMs);

    QString lockPath() const;
    QString serverName() const;
    // Why the last claim() or handOver() did not go as planned.
    QString problem() const { return m_problem; }

signals:
    // A later start asked for the window.
    void showRequested();

private:
    struct Holder;
    Holder holder() const;
    bool prepareFolder();
    bool socketFolderReady();
    void listen();
    void watchGuard();
    void keepGuard();
    QString explain(HandOver outcome) const;

    QString m_storePath;
    QString m_folder;
    QString m_problem;
    qint64 m_holderPid = 0;
    QString m_holderHost;
    std::unique_ptr<QLockFile> m_lock;
    std::optional<PrivateFiles::FileIdentity> m_lockFile;
    InstanceChannel* m_channel = nullptr;
    QFileSystemWatcher* m_guardWatch = nullptr;
    // A deletion comes as several events (files, then the folder): the guard
    // is looked at once they have settled.
    QTimer m_guardCheck;
};
