#include "ui/TrayMenu.h"

#include "platform/Autostart.h"

#include <QCoreApplication>

TrayMenu::TrayMenu(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("ZTray1_menu"));
    m_open = addAction(QStringLiteral("Öffnen"));
    m_autostart = addAction(QStringLiteral("Mit der Anmeldung starten"));
    m_autostart->setCheckable(true);
    m_versions = addAction(QStringLiteral("Frühere Fassungen…"));
    addSeparator();
    m_quit = addAction(QStringLiteral("Beenden"));

    connect(m_open, &QAction::triggered, this, &TrayMenu::openChosen);
    connect(m_versions, &QAction::triggered, this, &TrayMenu::versionsChosen);
    connect(m_quit, &QAction::triggered, this, &TrayMenu::quitChosen);
    connect(m_autostart, &QAction::triggered, this, &TrayMenu::switchAutostart);
    // The entry may be changed outside the program (orbo-autostart, the
    // desktop's settings): the check mark is read each time the menu opens.
    connect(this, &QMenu::aboutToShow, this, [this] { m_autostart->setChecked(Autostart::isEnabled()); });
    m_autostart->setChecked(Autostart::isEnabled());
}

void TrayMenu::switchAutostart(bool on)
{
    if (auto failure = Autostart::setEnabled(on, QCoreApplication::applicationFilePath())) {
        m_autostart->setChecked(Autostart::isEnabled());
        emit failed(*failure);
    }
}
