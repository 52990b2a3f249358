#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class TrayMenu;

// `ZTray1`: one icon in the notification area with a display switch, a tip
// text and an activation event (a single click or a double-click on the icon).
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    static inline const QString designTip = QStringLiteral("öffnen MIRTAL Pindelfenster");

    explicit TrayIcon(const QIcon& icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // The icon's context menu; "Öffnen" raises the activation event.
    TrayMenu* menu() const { return m_menu.get(); }

    // While true the icon is in the notification area; if no tray is there
    // yet, it appears as soon as one does.
    void setDisplay(bool on);
    bool display() const { return m_icon.isVisible(); }

    // Setting the tip it already shows is skipped: on desktops whose tray
    // speaks D-Bus every change is a message to the panel.
    void setTipText(const QString& tip);
    QString tipText() const { return m_icon.toolTip(); }

    static bool isTrayAvailable();
    void showMessage(const QString& title, const QString& text);

signals:
    // The argument carries the gesture; the restore handler does not read it.
    void activationEvent(int argument);

private:
    std::unique_ptr<TrayMenu> m_menu; // outlives the icon that shows it
    QSystemTrayIcon m_icon;
};
