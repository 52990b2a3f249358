#include "platform/DBusTrayBackend.h"

#include "platform/DesktopNotifier.h"
#include "platform/StatusNotifierItem.h"

DBusTrayBackend::DBusTrayBackend(const QIcon& icon, QMenu* menu, QObject* parent)
    : TrayBackend(parent),
      m_item(new StatusNotifierItem(QStringLiteral("Pindel"), icon, menu, this)),
      m_notifier(new DesktopNotifier(QStringLiteral("Pindel"), this))
{
    connect(m_item, &StatusNotifierItem::activated, this, &TrayBackend::activated);
    connect(m_item, &StatusNotifierItem::inTrayChanged, this, &TrayBackend::inTrayChanged);
    connect(m_notifier, &DesktopNotifier::notShown, this, &TrayBackend::messageNotShown);
}

void DBusTrayBackend::setOffered(bool on)
{
    m_offered = on;
    m_item->setOffered(on);
}

bool DBusTrayBackend::isInTray() const
{
    return m_item->isInTray();
}

void DBusTrayBackend::setToolTip(const QString& tip)
{
    m_item->setToolTip(tip);
}

bool DBusTrayBackend::showMessage(const QString& title, const QString& text)
{
    if (!m_item->isInTray())
        return false;
    m_notifier->notify(title, text);
    return true;
}
