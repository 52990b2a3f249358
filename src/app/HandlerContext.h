#pragma once

class FailureReporter;
class MainWindow;
class NoteStore;
struct Module1;

// What every handler works on.
struct HandlerContext
{
    MainWindow& window;
    NoteStore& store;
    Module1& module;
    FailureReporter& reporter;
};
