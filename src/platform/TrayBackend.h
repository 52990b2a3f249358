#pragma once

#include <QObject>
#include <QString>

// One way of putting an icon into the desktop's tray. The program may hold
// several (TrayFactory makes them, most preferred first); the icon shows in
// one tray at a time.
class TrayBackend : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Offers the icon to the tray, or takes it back.
    virtual void setOffered(bool on) = 0;
    virtual bool isOffered() const = 0;
    // The icon is on screen in a tray.
    virtual bool isInTray() const = 0;
    virtual void setToolTip(const QString& tip) = 0;
    // Shows a message from the icon; false where this tray cannot now.
    virtual bool showMessage(const QString& title, const QString& text) = 0;

signals:
    // A click or double-click on the icon.
    void activated();
    void inTrayChanged();
    // A message accepted by showMessage that the desktop did not show after all.
    void messageNotShown(const QString& title, const QString& text);
};
