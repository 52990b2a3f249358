#include "platform/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// A request is one short line; anything longer is not ours. Sending never
// raises SIGPIPE: a caller that went away must not end the running copy.
constexpr qsizetype kMaxLine = 64;
constexpr qint64 kAskAgainMs = 100;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool addressFor(const QString& name, sockaddr_un* address, QString* error)
{
    const QByteArray path = QFile::encodeName(name);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address->sun_path)) {
        *error = QStringLiteral("Der Pfad %1 ist für einen Anschluss zu lang").arg(name);
        return false;
    }
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

// Closes a descriptor when it goes out of scope, unless released.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

} // namespace

struct InstanceChannel::Listener
{
    int fd = -1;
    QByteArray path;
    QSocketNotifier* notifier = nullptr;
    // Connections that have not yet sent their whole line.
    struct Caller
    {
        QSocketNotifier* notifier;
        QByteArray received;
    };
    QHash<int, Caller> callers;
};

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    if (!m_listener)
        return;
    for (auto it = m_listener->callers.cbegin(); it != m_listener->callers.cend(); ++it)
        ::close(it.key());
    ::close(m_listener->fd);
    // Gone with the copy that listened; one left by a crash is replaced by
    // the next copy.
    ::unlink(m_listener->path.constData());
    delete m_listener;
}

bool InstanceChannel::listen(const QString& name, QString* error)
{
    sockaddr_un address;
    if (!addressFor(name, &address, error))
        return false;
    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0) {
        *error = systemError(errno);
        return false;
    }
    // Only the holder of the lock gets here, so a socket file left behind is
    // from a copy that crashed.
    ::unlink(address.sun_path);
    if (::bind(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0700) != 0 || ::listen(socket.fd, 8) != 0) {
        *error = systemError(errno);
        return false;
    }
    m_listener = new Listener;
    m_listener->fd = socket.release();
    m_listener->path = address.sun_path;
    m_listener->notifier = new QSocketNotifier(m_listener->fd, QSocketNotifier::Read, this);
    connect(m_listener->notifier, &QSocketNotifier::activated, this, [this] {
        int caller;
        while ((caller = ::accept4(m_listener->fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
            auto* notifier = new QSocketNotifier(caller, QSocketNotifier::Read, this);
            m_listener->callers.insert(caller, {notifier, {}});
            connect(notifier, &QSocketNotifier::activated, this, [this, caller] {
                const auto found = m_listener->callers.find(caller);
                if (found == m_listener->callers.end())
                    return;
                Listener::Caller& c = *found;
                char buffer[kMaxLine];
                const ssize_t n = ::read(caller, buffer, sizeof buffer);
                if (n < 0 && (errno == EAGAIN || errno == EINTR))
                    return;
                if (n > 0)
                    c.received.append(buffer, n);
                const bool lineComplete = c.received.contains('\n');
                if (!lineComplete && n > 0 && c.received.size() < kMaxLine)
                    return;
                const bool asked = c.received == showRequest;
                if (asked)
                    (void)!::send(caller, shownReply.constData(), size_t(shownReply.size()), MSG_NOSIGNAL);
                c.notifier->setEnabled(false);
                c.notifier->deleteLater();
                m_listener->callers.erase(found);
                ::close(caller);
                if (asked)
                    emit showRequested();
            });
        }
    });
    return true;
}

bool InstanceChannel::askToShow(const QString& name, int timeoutMs, QString* error,
                                const std::function<bool()>& stillWorthWaiting)
{
    sockaddr_un address;
    if (!addressFor(name, &address, error))
        return false;
    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (socket.fd < 0 ||
        ::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::send(socket.fd, showRequest.constData(), size_t(showRequest.size()), MSG_NOSIGNAL) !=
            showRequest.size()) {
        *error = systemError(errno);
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < kMaxLine) {
        pollfd wait{socket.fd, POLLIN, 0};
        const qint64 slice = qMin<qint64>(kAskAgainMs, qMax<qint64>(0, deadline.remainingTime()));
        const int ready = ::poll(&wait, 1, int(slice));
        if (ready < 0 && errno == EINTR)
            continue;
        // A connection is taken while the copy is stopped or still starting,
        // so the wait is cut into slices in which the caller may give up.
        if (ready == 0 && !deadline.hasExpired() && (!stillWorthWaiting || stillWorthWaiting()))
            continue;
        if (ready <= 0) {
            *error = ready == 0 ? QStringLiteral("keine Antwort") : systemError(errno);
            return false;
        }
        char buffer[kMaxLine];
        const ssize_t n = ::read(socket.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error =
                n == 0 ? QStringLiteral("die Verbindung wurde ohne Antwort beendet") : systemError(errno);
            return false;
        }
        reply.append(buffer, n);
    }
    if (reply != shownReply) {
        *error = QStringLiteral("unerwartete Antwort");
        return false;
    }
    return true;
}
