#pragma once

#include "platform/TrayBackend.h"

class DesktopNotifier;
class QIcon;
class QMenu;
class StatusNotifierItem;

// Trays that speak D-Bus: a StatusNotifierItem that follows the tray as it
// comes and goes, and its messages as the desktop's notifications.
class DBusTrayBackend : public TrayBackend
{
    Q_OBJECT
public:
    DBusTrayBackend(const QIcon& icon, QMenu* menu, QObject* parent = nullptr);

    void setOffered(bool on) override;
    bool isOffered() const override { return m_offered; }
    bool isInTray() const override;
    void setToolTip(const QString& tip) override;
    bool showMessage(const QString& title, const QString& text) override;

private:
    StatusNotifierItem* m_item;
    DesktopNotifier* m_notifier;
    bool m_offered = false;
};
