#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>

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
} // namespace
#endif

bool ensureFolder(const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("Ordner %1 kann nicht angelegt werden").arg(QDir::toNativeSeparators(folder));
        return false;
    }
#ifdef Q_OS_UNIX
    if (::chmod(QFile::encodeName(folder).constData(), 0700) != 0) {
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
    const bool tightened = ::fchmod(fd, 0600) == 0;
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
    ::chmod(QFile::encodeName(file).constData(), 0600);
#else
    Q_UNUSED(file);
#endif
}

} // namespace PrivateFiles
