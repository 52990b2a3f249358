#include "app/PindelApp.h"
#include "app/ProcessSetup.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "cards/CardPrinter.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"
#include "store/StoreLocation.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    ProcessSetup::makeNewFilesPrivate();
    QApplication app(argc, argv);
    ProcessSetup::describeApplication(app);

    // One copy per store: a second start brings the running copy's window
    // back, or tells the user why it cannot, and ends.
    SingleInstance instance(StoreLocation::defaultPath());
    if (const auto exitCode = instance.settle())
        return *exitCode;

    SqliteStore store(StoreLocation::defaultPath());
    // Every access runs on one worker, in order; autosave writes there
    // without waiting, so huge notes do not freeze the window while saved.
    SerializedStore serializedStore(store);
    DefaultPrinter printer;
    PindelApp pindel(serializedStore, printer);
    SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &SessionEnd::requested, &pindel, &PindelApp::endSession);

    // Told once the event loop runs, when the tray icon can carry it.
    store.setNoticeSink([&pindel](const QString& notice) {
        QMetaObject::invokeMethod(
            &pindel, [&pindel, notice] { pindel.reporter().report(notice); }, Qt::QueuedConnection);
    });
    QObject::connect(&instance, &SingleInstance::showRequested, &pindel, &PindelApp::restoreFromTray);

    pindel.start();
    const int status = app.exec();
    return status != 0 ? status : pindel.exitStatus();
}
