#pragma once

#include "core/CardTable.h"

#include <QStringList>
#include <QTabBar>
#include <QWidget>
#include <array>

// The tab row of the strip: tabs exactly as high as the row, so that the
// controls of a card, placed in twips from the strip's top-left corner, sit
// just below it at any font size. The tabs share the row equally whatever
// their captions: they always stay in one row, and a click lands on the tab
// drawn there. A caption too long for its tab is elided on screen only.
class TabRow : public QTabBar
{
    Q_OBJECT
public:
    explicit TabRow(QWidget* parent = nullptr) : QTabBar(parent) {}
    void setRowHeight(int pixels);

signals:
    // F2 or the context-menu key: the keyboard's double-click.
    void panelKeyPressed();

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int tabWidth(int index) const;

    int m_rowHeight = 20;
};

// `SSTab1`: one tab per card in one row, each a page. A page covers the whole strip
// (tab row included), so a control on a card is placed relative to the
// strip's outer top-left corner; the row is drawn above the pages. A control
// on a page keeps its own visibility while its card is not current.
class TabStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int tabCount = kCardCount;

    explicit TabStrip(QWidget* parent = nullptr);

    int currentIndex() const;
    // Captions are shown exactly as given: "&" is no mnemonic here.
    QString caption(int index) const;
    void setCaption(int index, const QString& caption);
    QString currentCaption() const { return caption(currentIndex()); }

    QWidget* page(int index) const { return m_pages.at(size_t(index)); }
    // The row with its tabs, put in on first call.
    TabRow* tabRow();
    void setRowHeight(int pixels);

    // "&" doubled, so that QTabBar shows it instead of underlining.
    static QString escapeMnemonic(const QString& text);

    // The next or previous card (step 1 or -1), round the cards; the focus
    // follows onto the new card when it was on the old one.
    void switchCard(int step);

signals:
    // A double-click on the tab row or on a free part of a page.
    void doubleClicked();
    // Its keyboard twin on the tab row (F2, the context-menu key), which
    // also takes the keyboard into the panel it opens.
    void panelKeyPressed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showCurrentPage();
    void layOutChildren();

    TabRow* m_row;
    std::array<QWidget*, tabCount> m_pages{};
    QStringList m_captions;
    int m_current = 0; // until the tabs are put in
};
