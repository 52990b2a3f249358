#pragma once

#include <QObject>
#include <QString>

// A message from the tray icon on desktops whose tray speaks D-Bus: a
// notification through org.freedesktop.Notifications. Without such a
// service, or when it refuses, the message is handed back (notShown) for
// the caller to show another way.
class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifier(const QString& appName, QObject* parent = nullptr);

    void notify(const QString& title, const QString& text);

signals:
    void notShown(const QString& title, const QString& text);

private:
    QString m_appName;
};
