// Waits until the display has a system tray (or the timeout in seconds given
// as the first argument passes); exits 0 when it has one.
#include <QApplication>
#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QThread>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            return 0;
        QThread::msleep(50);
        QCoreApplication::processEvents();
    }
    return 1;
}
