#include "app/PindelApp.h"

#include "core/CardTable.h"
#include "core/Clock.h"
#include "core/Timer.h"
#include "handlers/Autosave.h"
#include "handlers/AutostartToggle.h"
#include "handlers/Closing.h"
#include "handlers/EarlierVersions.h"
#include "handlers/FindInCard.h"
#include "handlers/MarqueeTick.h"
#include "handlers/Print.h"
#include "handlers/Resize.h"
#include "handlers/Restore.h"
#include "handlers/SaveNotes.h"
#include "handlers/SessionEnd.h"
#include "handlers/Startup.h"
#include "handlers/TitlePanel.h"
#include "platform/SessionEndSignals.h"
#include "platform/SingleInstance.h"
#include "store/RescueFiles.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TrayIcon.h"
#include "ui/TrayMenu.h"
#include "ui/VersionsWindow.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <cstdio>

PindelApp::PindelApp(SerializedStore& store, CardPrinter& printer, QObject* parent)
    : QObject(parent), m_store(store), m_printer(printer),
      m_window(std::make_unique<MainWindow>()), m_context{*m_window, m_store, m_marquee, m_reporter}
{
    m_announceReady = qEnvironmentVariableIsSet("ORBO_ANNOUNCE_READY");
    m_reporter.setUserSink([this](const QString& message) { tellUser(message); });
    m_autosave = std::make_unique<Autosave>(m_context);
    connectHandlers();
}

PindelApp::~PindelApp()
{
    // A save still running in the background reports back to this object.
    m_store.waitUntilIdle();
}

void PindelApp::tellUser(const QString& message)
{
    if (m_window->tray()->isInTray())
        m_window->tray()->showMessage(QStringLiteral("Pindel"), message);
    else
        m_window->showNotice(message);
}

void PindelApp::report(const std::optional<QString>& failure)
{
    if (failure)
        m_reporter.report(*failure);
}

void PindelApp::connectHandlers()
{
    MainWindow& w = *m_window;
    connect(&w, &MainWindow::closeRequested, this, &PindelApp::onCloseRequested);
    connect(&w, &MainWindow::activated, this, [this] {
        Startup::activation(m_context);
        announceReady();
    });
    connect(&w, &MainWindow::focusLost, this, [this] {
        if (m_window->isVisible())
            SaveNotes::inBackground(m_context, this, [this](const std::optional<QString>& failure) {
                if (failure)
                    m_autosave->retrySoon();
            });
    });
    connect(&w, &MainWindow::resized, this, [this] {
        Resize::apply(*m_window);
        FindInCard::keepClear(*m_window);
    });
    connect(&w, &MainWindow::findRequested, this, [this] { report(FindInCard::open(m_context)); });
    connect(&w, &MainWindow::findNextRequested, this,
            [this](bool backward) { report(FindInCard::step(m_context, backward)); });
    connect(&w, &MainWindow::findCloseRequested, this, [this] { report(FindInCard::close(m_context)); });
    Timer* marquee = Clock::current().repeatingTimer(this);
    marquee->setObjectName(QStringLiteral("Timer1"));
    connect(marquee, &Timer::timeout, this, [this] { MarqueeTick::tick(m_context); });
    marquee->start(Marquee::tickMs);
    connect(w.tray(), &TrayIcon::activationEvent, this, &PindelApp::restoreFromTray);
    connect(w.tray()->menu(), &TrayMenu::quitChosen, this, &PindelApp::endSession);
    connect(&w, &MainWindow::quitRequested, this, &PindelApp::endSession);
    connect(w.tray()->menu(), &TrayMenu::versionsChosen, this, &PindelApp::openVersions);
    connect(&w, &MainWindow::versionsRequested, this, &PindelApp::openVersions);
    TrayMenu* menu = w.tray()->menu();
    AutostartToggle::showState(*menu);
    connect(menu, &QMenu::aboutToShow, this, [menu] { AutostartToggle::showState(*menu); });
    connect(menu, &TrayMenu::autostartChosen, this, [this, menu](bool on) {
        if (const auto failure = AutostartToggle::choose(*menu, on, QCoreApplication::applicationFilePath()))
            m_reporter.report(*failure);
    });
    connect(w.tabStrip(), &TabStrip::doubleClicked, this, [this] { report(TitlePanel::open(m_context)); });
    connect(w.tabStrip(), &TabStrip::panelKeyPressed, this,
            [this] { report(TitlePanel::openForTyping(m_context)); });
    for (int card = 0; card < kCardCount; ++card) {
        const CardControls& c = w.card(card);
        connect(c.okButton, &QPushButton::clicked, this,
                [this, card] { m_reporter.saveOutcome(TitlePanel::ok(m_context, card)); });
        connect(c.cancelButton, &QPushButton::clicked, this,
                [this, card] { TitlePanel::cancel(m_context, card); });
        connect(c.printButton, &QPushButton::clicked, this, [this, card] {
            // Each click asks for a print, so each failed one is told: a panel
            // that merely stays open would say nothing.
            if (const auto failure = Print::print(m_context, m_printer, card))
                m_reporter.reportEachTime(*failure);
        });
    }
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // However the event loop ends, what is on screen is saved first.
        connect(gui, &QCoreApplication::aboutToQuit, this, &PindelApp::saveAtEnd);
    }
}

void PindelApp::saveAtEnd()
{
    if (m_ending)
        return;
    m_ending = true;
    // Before the notes were read the window was never shown, so nothing can
    // be unsaved: an end then writes nothing (the boxes, the size and the
    // place are still the defaults, not the user's).
    if (m_startPending)
        return;
    if (!SessionEnd::save(m_context))
        m_exitStatus = 1;
}

void PindelApp::listenTo(SqliteStore& store, SingleInstance& instance, SessionEndSignals& sessionEnd)
{
    // Notices come from the store's worker; they are told on the event loop,
    // once the tray icon can carry them.
    store.setNoticeSink([this](const QString& notice) {
        QMetaObject::invokeMethod(
            this, [this, notice] { m_reporter.report(notice); }, Qt::QueuedConnection);
    });
    connect(&instance, &SingleInstance::showRequested, this, &PindelApp::restoreFromTray);
    connect(&sessionEnd, &SessionEndSignals::requested, this, &PindelApp::endSession);
    connect(&sessionEnd, &SessionEndSignals::saveRequested, this, [this] {
        if (m_startPending)
            return;
        if (!SessionEnd::save(m_context))
            m_exitStatus = 1;
    });
}

void PindelApp::start()
{
    // The icon first; the notes are read on the store's worker meanwhile, in
    // the load step's order, and the load step takes what was read there.
    // The reading starts once the event loop runs, so that it does not take
    // the processor from what puts the icon up (3 x 10 MB: 124 against
    // 139 ms to the icon, the bare tray program 112 ms).
    Startup::beforeReading(m_context);
    m_startPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_startPending)
                m_store.readAhead(Startup::loadKeys(), this, [this] { finishStart(); });
        },
        Qt::QueuedConnection);
    const QStringList rescued = RescueFiles::find();
    if (!rescued.isEmpty())
        m_reporter.report(
            QStringLiteral("Text, der nicht in der Notizdatei gespeichert werden konnte, liegt in: %1. "
                           "Übernehmen Sie ihn in eine Karte und löschen Sie danach die Datei.")
                .arg(RescueFiles::describe(rescued)));
}

void PindelApp::finishStart()
{
    if (!m_startPending)
        return;
    m_startPending = false;
    const auto failure = Startup::loadStep(m_context);
    m_store.dropReadAhead();
    if (failure) {
        m_reporter.report(*failure);
        m_window->show();
    }
}

void PindelApp::restoreFromTray()
{
    finishStart();
    // Wayland lets no program bring back a window once minimised (closing
    // minimises where there is no tray), nor says whether it still is; a
    // window shown afresh is mapped as new, so it is hidden first.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        m_window->minimizedSinceShown()) {
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->hide();
    }
    Restore::restore(m_context);
    // A window that was on screen already is not activated again.
    if (!m_window->activationPending())
        announceReady();
}

void PindelApp::announceReady()
{
    if (!m_announceReady)
        return;
    std::fputs("orbo: window ready\n", stderr);
    std::fflush(stderr);
}

void PindelApp::openVersions()
{
    finishStart();
    if (!m_versions) {
        m_versions = std::make_unique<VersionsWindow>();
        m_versions->setWindowIcon(m_window->windowIcon());
        WindowPlacement::keepWithinScreenWhenShown(*m_versions);
        VersionsWindow* view = m_versions.get();
        connect(view, &VersionsWindow::cardChosen, this,
                [this, view] { report(EarlierVersions::cardChosen(m_context, *view)); });
        connect(view, &VersionsWindow::kindChosen, this,
                [this, view] { report(EarlierVersions::kindChosen(m_context, *view)); });
        connect(view, &VersionsWindow::versionChosen, this,
                [this, view] { report(EarlierVersions::versionChosen(m_context, *view)); });
        connect(view, &VersionsWindow::restoreRequested, this, [this, view] {
            // Each press asks for a restore, so each failed one is told.
            if (const auto failure = EarlierVersions::restoreVersion(m_context, *view)) {
                m_reporter.reportEachTime(*failure);
                return;
            }
            // The restored note is shown, also when the window was in the tray.
            if (!m_window->isVisible() || m_window->isMinimized())
                restoreFromTray();
        });
    }
    report(EarlierVersions::open(m_context, *m_versions));
}

void PindelApp::onCloseRequested(QCloseEvent* event)
{
    const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (m_ending || (gui && gui->isSavingSession())) {
        event->accept();
        return;
    }
    if (auto failure = Closing::closeRequest(m_context, event)) {
        report(failure);
        m_autosave->retrySoon();
    }
}

void PindelApp::endSession()
{
    if (m_ending)
        return;
    saveAtEnd();
    QCoreApplication::exit(m_exitStatus);
}
