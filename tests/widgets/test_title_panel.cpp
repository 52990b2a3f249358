#include "AppFixture.h"
#include "WidgetHelpers.h"
#include "WindowFixture.h"
#include "app/PindelApp.h"
#include "handlers/TitlePanel.h"
#include "print/CardPrinter.h"
#include "ui/ContentBox.h"
#include "ui/TabStrip.h"

#include <QtTest>

using namespace WidgetHelpers;

namespace {

// Whether the panel is open, whatever card is current (a panel on a page that
// is not shown is still open).
void giveCaptions(MainWindow& w)
{
    w.tabStrip()->setCaption(0, "Einkauf");
    w.tabStrip()->setCaption(1, "Arbeit");
    w.tabStrip()->setCaption(2, "Ideen");
}

QStringList writes(const QStringList& log)
{
    return log.filter(QRegularExpression("^write "));
}

// A double-click as the window system delivers it: two presses close in time
// and place, the second one turned into a double-click by Qt itself.
void doubleClick(TabRow* row, QPoint pos)
{
    QWidget* top = row->window();
    QTest::mouseDClick(top->windowHandle(), Qt::LeftButton, {}, row->mapTo(top, pos));
}

} // namespace

class TestTitlePanel : public QObject
{
    Q_OBJECT
private slots:
    void openShowsOnlyTheCurrentCardsPanelWithTheCaption_data()
    {
        QTest::addColumn<int>("current");
        QTest::newRow("tab 0 opens Frame1") << 0;
        QTest::newRow("tab 1 opens Frame2") << 1;
        QTest::newRow("tab 2 opens Frame3") << 2;
    }

    void openShowsOnlyTheCurrentCardsPanelWithTheCaption()
    {
        QFETCH(int, current);
        WindowFixture f;
        giveCaptions(f.window);
        f.store.set("Pindel2", "aus dem Speicher");
        f.store.set("Pindel5", "aus dem Speicher");
        f.store.set("Pindel6", "aus dem Speicher");
        for (int i = 0; i < kCardCount; ++i)
            f.window.card(i).titleBox->setText("alt");
        f.window.tabStrip()->tabRow()->setCurrentIndex(current);

        QVERIFY(!TitlePanel::open(f.ctx));

        QList<bool> expected{false, false, false};
        expected[current] = true;
        QCOMPARE(openPanels(f.window), expected);
        QCOMPARE(f.window.card(current).titleBox->text(), f.window.tabStrip()->caption(current));
        for (int i = 0; i < kCardCount; ++i) {
            if (i != current)
                QCOMPARE(f.window.card(i).titleBox->text(), QString("alt"));
        }
        QCOMPARE(f.window.tabStrip()->currentIndex(), current);
        QVERIFY(f.store.log.isEmpty()); // the caption, not the store
    }

    void okStoresTheTitleUnderTheCardsKeyWhateverTabIsCurrent_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::newRow("Command1 from tab 2") << 0 << 2 << "Neu 1"
                                             << "Pindel2";
        QTest::newRow("Command4 from tab 0") << 1 << 0 << "Neu 2"
                                             << "Pindel5";
        QTest::newRow("Command6 from tab 0") << 2 << 0 << "Neu 3"
                                             << "Pindel6";
        QTest::newRow("Command6 from tab 1") << 2 << 1 << "Neu 3"
                                             << "Pindel6";
        QTest::newRow("Command6 from tab 2") << 2 << 2 << "Neu 3"
                                             << "Pindel6";
        QTest::newRow("empty title") << 1 << 1 << ""
                                     << "Pindel5";
        QTest::newRow("blanks are kept") << 0 << 0 << "  Rand  "
                                         << "Pindel2";
        QTest::newRow("ampersands") << 2 << 2 << "A & B && C &"
                                    << "Pindel6";
    }

    void okStoresTheTitleUnderTheCardsKeyWhateverTabIsCurrent()
    {
        QFETCH(int, card);
        QFETCH(int, current);
        QFETCH(QString, title);
        QFETCH(QString, key);
        WindowFixture f;
        giveCaptions(f.window);
        const QStringList before{"Einkauf", "Arbeit", "Ideen"};
        f.window.contentBox(card)->setText("Inhalt");
        f.window.card(card).panel->show();
        f.window.card((card + 1) % 3).panel->show();
        f.window.tabStrip()->tabRow()->setCurrentIndex(current);
        f.window.card(card).titleBox->setText(title);

        QVERIFY(!TitlePanel::ok(f.ctx, card));

        QCOMPARE(f.store.log, QStringList{"write " + key});
        QVERIFY(f.store.contains(key));
        QCOMPARE(f.store.value(key), title);
        for (int i = 0; i < kCardCount; ++i)
            QCOMPARE(f.window.tabStrip()->caption(i), i == card ? title : before[i]);
        QVERIFY(!isOpen(f.window, card));
        QVERIFY(isOpen(f.window, (card + 1) % 3));
        QVERIFY(!isOpen(f.window, (card + 2) % 3));
        QCOMPARE(f.window.tabStrip()->currentIndex(), current);
        QCOMPARE(f.window.contentBox(card)->text(), QString("Inhalt"));
    }

    void aLongTitleIsNeverCut_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("length");
        QTest::newRow("opened while hidden, 32768") << "hidden" << 32768;
        QTest::newRow("opened while hidden, 100000") << "hidden" << 100000;
        QTest::newRow("opened while shown, 32768") << "shown" << 32768;
        QTest::newRow("pasted, 40000") << "pasted" << 40000;
    }

    // A line editor cuts at 32,767 characters unless told otherwise; a title,
    // like a note, has no limit.
    void aLongTitleIsNeverCut()
    {
        QFETCH(QString, how);
        QFETCH(int, length);
        WindowFixture f;
        const QString title = QString(length - 1, 'T') + "!";
        if (how != "hidden")
            f.window.show();
        f.window.tabStrip()->tabRow()->setCurrentIndex(1);
        f.window.tabStrip()->setCaption(1, how == "pasted" ? QString("alt") : title);
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.show();
        QLineEdit* box = f.window.card(1).titleBox->editor();
        if (how == "pasted") {
            box->selectAll();
            box->insert(title);
        }
        QCOMPARE(box->text().size(), length);

        QVERIFY(!TitlePanel::ok(f.ctx, 1));
        QCOMPARE(f.store.value("Pindel5").size(), length);
        QCOMPARE(f.store.value("Pindel5"), title);
        QCOMPARE(f.window.tabStrip()->caption(1), title);
    }

    void okWithAnUnchangedTitleStillWrites()
    {
        WindowFixture f;
        f.store.set("Pindel5", "Karte #2");
        f.window.tabStrip()->tabRow()->setCurrentIndex(1);
        QVERIFY(!TitlePanel::open(f.ctx));
        QVERIFY(!TitlePanel::ok(f.ctx, 1));
        QCOMPARE(f.store.log, QStringList{"write Pindel5"});
        QCOMPARE(f.window.tabStrip()->caption(1), QString("Karte #2"));
    }

    void cancelKeepsCaptionAndStoreAndTheNextOpenShowsTheOldTitle()
    {
        WindowFixture f;
        giveCaptions(f.window);
        f.window.tabStrip()->tabRow()->setCurrentIndex(2);
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.card(2).titleBox->setText("getippt");

        TitlePanel::cancel(f.ctx, 2);

        QVERIFY(!isOpen(f.window, 2));
        QCOMPARE(f.window.tabStrip()->caption(2), QString("Ideen"));
        QVERIFY(f.store.log.isEmpty());
        QCOMPARE(f.window.card(2).titleBox->text(), QString("getippt")); // unseen until the next open
        QVERIFY(!TitlePanel::open(f.ctx));
        QCOMPARE(f.window.card(2).titleBox->text(), QString("Ideen"));
    }

    void aSecondOpenThrowsAwayTypedText()
    {
        WindowFixture f;
        giveCaptions(f.window);
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.card(0).titleBox->setText("getippt");
        QVERIFY(!TitlePanel::open(f.ctx));
        QVERIFY(isOpen(f.window, 0));
        QCOMPARE(f.window.card(0).titleBox->text(), QString("Einkauf"));
        QVERIFY(f.store.log.isEmpty());
    }

    void twoPanelsOpenAndCancelClosesOnlyItsOwn()
    {
        WindowFixture f;
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.tabStrip()->tabRow()->setCurrentIndex(2);
        QVERIFY(!TitlePanel::open(f.ctx));
        QCOMPARE(openPanels(f.window), (QList<bool>{true, false, true}));

        TitlePanel::cancel(f.ctx, 2); // Command5
        QCOMPARE(openPanels(f.window), (QList<bool>{true, false, false}));
        TitlePanel::cancel(f.ctx, 1); // Command3 on a closed panel changes nothing
        QCOMPARE(openPanels(f.window), (QList<bool>{true, false, false}));
    }

    void aTitleWithAmpersandsShowsAsTypedAndComesBackExactly()
    {
        WindowFixture f;
        const QString title = "Haus & Hof && Garten &";
        f.window.tabStrip()->tabRow()->setCurrentIndex(1);
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.card(1).titleBox->setText(title);
        QVERIFY(!TitlePanel::ok(f.ctx, 1));

        // QTabBar would take a lone "&" as a mnemonic and hide it.
        QCOMPARE(f.window.tabStrip()->tabRow()->tabText(1), QString("Haus && Hof &&&& Garten &&"));
        QCOMPARE(f.window.tabStrip()->caption(1), title);
        QVERIFY(!TitlePanel::open(f.ctx));
        QCOMPARE(f.window.card(1).titleBox->text(), title);
        QCOMPARE(f.store.value("Pindel5"), title);
    }

    void aRefusedWriteLeavesCaptionAndPanel()
    {
        WindowFixture f;
        giveCaptions(f.window);
        f.store.refuse("Pindel2");
        QVERIFY(!TitlePanel::open(f.ctx));
        f.window.card(0).titleBox->setText("Neu");

        const auto failure = TitlePanel::ok(f.ctx, 0);

        QVERIFY(failure);
        QVERIFY(failure->contains("Pindel2"));
        QCOMPARE(f.window.tabStrip()->caption(0), QString("Einkauf"));
        QVERIFY(isOpen(f.window, 0));
        QCOMPARE(f.window.card(0).titleBox->text(), QString("Neu"));
        QVERIFY(!f.store.contains("Pindel2"));
    }

    void aRefusedWriteIsToldToTheUser()
    {
        AppFixture a;
        RecordingStore& store = a.store;
        PindelApp& app = a.app;
        store.refuse("Pindel6");
        MainWindow& w = app.window();
        w.tabStrip()->tabRow()->setCurrentIndex(2);
        emit w.tabStrip()->doubleClicked();
        QTest::mouseClick(w.card(2).okButton, Qt::LeftButton); // Command6

        QCOMPARE(app.reporter().toldCount(), 1);
        QVERIFY(app.reporter().lastMessage().contains("Pindel6"));
        QVERIFY(isOpen(w, 2));
    }

    void aRealDoubleClickOnTheTabRowOpensThatCardsPanel()
    {
        AppFixture a;
        RecordingStore& store = a.store;
        PindelApp& app = a.app;
        MainWindow& w = app.window();
        showAndActivate(w);
        giveCaptions(w); // after activation, which puts the stored titles on the tabs
        TabRow* row = w.tabStrip()->tabRow();

        // The first press chooses the tab, the double-click opens its panel.
        doubleClick(row, row->tabRect(1).center());
        QCOMPARE(w.tabStrip()->currentIndex(), 1);
        QCOMPARE(openPanels(w), (QList<bool>{false, true, false}));
        QCOMPARE(w.card(1).titleBox->text(), QString("Arbeit"));
        QVERIFY(w.card(1).panel->isVisible());

        // The tabs fill the row: its last pixel is card 3's.
        doubleClick(row, QPoint(row->width() - 1, row->height() / 2));
        QCOMPARE(openPanels(w), (QList<bool>{false, true, true}));
        QVERIFY(writes(a.idle().log).isEmpty());
    }

    void eachTabTakesAThirdOfTheRowWhateverItsCaption_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("design") << QStringList{"Karte #1", "Karte #2", "Karte #3"};
        QTest::newRow("long title on card 1")
            << QStringList{"Einkaufsliste für das lange Wochenende 2", "Karte #2", "Karte #3"};
        QTest::newRow("260 characters on card 2") << QStringList{"Karte #1", QString(260, 'W'), "Karte #3"};
        QTest::newRow("all three long")
            << QStringList{QString(300, 'a'), QString(260, 'W'), QString(70, 'x')};
        QTest::newRow("empty titles") << QStringList{"", "", ""};
    }

    // At the default size, whatever the titles: a double-click anywhere on a
    // tab's third of the row opens that card's panel with its whole title.
    void eachTabTakesAThirdOfTheRowWhateverItsCaption()
    {
        QFETCH(QStringList, titles);
        AppFixture a;
        a.store.set("Pindel2", titles[0]);
        a.store.set("Pindel5", titles[1]);
        a.store.set("Pindel6", titles[2]);
        MainWindow& w = a.app.window();
        showAndActivate(w);
        TabRow* row = w.tabStrip()->tabRow();
        QTRY_COMPARE(row->tabText(2), TabStrip::escapeMnemonic(titles[2])); // titles put on by activation
        const int share = row->width() / kCardCount;
        QVERIFY(share > 0);

        for (int card = 0; card < kCardCount; ++card) {
            QVERIFY(qAbs(row->tabRect(card).left() - card * share) <= 1);
            QVERIFY(qAbs(row->tabRect(card).width() - share) <= 2);
            for (const int x : {card * share + 3, card * share + share / 2, (card + 1) * share - 3}) {
                w.card(card).panel->hide();
                doubleClick(row, QPoint(x, row->height() / 2));
                QCOMPARE(w.tabStrip()->currentIndex(), card);
                QVERIFY(isOpen(w, card));
                QCOMPARE(w.card(card).titleBox->text(), titles[card]);
            }
            QCOMPARE(row->tabText(card), TabStrip::escapeMnemonic(titles[card])); // elided on screen only
        }
    }

    void theDoubleClickMovesNoFocusAndSelectsNoText_data()
    {
        QTest::addColumn<bool>("focusInContent");
        QTest::newRow("focus on the tab row") << false;
        QTest::newRow("focus in the content box") << true;
    }

    void theDoubleClickMovesNoFocusAndSelectsNoText()
    {
        QFETCH(bool, focusInContent);
        AppFixture a;
        RecordingStore& store = a.store;
        PindelApp& app = a.app;
        MainWindow& w = app.window();
        showAndActivate(w);
        QWidget* focused =
            focusInContent ? static_cast<QWidget*>(w.contentBox(0)->editor()) : w.tabStrip()->tabRow();
        focused->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focused);

        TabRow* row = w.tabStrip()->tabRow();
        doubleClick(row, row->tabRect(0).center());

        QVERIFY(isOpen(w, 0));
        QCOMPARE(QApplication::focusWidget(), focused);
        QVERIFY(!w.card(0).titleBox->hasFocus());
        QVERIFY(!w.card(0).titleBox->editor()->hasSelectedText());
    }

    void enterAndEscapeInTheTitleBoxNeitherConfirmNorCancel()
    {
        AppFixture a;
        RecordingStore& store = a.store;
        PindelApp& app = a.app;
        MainWindow& w = app.window();
        showAndActivate(w);
        emit w.tabStrip()->doubleClicked();
        QLineEdit* box = w.card(0).titleBox->editor();
        box->setFocus();
        QTest::keyClicks(box, "Neu");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(isOpen(w, 0));
        QVERIFY(writes(a.idle().log).isEmpty());
        QCOMPARE(w.tabStrip()->caption(0), QString("Karte #1"));
    }

    void anOpenPanelSurvivesTabChangesAndHidingTheWindow()
    {
        AppFixture a;
        RecordingStore& store = a.store;
        PindelApp& app = a.app;
        MainWindow& w = app.window();
        showAndActivate(w);
        w.tabStrip()->tabRow()->setCurrentIndex(1);
        emit w.tabStrip()->doubleClicked();
        QVERIFY(w.card(1).panel->isVisible());

        w.tabStrip()->tabRow()->setCurrentIndex(0);
        QVERIFY(!w.card(1).panel->isVisible()); // its page is not shown
        QCOMPARE(openPanels(w), (QList<bool>{false, true, false}));

        w.hide();
        app.restoreFromTray();
        QTRY_VERIFY(w.isVisible());
        QCOMPARE(openPanels(w), (QList<bool>{false, true, false}));
        w.tabStrip()->tabRow()->setCurrentIndex(1);
        QVERIFY(w.card(1).panel->isVisible());
    }
};

QTEST_MAIN(TestTitlePanel)
#include "test_title_panel.moc"
