#include "store/RescueFiles.h"

#include "platform/PrivateFiles.h"
#include "platform/StoreLocation.h"
#include "platform/XdgFolder.h"

#include <QDir>
#include <QFileInfo>

namespace RescueFiles {

namespace {
const QString kPrefix = QStringLiteral("Pindel-gerettet-");

QString runtimeFolder()
{
    const QString set = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !set.isEmpty() && !QDir::isRelativePath(set) ? QDir::cleanPath(set) : QString();
}
} // namespace

QStringList folders(const QString& storeFolder)
{
    const QString state = xdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state"));
    QStringList list{QDir::cleanPath(storeFolder), QDir::cleanPath(state + QStringLiteral("/MIRTAL")),
                     QDir::cleanPath(QDir::homePath())};
    if (const QString runtime = runtimeFolder(); !runtime.isEmpty())
        list << runtime;
    list.removeDuplicates();
    return list;
}

QStringList folders()
{
    return folders(StoreLocation::defaultFolder());
}

QString fileName(const QDateTime& at, const QString& label, int attempt)
{
    QString safe = label;
    for (QChar& c : safe) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return kPrefix + at.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') + safe +
           (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString()) + QStringLiteral(".txt");
}

QString write(const QStringList& folders, const QString& label, const QString& text, QString* error)
{
    const QDateTime at = QDateTime::currentDateTime();
    const QByteArray bytes = text.toUtf8();
    QStringList causes;
    for (const QString& folder : folders) {
        QString cause;
        // Only a missing folder is made (the program's own ones); the home
        // folder and the runtime folder are the user's and the desktop's.
        if (!QFileInfo::exists(folder) && !PrivateFiles::ensureFolder(folder, &cause)) {
            causes << cause;
            continue;
        }
        const QString file = PrivateFiles::createNew(
            folder, [&](int attempt) { return fileName(at, label, attempt); }, bytes, &cause);
        if (!file.isEmpty())
            return file;
        causes << cause;
    }
    *error = causes.join(QStringLiteral("; "));
    return {};
}

QString write(const QString& label, const QString& text, QString* error)
{
    return write(folders(), label, text, error);
}

bool lastsUntilLogout(const QString& file)
{
    const QString runtime = runtimeFolder();
    return !runtime.isEmpty() && QFileInfo(file).absolutePath() == runtime;
}

QString describe(const QStringList& files)
{
    QStringList shown;
    bool volatileFolder = false;
    for (const QString& file : files) {
        shown << QDir::toNativeSeparators(file);
        volatileFolder = volatileFolder || lastsUntilLogout(file);
    }
    QString text = shown.join(QStringLiteral(", "));
    if (volatileFolder)
        text += QStringLiteral(" (Achtung: %1 wird beim Abmelden oder Neustart geleert. Kopieren Sie die Datei "
                               "jetzt an einen sicheren Ort.)")
                    .arg(QDir::toNativeSeparators(runtimeFolder()));
    return text;
}

QStringList find()
{
    QStringList found;
    for (const QString& folder : folders()) {
        const QDir dir(folder);
        // An empty file holds nothing to take back (an earlier version left
        // one when the disk was full).
        for (const QFileInfo& file :
             dir.entryInfoList({kPrefix + QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
            if (file.size() > 0)
                found << file.filePath();
        }
    }
    return found;
}

} // namespace RescueFiles
