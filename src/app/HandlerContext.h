#pragma once

class FailureReporter;
class MainWindow;
class SerializedStore;
struct Module1;

// What every handler works on.
struct HandlerContext
{
    MainWindow& window;
    SerializedStore& store;
    Module1& module;
    FailureReporter& reporter;
};
