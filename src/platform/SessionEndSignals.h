#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the ways a user's session ends the program from outside into one
// signal on the event loop: logout or shutdown through the session manager,
// and SIGTERM, SIGINT and SIGHUP on Unix. The signal handler itself only
// writes a byte to a socket; everything else runs on the event loop.
class SessionEndSignals : public QObject
{
    Q_OBJECT
public:
    explicit SessionEndSignals(QObject* parent = nullptr);
    ~SessionEndSignals() override;

signals:
    void requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
