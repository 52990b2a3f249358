#pragma once

#include <QObject>

class QSocketNotifier;

// The ways a user's session ends the program from outside, as signals on the
// event loop: the session manager asks for everything to be saved at logout
// or shutdown (saveRequested; the program may go on), and SIGTERM, SIGINT
// and SIGHUP on Unix ask it to end (requested). The Unix signal handler
// itself only writes a byte to a socket; everything else runs on the event
// loop.
class SessionEndSignals : public QObject
{
    Q_OBJECT
public:
    explicit SessionEndSignals(QObject* parent = nullptr);
    ~SessionEndSignals() override;

signals:
    void requested();
    void saveRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
