#pragma once

#include <QIcon>
#include <QObject>
#include <memory>
#include <vector>

class TrayBackend;
class TrayMenu;

// `ZTray1`: one icon in the notification area with a display switch, a tip
// text, an activation event (a single click or a double-click on the icon)
// and a context menu.
//
// The platform's trays (a D-Bus tray, Qt's own icon) are offered in their
// order: a later one only while no earlier one has the icon, so it never
// shows twice.
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
    bool display() const { return m_display; }

    // Setting the tip it already shows is skipped: on desktops whose tray
    // speaks D-Bus every change is a message to the panel.
    void setTipText(const QString& tip);
    QString tipText() const { return m_tip; }

    // The icon is on screen in a tray, so a hidden window can be brought back.
    bool isInTray() const;

    // A message from the icon; where the desktop cannot show one, a message
    // box says it instead.
    void showMessage(const QString& title, const QString& text);

signals:
    // A click or double-click on the icon, or "Öffnen" in its menu.
    void activationEvent();

private:
    void offerToTrays();
    void showMessageBox(const QString& title, const QString& text);

    std::unique_ptr<TrayMenu> m_menu; // outlives the icons that show it
    std::vector<TrayBackend*> m_backends; // children, most preferred first
    QString m_tip = designTip;
    bool m_display = false;
};
