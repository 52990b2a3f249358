#include "ui/MainWindow.h"

#include "core/CardTable.h"
#include "core/StepFailure.h"
#include "core/Twips.h"
#include "ui/ActivationWatch.h"
#include "ui/ContentBox.h"
#include "ui/FindRow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"
#include "ui/TrayIcon.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QLabel>
#include <QShortcut>
#include <map>

namespace {

// The design layout, in twips relative to each control's container.
struct Box
{
    int left, top, width, height;
};
constexpr Box kStrip{0, 0, 7575, 5415};
constexpr int kTabRowHeight = 295;
constexpr Box kContent{60, 360, 7095, 4815};
constexpr Box kPanel{120, 420, 2475, 1275};
constexpr Box kTitleBox{60, 300, 2295, 315};
constexpr Box kOk{1500, 660, 855, 255};
constexpr Box kCancel{480, 660, 975, 255};
constexpr Box kPrint{60, 960, 2295, 255};
// The smallest window the home platform lets a top-level window have (136 by
// 39 pixels at 96 DPI), taken here for the window's own area: caption and tab
// row stay in sight, so a stored size of 0 or a few twips cannot leave a
// window that never appears.
constexpr int kMinWidth = 2040;
constexpr int kMinHeight = 585;

// Screen readers see the window as a frame (a plain top-level widget would
// be a filler) named by accessibleName, not by the scrolling caption.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String("MainWindow") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent)
{
    static const bool accessibleAsFrame = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(accessibleAsFrame);
    setObjectName(QStringLiteral("mirtal_pindel"));
    setAccessibleName(QStringLiteral("Pindel"));
    setWindowTitle(designCaption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    // Picture 2 is the window's icon and the tray icon; the design's other
    // two pictures were never shown.
    const QIcon icon(QStringLiteral(":/pictures/picture2.png"));
    setWindowIcon(icon);

    createControls();
    setMinimumSize(twipsToPixelsX(kMinWidth), twipsToPixelsY(kMinHeight));

    m_tray = new TrayIcon(icon, this);

    auto* versions = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(versions, &QShortcut::activated, this, &MainWindow::versionsRequested);
    // QKeySequence::Quit is empty on some platforms, so the keys are named.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &MainWindow::quitRequested);
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, &MainWindow::findRequested);
    for (const bool backward : {false, true}) {
        const QKeySequence keys = backward ? QKeySequence(Qt::SHIFT | Qt::Key_F3) : QKeySequence(Qt::Key_F3);
        auto* next = new QShortcut(keys, this);
        connect(next, &QShortcut::activated, this, [this, backward] { emit findNextRequested(backward); });
    }

    m_activation = new ActivationWatch(*this);
    connect(m_activation, &ActivationWatch::activated, this, &MainWindow::activated);
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    m_strip = new TabStrip(this);
    m_strip->setObjectName(QStringLiteral("SSTab1"));
    m_strip->setToolTip(QStringLiteral("DblClck Umbenennen/Drucken"));
    m_strip->setRowHeight(twipsToPixelsY(kTabRowHeight));
    placeInTwips(m_strip, kStrip.left, kStrip.top, kStrip.width, kStrip.height);

    for (int index = 0; index < kCardCount; ++index) {
        const CardDefinition& def = kCards[index];
        QWidget* page = m_strip->page(index);
        CardControls& card = m_cards[size_t(index)];

        card.content = new ContentBox(page);
        card.content->setObjectName(QLatin1String(def.contentBox));
        placeInTwips(card.content, kContent.left, kContent.top, kContent.width, kContent.height);

        // Titled with the editors: a group box lays out its title at once.
        card.panel = new QGroupBox(page);
        card.panel->setObjectName(QLatin1String(def.panel));
        card.panel->setAutoFillBackground(true); // opaque over the content box
        placeInTwips(card.panel, kPanel.left, kPanel.top, kPanel.width, kPanel.height);

        card.titleBox = new TitleBox(card.panel);
        card.titleBox->setObjectName(QLatin1String(def.titleBox));
        placeInTwips(card.titleBox, kTitleBox.left, kTitleBox.top, kTitleBox.width, kTitleBox.height);

        auto button = [&](const char* name, const QString& caption, const Box& box) {
            auto* b = new QPushButton(caption, card.panel);
            b->setObjectName(QLatin1String(name));
            b->setAutoDefault(false);
            b->setDefault(false);
            placeInTwips(b, box.left, box.top, box.width, box.height);
            return b;
        };
        card.okButton = button(def.okButton, QStringLiteral("OK"), kOk);
        card.cancelButton = button(def.cancelButton, QStringLiteral("Abbruch"), kCancel);
        card.printButton = button(def.printButton, QStringLiteral("Karte drucken"), kPrint);

        card.panel->raise(); // drawn above the content box, takes the pointer there
        card.panel->hide();
    }

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    m_notice->setAutoFillBackground(true);
    m_notice->setFrameShape(QFrame::Box);
    m_notice->setToolTip(QStringLiteral("Klicken zum Schließen"));
    m_notice->installEventFilter(this);
    m_notice->hide();
}

void MainWindow::buildEditors()
{
    if (m_editorsBuilt)
        return;
    m_editorsBuilt = true;
    for (size_t i = 0; i < m_cards.size(); ++i) {
        CardControls& card = m_cards[i];
        card.content->editor()->setAccessibleName(QStringLiteral("Notiz Karte %1").arg(i + 1));
        card.titleBox->editor()->setAccessibleName(QStringLiteral("Überschrift Karte %1").arg(i + 1));
        card.panel->setTitle(QStringLiteral("Umbenennen Überschrift"));
    }
    setTabOrder();
}

void MainWindow::setTabOrder()
{
    // The design's tab order, from the tab row (0) across the cards.
    std::map<int, QWidget*> order{{0, m_strip->tabRow()}};
    for (int index = 0; index < kCardCount; ++index) {
        const CardDefinition::TabOrder& place = kCards[index].tabOrder;
        const CardControls& c = m_cards[size_t(index)];
        order.insert({{place.content, c.content->editor()},
                      {place.title, c.titleBox->editor()},
                      {place.ok, c.okButton},
                      {place.cancel, c.cancelButton},
                      {place.print, c.printButton}});
    }
    for (auto it = std::next(order.begin()); it != order.end(); ++it)
        QWidget::setTabOrder(std::prev(it)->second, it->second);
    m_strip->tabRow()->setFocus();
}

int MainWindow::twipsToPixelsX(double twips) const
{
    return Twips::toPixels(twips, m_placement.dpiX()).value_or(0);
}

int MainWindow::twipsToPixelsY(double twips) const
{
    return Twips::toPixels(twips, m_placement.dpiY()).value_or(0);
}

void MainWindow::placeInTwips(QWidget* control, int left, int top, int width, int height) const
{
    control->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width),
                         twipsToPixelsY(height));
}

void MainWindow::setControlWidthTwips(QWidget* control, float twips) const
{
    const auto px = Twips::toPixels(twips, m_placement.dpiX());
    if (!px || *px < 0)
        throw StepFailure(
            QStringLiteral("%1 nimmt die Breite %2 nicht an").arg(control->objectName()).arg(twips));
    control->resize(*px, control->height());
}

void MainWindow::setControlHeightTwips(QWidget* control, float twips) const
{
    const auto px = Twips::toPixels(twips, m_placement.dpiY());
    if (!px || *px < 0)
        throw StepFailure(
            QStringLiteral("%1 nimmt die Höhe %2 nicht an").arg(control->objectName()).arg(twips));
    control->resize(control->width(), *px);
}

FindRow* MainWindow::findRow()
{
    // Built when first asked for: a line edit lays out text, and so loads
    // the fonts, which a window waiting in the tray does not need.
    if (!m_findRow) {
        m_findRow = new FindRow(this);
        m_findRow->hide();
        connect(m_findRow, &FindRow::nextRequested, this, [this] { emit findNextRequested(false); });
        connect(m_findRow, &FindRow::closeRequested, this, &MainWindow::findCloseRequested);
        layOutFindRow();
    }
    return m_findRow;
}

bool MainWindow::findRowShown() const
{
    // Also while the window is hidden: the boxes keep clear of the row then too.
    return m_findRow && !m_findRow->isHidden();
}

void MainWindow::layOutFindRow()
{
    if (!m_findRow)
        return;
    const int h = m_findRow->sizeHint().height();
    m_findRow->setGeometry(0, std::max(0, height() - h), width(), h);
    m_findRow->raise();
}

void MainWindow::showNotice(const QString& text)
{
    m_notice->setText(text);
    const int margin = twipsToPixelsX(60);
    const int w = std::max(0, width() - 2 * margin);
    m_notice->setGeometry(margin, std::max(0, height() - m_notice->heightForWidth(w) - margin), w,
                          m_notice->heightForWidth(w));
    m_notice->raise();
    m_notice->show();
}

QString MainWindow::notice() const
{
    return m_notice->isVisible() ? m_notice->text() : QString();
}

void MainWindow::hideToTray()
{
    // Closing the window is the user's answer to a notice on it.
    m_notice->hide();
    if (m_tray->isInTray())
        hide();
    else
        showMinimized();
}

void MainWindow::setVisible(bool visible)
{
    if (visible)
        buildEditors();
    QWidget::setVisible(visible);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A click on a notice puts it away: it must not keep covering the note.
    if (watched == m_notice && event->type() == QEvent::MouseButtonPress) {
        m_notice->hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        m_placement.shownMovedOrResized();
        if (!event->spontaneous())
            m_activation->shownByProgram();
        break;
    case QEvent::Hide:
        if (!event->spontaneous()) {
            m_activation->hiddenByProgram();
            m_minimizedSinceShown = false;
        }
        break;
    case QEvent::WindowStateChange:
        if (windowState() & Qt::WindowMinimized)
            m_minimizedSinceShown = true;
        break;
    case QEvent::WindowActivate:
        m_placement.becameActive();
        m_activation->becameActive();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        m_placement.shownMovedOrResized();
        break;
    case QEvent::WindowDeactivate:
        emit focusLost();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    m_placement.nativeEventSeen();
    return QWidget::nativeEvent(eventType, message, result);
}

bool MainWindow::activationPending() const
{
    return m_activation->isPending();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    emit closeRequested(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOutFindRow();
    if (m_notice->isVisible())
        showNotice(m_notice->text());
    emit resized();
}
