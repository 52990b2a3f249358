#pragma once

#include "platform/TrayBackend.h"

#include <memory>

class QIcon;
class QMenu;
class QSystemTrayIcon;

// Qt's own tray icon: XEmbed trays on X11, and Windows.
class QtTrayBackend : public TrayBackend
{
    Q_OBJECT
public:
    QtTrayBackend(const QIcon& icon, QMenu* menu, QObject* parent = nullptr);
    ~QtTrayBackend() override;

    void setOffered(bool on) override;
    bool isOffered() const override;
    bool isInTray() const override;
    void setToolTip(const QString& tip) override;
    bool showMessage(const QString& title, const QString& text) override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
