#include "platform/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Gives the file at from the name to, unless something has that name: a
// file, a folder or a symbolic link, dangling or not.
bool nameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without the flag (NFS): a hard link refuses an existing
    // name just as well.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}

// Makes a new name in folder last through a power cut. Best effort: the
// file is whole and named already.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

QString createNew(const QString& folder, const std::function<QString(int attempt)>& nameFor,
                  const QByteArray& bytes, QString* error)
{
    constexpr int kMostAttempts = 1000;
#ifdef Q_OS_UNIX
    const QByteArray folderName = QFile::encodeName(folder);
    QByteArray temp = folderName + "/.pindel-new-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(folder), lastError());
        return {};
    }
    bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int cause = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        cause = errno;
    }
    QString path;
    for (int attempt = 1; written && attempt <= kMostAttempts; ++attempt) {
        path = folder + QLatin1Char('/') + nameFor(attempt);
        if (nameWithoutReplacing(temp, QFile::encodeName(path))) {
            syncFolder(folderName);
            return path;
        }
        cause = errno;
        if (cause != EEXIST)
            break;
    }
    ::unlink(temp.constData());
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(written ? path : QFile::decodeName(temp)),
                                          QString::fromLocal8Bit(std::strerror(cause)));
    return {};
#else
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        QFile file(folder + QLatin1Char('/') + nameFor(attempt));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
        } else if (file.write(bytes) == bytes.size() && file.flush()) {
            file.close();
            if (file.error() == QFileDevice::NoError)
                return file.fileName();
        }
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        file.close();
        file.remove();
        return {};
    }
    *error = QStringLiteral("%1: zu viele Dateien gleichen Namens").arg(QDir::toNativeSeparators(folder));
    return {};
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
