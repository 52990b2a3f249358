#include "ui/TrayIcon.h"

#include "platform/TrayBackend.h"
#include "platform/TrayFactory.h"
#include "ui/TrayMenu.h"

#include <QMessageBox>

TrayIcon::TrayIcon(const QIcon& icon, QObject* parent) : QObject(parent), m_menu(std::make_unique<TrayMenu>())
{
    setObjectName(QStringLiteral("ZTray1"));
    connect(m_menu.get(), &TrayMenu::openChosen, this, &TrayIcon::activationEvent);
    m_backends = TrayFactory::create(icon, m_menu.get(), this);
    for (TrayBackend* backend : m_backends) {
        backend->setToolTip(m_tip);
        connect(backend, &TrayBackend::activated, this, &TrayIcon::activationEvent);
        connect(backend, &TrayBackend::inTrayChanged, this, &TrayIcon::offerToTrays);
        connect(backend, &TrayBackend::messageNotShown, this, &TrayIcon::showMessageBox);
    }
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setDisplay(bool on)
{
    if (on == m_display)
        return;
    m_display = on;
    offerToTrays();
}

void TrayIcon::offerToTrays()
{
    // Never two icons: a tray is offered the icon only while no earlier one
    // has it.
    bool taken = false;
    for (TrayBackend* backend : m_backends) {
        const bool offer = m_display && !taken;
        if (offer != backend->isOffered())
            backend->setOffered(offer);
        taken = taken || backend->isInTray();
    }
}

void TrayIcon::setTipText(const QString& tip)
{
    if (tip == m_tip)
        return;
    m_tip = tip;
    for (TrayBackend* backend : m_backends)
        backend->setToolTip(tip);
}

bool TrayIcon::isInTray() const
{
    if (!m_display)
        return false;
    for (const TrayBackend* backend : m_backends)
        if (backend->isInTray())
            return true;
    return false;
}

void TrayIcon::showMessage(const QString& title, const QString& text)
{
    for (TrayBackend* backend : m_backends)
        if (backend->showMessage(title, text))
            return;
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
