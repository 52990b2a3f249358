#pragma once

#include "RecordingStore.h"
#include "app/FailureReporter.h"
#include "app/HandlerContext.h"
#include "app/Module1.h"
#include "store/SerializedStore.h"
#include "window/MainWindow.h"
#include "window/TitleBox.h"

// A real window on the offscreen platform over the store the program uses
// (every access in order on one worker) with a recording store behind it:
// what each handler test works on. Read `store` once the worker is idle
// (idle() waits for that).
struct WindowFixture
{
    RecordingStore store;
    SerializedStore serialized{store};
    Module1 module;
    FailureReporter reporter;
    MainWindow window;
    HandlerContext ctx{window, serialized, module, reporter};

    WindowFixture() { module.mainWindow = &window; }
    ~WindowFixture() { serialized.waitUntilIdle(); }

    RecordingStore& idle()
    {
        serialized.waitUntilIdle();
        return store;
    }
};
