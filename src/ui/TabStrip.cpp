#include "ui/TabStrip.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <algorithm>
#include <utility>

void TabRow::setRowHeight(int pixels)
{
    m_rowHeight = pixels;
    setFixedHeight(pixels);
    updateGeometry();
}

int TabRow::tabWidth(int index) const
{
    // Whole pixels left over go to the later tabs, so the tabs fill the row.
    const int tabs = std::max(1, count());
    return (index + 1) * width() / tabs - index * width() / tabs;
}

QSize TabRow::tabSizeHint(int index) const
{
    return {tabWidth(index), m_rowHeight};
}

QSize TabRow::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void TabRow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit panelKeyPressed();
        return;
    }
    QTabBar::keyPressEvent(event);
}

void TabRow::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click is not the double-click; the key is its twin.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        event->ignore();
        return;
    }
    event->accept();
    emit panelKeyPressed();
}

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), m_row(new TabRow(this))
{
    for (int i = 0; i < tabCount; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("SSTab1_page%1").arg(i));
        m_pages[size_t(i)] = page;
        m_captions << kCards[i].defaultTitle;
    }
    m_row->setObjectName(QStringLiteral("SSTab1_row"));
    m_row->setExpanding(false);
    m_row->setDrawBase(false);
    m_row->setFocusPolicy(Qt::TabFocus);
    m_row->setUsesScrollButtons(false);
    m_row->setElideMode(Qt::ElideRight);
    m_row->raise();
    setFocusProxy(m_row);
    showCurrentPage();

    // As in any tab dialog, from wherever the focus is in the window.
    const std::pair<QKeySequence, int> switches[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [keys, step] : switches) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { switchCard(step); });
    }
}

TabRow* TabStrip::tabRow()
{
    // A tab bar lays its tabs out, fonts and all, as soon as it has any; so
    // the tabs are put in only when first needed.
    if (m_row->count() == 0) {
        for (const QString& caption : std::as_const(m_captions))
            m_row->addTab(escapeMnemonic(caption));
        m_row->setCurrentIndex(m_current);
        connect(m_row, &QTabBar::currentChanged, this, &TabStrip::showCurrentPage);
        connect(m_row, &QTabBar::tabBarDoubleClicked, this, [this](int) { emit doubleClicked(); });
        connect(m_row, &TabRow::panelKeyPressed, this, &TabStrip::panelKeyPressed);
    }
    return m_row;
}

int TabStrip::currentIndex() const
{
    return m_row->count() ? m_row->currentIndex() : m_current;
}

QString TabStrip::caption(int index) const
{
    return m_captions.value(index);
}

void TabStrip::setCaption(int index, const QString& caption)
{
    if (index < 0 || index >= tabCount)
        return;
    m_captions[index] = caption;
    if (m_row->count())
        m_row->setTabText(index, escapeMnemonic(caption));
}

QString TabStrip::escapeMnemonic(const QString& text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void TabStrip::setRowHeight(int pixels)
{
    m_row->setRowHeight(pixels);
    layOutChildren();
}

void TabStrip::switchCard(int step)
{
    tabRow()->setCurrentIndex((currentIndex() + step + tabCount) % tabCount);
}

void TabStrip::showCurrentPage()
{
    QWidget* focus = QApplication::focusWidget();
    const bool focusOnAPage = focus && std::any_of(m_pages.begin(), m_pages.end(),
                                                   [focus](QWidget* p) { return p->isAncestorOf(focus); });
    QWidget* current = m_pages[size_t(currentIndex())];
    for (QWidget* page : m_pages)
        page->setVisible(page == current);
    m_row->raise();
    // Hiding the old card would hand the focus to whatever comes next in
    // the window; it goes to the new card's first control instead.
    if (focusOnAPage && !current->isAncestorOf(focus)) {
        for (QWidget* w = m_row->nextInFocusChain(); w != m_row; w = w->nextInFocusChain()) {
            if (current->isAncestorOf(w) && w->isVisible() && w->isEnabled() && !w->focusProxy() &&
                (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

void TabStrip::layOutChildren()
{
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
    m_row->setGeometry(0, 0, width(), m_row->height());
}

void TabStrip::resizeEvent(QResizeEvent*)
{
    layOutChildren();
}

void TabStrip::paintEvent(QPaintEvent*)
{
    // The tabs are in by now: the window puts them in before its first show.
    TabRow* row = m_row;
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_row->height() - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = row->sizeHint();
    frame.tabBarRect = row->geometry();
    frame.selectedTabRect = row->tabRect(row->currentIndex());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

void TabStrip::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit doubleClicked();
}
