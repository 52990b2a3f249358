#pragma once

#include "platform/DBusTrayTypes.h"

#include <QDBusObjectPath>
#include <QObject>

class DBusMenuExporter;
class QDBusServiceWatcher;
class QIcon;
class QMenu;

// The tray icon on desktops whose tray speaks D-Bus (KDE Plasma, GNOME's
// AppIndicator extension, xfce4-panel, waybar): an org.kde.StatusNotifierItem
// with its menu. It registers with the tray's watcher whenever one appears,
// so a panel that starts after the program, or starts again, shows the icon.
//
// Trays read every property again whenever the tip changes, five times a
// second while it scrolls. So the tray finds the picture by name, in a
// folder the item names, and the item sends no pictures: a change of the
// tip costs about 800 bytes on the bus instead of 7 KB.
class StatusNotifierItem : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(DBusImageList IconPixmap READ noPictures)
    // No overlay or attention pictures: trays take a missing one as none,
    // and each would be sent again with every change of the tip.
    Q_PROPERTY(DBusToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    static inline const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

    // title is what the tray shows for the item (its name in lists of
    // icons); icon is written where the tray can find it by name.
    StatusNotifierItem(const QString& title, const QIcon& icon, QMenu* menu, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // A session bus to offer the item on.
    static bool busAvailable();
    // A watcher is on the bus and has a tray (a host) showing its items.
    static bool trayPresent();

    // While on, the item is offered to every watcher that appears.
    void setOffered(bool on);
    // The tray has the item: it is on screen.
    bool isInTray() const { return m_inTray; }
    void setToolTip(const QString& tip);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const;
    QString title() const { return m_title; }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString iconThemePath() const { return m_iconFolder; }
    QString iconName() const;
    DBusImageList noPictures() const { return {}; }
    DBusToolTip toolTip() const { return {QString(), {}, m_tip, QString()}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/MenuBar")); }

public slots:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

signals:
    void activated();
    void inTrayChanged(bool inTray);

    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewStatus(const QString& status);

private slots:
    void hostRegistered();

private:
    bool exportOnBus();
    void withdrawFromBus();
    void registerWithWatcher();
    void setInTray(bool inTray);
    static QString writeIcon(const QIcon& icon);

    QString m_title;
    QString m_tip;
    QString m_iconFolder;
    QString m_serviceName;
    QMenu* m_menu;
    DBusMenuExporter* m_menuExporter;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_offered = false;
    bool m_exported = false;
    bool m_inTray = false;
};
