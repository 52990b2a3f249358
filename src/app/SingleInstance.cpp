#include "app/SingleInstance.h"

#include "app/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString userTag()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    QString user = qEnvironmentVariable("USERNAME");
    return user.isEmpty() ? QStringLiteral("user") : user;
#endif
}

// The runtime folder is the user's own by definition; the temporary folder is
// shared, so a private sub-folder is made there.
QString baseFolder()
{
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
#endif
    return QDir::tempPath();
}

} // namespace

SingleInstance::SingleInstance(const QString& storePath, QObject* parent)
    : QObject(parent), m_folder(QDir::cleanPath(baseFolder() + QStringLiteral("/orbo-") + userTag()))
{
    const QString store = QFileInfo(storePath).absoluteFilePath();
    m_id = QString::fromLatin1(
        QCryptographicHash::hash(store.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/") + m_id + QStringLiteral(".lock");
}

QString SingleInstance::serverName() const
{
#ifdef Q_OS_UNIX
    return m_folder + QStringLiteral("/") + m_id + QStringLiteral(".socket");
#else
    // Named pipes live in their own name space; UserAccessOption limits them.
    return QStringLiteral("orbo-") + userTag() + QStringLiteral("-") + m_id;
#endif
}

bool SingleInstance::makeFolderPrivate()
{
    if (!QDir().mkpath(m_folder)) {
        m_problem =
            QStringLiteral("Ordner %1 kann nicht angelegt werden").arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
#ifdef Q_OS_UNIX
    // In a shared folder someone else may have made this folder first: then
    // it is not ours to trust.
    const QByteArray name = QFile::encodeName(m_folder);
    struct stat st = {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (::chmod(name.constData(), 0700) != 0)) {
        m_problem = QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(m_folder);
        return false;
    }
#endif
    return true;
}

SingleInstance::Claim SingleInstance::claim()
{
    m_problem.clear();
    if (!makeFolderPrivate())
        return Claim::Unguarded;
    m_lock = std::make_unique<QLockFile>(lockPath());
    // The lock lives as long as the program: it must never go stale by age,
    // only when its process is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        QFile::setPermissions(lockPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        listen();
        return Claim::Running;
    }
    if (m_lock->error() == QLockFile::LockFailedError)
        return Claim::AnotherRuns;
    m_problem = QStringLiteral("Sperrdatei %1 kann nicht angelegt werden").arg(lockPath());
    return Claim::Unguarded;
}

void SingleInstance::listen()
{
    m_channel = new InstanceChannel(this);
    QString error;
    if (!m_channel->listen(serverName(), &error)) {
        m_problem = QStringLiteral("Anschluss %1: %2").arg(serverName(), error);
        return;
    }
    connect(m_channel, &InstanceChannel::showRequested, this, &SingleInstance::showRequested);
}

bool SingleInstance::handOver(int timeoutMs)
{
    m_problem.clear();
    // The running copy may have taken the lock a moment ago and not yet be
    // listening, so connecting is tried again until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        if (InstanceChannel::askToShow(serverName(), int(qMax<qint64>(1, deadline.remainingTime())),
                                       &m_problem))
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}
