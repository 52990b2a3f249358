#include "app/PindelApp.h"
#include "app/ProcessSetup.h"
#include "app/SessionEnd.h"
#include "cards/CardPrinter.h"
#include "store/SqliteStore.h"
#include "store/StoreLocation.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    ProcessSetup::makeNewFilesPrivate();
    QApplication app(argc, argv);
    ProcessSetup::describeApplication(app);

    SqliteStore store(StoreLocation::defaultPath());
    DefaultPrinter printer;
    PindelApp pindel(store, printer);
    SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &SessionEnd::requested, &pindel, &PindelApp::endSession);

    pindel.start();
    return app.exec();
}
