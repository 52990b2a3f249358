#pragma once

#include "RecordingStore.h"
#include "TestClock.h"
#include "core/Marquee.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"
#include "store/SerializedStore.h"
#include "ui/MainWindow.h"
#include "ui/TitleBox.h"

#include <QCoreApplication>

// A real window on the offscreen platform over the store the program uses
// (every access in order on one worker) with a recording store behind it:
// what each handler test works on. Read `store` once the worker is idle
// (idle() waits for that).
struct WindowFixture
{
    TestClock clock; // first: every timer below is taken from it
    RecordingStore store;
    SerializedStore serialized{store};
    MarqueeState marquee;
    FailureReporter reporter;
    MainWindow window;
    HandlerContext ctx{window, serialized, marquee, reporter};

    ~WindowFixture() { serialized.waitUntilIdle(); }

    RecordingStore& idle()
    {
        serialized.waitUntilIdle();
        return store;
    }

    // Moves the clock on, then lets what its timers set off finish: the
    // store's worker, and the outcomes it hands back to the event loop.
    void advance(int ms)
    {
        clock.advance(ms);
        serialized.waitUntilIdle();
        QCoreApplication::sendPostedEvents();
    }
};
