#include "platform/QtTrayBackend.h"

#include <QMenu>
#include <QSystemTrayIcon>

QtTrayBackend::QtTrayBackend(const QIcon& icon, QMenu* menu, QObject* parent)
    : TrayBackend(parent), m_icon(std::make_unique<QSystemTrayIcon>(icon))
{
    m_icon->setContextMenu(menu);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick:
            emit activated();
            break;
        case QSystemTrayIcon::Context:
        case QSystemTrayIcon::MiddleClick:
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
}

QtTrayBackend::~QtTrayBackend() = default;

void QtTrayBackend::setOffered(bool on)
{
    if (on != m_icon->isVisible())
        m_icon->setVisible(on);
}

bool QtTrayBackend::isOffered() const
{
    return m_icon->isVisible();
}

bool QtTrayBackend::isInTray() const
{
    return m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayBackend::setToolTip(const QString& tip)
{
    m_icon->setToolTip(tip);
}

bool QtTrayBackend::showMessage(const QString& title, const QString& text)
{
    if (!m_icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return false;
    m_icon->showMessage(title, text, QSystemTrayIcon::Warning, 10000);
    return true;
}
