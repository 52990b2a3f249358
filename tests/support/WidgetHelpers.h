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

// Which of the three title panels are open, card by card.
inline QList<bool> openPanels(const MainWindow& w)
{
    return {isOpen(w, 0), isOpen(w, 1), isOpen(w, 2)};
}

} // namespace WidgetHelpers
