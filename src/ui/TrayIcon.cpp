#include "ui/TrayIcon.h"

#include "ui/TrayMenu.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#ifdef PINDEL_STATUS_NOTIFIER
#include "platform/DesktopNotifier.h"
#include "platform/StatusNotifierItem.h"
#endif

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, QObject* parent) : QObject(parent), m_menu(std::make_unique<TrayMenu>())
{
    setObjectName(QStringLiteral("ZTray1"));
    connect(m_menu.get(), &TrayMenu::openChosen, this, &TrayIcon::activationEvent);

    bool qtWouldTakeTheBus = false;
#ifdef PINDEL_STATUS_NOTIFIER
    if (StatusNotifierItem::busAvailable()) {
        m_item = new StatusNotifierItem(QStringLiteral("Pindel"), icon, m_menu.get(), this);
        m_item->setToolTip(m_tip);
        connect(m_item, &StatusNotifierItem::activated, this, &TrayIcon::activationEvent);
        connect(m_item, &StatusNotifierItem::inTrayChanged, this, &TrayIcon::updateSystemIcon);
        m_notifier = new DesktopNotifier(QStringLiteral("Pindel"), this);
        connect(m_notifier, &DesktopNotifier::notShown, this, &TrayIcon::showMessageBox);
        // Qt's own icon takes the D-Bus tray when one is up as it is made,
        // and then loses it for good when the panel restarts; the item above
        // does that part.
        qtWouldTakeTheBus = StatusNotifierItem::trayPresent();
    }
#endif
    // Qt's own icon serves XEmbed trays and Windows; Wayland has no such tray.
    if (!onWayland() && !qtWouldTakeTheBus) {
        m_systemIcon = std::make_unique<QSystemTrayIcon>(icon);
        m_systemIcon->setToolTip(m_tip);
        m_systemIcon->setContextMenu(m_menu.get());
        connect(m_systemIcon.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    switch (reason) {
                    case QSystemTrayIcon::Trigger:
                    case QSystemTrayIcon::DoubleClick:
                        emit activationEvent();
                        break;
                    case QSystemTrayIcon::Context:
                    case QSystemTrayIcon::MiddleClick:
                    case QSystemTrayIcon::Unknown:
                        break;
                    }
                });
    }
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setDisplay(bool on)
{
    if (on == m_display)
        return;
    m_display = on;
#ifdef PINDEL_STATUS_NOTIFIER
    if (m_item)
        m_item->setOffered(on);
#endif
    updateSystemIcon();
}

void TrayIcon::updateSystemIcon()
{
    // Never two icons: Qt's shows only while the D-Bus tray does not have ours.
    bool show = m_display;
#ifdef PINDEL_STATUS_NOTIFIER
    show = show && !(m_item && m_item->isInTray());
#endif
    if (m_systemIcon && show != m_systemIcon->isVisible())
        m_systemIcon->setVisible(show);
}

void TrayIcon::setTipText(const QString& tip)
{
    if (tip == m_tip)
        return;
    m_tip = tip;
    if (m_systemIcon)
        m_systemIcon->setToolTip(tip);
#ifdef PINDEL_STATUS_NOTIFIER
    if (m_item)
        m_item->setToolTip(tip);
#endif
}

bool TrayIcon::isInTray() const
{
    if (!m_display)
        return false;
#ifdef PINDEL_STATUS_NOTIFIER
    if (m_item && m_item->isInTray())
        return true;
#endif
    return m_systemIcon && m_systemIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::showMessage(const QString& title, const QString& text)
{
#ifdef PINDEL_STATUS_NOTIFIER
    if (m_item && m_item->isInTray()) {
        m_notifier->notify(title, text);
        return;
    }
#endif
    if (m_systemIcon && m_systemIcon->isVisible() && QSystemTrayIcon::supportsMessages())
        m_systemIcon->showMessage(title, text, QSystemTrayIcon::Warning, 10000);
    else
        showMessageBox(title, text);
}

void TrayIcon::showMessageBox(const QString& title, const QString& text)
{
    // Not modal: the program goes on, and the box waits to be read.
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("ZTray1_message"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
