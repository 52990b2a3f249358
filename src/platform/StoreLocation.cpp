#include "platform/StoreLocation.h"

#include <QDir>
#include <QtGlobal>

namespace StoreLocation {

QString defaultFolder()
{
#ifdef Q_OS_WIN
    QString base = qEnvironmentVariable("APPDATA");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/AppData/Roaming");
#else
    // The XDG rule: a relative XDG_CONFIG_HOME is invalid and ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
#endif
    return QDir::cleanPath(base + QStringLiteral("/MIRTAL"));
}

QString defaultPath()
{
    return defaultFolder() + QStringLiteral("/store.sqlite3");
}

} // namespace StoreLocation
