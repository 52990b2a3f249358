#pragma once

#include "core/CardTable.h"
#include "core/Marquee.h"
#include "core/TwipsMemo.h"

#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QWidget>
#include <array>

class ContentBox;
class QLabel;
class TabStrip;
class Timer;
class TitleBox;
class TrayIcon;

// The controls of one card.
struct CardControls
{
    ContentBox* content = nullptr;
    QGroupBox* panel = nullptr;
    TitleBox* titleBox = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* printButton = nullptr;
};

// `mirtal_pindel`: the one window, its controls in their design state, and its
// geometry in twips of the outer frame. It holds no behaviour of its own: its
// events leave as signals and the handlers act on it.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    static inline const QString& designCaption = Marquee::designCaption;
    // How long activation waits for a window manager that never makes the
    // shown window active.
    static constexpr int activationFallbackMs = 400;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    TabStrip* tabStrip() const { return m_strip; }
    const CardControls& card(int index) const { return m_cards.at(size_t(index)); }
    ContentBox* contentBox(int index) const { return card(index).content; }
    TrayIcon* tray() const { return m_tray; }
    Timer* timer() const { return m_timer; }
    const std::array<QIcon, 3>& imageList() const { return m_imageList; }

    // Outer frame (frame and caption included), in twips. Each setter is one
    // whole operation: it applies the value or throws StepFailure and leaves
    // the window as it was.
    float leftTwips() const;
    float topTwips() const;
    float widthTwips() const;
    float heightTwips() const;
    void setLeftTwips(float twips);
    void setTopTwips(float twips);
    void setWidthTwips(float twips);
    void setHeightTwips(float twips);

    // Moves a window that lies wholly outside every screen just enough to be
    // reachable; a window partly on a screen stays.
    void bringOnScreen();

    // Places a control in twips relative to its container.
    void placeInTwips(QWidget* control, int left, int top, int width, int height) const;
    // Sizes a control in one dimension, in twips; throws StepFailure and
    // leaves the control as it was if the size cannot be taken (negative).
    void setControlWidthTwips(QWidget* control, float twips) const;
    void setControlHeightTwips(QWidget* control, float twips) const;
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;

    // A failure shown on the window itself, for when no tray icon can carry it.
    void showNotice(const QString& text);
    QString notice() const;

    // Hides the window when a tray can bring it back, otherwise minimises it
    // (hidden without a tray, it would be gone for good).
    void hideToTray();

    // The window was minimised since it was last shown. Wayland never tells
    // a program that its window is minimised, nor lets it bring one back.
    bool minimizedSinceShown() const { return m_minimizedSinceShown; }

    // Shown, and activation not yet run.
    bool activationPending() const { return m_activationPending; }

    // Every way of showing the window comes through here: the editors are
    // built before the first show.
    void setVisible(bool visible) override;

signals:
    void closeRequested(QCloseEvent* event);
    // The window became active after being shown from hidden (once per show).
    void activated();
    void focusLost();
    void resized();
    // Ctrl+H: the window of earlier versions, for desktops without a tray
    // menu and for the keyboard.
    void versionsRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    // The editors, the panels' titles and the tabs: everything that lays out
    // text, and so loads the fonts, is built just before the first show (or
    // for a long note, when it arrives).
    void buildEditors();
    void setTabOrder();
    void runPendingActivation();
    // The outer frame in pixels: where the program last placed it while the
    // window manager has not yet put its frame around the window, otherwise
    // the window's area and the frame as the window system has them now.
    QRect outerFrame() const;
    // The frame the window manager has put around the window now (none while
    // hidden or not yet framed); the last one seen is kept in m_frame.
    QMargins frameAroundNow() const;
    // Gives the window the outer frame `outer`: its own area is that less the
    // frame, as far as the frame is known yet.
    void placeOuter(const QRect& outer);
    // Places the window again once its frame is known, or at the latest when
    // it becomes active (a window manager frames a window before focusing it).
    void placeOnceFrameIsKnown(bool atTheLatest);
    double dpiX() const;
    double dpiY() const;

    TabStrip* m_strip = nullptr;
    std::array<CardControls, kCardCount> m_cards{};
    std::array<QIcon, 3> m_imageList{};
    TrayIcon* m_tray = nullptr;
    Timer* m_timer = nullptr;
    QLabel* m_notice = nullptr;
    TwipsMemo m_left, m_top, m_width, m_height;
    // The outer frame last asked for, and whether it was asked for before the
    // window manager had framed the window. Until then the frame's size is
    // unknown and the outer size was given to the window's own area; it is
    // placed again once the frame is known, so that the stored geometry does
    // not grow or creep by the frame from run to run.
    QRect m_outerTarget;
    bool m_awaitingFrame = false;
    mutable QMargins m_frame;
    bool m_frameCheckQueued = false;
    bool m_activationPending = false;
    bool m_editorsBuilt = false;
    bool m_minimizedSinceShown = false;
    Timer* m_activationFallback = nullptr;
};
