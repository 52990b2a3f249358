#include "platform/StoreLocation.h"

#include "platform/XdgFolder.h"

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
    const QString base = xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
#endif
    return QDir::cleanPath(base + QStringLiteral("/MIRTAL"));
}

QString defaultPath()
{
    return defaultFolder() + QStringLiteral("/store.sqlite3");
}

} // namespace StoreLocation
