#pragma once

#include "RecordingStore.h"
#include "app/FailureReporter.h"
#include "app/HandlerContext.h"
#include "app/Module1.h"
#include "window/MainWindow.h"
#include "window/TitleBox.h"

// A real window on the offscreen platform with a recording store: what each
// handler test works on.
struct WindowFixture
{
    RecordingStore store;
    Module1 module;
    FailureReporter reporter;
    MainWindow window;
    HandlerContext ctx{window, store, module, reporter};

    WindowFixture() { module.mainWindow = &window; }
};
