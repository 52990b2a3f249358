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

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Starts listening under name; a leftover of a crashed copy is replaced.
    // False with the cause in error when it cannot.
    bool listen(const QString& name, QString* error);

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
};
