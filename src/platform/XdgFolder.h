#pragma once

#include <QDir>
#include <QString>

// A base folder as the XDG rules have it: the variable when it holds an
// absolute path (a relative one is invalid and ignored), else its default
// below the home folder, e.g. xdgFolder("XDG_CONFIG_HOME", ".config").
inline QString xdgFolder(const char* variable, const QString& belowHome)
{
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty() && !QDir::isRelativePath(set))
        return set;
    return QDir::homePath() + QLatin1Char('/') + belowHome;
}
