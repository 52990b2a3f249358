#pragma once

#include "ui/MainWindow.h"

#include <QStringList>
#include <QtTest>

// Small steps the widget tests share.
namespace WidgetHelpers {

// Shows a window and waits until the window system made it the active one.
inline void showAndActivate(QWidget& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// How often an entry ("read Pindel1") stands in a recording store's log.
inline int countOf(const QStringList& log, const QString& entry)
{
    return int(log.count(entry));
}

inline bool isOpen(const MainWindow& w, int card)
{
    return !w.card(card).panel->isHidden();
}

// Which title panels are open, card by card.
inline QList<bool> openPanels(const MainWindow& w)
{
    QList<bool> open;
    for (int card = 0; card < kCardCount; ++card)
        open << isOpen(w, card);
    return open;
}

} // namespace WidgetHelpers
