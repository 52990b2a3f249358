#include "platform/Autostart.h"
#include "platform/XdgFolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace Autostart {

namespace {

const QString kEntryName = QStringLiteral("orbo.desktop");

QString folder()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/autostart");
}

// The program as the Exec key needs it: quoted when the path holds a
// character the command line treats specially, then escaped as a string
// value of a desktop entry.
QString execValue(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString value = program;
    if (std::any_of(value.cbegin(), value.cend(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted;
        for (QChar c : std::as_const(value)) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        value = u'"' + quoted + u'"';
    }
    value.replace(u'%', QStringLiteral("%%"));
    value.replace(u'\\', QStringLiteral("\\\\"));
    return value;
}

QString failure(const QString& what, const QString& path, const QString& cause)
{
    return QStringLiteral("Der Autostart-Eintrag %1 kann nicht %2 werden: %3")
        .arg(QDir::toNativeSeparators(path), what, cause);
}

} // namespace

QString location()
{
    return folder() + u'/' + kEntryName;
}

bool isEnabled()
{
    QFile entry(location());
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    // A desktop's settings switch an entry off with Hidden=true in its
    // [Desktop Entry] group; blanks around the equals sign count for nothing.
    bool inMainGroup = false;
    while (!entry.atEnd()) {
        const QByteArray line = entry.readLine().trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[Desktop Entry]";
        const qsizetype equals = line.indexOf('=');
        if (inMainGroup && equals > 0 && line.left(equals).trimmed() == "Hidden" &&
            line.mid(equals + 1).trimmed() == "true")
            return false;
    }
    return true;
}

std::optional<QString> setEnabled(bool on, const QString& program)
{
    const QString path = location();
    if (!on) {
        QFile entry(path);
        if (entry.exists() && !entry.remove())
            return failure(QStringLiteral("entfernt"), path, entry.errorString());
        return std::nullopt;
    }

    QFile templ(QStringLiteral(":/entries/orbo.desktop"));
    if (!templ.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("geschrieben"), path, templ.errorString());
    QByteArray text;
    const QByteArray exec = "Exec=" + execValue(program).toUtf8();
    while (!templ.atEnd()) {
        const QByteArray line = templ.readLine();
        if (line.startsWith("Hidden=") || line.startsWith("X-GNOME-Autostart-enabled="))
            continue;
        text += line.startsWith("Exec=") ? exec + '\n' : line;
    }

    if (!QDir().mkpath(folder()))
        return failure(
            QStringLiteral("geschrieben"), path,
            QStringLiteral("der Ordner %1 lässt sich nicht anlegen").arg(QDir::toNativeSeparators(folder())));
    QSaveFile entry(path);
    entry.setDirectWriteFallback(false);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(text) != text.size() ||
        !entry.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther) ||
        !entry.commit()) {
        const QString cause = entry.errorString();
        entry.cancelWriting();
        return failure(QStringLiteral("geschrieben"), path, cause);
    }
    return std::nullopt;
}

} // namespace Autostart
