#include "app/ProcessSetup.h"

#include <QApplication>
#include <QIcon>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace ProcessSetup {

void makeNewFilesPrivate()
{
#ifdef Q_OS_UNIX
    ::umask(077);
#endif
}

void describeApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("orbo"));
    QApplication::setOrganizationName(QStringLiteral("MIRTAL"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("orbo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/picture2.png")));
    app.setQuitOnLastWindowClosed(false);
}

} // namespace ProcessSetup
