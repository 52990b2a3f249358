#pragma once

#include "core/CardTable.h"
#include "core/Marquee.h"
#include "ui/WindowPlacement.h"

#include <QGroupBox>
#include <QPushButton>
#include <QWidget>
#include <array>

class ActivationWatch;
class ContentBox;
class FindRow;
class QLabel;
class TabStrip;
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

// `mirtal_pindel`: the one window and its controls in their design state. It
// holds no behaviour of its own: its events leave as signals and the
// handlers act on it. Its geometry in twips of the outer frame is kept by
// its WindowPlacement, when it counts as activated by its ActivationWatch.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    static inline const QString& designCaption = Marquee::designCaption;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    TabStrip* tabStrip() const { return m_strip; }
    const CardControls& card(int index) const { return m_cards.at(size_t(index)); }
    ContentBox* contentBox(int index) const { return card(index).content; }
    TrayIcon* tray() const { return m_tray; }

    // Outer frame (frame and caption included), in twips; see WindowPlacement.
    float leftTwips() const { return m_placement.leftTwips(); }
    float topTwips() const { return m_placement.topTwips(); }
    float widthTwips() const { return m_placement.widthTwips(); }
    float heightTwips() const { return m_placement.heightTwips(); }
    void setLeftTwips(float twips) { m_placement.setLeftTwips(twips); }
    void setTopTwips(float twips) { m_placement.setTopTwips(twips); }
    void setWidthTwips(float twips) { m_placement.setWidthTwips(twips); }
    void setHeightTwips(float twips) { m_placement.setHeightTwips(twips); }
    void bringOnScreen() { m_placement.bringOnScreen(); }

    // Places a control in twips relative to its container.
    void placeInTwips(QWidget* control, int left, int top, int width, int height) const;
    // Sizes a control in one dimension, in twips; throws StepFailure and
    // leaves the control as it was if the size cannot be taken (negative).
    void setControlWidthTwips(QWidget* control, float twips) const;
    void setControlHeightTwips(QWidget* control, float twips) const;
    int twipsToPixelsX(double twips) const;
    int twipsToPixelsY(double twips) const;

    // The find row along the window's bottom edge, hidden until asked for;
    // built on first call.
    FindRow* findRow();
    bool findRowShown() const;

    // A failure shown on the window itself, for when no tray icon can carry it.
    void showNotice(const QString& text);
    QString notice() const;

    // Hides the window when a tray can bring it back, otherwise minimises it
    // (hidden without a tray, it would be gone for good).
    void hideToTray();

    // The window was minimised since it was last shown. Wayland never tells
    // a program that its window is minimised, nor lets it bring one back.
    bool minimizedSinceShown() const { return m_minimizedSinceShown; }

    // Shown, and activation not yet come.
    bool activationPending() const;

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
    // Ctrl+Q: what "Beenden" of the tray menu does, for desktops without a
    // tray and for the keyboard.
    void quitRequested();
    // Ctrl+F: find in the current card.
    void findRequested();
    // Enter in the find row, F3 (forward) and Shift+F3 (backward) anywhere
    // in the window.
    void findNextRequested(bool backward);
    // Escape in the find row.
    void findCloseRequested();

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
    void layOutFindRow();

    WindowPlacement m_placement{*this};
    ActivationWatch* m_activation = nullptr;
    TabStrip* m_strip = nullptr;
    std::array<CardControls, kCardCount> m_cards{};
    TrayIcon* m_tray = nullptr;
    QLabel* m_notice = nullptr;
    FindRow* m_findRow = nullptr;
    bool m_editorsBuilt = false;
    bool m_minimizedSinceShown = false;
};
