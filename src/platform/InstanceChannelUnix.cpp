#include "platform/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <optional>
#include <utility>

namespace {

// A request is one short line; anything longer is not ours. Sending never
// raises SIGPIPE: a caller that went away must not end the running copy.
constexpr qsizetype kMaxLine = 64;
constexpr qint64 kAskAgainMs = 100;
// How often callers still silent, and a pause in taking them, are looked at.
constexpr int kWatchMs = 250;
// Once the process has run out of descriptors, taking callers pauses this
// long, twice as long at each further failure, up to the longest.
constexpr int kFirstPauseMs = 100;
constexpr int kLongestPauseMs = 2000;

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The socket file a path names now, if any.
std::optional<std::pair<dev_t, ino_t>> socketAt(const QByteArray& path)
{
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return std::nullopt;
    return std::pair{st.st_dev, st.st_ino};
}

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

// Connects, waiting for room while worthWaiting says so: a copy that
// serves its most callers leaves the next one waiting in connect. Nothing,
// or the cause of the failure.
int connectWhile(int fd, const sockaddr_un& address, const std::function<bool()>& worthWaiting)
{
    const timeval slice{0, kAskAgainMs * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int cause = errno;
        if ((cause != EAGAIN && cause != EINTR) || !worthWaiting())
            return cause;
    }
    return 0;
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

// Callers are served a few at a time; more wait in the system's queue,
// where they hold none of this process's descriptors, so stuck callers can
// never take those the store and the display need. A caller that has not
// sent its request in time is closed unanswered. When taking a caller fails
// (no descriptor left), taking pauses instead of being retried at once.
struct InstanceChannel::Listener
{
    struct Caller
    {
        QSocketNotifier* notifier;
        QByteArray received;
        qint64 since;
    };
    using Callers = QHash<int, Caller>;

    InstanceChannel* channel;
    int fd;
    QByteArray path;
    std::optional<std::pair<dev_t, ino_t>> socketFile;
    QSocketNotifier notifier;
    QTimer watch;
    // Connections that have not yet sent their whole line.
    Callers callers;
    qint64 pausedUntil = -1;
    int pauseMs = 0;

    Listener(InstanceChannel* owner, int socket, QByteArray socketPath)
        : channel(owner), fd(socket), path(std::move(socketPath)), socketFile(socketAt(path)),
          notifier(fd, QSocketNotifier::Read)
    {
        watch.setInterval(kWatchMs);
        QObject::connect(&notifier, &QSocketNotifier::activated, channel, [this] { takeCallers(); });
        QObject::connect(&watch, &QTimer::timeout, channel, [this] { lookAtTheTime(); });
    }

    ~Listener()
    {
        for (auto it = callers.begin(); it != callers.end();)
            it = drop(it);
        notifier.setEnabled(false);
        ::close(fd);
        // Gone with the copy that listened; one left by a crash is replaced
        // by the next copy. A socket made since at the same name is another
        // listener's.
        if (socketFile && socketAt(path) == socketFile)
            ::unlink(path.constData());
    }

    qint64 now() const { return channel->m_clock ? channel->m_clock() : steadyMs(); }
    bool accepting() const { return pausedUntil < 0 && callers.size() < maxCallers; }

    void takeCallers()
    {
        while (accepting()) {
            const int caller = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (caller >= 0) {
                pauseMs = 0;
                add(caller);
                continue;
            }
            // A caller that gave up while queued; the next one may be there.
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory: the waiting caller stays queued,
            // and retrying at once would only spin.
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                pauseMs = pauseMs == 0 ? kFirstPauseMs : qMin(2 * pauseMs, kLongestPauseMs);
                pausedUntil = now() + pauseMs;
            }
            break;
        }
        keepWatch();
    }

    void add(int caller)
    {
        auto* callerNotifier = new QSocketNotifier(caller, QSocketNotifier::Read, channel);
        callers.insert(caller, {callerNotifier, {}, now()});
        QObject::connect(callerNotifier, &QSocketNotifier::activated, channel,
                         [this, caller] { readFrom(caller); });
    }

    void readFrom(int caller)
    {
        const auto found = callers.find(caller);
        if (found == callers.end())
            return;
        char buffer[kMaxLine];
        const ssize_t n = ::read(caller, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (n > 0)
            found->received.append(buffer, n);
        const bool lineComplete = found->received.contains('\n');
        if (!lineComplete && n > 0 && found->received.size() < kMaxLine)
            return;
        const bool asked = found->received == showRequest;
        if (asked)
            (void)!::send(caller, shownReply.constData(), size_t(shownReply.size()), MSG_NOSIGNAL);
        drop(found);
        keepWatch();
        if (asked)
            emit channel->showRequested();
    }

    Callers::iterator drop(Callers::iterator caller)
    {
        caller->notifier->setEnabled(false);
        caller->notifier->deleteLater();
        ::close(caller.key());
        return callers.erase(caller);
    }

    void lookAtTheTime()
    {
        const qint64 t = now();
        for (auto it = callers.begin(); it != callers.end();)
            it = t - it->since >= requestTimeoutMs ? drop(it) : std::next(it);
        if (pausedUntil >= 0 && t >= pausedUntil)
            pausedUntil = -1;
        takeCallers();
    }

    // The listener is read only while it takes callers, and the time is
    // looked at only while callers wait or taking pauses.
    void keepWatch()
    {
        notifier.setEnabled(accepting());
        if (pausedUntil >= 0 || !callers.isEmpty()) {
            if (!watch.isActive())
                watch.start();
        } else {
            watch.stop();
        }
    }
};

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
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
    delete m_listener;
    m_listener = new Listener(this, socket.release(), address.sun_path);
    return true;
}

bool InstanceChannel::accepting() const
{
    return m_listener && m_listener->accepting();
}

bool InstanceChannel::reachable() const
{
    return m_listener && m_listener->socketFile && socketAt(m_listener->path) == m_listener->socketFile;
}

bool InstanceChannel::askToShow(const QString& name, int timeoutMs, QString* error,
                                const std::function<bool()>& stillWorthWaiting)
{
    sockaddr_un address;
    if (!addressFor(name, &address, error))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    const auto worthWaiting = [&] {
        return !deadline.hasExpired() && (!stillWorthWaiting || stillWorthWaiting());
    };
    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    const int cause = socket.fd < 0 ? errno : connectWhile(socket.fd, address, worthWaiting);
    if (cause != 0 ||
        ::send(socket.fd, showRequest.constData(), size_t(showRequest.size()), MSG_NOSIGNAL) !=
            showRequest.size()) {
        *error = systemError(cause != 0 ? cause : errno);
        return false;
    }
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < kMaxLine) {
        pollfd wait{socket.fd, POLLIN, 0};
        const qint64 slice = qMin<qint64>(kAskAgainMs, qMax<qint64>(0, deadline.remainingTime()));
        const int ready = ::poll(&wait, 1, int(slice));
        if (ready < 0 && errno == EINTR)
            continue;
        // A connection is taken while the copy is stopped or still starting,
        // so the wait is cut into slices in which the caller may give up.
        if (ready == 0 && worthWaiting())
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
