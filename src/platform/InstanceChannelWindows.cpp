#include "platform/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

struct InstanceChannel::Listener
{
    QLocalServer* server = nullptr;
};

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    if (m_listener && m_listener->server)
        m_listener->server->close();
    delete m_listener;
}

bool InstanceChannel::listen(const QString& name, QString* error)
{
    auto* server = new QLocalServer(this);
    // Named pipes live in their own name space; UserAccessOption limits them
    // to this user.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        *error = server->errorString();
        delete server;
        return false;
    }
    m_listener = new Listener{server};
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const bool asked = socket->readLine() == showRequest;
                if (asked) {
                    socket->write(shownReply);
                    socket->flush();
                }
                socket->disconnectFromServer();
                if (asked)
                    emit showRequested();
            });
        }
    });
    return true;
}

bool InstanceChannel::accepting() const
{
    return m_listener && m_listener->server->isListening();
}

bool InstanceChannel::reachable() const
{
    // A named pipe has no file that could be deleted.
    return m_listener != nullptr;
}

bool InstanceChannel::askToShow(const QString& name, int timeoutMs, QString* error,
                                const std::function<bool()>& stillWorthWaiting)
{
    QDeadlineTimer deadline(timeoutMs);
    auto remaining = [&] { return int(qMax<qint64>(1, deadline.remainingTime())); };
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(remaining())) {
        socket.write(showRequest);
        socket.waitForBytesWritten(remaining());
        // Waited for in slices in which the caller may give up.
        while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired()) {
            if (!socket.waitForReadyRead(qMin(100, remaining())) &&
                socket.error() != QLocalSocket::SocketTimeoutError)
                break;
            if (stillWorthWaiting && !stillWorthWaiting())
                break;
        }
        if (socket.canReadLine() && socket.readLine() == shownReply)
            return true;
    }
    *error = socket.errorString();
    return false;
}
