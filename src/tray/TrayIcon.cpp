#include "tray/TrayIcon.h"

#include "tray/TrayMenu.h"

TrayIcon::TrayIcon(const QIcon& icon, QObject* parent)
    : QObject(parent), m_menu(std::make_unique<TrayMenu>()), m_icon(icon)
{
    setObjectName(QStringLiteral("ZTray1"));
    m_icon.setToolTip(designTip);
    m_icon.setContextMenu(m_menu.get());
    connect(m_menu.get(), &TrayMenu::openChosen, this,
            [this] { emit activationEvent(int(QSystemTrayIcon::Trigger)); });
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick:
            emit activationEvent(int(reason));
            break;
        case QSystemTrayIcon::Context:
        case QSystemTrayIcon::MiddleClick:
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setDisplay(bool on)
{
    if (on != m_icon.isVisible())
        m_icon.setVisible(on);
}

void TrayIcon::setTipText(const QString& tip)
{
    if (tip != m_icon.toolTip())
        m_icon.setToolTip(tip);
}

bool TrayIcon::isTrayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::showMessage(const QString& title, const QString& text)
{
    m_icon.showMessage(title, text, QSystemTrayIcon::Warning, 10000);
}
