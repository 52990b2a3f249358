#include "AppFixture.h"
#include "platform/ProcessSetup.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTranslator>
#include <QtTest>

namespace {

// The control that has the focus, by its design name (an editor stands for
// its box, the tab row for the strip).
QString focused()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return "none";
    if (w->objectName() == "SSTab1_row")
        return "SSTab1";
    return w->objectName().endsWith("_editor") ? w->parentWidget()->objectName() : w->objectName();
}

QWidget* control(MainWindow& w, const QString& name)
{
    if (name == "SSTab1")
        return w.tabStrip()->tabRow();
    auto* box = w.findChild<QWidget*>(name);
    if (auto* content = qobject_cast<ContentBox*>(box))
        return content->editor();
    if (auto* title = qobject_cast<TitleBox*>(box))
        return title->editor();
    return box;
}

// A window shown and active, with the tab strip's double-click wired.
struct ActiveApp
{
    AppFixture fixture;
    PindelApp& app = fixture.app;

    // Shown and active, and activation has filled the boxes.
    bool ready = false;

    ActiveApp()
    {
        ready = fixture.startShown(); // no tray here: the window stays on screen
    }
    MainWindow& w() { return app.window(); }
};

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    // Tab and Shift+Tab walk the design's tab order over what is shown; a
    // note never takes a tab character.
    void tabWalksTheDesignOrder_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<bool>("panelOpen");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("walk");
        QTest::newRow("card 1") << 0 << false << false << "SSTab1" << QStringList{"Text1", "SSTab1"};
        QTest::newRow("card 1, panel open")
            << 0 << true << false << "Text1"
            << QStringList{"Text2", "Command1", "Command2", "Command9", "SSTab1"};
        QTest::newRow("card 1, panel open, backwards")
            << 0 << true << true << "SSTab1"
            << QStringList{"Command9", "Command2", "Command1", "Text2", "Text1"};
        QTest::newRow("card 2, panel open")
            << 1 << true << false << "Text3"
            << QStringList{"Command3", "Command4", "Text5", "Command8", "SSTab1"};
        QTest::newRow("card 3, panel open")
            << 2 << true << false << "Text4"
            << QStringList{"Command5", "Command6", "Text6", "Command7", "SSTab1"};
    }
    void tabWalksTheDesignOrder()
    {
        QFETCH(int, card);
        QFETCH(bool, panelOpen);
        QFETCH(bool, backwards);
        QFETCH(QString, start);
        QFETCH(QStringList, walk);
        ActiveApp a;
        QVERIFY(a.ready);
        a.w().tabStrip()->tabRow()->setCurrentIndex(card);
        if (panelOpen)
            emit a.w().tabStrip()->doubleClicked();
        const QString note = a.w().contentBox(card)->text();
        control(a.w(), start)->setFocus();
        QStringList seen;
        for (qsizetype i = 0; i < walk.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            seen << focused();
        }
        QCOMPARE(seen, walk);
        QCOMPARE(a.w().contentBox(card)->text(), note);
        QVERIFY(!a.w().contentBox(card)->isModified());
    }

    // As in any tab dialog, from wherever the focus is; focus on a card
    // moves on to the new card.
    void ctrlTabAndCtrlPageSwitchCards_data()
    {
        QTest::addColumn<int>("startCard");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("focus");
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+Tab on the tab row")
            << 0 << "SSTab1" << int(Qt::Key_Tab) << ctrl << 1 << "SSTab1";
        QTest::newRow("Ctrl+Tab in a note") << 0 << "Text1" << int(Qt::Key_Tab) << ctrl << 1 << "Text3";
        QTest::newRow("Ctrl+Shift+Tab in a note")
            << 0 << "Text1" << int(Qt::Key_Backtab) << ctrlShift << 2 << "Text4";
        QTest::newRow("Ctrl+PgDown in a title box")
            << 0 << "Text2" << int(Qt::Key_PageDown) << ctrl << 1 << "Text3";
        QTest::newRow("Ctrl+PgUp on a button")
            << 0 << "Command9" << int(Qt::Key_PageUp) << ctrl << 2 << "Text4";
        // Card 1's open panel comes after card 2's note in the tab order.
        QTest::newRow("Ctrl+PgUp back to a card with its panel open")
            << 1 << "Text3" << int(Qt::Key_PageUp) << ctrl << 0 << "Text1";
    }
    void ctrlTabAndCtrlPageSwitchCards()
    {
        QFETCH(int, startCard);
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, card);
        QFETCH(QString, focus);
        ActiveApp a;
        QVERIFY(a.ready);
        emit a.w().tabStrip()->doubleClicked(); // card 1's panel open
        a.w().tabStrip()->tabRow()->setCurrentIndex(startCard);
        control(a.w(), start)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(a.w().tabStrip()->currentIndex(), card);
        QCOMPARE(focused(), focus);
        const QString note = a.w().contentBox(0)->text();
        QCOMPARE(note.contains('\t'), false);
    }

    // The keyboard's double-click on the tab row: F2 and the context-menu
    // key open the current card's panel and take the keyboard into its title
    // box, the title selected, so that typing replaces the title and never
    // the note; a right click does not open it.
    void f2AndTheMenuKeyOpenThePanel_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("opens");
        QTest::newRow("F2") << "F2" << true;
        QTest::newRow("context-menu key") << "menu key" << true;
        QTest::newRow("right click") << "right click" << false;
        QTest::newRow("Shift+F2") << "Shift+F2" << false;
    }
    void f2AndTheMenuKeyOpenThePanel()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, opens);
        ActiveApp a;
        QVERIFY(a.ready);
        TabRow* row = a.w().tabStrip()->tabRow();
        row->setCurrentIndex(1);
        row->setFocus();
        if (gesture == "F2" || gesture == "Shift+F2") {
            QTest::keyClick(row, Qt::Key_F2, gesture == "F2" ? Qt::NoModifier : Qt::ShiftModifier);
        } else {
            const auto reason =
                gesture == "menu key" ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse;
            const QPoint at = row->tabRect(1).center();
            QContextMenuEvent event(reason, at, row->mapToGlobal(at));
            QApplication::sendEvent(row, &event);
        }
        QCOMPARE(!a.w().card(1).panel->isHidden(), opens);
        QVERIFY(a.w().card(0).panel->isHidden() && a.w().card(2).panel->isHidden());
        if (!opens) {
            QCOMPARE(focused(), QString("SSTab1"));
            return;
        }
        QCOMPARE(a.w().card(1).titleBox->text(), a.w().tabStrip()->caption(1));
        QCOMPARE(focused(), QString("Text5"));
        QCOMPARE(a.w().card(1).titleBox->editor()->selectedText(), a.w().tabStrip()->caption(1));
        // What is typed now is the title; "OK" stores it, the note stays.
        const QString note = a.w().contentBox(1)->text();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "Einkauf");
        a.w().card(1).okButton->click();
        QCOMPARE(a.w().tabStrip()->caption(1), QString("Einkauf"));
        QCOMPARE(a.w().contentBox(1)->text(), note);
    }

    // The double-click keeps the focus where it was.
    void doubleClickMovesNoFocus()
    {
        ActiveApp a;
        QVERIFY(a.ready);
        TabRow* row = a.w().tabStrip()->tabRow();
        row->setFocus();
        emit row->tabBarDoubleClicked(0);
        QVERIFY(!a.w().card(0).panel->isHidden());
        QCOMPARE(focused(), QString("SSTab1"));
    }

    // Screen readers name the window and every box by what it is, not by
    // the scrolling caption.
    void accessibleNames()
    {
        MainWindow w;
        w.show();
        QCOMPARE(w.accessibleName(), QString("Pindel"));
        for (int i = 0; i < kCardCount; ++i) {
            QCOMPARE(w.contentBox(i)->editor()->accessibleName(), QString("Notiz Karte %1").arg(i + 1));
            QCOMPARE(w.card(i).titleBox->editor()->accessibleName(),
                     QString("Überschrift Karte %1").arg(i + 1));
        }
    }

    // Qt's own texts in a note's context menu follow the user's language.
    void qtTextsFollowTheLanguage()
    {
        QTranslator* german = ProcessSetup::translateQtTexts(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY2(german, "Qt's German translations are not installed (qt6-translations-l10n)");
        ContentBox box;
        std::unique_ptr<QMenu> menu(box.editor()->createStandardContextMenu());
        QCOMPARE(menu->actions().constFirst()->text().section('\t', 0, 0), QString("&Rückgängig"));
        QCoreApplication::removeTranslator(german);
        delete german;
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
