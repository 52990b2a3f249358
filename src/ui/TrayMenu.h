#pragma once

#include <QMenu>

// The tray icon's context menu: "Öffnen" (as activating the icon), "Mit der
// Anmeldung starten" (checked while the program starts at login), "Frühere
// Fassungen…" (the window of earlier versions), a separator, "Beenden". Each
// entry has its letter (Ö, A, F, B), so the keyboard picks it directly.
class TrayMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TrayMenu(QWidget* parent = nullptr);

    QAction* openAction() const { return m_open; }
    QAction* autostartAction() const { return m_autostart; }
    QAction* versionsAction() const { return m_versions; }
    QAction* quitAction() const { return m_quit; }

    // The check mark of "Mit der Anmeldung starten".
    void showAutostart(bool on);

signals:
    void openChosen();
    void versionsChosen();
    void quitChosen();
    // "Mit der Anmeldung starten" chosen: on is the state asked for.
    void autostartChosen(bool on);

private:
    QAction* m_open;
    QAction* m_autostart;
    QAction* m_versions;
    QAction* m_quit;
};
