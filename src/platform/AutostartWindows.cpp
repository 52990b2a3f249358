#include "platform/Autostart.h"

#include <QDir>
#include <QSettings>

namespace Autostart {

namespace {

const QString kRunKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kValueName = QStringLiteral("Pindel");

} // namespace

QString location()
{
    return kRunKey + u'\\' + kValueName;
}

bool isEnabled()
{
    return QSettings(kRunKey, QSettings::NativeFormat).contains(kValueName);
}

std::optional<QString> setEnabled(bool on, const QString& program)
{
    QSettings run(kRunKey, QSettings::NativeFormat);
    if (on)
        run.setValue(kValueName, u'"' + QDir::toNativeSeparators(program) + u'"');
    else
        run.remove(kValueName);
    run.sync();
    if (run.status() != QSettings::NoError)
        return QStringLiteral("Der Autostart-Eintrag %1 kann nicht %2 werden: Zugriff verweigert")
            .arg(location(), on ? QStringLiteral("geschrieben") : QStringLiteral("entfernt"));
    return std::nullopt;
}

} // namespace Autostart
