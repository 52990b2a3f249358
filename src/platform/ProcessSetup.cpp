#include "platform/ProcessSetup.h"

#include "core/PindelVersion.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#endif

namespace ProcessSetup {

void makeNewFilesPrivate()
{
#ifdef Q_OS_UNIX
    ::umask(077);
    // A file size limit (ulimit -f) must refuse a write like a full disk
    // does, not end the program in the middle of it.
    ::signal(SIGXFSZ, SIG_IGN);
#endif
}

void returnLargeBlocksWhenFreed()
{
#ifdef __GLIBC__
    // glibc would raise its threshold for separately mapped blocks to the
    // largest block freed (up to 32 MB) and keep later ones of that size in
    // its heap after they are freed: each save of a 10 MB note would leave
    // tens of megabytes behind. A fixed threshold keeps them mapped apart.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

void describeApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("orbo"));
    QApplication::setOrganizationName(QStringLiteral("MIRTAL"));
    QApplication::setApplicationVersion(QString::fromLatin1(PindelVersion::kShown));
    QApplication::setDesktopFileName(QStringLiteral("orbo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/picture2.png")));
    app.setQuitOnLastWindowClosed(false);
}

QTranslator* translateQtTexts(const QLocale& locale)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace ProcessSetup
