#include "platform/SingleInstance.h"

#include "platform/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// How long the events of one deletion (files, then their folder) may take.
constexpr int kGuardSettleMs = 300;

// A lock whose file was deleted under it: unlocking it would remove, by
// name, the lock file made since. Kept, never unlocked, until the end.
void abandon(std::unique_ptr<QLockFile> lock)
{
    static auto* abandoned = new std::vector<std::unique_ptr<QLockFile>>;
    abandoned->push_back(std::move(lock));
}

// A lock file that names no process and has not changed for this long is
// what a power cut leaves between making the file and writing it.
constexpr qint64 kEmptyLockAgeMs = 10000;

enum class ProcessState { Alive, Stopped, Gone };

ProcessState processState(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return ProcessState::Gone;
#endif
#ifdef Q_OS_LINUX
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // The state follows the command name, which may itself hold ") ".
        const QByteArray line = stat.readAll();
        const qsizetype end = line.lastIndexOf(')');
        const char state = end >= 0 && end + 2 < line.size() ? line.at(end + 2) : '?';
        if (state == 'T' || state == 't')
            return ProcessState::Stopped;
        if (state == 'Z' || state == 'X')
            return ProcessState::Gone;
    }
#endif
    return ProcessState::Alive;
}

#ifdef Q_OS_UNIX
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

// Lock and socket must lie where only this user can write: anyone else who
// could would be able to take the lock away or answer in the copy's place.
bool ownFolder(const QString& folder, bool followLinks, QString* problem)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder)) {
        *problem = QStringLiteral("Der Ordner %1 kann nicht angelegt werden").arg(shown);
        return false;
    }
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    struct stat st = {};
    if ((followLinks ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0) {
        *problem = QStringLiteral("Der Ordner %1: %2").arg(shown, systemError());
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *problem = QStringLiteral("%1 ist kein Ordner").arg(shown);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *problem = QStringLiteral("Der Ordner %1 gehört nicht diesem Benutzer").arg(shown);
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), st.st_mode & 07700) != 0) {
        *problem =
            QStringLiteral("Der Ordner %1 ist für andere Benutzer offen: %2").arg(shown, systemError());
        return false;
    }
#else
    Q_UNUSED(followLinks);
#endif
    return true;
}

#ifdef Q_OS_UNIX
// Where the socket goes when the store's folder is too deep for a socket
// address. A fixed place, not TMPDIR: every start must find the same socket
// whatever its environment. Its owner and mode are checked before each use.
QString sideFolder()
{
    return QStringLiteral("/tmp/orbo-%1").arg(::geteuid());
}
#else
QString userTag()
{
    const QString user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
}
#endif

int remainingMs(const QDeadlineTimer& deadline)
{
    return int(qMax<qint64>(1, deadline.remainingTime()));
}

} // namespace

struct SingleInstance::Holder
{
    qint64 pid = 0;
    QString host;
    ProcessState state = ProcessState::Alive;
};

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent), m_storePath(QFileInfo(storePath).absoluteFilePath()),
      m_folder(QFileInfo(m_storePath).absolutePath())
{
    m_guardCheck.setSingleShot(true);
    m_guardCheck.setInterval(kGuardSettleMs);
    connect(&m_guardCheck, &QTimer::timeout, this, &SingleInstance::keepGuard);
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: once the lock is free, a new copy may
    // already listen under the same name.
    delete m_channel;
    m_channel = nullptr;
}

QString SingleInstance::lockPath() const
{
    return m_folder + QLatin1Char('/') + QFileInfo(m_storePath).fileName() + QStringLiteral(".lock");
}

QString SingleInstance::serverName() const
{
    const QString store = m_folder + QLatin1Char('/') + QFileInfo(m_storePath).fileName();
#ifdef Q_OS_UNIX
    const QString beside = store + QStringLiteral(".socket");
    if (QFile::encodeName(beside).size() < qsizetype(sizeof(sockaddr_un::sun_path)))
        return beside;
    const QByteArray key = store.toUtf8();
#else
    const QByteArray key = store.toLower().toUtf8();
#endif
    const QString tag =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
#ifdef Q_OS_UNIX
    return sideFolder() + QLatin1Char('/') + tag + QStringLiteral(".socket");
#else
    // Named pipes live in their own name space; UserAccessOption limits them.
    return QStringLiteral("orbo-") + userTag() + QLatin1Char('-') + tag;
#endif
}

bool SingleInstance::prepareFolder()
{
    if (!ownFolder(m_folder, true, &m_problem))
        return false;
    // Every start names lock and socket by the same path, however it reached
    // the store's folder.
    const QString canonical = QFileInfo(m_folder).canonicalFilePath();
    if (!canonical.isEmpty())
        m_folder = canonical;
    return true;
}

bool SingleInstance::socketFolderReady()
{
#ifdef Q_OS_UNIX
    const QString folder = QFileInfo(serverName()).absolutePath();
    return folder == m_folder || ownFolder(folder, false, &m_problem);
#else
    return true;
#endif
}

SingleInstance::Claim SingleInstance::claim()
{
    m_problem.clear();
    if (!prepareFolder())
        return Claim::Refused;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(lockPath());
        // The lock lives as long as the program: it must never go stale by
        // age, only when its process is gone.
        m_lock->setStaleLockTime(0);
    }
    bool locked = m_lock->tryLock(0);
    if (!locked && m_lock->error() == QLockFile::LockFailedError &&
        !m_lock->getLockInfo(nullptr, nullptr, nullptr) &&
        QFileInfo(lockPath()).lastModified().msecsTo(QDateTime::currentDateTime()) > kEmptyLockAgeMs) {
        // Removed only if no process holds it open (a live copy does).
        locked = m_lock->removeStaleLockFile() && m_lock->tryLock(0);
    }
    if (locked) {
        QFile::setPermissions(lockPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_lockFile = PrivateFiles::identityOf(lockPath());
        listen();
        watchGuard();
        return Claim::Running;
    }
    const QString lock = QDir::toNativeSeparators(lockPath());
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Claim::AnotherRuns;
    case QLockFile::PermissionError:
        m_problem =
            QStringLiteral("Die Sperrdatei %1 kann nicht angelegt werden: keine Schreibrechte im Ordner %2")
                .arg(lock, QDir::toNativeSeparators(m_folder));
        break;
    default:
        m_problem = QStringLiteral("Die Sperrdatei %1 kann nicht angelegt werden (ist der Datenträger voll?)")
                        .arg(lock);
        break;
    }
    return Claim::Refused;
}

void SingleInstance::listen()
{
    if (!socketFolderReady())
        return;
    m_channel = new InstanceChannel(this);
    QString error;
    if (!m_channel->listen(serverName(), &error)) {
        m_problem = QStringLiteral("Anschluss %1: %2").arg(serverName(), error);
        return;
    }
    connect(m_channel, &InstanceChannel::showRequested, this, &SingleInstance::showRequested);
}

void SingleInstance::watchGuard()
{
    if (!m_guardWatch) {
        m_guardWatch = new QFileSystemWatcher(this);
        connect(m_guardWatch, &QFileSystemWatcher::fileChanged, this, [this] { m_guardCheck.start(); });
    }
    if (!m_guardWatch->files().isEmpty())
        m_guardWatch->removePaths(m_guardWatch->files());
    m_guardWatch->addPath(lockPath());
    if (m_channel && m_channel->reachable())
        m_guardWatch->addPath(serverName());
}

void SingleInstance::keepGuard()
{
    const bool lockKept = PrivateFiles::identityOf(lockPath()) == m_lockFile;
    const bool socketKept = m_channel && m_channel->reachable();
    if (lockKept && socketKept) {
        watchGuard();
        return;
    }
    // Deleted with the store's folder, or by a cleaner: a later start would
    // find no copy running and run as a second one.
    delete m_channel;
    m_channel = nullptr;
    m_problem.clear();
    if (lockKept) {
        if (prepareFolder())
            listen();
        watchGuard();
    } else {
        abandon(std::move(m_lock));
        if (claim() == Claim::AnotherRuns)
            m_problem = QStringLiteral("Die Sperrdatei %1 wurde gelöscht, und ein anderes Pindel hat sie übernommen")
                            .arg(QDir::toNativeSeparators(lockPath()));
    }
    if (!m_problem.isEmpty())
        std::fprintf(stderr, "orbo: %s\n", qPrintable(m_problem));
}

SingleInstance::Holder SingleInstance::holder() const
{
    Holder h;
    if (!QFileInfo::exists(lockPath())) {
        h.state = ProcessState::Gone;
        return h;
    }
    // Unreadable for a moment while its maker writes it: taken as alive.
    QString application;
    if (!m_lock || !m_lock->getLockInfo(&h.pid, &h.host, &application))
        return h;
    // A copy on another computer sharing this home: its process number
    // means nothing here.
    if (h.host.isEmpty() || h.host == QSysInfo::machineHostName())
        h.state = processState(h.pid);
    return h;
}

SingleInstance::HandOver SingleInstance::handOver(int timeoutMs)
{
    m_problem.clear();
    QDeadlineTimer deadline(timeoutMs);
    if (!socketFolderReady())
        return HandOver::NotAnswering;
    QElapsedTimer stoppedFor;
    const auto stillWorthWaiting = [this] { return holder().state == ProcessState::Alive; };
    while (true) {
        const Holder h = holder();
        m_holderPid = h.pid;
        m_holderHost = h.host;
        if (h.state == ProcessState::Gone)
            return HandOver::HolderGone;
        if (h.state == ProcessState::Stopped) {
            if (!stoppedFor.isValid())
                stoppedFor.start();
            else if (stoppedFor.hasExpired(stoppedTimeoutMs))
                return HandOver::Stopped;
        } else {
            stoppedFor.invalidate();
            // The copy may have taken the lock a moment ago and not yet
            // listen, so a refused connection is tried again.
            if (InstanceChannel::askToShow(serverName(), remainingMs(deadline), &m_problem,
                                           stillWorthWaiting))
                return HandOver::Shown;
        }
        if (deadline.hasExpired())
            return HandOver::NotAnswering;
        QThread::msleep(50);
    }
}

std::optional<SingleInstance::Ending> SingleInstance::settle()
{
    // The copy holding the lock may end while it is asked; this start then
    // takes its place.
    for (int round = 0; round < 5; ++round) {
        switch (claim()) {
        case Claim::Running:
            if (!m_problem.isEmpty())
                std::fprintf(stderr, "orbo: %s\n", qPrintable(m_problem));
            return std::nullopt;
        case Claim::Refused:
            return Ending{
                1, QStringLiteral("Pindel kann nicht starten: %1.\n\n"
                               "Neben dem Notizspeicher %2 legt Pindel eine Sperrdatei an, damit nie zwei "
                               "Pindel dieselben Notizen überschreiben. Das geht nur in einem Ordner, den "
                               "allein Sie beschreiben können. Beheben Sie die Ursache und starten Sie "
                               "Pindel dann erneut.")
                       .arg(m_problem, QDir::toNativeSeparators(m_storePath))};
        case Claim::AnotherRuns:
            break;
        }
        const HandOver outcome = handOver();
        if (outcome == HandOver::Shown)
            return Ending{0, {}};
        if (outcome != HandOver::HolderGone)
            return Ending{1, explain(outcome)};
    }
    return Ending{1, explain(HandOver::NotAnswering)};
}

QString SingleInstance::explain(HandOver outcome) const
{
    QString who;
    if (m_holderPid > 0 && !m_holderHost.isEmpty() && m_holderHost != QSysInfo::machineHostName())
        who = QStringLiteral(" (Prozess %1 auf dem Rechner %2)").arg(m_holderPid).arg(m_holderHost);
    else if (m_holderPid > 0)
        who = QStringLiteral(" (Prozess %1)").arg(m_holderPid);
    QString text;
    if (outcome == HandOver::Stopped) {
        text = QStringLiteral("Pindel läuft schon%1, ist aber angehalten und antwortet nicht.\n\n"
                              "Setzen Sie den Prozess fort (kill -CONT %2) oder beenden Sie ihn, und starten "
                              "Sie Pindel dann erneut.")
                   .arg(who)
                   .arg(m_holderPid);
    } else {
        text = QStringLiteral("Pindel läuft schon%1, antwortet aber nicht: %2.\n\n"
                              "Warten Sie einen Moment und starten Sie Pindel dann erneut, oder beenden Sie "
                              "den laufenden Prozess.")
                   .arg(who, m_problem.isEmpty() ? QStringLiteral("keine Antwort") : m_problem);
    }
    return text + QStringLiteral("\n\nEin zweites Pindel mit demselben Notizspeicher (%1) startet nicht: es "
                                 "würde die Notizen des ersten überschreiben.")
                      .arg(QDir::toNativeSeparators(m_storePath));
}
