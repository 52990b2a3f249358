#pragma once

#include "RecordingStore.h"
#include "TestClock.h"
#include "app/PindelApp.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"
#include "ui/MainWindow.h"

#include <QCoreApplication>
#include <QtTest>

// A printer that takes every print and prints nothing.
class NoPrinter : public CardPrinter
{
public:
    void print(const QString&) override {}
};

// The whole program's wiring over a recording store, behind the same worker
// the program uses. Look at `store` through idle(), which first waits until
// the worker has done what was asked.
struct AppFixture
{
    TestClock clock; // first: every timer below is taken from it
    RecordingStore store;
    SerializedStore serialized{store};
    NoPrinter printer;
    PindelApp app{serialized, printer};

    RecordingStore& idle()
    {
        serialized.waitUntilIdle();
        return store;
    }

    // Starts the program and waits until the load step has run with the
    // notes read on the store's worker.
    bool start()
    {
        app.start();
        return QTest::qWaitFor([this] { return app.isStarted(); });
    }

    // Starts the program (no tray here, so the window stays on screen) and
    // waits until activation has filled the boxes.
    bool startShown()
    {
        if (!start())
            return false;
        app.window().activateWindow();
        return QTest::qWaitForWindowActive(&app.window()) &&
               QTest::qWaitFor([this] { return idle().log.count("read Pindel1") == 2; });
    }

    // Moves the clock on, then lets what its timers set off finish.
    void advance(int ms)
    {
        clock.advance(ms);
        serialized.waitUntilIdle();
        QCoreApplication::sendPostedEvents();
    }
};
