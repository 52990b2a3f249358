#include "app/PindelApp.h"
#include "handlers/AutostartCommand.h"
#include "platform/ExitSaver.h"
#include "platform/ProcessSetup.h"
#include "platform/SessionEndSignals.h"
#include "platform/SingleInstance.h"
#include "platform/StoreLocation.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>

namespace {

// Why this start cannot run, on stderr in one line and in a message box.
void tellUser(const QString& message)
{
    std::fprintf(stderr, "orbo: %s\n",
                 qPrintable(QString(message).replace(QStringLiteral("\n\n"), QStringLiteral(" "))));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pindel"), message, QMessageBox::Ok);
    box.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    ProcessSetup::makeNewFilesPrivate();
    ProcessSetup::returnLargeBlocksWhenFreed();
    // Switching starting at login needs no display: no window, no tray.
    if (AutostartCommand::isRequested(argc, argv)) {
        QCoreApplication command(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return AutostartCommand::run(QCoreApplication::arguments().mid(2),
                                     QCoreApplication::applicationFilePath(), out, err);
    }
    QApplication app(argc, argv);
    ProcessSetup::describeApplication(app);
    ProcessSetup::translateQtTexts(QLocale::system());

    // One copy per store: a second start brings the running copy's window
    // back, or tells the user why it cannot, and ends.
    SingleInstance instance(StoreLocation::defaultPath());
    if (const auto ending = instance.settle()) {
        if (!ending->message.isEmpty())
            tellUser(ending->message);
        return ending->status;
    }

    SqliteStore store(StoreLocation::defaultPath());
    SerializedStore serializedStore(store); // every access on one worker, in order
    DefaultPrinter printer;
    SessionEndSignals sessionEnd;
    PindelApp pindel(serializedStore, printer);
    pindel.listenTo(store, instance, sessionEnd);
    // The display server may end first (killed at logout); Qt then ends the
    // program at once, past the event loop's end.
    ExitSaver displayLoss([&pindel] { pindel.endSession(); });
    pindel.start();
    // `orbo --open` (the application menu's entry) asks for the window, as a
    // click on the tray icon does; plain `orbo`, as started at login, stays in
    // the tray. A second start shows the running copy's window either way.
    if (QCoreApplication::arguments().mid(1).contains(QStringLiteral("--open")))
        pindel.restoreFromTray();
    const int status = app.exec();
    return status != 0 ? status : pindel.exitStatus();
}
