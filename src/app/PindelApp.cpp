#include "app/PindelApp.h"

#include "cards/PrintHandler.h"
#include "cards/TitlePanel.h"
#include "store/NoteStore.h"
#include "store/SerializedStore.h"
#include "tray/MarqueeTick.h"
#include "tray/RestoreHandler.h"
#include "tray/TrayIcon.h"
#include "tray/TrayMenu.h"
#include "window/ClosingHandlers.h"
#include "window/MainWindow.h"
#include "window/ResizeHandler.h"
#include "window/StartupHandlers.h"
#include "window/TabStrip.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

PindelApp::PindelApp(NoteStore& store, CardPrinter& printer, QObject* parent)
    : QObject(parent), m_store(store), m_printer(printer),
      m_window(std::make_unique<MainWindow>()), m_context{*m_window, m_store, m_module, m_reporter}
{
    m_module.mainWindow = m_window.get();
    m_reporter.setUserSink([this](const QString& message) { tellUser(message); });
    connectHandlers();
}

PindelApp::~PindelApp()
{
    // A save still running in the background reports back to this object.
    if (auto* serialized = dynamic_cast<SerializedStore*>(&m_store))
        serialized->waitUntilIdle();
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

void PindelApp::reportWrite(const std::optional<QString>& failure)
{
    // A write that went through means the cause of earlier failures is gone:
    // should they come back, they are told again.
    if (failure)
        m_reporter.report(*failure);
    else
        m_reporter.clear();
}

void PindelApp::connectHandlers()
{
    MainWindow& w = *m_window;
    connect(&w, &MainWindow::closeRequested, this, &PindelApp::onCloseRequested);
    connect(&w, &MainWindow::activated, this, [this] { Startup::activation(m_context); });
    connect(&w, &MainWindow::focusLost, this, [this] {
        if (!m_window->isVisible())
            return;
        // The same writes, stopping at the first failure; where the store can,
        // they run off the event loop so that leaving the window never waits
        // for a huge note to reach the disk.
        if (auto* serialized = dynamic_cast<SerializedStore*>(&m_store)) {
            serialized->writeInBackground(Closing::contentWrites(m_context), this,
                                          [this](const std::optional<QString>& failure) { reportWrite(failure); });
            return;
        }
        reportWrite(Closing::focusLoss(m_context));
    });
    connect(&w, &MainWindow::resized, this, [this] { ResizeHandler::apply(*m_window); });
    connect(w.timer(), &QTimer::timeout, this, [this] { MarqueeTick::tick(m_context); });
    connect(w.tray(), &TrayIcon::activationEvent, this, [this](int) { restoreFromTray(); });
    connect(w.tray()->menu(), &TrayMenu::quitChosen, this, &PindelApp::endSession);
    connect(w.tray()->menu(), &TrayMenu::failed, this,
            [this](const QString& message) { m_reporter.report(message); });
    connect(w.tabStrip(), &TabStrip::doubleClicked, this, [this] { report(TitlePanel::open(m_context)); });
    for (int card = 0; card < 3; ++card) {
        const CardControls& c = w.card(card);
        connect(c.okButton, &QPushButton::clicked, this,
                [this, card] { reportWrite(TitlePanel::ok(m_context, card)); });
        connect(c.cancelButton, &QPushButton::clicked, this,
                [this, card] { TitlePanel::cancel(m_context, card); });
        connect(c.printButton, &QPushButton::clicked, this, [this, card] {
            // Each click asks for a print, so each failed one is told: a panel
            // that merely stays open would say nothing.
            const auto failure = PrintHandler::print(m_context, m_printer, card);
            if (failure)
                m_reporter.clear();
            report(failure);
        });
    }
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Logout or shutdown: save without asking anything.
        connect(gui, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            if (auto failure = Closing::saveForSessionEnd(m_context))
                m_reporter.report(*failure);
        });
        // However the event loop ends, what is on screen is saved first.
        connect(gui, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_ending)
                return;
            m_ending = true;
            if (auto failure = Closing::saveForSessionEnd(m_context))
                m_reporter.report(*failure);
        });
    }
}

void PindelApp::start()
{
    if (auto failure = Startup::loadStep(m_context)) {
        m_reporter.report(*failure);
        m_window->show();
    }
}

void PindelApp::restoreFromTray()
{
    // Wayland lets no program bring back a window once minimised (closing
    // minimises where there is no tray), nor says whether it still is; a
    // window shown afresh is mapped as new, so it is hidden first.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        m_window->minimizedSinceShown()) {
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
        m_window->hide();
    }
    RestoreHandler::restore(m_context);
}

void PindelApp::onCloseRequested(QCloseEvent* event)
{
    const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (m_ending || (gui && gui->isSavingSession())) {
        event->accept();
        return;
    }
    reportWrite(Closing::closeRequest(m_context, event));
}

void PindelApp::endSession()
{
    if (m_ending)
        return;
    m_ending = true;
    if (auto failure = Closing::saveForSessionEnd(m_context))
        m_reporter.report(*failure);
    QCoreApplication::exit(0);
}
