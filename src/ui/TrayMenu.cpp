#include "ui/TrayMenu.h"

TrayMenu::TrayMenu(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("ZTray1_menu"));
    m_open = addAction(QStringLiteral("&Öffnen"));
    m_autostart = addAction(QStringLiteral("Mit der &Anmeldung starten"));
    m_autostart->setCheckable(true);
    m_versions = addAction(QStringLiteral("&Frühere Fassungen…"));
    addSeparator();
    m_quit = addAction(QStringLiteral("&Beenden"));

    connect(m_open, &QAction::triggered, this, &TrayMenu::openChosen);
    connect(m_versions, &QAction::triggered, this, &TrayMenu::versionsChosen);
    connect(m_quit, &QAction::triggered, this, &TrayMenu::quitChosen);
    connect(m_autostart, &QAction::triggered, this, &TrayMenu::autostartChosen);
}

void TrayMenu::showAutostart(bool on)
{
    m_autostart->setChecked(on);
}
