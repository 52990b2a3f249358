#pragma once

#include "RecordingStore.h"
#include "app/PindelApp.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"

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
    RecordingStore store;
    SerializedStore serialized{store};
    NoPrinter printer;
    PindelApp app{serialized, printer};

    RecordingStore& idle()
    {
        serialized.waitUntilIdle();
        return store;
    }
};
