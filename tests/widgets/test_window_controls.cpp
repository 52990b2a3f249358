#include "AppFixture.h"
#include "TestClock.h"
#include "WidgetHelpers.h"
#include "WindowFixture.h"
#include "app/PindelApp.h"
#include "handlers/Startup.h"
#include "platform/PlatformLineBreak.h"
#include "print/CardPrinter.h"
#include "ui/ActivationWatch.h"
#include "ui/ContentBox.h"
#include "ui/TabStrip.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

using namespace WidgetHelpers;

class TestWindowControls : public QObject
{
    Q_OBJECT
private slots:
    void controlsAreTheDesignedOnes()
    {
        MainWindow w;
        w.show(); // the editors are built for the first show
        QCOMPARE(w.objectName(), QString("mirtal_pindel"));
        QCOMPARE(w.windowTitle(), QString("MIR-TAL Orbo -  Pindel ! (Inhalt bleibt immer erhalten)"));
        QCOMPARE(w.windowTitle().size(), 55);
        QCOMPARE(w.tabStrip()->objectName(), QString("SSTab1"));
        QCOMPARE(w.tabStrip()->toolTip(), QString("DblClck Umbenennen/Drucken"));
        QCOMPARE(w.tabStrip()->currentIndex(), 0);
        const char* names[3][6] = {{"Text1", "Frame1", "Text2", "Command1", "Command2", "Command9"},
                                   {"Text3", "Frame2", "Text5", "Command4", "Command3", "Command8"},
                                   {"Text4", "Frame3", "Text6", "Command6", "Command5", "Command7"}};
        for (int i = 0; i < 3; ++i) {
            const CardControls& c = w.card(i);
            QCOMPARE(w.tabStrip()->caption(i), QString("Karte #%1").arg(i + 1));
            QCOMPARE(c.content->objectName(), QString(names[i][0]));
            QCOMPARE(c.panel->objectName(), QString(names[i][1]));
            QCOMPARE(c.titleBox->objectName(), QString(names[i][2]));
            QCOMPARE(c.okButton->objectName(), QString(names[i][3]));
            QCOMPARE(c.cancelButton->objectName(), QString(names[i][4]));
            QCOMPARE(c.printButton->objectName(), QString(names[i][5]));
            QCOMPARE(c.content->toolTip(), QString("Hier können sie Ihre Daten einfügen  "));
            QCOMPARE(c.content->editor()->SendScintilla(QsciScintillaBase::SCI_GETWRAPMODE), long(QsciScintillaBase::SC_WRAP_NONE));
            QCOMPARE(c.content->editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(c.content->editor()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            QCOMPARE(c.content->editor()->geometry(), QRect(QPoint(), c.content->size()));
            QCOMPARE(c.panel->title(), QString("Umbenennen Überschrift"));
            QVERIFY(c.panel->isHidden());
            QVERIFY(c.titleBox->toolTip().isEmpty());
            QCOMPARE(c.okButton->text(), QString("OK"));
            QCOMPARE(c.cancelButton->text(), QString("Abbruch"));
            QCOMPARE(c.printButton->text(), QString("Karte drucken"));
            for (QPushButton* b : {c.okButton, c.cancelButton, c.printButton})
                QVERIFY(!b->isDefault() && !b->autoDefault());
            // Placed in twips from the strip's outer corner: 60/360 and 120/420
            // at 96 DPI, the panel above the box.
            QCOMPARE(c.content->geometry(), QRect(4, 24, 473, 321));
            QCOMPARE(c.panel->geometry(), QRect(8, 28, 165, 85));
            QCOMPARE(c.content->parentWidget(), w.tabStrip()->page(i));
        }
        QCOMPARE(w.tabStrip()->tabRow()->height(), 20); // 295 twips
    }

    void tabOrderFollowsTheDesign()
    {
        MainWindow w;
        w.show();
        QList<QString> order;
        QWidget* at = w.tabStrip()->tabRow();
        for (int i = 0; i < 16; ++i) {
            // An editor stands for the box that holds it.
            const QString name =
                at->objectName().endsWith("_editor") ? at->parentWidget()->objectName() : at->objectName();
            order << (at == w.tabStrip()->tabRow() ? QString("SSTab1") : name);
            at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || at->objectName().isEmpty() ||
                   at->objectName().startsWith("qt_"))
                at = at->nextInFocusChain();
        }
        QCOMPARE(order, QList<QString>({"SSTab1", "Text1", "Text2", "Command1", "Command2", "Text3", "Text4",
                                        "Command3", "Command4", "Text5", "Command5", "Command6", "Text6",
                                        "Command7", "Command8", "Command9"}));
    }

    void oneIconServesWindowAndTray()
    {
        MainWindow w;
        const QImage picture2 = QIcon(":/pictures/picture2.png").pixmap(32, 32).toImage();
        QCOMPARE(picture2.size(), QSize(32, 32));
        QCOMPARE(w.windowIcon().pixmap(32, 32).toImage(), picture2);
        QCOMPARE(w.tray()->objectName(), QString("ZTray1"));
        QCOMPARE(w.tray()->tipText(), QString("öffnen MIRTAL Pindelfenster"));
        QVERIFY(!w.tray()->display());
    }

    // The editors are built at the first show; what the handlers put into the
    // boxes while the window was hidden must be what the user then sees.
    void whatWasFilledWhileHiddenShowsAtTheFirstShow()
    {
        TestClock clock;
        MainWindow w;
        const QString longNote = QString("Zeile\r\n").repeated(ContentBox::editorAheadFrom / 7 + 1);
        w.contentBox(0)->setText("eins\rzwei");
        w.contentBox(1)->setText(longNote);
        w.card(2).titleBox->setText("Haus & Hof");
        w.tabStrip()->setCaption(2, "Haus & Hof");
        // A long note is laid out ahead of the first show, so that the show
        // does not wait for it, but only a moment after it was filled, so
        // that the start has shown its tray icon first.
        QVERIFY(!w.contentBox(1)->hasEditor());
        clock.advance(ContentBox::editorAheadAfterMs);
        QVERIFY(w.contentBox(1)->hasEditor());
        QVERIFY(!w.contentBox(0)->hasEditor());

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.contentBox(0)->editor()->text(), QString("eins\rzwei"));
        QCOMPARE(w.contentBox(0)->text(), QString("eins\rzwei"));
        QCOMPARE(w.contentBox(1)->editor()->text(), longNote);
        QCOMPARE(w.contentBox(1)->text(), longNote);
        QVERIFY(w.contentBox(0)->editor()->isVisible());
        QCOMPARE(w.contentBox(0)->editor()->geometry(), QRect(QPoint(), w.contentBox(0)->size()));
        QCOMPARE(w.card(2).titleBox->editor()->text(), QString("Haus & Hof"));
        QCOMPARE(w.tabStrip()->tabRow()->count(), 3);
        QCOMPARE(w.tabStrip()->tabRow()->tabText(2), QString("Haus && Hof"));
        QCOMPARE(w.tabStrip()->currentIndex(), 0);
        QCOMPARE(w.card(0).panel->title(), QString("Umbenennen Überschrift"));

        // Filled again while shown: the editors follow, typing is read back.
        w.card(2).titleBox->setText("Neu");
        QCOMPARE(w.card(2).titleBox->editor()->text(), QString("Neu"));
        w.card(2).titleBox->editor()->setText("Getippt");
        QCOMPARE(w.card(2).titleBox->text(), QString("Getippt"));
    }

    void contentBoxGivesBackExactlyWhatItWasGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("lone CR") << QString("a\rb");
        QTest::newRow("CRLF") << QString("a\r\nb\r\n");
        QTest::newRow("mixed") << QString("a\rb\nc\r\nd");
        QTest::newRow("non-breaking space") << QString::fromUtf8("a\u00a0b");
        QTest::newRow("empty") << QString();
    }
    void contentBoxGivesBackExactlyWhatItWasGiven()
    {
        QFETCH(QString, text);
        ContentBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        // Every kind of break shows as one.
        QCOMPARE(box.editor()->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) - 1,
                 text.count('\n') + text.count('\r') - text.count("\r\n"));
        QCOMPARE(box.text(), text);
    }

    // A break the user types or pastes is the platform's; the stored ones
    // stay as they were. One typed right after a lone CR still makes a new
    // line: it goes in as CRLF, not as an LF that would join the CR into
    // one break.
    void typedTextUsesThePlatformLineBreak_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("paste"); // empty: Enter, then "d e" typed
        QTest::addColumn<QString>("expected");
        const QString n = PlatformLineBreak::text;
        const QString de = QString::fromUtf8("d\u00a0e");
        QTest::newRow("at the end") << 6 << QString() << "a\r\nb\rc" + n + de;
        QTest::newRow("after a lone CR") << 5 << QString() << "a\r\nb\r\r\n" + de + "c";
        QTest::newRow("pasted after a lone CR") << 5 << QString("x\ny") << "a\r\nb\rx" + n + "yc";
        QTest::newRow("pasted break after a lone CR") << 5 << QString("\ny") << "a\r\nb\r\r\nyc";
    }
    void typedTextUsesThePlatformLineBreak()
    {
        QFETCH(int, at);
        QFETCH(QString, paste);
        QFETCH(QString, expected);
        ContentBox box;
        box.setText("a\r\nb\rc");
        NoteEditor* editor = box.editor();
        editor->selectShown(at, at);
        if (paste.isEmpty()) {
            QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, "d\u00a0e");
        } else {
            QApplication::clipboard()->setText(paste);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(box.text(), expected);
        QCOMPARE(box.text(), expected); // asked again: same text
        // Every break the user sees is one line.
        QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT) - 1,
                 expected.count('\n') + expected.count('\r') - expected.count("\r\n"));
    }

    void activationRunsOncePerShowEvenWithoutActivation()
    {
        AppFixture a;
        PindelApp& app = a.app;
        const int fallback = ActivationWatch::defaultFallbackMs;
        QVERIFY(a.start()); // no tray here: the window stays on screen
        a.advance(fallback);
        QTRY_COMPARE(countOf(a.idle().log, "read Pindel1"), 2); // load step, then activation
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        app.window().activateWindow();
        QTRY_VERIFY(app.window().isActiveWindow());
        a.advance(2 * fallback);
        QCOMPARE(countOf(a.idle().log, "read Pindel1"), 2); // a change of focus is no activation
        app.window().hide();
        app.window().show(); // no activateWindow(): runs after a short wait all the same
        a.advance(fallback);
        QTRY_COMPARE(countOf(a.idle().log, "read Pindel1"), 3);
        a.advance(2 * fallback);
        QCOMPARE(countOf(a.idle().log, "read Pindel1"), 3);
    }

    // Without activation from the window system, a show counts as one
    // activation after the fallback; a hide before it cancels it.
    void theFallbackActivatesOncePerShow()
    {
        TestClock clock;
        QWidget window;
        window.show();
        auto* watch = new ActivationWatch(window, 50);
        QSignalSpy activated(watch, &ActivationWatch::activated);
        watch->shownByProgram();
        clock.advance(30);
        watch->shownByProgram(); // shown again before it came: still one
        clock.advance(20);
        QCOMPARE(activated.size(), 1);
        watch->becameActive(); // the window system's activation comes late
        clock.advance(100);
        QCOMPARE(activated.size(), 1);
        watch->shownByProgram();
        watch->hiddenByProgram();
        clock.advance(100);
        QCOMPARE(activated.size(), 1);
        QVERIFY(!watch->isPending());
    }

    void aFailingLoadStepLeavesTheWindowOnScreenAndTellsTheUser()
    {
        AppFixture a;
        PindelApp& app = a.app;
        a.store.set("width", "breit");
        QVERIFY(a.start());
        QVERIFY(app.window().isVisible());
        QCOMPARE(app.reporter().toldCount(), 1);
        QVERIFY(app.window().notice().contains("Width")); // no tray: the notice is on the window
        QVERIFY(a.start());
        QCOMPARE(app.reporter().toldCount(), 1); // the same failure is told once
    }
};

QTEST_MAIN(TestWindowControls)
#include "test_window_controls.moc"
