#pragma once

#include "core/Marquee.h"
#include "handlers/FailureReporter.h"
#include "handlers/HandlerContext.h"

#include <QObject>
#include <memory>
#include <optional>

class Autosave;
class CardPrinter;
class SessionEndSignals;
class SingleInstance;
class SqliteStore;
class MainWindow;
class SerializedStore;
class VersionsWindow;
class QCloseEvent;

// Builds the window and connects every handled event to its handler. It is
// the only place that knows which event runs which handler.
class PindelApp : public QObject
{
    Q_OBJECT
public:
    PindelApp(SerializedStore& store, CardPrinter& printer, QObject* parent = nullptr);
    ~PindelApp() override;

    // What reaches the program from outside its window: notices of the store
    // (a damaged file moved aside, a backup made), a later start asking for
    // the window, and the end of the session.
    void listenTo(SqliteStore& store, SingleInstance& instance, SessionEndSignals& sessionEnd);

    // Displays the tray icon and reads the notes on the store's worker; the
    // load step runs with what was read once it is there, or at once when
    // anything needs the notes before (a click on the icon, the window of
    // earlier versions). An end before it writes nothing. When it fails, the window is left on screen so that
    // activation completes start-up once it becomes active. Tells the user
    // of text rescued when an earlier run ended.
    void start();
    // The load step has run for the last start().
    bool isStarted() const { return !m_startPending; }

    // Saves what a close request saves and ends the program: with status 0,
    // or 1 when something could not be saved (it was rescued then). Never
    // holds up the end of the user's session for long.
    void endSession();
    // The status the program ends with.
    int exitStatus() const { return m_exitStatus; }

    MainWindow& window() { return *m_window; }
    FailureReporter& reporter() { return m_reporter; }

    // Brings the window back as the tray icon's activation does.
    void restoreFromTray();

    // "Frühere Fassungen…" of the tray menu and Ctrl+H: the window of
    // earlier versions, made at its first opening and then reused.
    void openVersions();
    VersionsWindow* versionsWindow() const { return m_versions.get(); }

private:
    void connectHandlers();
    void onCloseRequested(QCloseEvent* event);
    void tellUser(const QString& message);
    void report(const std::optional<QString>& failure);
    void saveAtEnd();
    // Runs the load step of start() now, unless it has run.
    void finishStart();
    // With ORBO_ANNOUNCE_READY set, the program says "orbo: window ready" on
    // stderr each time a shown window has been refilled from the store, for
    // scripts that drive it from outside: typing into it now stays.
    void announceReady();

    SerializedStore& m_store;
    CardPrinter& m_printer;
    MarqueeState m_marquee;
    FailureReporter m_reporter;
    std::unique_ptr<MainWindow> m_window;
    HandlerContext m_context;
    std::unique_ptr<Autosave> m_autosave;
    std::unique_ptr<VersionsWindow> m_versions;
    bool m_ending = false;
    bool m_startPending = false;
    bool m_announceReady = false;
    int m_exitStatus = 0;
};
