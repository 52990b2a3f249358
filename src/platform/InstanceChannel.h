#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

// The line a later start sends to the running copy, and the copy's answer.
// The running copy listens under a name in a folder only its user can enter;
// a later start connects, asks for the window, and waits for the answer.
//
// On Unix this is a plain local socket watched by the event loop; on Windows
// it is a named pipe through QLocalServer. Keeping the network module out of
// the Unix build spares every start of the program loading it and the nine
// libraries behind it (Kerberos, proxy lookup) for one local line.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    static inline const QByteArray showRequest = "show\n";
    static inline const QByteArray shownReply = "ok\n";

    // A caller has this long to send its request; one that sends nothing (a
    // stuck or buggy program of the user's) is closed unanswered.
    static constexpr int requestTimeoutMs = 2000;
    // Callers served at once. More wait in the system's queue, where they
    // hold none of this process's descriptors.
    static constexpr int maxCallers = 4;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Starts listening under name; a leftover of a crashed copy is replaced.
    // False with the cause in error when it cannot.
    bool listen(const QString& name, QString* error);

    // Whether a caller would be taken now: not while the most are served,
    // nor for a while after the process ran out of descriptors.
    bool accepting() const;
    // Whether the socket file at the name is still this listener's (it goes
    // when its folder is deleted).
    bool reachable() const;

    // The clock the request timeout and the pauses follow, in milliseconds
    // (steady); for tests.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // One attempt at asking the copy listening under name to show its
    // window; true once it answered. Waits at most timeoutMs, and gives up
    // sooner once stillWorthWaiting (asked every 100 ms) says no.
    static bool askToShow(const QString& name, int timeoutMs, QString* error,
                          const std::function<bool()>& stillWorthWaiting = {});

signals:
    // A later start asked for the window (already answered).
    void showRequested();

private:
    struct Listener;
    Listener* m_listener = nullptr;
    Clock m_clock;
};
