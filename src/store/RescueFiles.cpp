#include "store/RescueFiles.h"

#include "platform/PrivateFiles.h"
#include "platform/StoreLocation.h"
#include "platform/XdgFolder.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

namespace RescueFiles {

namespace {
const QString kPrefix = QStringLiteral("Pindel-gerettet-");
}

QStringList folders()
{
    const QString state = xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
    return {StoreLocation::defaultFolder(), QDir::cleanPath(state + QStringLiteral("/MIRTAL")),
            QDir::homePath()};
}

QString write(int card, const QString& text, QString* error)
{
    const QString name = kPrefix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         QStringLiteral("-Karte-%1.txt").arg(card);
    const QByteArray bytes = text.toUtf8();
    QStringList causes;
    for (const QString& folder : folders()) {
        QString cause;
        // The home folder is the user's to set up; only the program's own
        // folders are made private.
        if (folder != QDir::homePath() && !PrivateFiles::ensureFolder(folder, &cause)) {
            causes << cause;
            continue;
        }
        QSaveFile file(folder + QLatin1Char('/') + name);
        file.setDirectWriteFallback(false);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
            QFile::setPermissions(file.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            return file.fileName();
        }
        causes << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
        file.cancelWriting();
    }
    *error = causes.join(QStringLiteral("; "));
    return {};
}

QStringList find()
{
    QStringList found;
    for (const QString& folder : folders()) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({kPrefix + QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            found << dir.filePath(name);
    }
    return found;
}

} // namespace RescueFiles
