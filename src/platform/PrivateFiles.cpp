#include "platform/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PrivateFiles {

#ifdef Q_OS_UNIX
namespace {
QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Takes away what others may do and leaves the user's own rights alone: a
// file or folder the user made read-only stays read-only.
bool dropOthersRights(const QByteArray& name)
{
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    return (st.st_mode & 077) == 0 || ::chmod(name.constData(), st.st_mode & 07700) == 0;
}
} // namespace
#endif

bool ensureFolder(const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Ordner %1 kann nicht angelegt werden").arg(QDir::toNativeSeparators(folder));
        return false;
    }
#ifdef Q_OS_UNIX
    if (!dropOthersRights(QFile::encodeName(folder))) {
        *error = QStringLiteral("%1: %2").arg(folder, lastError());
        return false;
    }
#endif
    return true;
}

bool ensureFile(const QString& file, QString* error)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(file);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(file, lastError());
        return false;
    }
    struct stat st = {};
    const bool tightened =
        ::fstat(fd, &st) == 0 && ((st.st_mode & 077) == 0 || ::fchmod(fd, st.st_mode & 07700) == 0);
    ::close(fd);
    if (!tightened) {
        *error = QStringLiteral("%1: %2").arg(file, lastError());
        return false;
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(error);
#endif
    return true;
}

void tightenIfPresent(const QString& file)
{
#ifdef Q_OS_UNIX
    dropOthersRights(QFile::encodeName(file));
#else
    Q_UNUSED(file);
#endif
}

void followMode(const QString& mainFile, const QString& companion)
{
#ifdef Q_OS_UNIX
    struct stat mainStat = {}, companionStat = {};
    const QByteArray name = QFile::encodeName(companion);
    if (::stat(QFile::encodeName(mainFile).constData(), &mainStat) != 0 ||
        ::stat(name.constData(), &companionStat) != 0)
        return;
    if ((companionStat.st_mode & 0777) != (mainStat.st_mode & 0700))
        ::chmod(name.constData(), mainStat.st_mode & 0700);
#else
    Q_UNUSED(mainFile);
    Q_UNUSED(companion);
#endif
}

std::optional<FileIdentity> identityOf(const QString& file)
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino)};
#else
    Q_UNUSED(file);
    return std::nullopt;
#endif
}

std::optional<FileState> stateOf(const QString& file)
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return std::nullopt;
#ifdef Q_OS_DARWIN
    const struct timespec modified = st.st_mtimespec, changed = st.st_ctimespec;
#else
    const struct timespec modified = st.st_mtim, changed = st.st_ctim;
#endif
    constexpr qint64 perSecond = 1000000000;
    return FileState{{quint64(st.st_dev), quint64(st.st_ino)},
                     qint64(st.st_size),
                     qint64(modified.tv_sec) * perSecond + modified.tv_nsec,
                     qint64(changed.tv_sec) * perSecond + changed.tv_nsec};
#else
    const QFileInfo info(file);
    if (!info.exists())
        return std::nullopt;
    return FileState{{}, info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000, 0};
#endif
}

bool lockedByAnotherProcess(const QString& file, qint64 start, qint64 length)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false; // gone: nobody can hold it
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = off_t(start);
    probe.l_len = off_t(length);
    const bool locked = ::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type != F_UNLCK;
    ::close(fd);
    return locked;
#else
    Q_UNUSED(file);
    Q_UNUSED(start);
    Q_UNUSED(length);
    return false;
#endif
}

} // namespace PrivateFiles
