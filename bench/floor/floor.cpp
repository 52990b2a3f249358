// The floor: the least a Qt 6 tray program can be. One tray icon, one hidden
// window, a 200 ms timer that does nothing. A click on the icon shows the
// window and closing the window hides it, so that showing and closing can be
// timed against the same gestures on orbo.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(500, 360);

    QPixmap picture(32, 32);
    picture.fill(Qt::darkYellow);
    QSystemTrayIcon tray{QIcon(picture)};
    QObject::connect(&tray, &QSystemTrayIcon::activated, &window, [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    });
    tray.show();

    QTimer timer;
    timer.start(200);
    return app.exec();
}
