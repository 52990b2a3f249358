#include "app/Autosave.h"
#include "app/ExitSaver.h"
#include "app/PindelApp.h"
#include "app/ProcessSetup.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "cards/CardPrinter.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"
#include "store/StoreLocation.h"

#include <QApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char* argv[])
{
    ProcessSetup::makeNewFilesPrivate();
    QApplication app(argc, argv);
    ProcessSetup::describeApplication(app);
    ProcessSetup::translateQtTexts(QLocale::system());

    // A second start brings the running copy's window back and ends.
    SingleInstance instance(StoreLocation::defaultPath());
    switch (instance.claim()) {
    case SingleInstance::Claim::Running:
        break;
    case SingleInstance::Claim::AnotherRuns:
        if (instance.handOver())
            return 0;
        std::fprintf(stderr, "orbo: Pindel läuft schon, antwortet aber nicht: %s\n",
                     instance.problem().toLocal8Bit().constData());
        return 1;
    case SingleInstance::Claim::Unguarded:
        std::fprintf(stderr, "orbo: %s\n", instance.problem().toLocal8Bit().constData());
        break;
    }

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
    Autosave autosave(pindel.context(), [&pindel](const std::optional<QString>& failure) {
        if (failure)
            pindel.reporter().report(*failure);
        else
            pindel.reporter().clear();
    });

    // The display server may end first (killed at logout): Qt then ends the
    // program with exit(1) from inside the event loop.
    ExitSaver displayLoss([&pindel] { pindel.endSession(); });

    pindel.start();
    return app.exec();
}
