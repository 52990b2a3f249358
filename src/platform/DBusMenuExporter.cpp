#include "platform/DBusMenuExporter.h"

#include <QAction>
#include <QMenu>

DBusMenuExporter::DBusMenuExporter(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu)
{
    registerDBusTrayTypes();
    // A changed entry (the check mark, a text) makes the tray read the menu
    // again; a tray that has the menu open redraws it.
    for (QAction* a : menu->actions()) {
        connect(a, &QAction::changed, this, [this, a] {
            const int id = int(m_menu->actions().indexOf(a)) + 1;
            emit ItemsPropertiesUpdated({{id, properties(id)}}, {});
        });
    }
}

QAction* DBusMenuExporter::action(int id) const
{
    if (!m_menu || id < 1 || id > m_menu->actions().size())
        return nullptr;
    return m_menu->actions().at(id - 1);
}

QVariantMap DBusMenuExporter::properties(int id) const
{
    if (id == 0)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    const QAction* a = action(id);
    if (!a)
        return {};
    if (a->isSeparator())
        return {{QStringLiteral("type"), QStringLiteral("separator")},
                {QStringLiteral("visible"), a->isVisible()}};
    // The tray reads "_" as a mnemonic mark, as Qt reads "&".
    QString label = a->text();
    label.replace(u'_', QStringLiteral("__")).replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    label.replace(u'&', u'_').replace(u'\x01', u'&');
    QVariantMap p{{QStringLiteral("label"), label},
                  {QStringLiteral("enabled"), a->isEnabled()},
                  {QStringLiteral("visible"), a->isVisible()}};
    if (a->isCheckable()) {
        p.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
        p.insert(QStringLiteral("toggle-state"), a->isChecked() ? 1 : 0);
    }
    return p;
}

DBusMenuLayout DBusMenuExporter::layout() const
{
    DBusMenuLayout root{0, properties(0), {}};
    const int count = m_menu ? int(m_menu->actions().size()) : 0;
    for (int id = 1; id <= count; ++id)
        root.children << DBusMenuLayout{id, properties(id), {}};
    return root;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList&, DBusMenuLayout& layout)
{
    const DBusMenuLayout whole = this->layout();
    if (parentId == 0) {
        layout = whole;
        if (recursionDepth == 0)
            layout.children.clear();
    } else {
        // An entry has no entries of its own.
        layout = DBusMenuLayout{parentId, properties(parentId), {}};
    }
    return m_revision;
}

DBusMenuItemList DBusMenuExporter::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
{
    DBusMenuItemList items;
    const int count = m_menu ? int(m_menu->actions().size()) : 0;
    QList<int> wanted = ids;
    if (wanted.isEmpty()) {
        for (int id = 0; id <= count; ++id)
            wanted << id;
    }
    for (int id : std::as_const(wanted)) {
        QVariantMap p = properties(id);
        if (!propertyNames.isEmpty()) {
            for (auto it = p.begin(); it != p.end();)
                it = propertyNames.contains(it.key()) ? std::next(it) : p.erase(it);
        }
        items << DBusMenuItem{id, p};
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name)
{
    return QDBusVariant(properties(id).value(name));
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId)
{
    QAction* a = action(id);
    if (id != 0 && !a)
        return false;
    if (eventId == QLatin1String("clicked") && a && a->isEnabled() && !a->isSeparator()) {
        // After the reply: the action may end the program.
        QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
    } else if (eventId == QLatin1String("opened") && id == 0 && m_menu) {
        emit m_menu->aboutToShow();
    }
    return true;
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint)
{
    handleEvent(id, eventId);
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList& events)
{
    QList<int> idErrors;
    for (const DBusMenuEvent& e : events) {
        if (!handleEvent(e.id, e.eventId))
            idErrors << e.id;
    }
    return idErrors;
}

bool DBusMenuExporter::AboutToShow(int id)
{
    if (id == 0 && m_menu) {
        // The menu reads its state (the check mark) as it opens.
        emit m_menu->aboutToShow();
    }
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
{
    for (int id : ids) {
        if (id == 0 || action(id))
            AboutToShow(id);
        else
            idErrors << id;
    }
    return {};
}
