// The floor: the least a Qt 6 tray program with a scrolling caption can be.
// One tray icon and one hidden 600 x 460 window with three plain-text editors
// in tabs. A 200 ms timer scrolls a banner through the window's caption and
// another through the icon's tip, the way orbo's marquee does: 30 characters
// a tick, the caption until its banner has run out, the tip set only when it
// changes. A click on the icon shows the window (and starts the banners
// again); closing the window hides it. So start, memory, showing and the
// idle cost are timed against the same gestures on orbo.
#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <vector>

namespace {

const QString caption = QStringLiteral("floor - a tray program with three plain-text editors");
const QString captionBanner = QString(43, QLatin1Char(' ')) + caption + QString(22, QLatin1Char(' ')) +
                              QStringLiteral("a banner of about the same length as the other one") +
                              QString(16, QLatin1Char(' ')) + QStringLiteral("and a last line") +
                              QString(17, QLatin1Char(' '));
const QString tipBanner = QStringLiteral(" ") + caption + QStringLiteral("  the tip scrolls as well ");

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // FLOOR_BALLAST_MB: that much memory, touched, so that the floor's idle
    // cost can be compared at the size of a program holding large notes.
    std::vector<char> ballast(size_t(qEnvironmentVariableIntValue("FLOOR_BALLAST_MB")) << 20, 1);

    QWidget window;
    window.setWindowTitle(caption);
    window.resize(600, 460);
    // The editors are built at the first show, as orbo builds its own: a
    // program that starts hidden in the tray lays out no text before that.
    auto build = [&window] {
        auto* tabs = new QTabWidget(&window);
        for (const char* name : {"one", "two", "three"})
            tabs->addTab(new QPlainTextEdit, QString::fromLatin1(name));
        (new QVBoxLayout(&window))->addWidget(tabs);
    };

    QPixmap picture(32, 32);
    picture.fill(Qt::darkYellow);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setToolTip(caption);
    qsizetype position = 0;
    QObject::connect(&tray, &QSystemTrayIcon::activated, &window, [&] {
        if (!window.layout())
            build();
        position = 0;
        window.show();
        window.raise();
        window.activateWindow();
    });
    tray.show();

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &window, [&] {
        ++position;
        if (position <= captionBanner.size() + 2)
            window.setWindowTitle(captionBanner.mid(position - 1, 30));
        const QString tip = tipBanner.mid(position - 1, 30);
        if (tip != tray.toolTip())
            tray.setToolTip(tip);
    });
    timer.start(200);
    return app.exec();
}
