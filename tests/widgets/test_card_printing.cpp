#include "WidgetHelpers.h"
#include "WindowFixture.h"
#include "app/PindelApp.h"
#include "core/StepFailure.h"
#include "handlers/Print.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"
#include "ui/ContentBox.h"
#include "ui/TabStrip.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

using WidgetHelpers::openPanels;

namespace {

// Records what it was asked to print; fails every job while told to.
class FakePrinter : public CardPrinter
{
public:
    void print(const QString& text) override
    {
        if (failing)
            throw StepFailure("Drucken fehlgeschlagen: Es ist kein Standarddrucker eingerichtet.");
        jobs << text;
    }

    QStringList jobs;
    bool failing = false;
};

// A page device of the given resolution, as a printer would be.
QImage page(int dpi, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(dpi / 0.0254));
    image.setDotsPerMeterY(int(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

QFont pointFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(10);
    return font;
}

QStringList linesOf(const QTextDocument& document)
{
    QStringList lines;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const QTextLayout* layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << b.text().mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

} // namespace

class TestCardPrinting : public QObject
{
    Q_OBJECT
private slots:
    void withoutAPrintServerTheDefaultPrinterFailsInsteadOfWritingAPdf()
    {
        // Qt would quietly print into a PDF file with no name.
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath("pindel-no-such-cups.sock")));
        DefaultPrinter printer;
        try {
            printer.print("Inhalt");
            QFAIL("the print was taken as done");
        } catch (const StepFailure& failure) {
            QVERIFY2(failure.message().contains("kein Standarddrucker"), qPrintable(failure.message()));
        }
    }

    void printSendsTheCardsBoxAsShownAndHidesOnlyItsPanel_data()
    {
        QTest::addColumn<int>("card");
        QTest::newRow("Command9 prints Text1") << 0;
        QTest::newRow("Command8 prints Text3") << 1;
        QTest::newRow("Command7 prints Text4") << 2;
    }

    void printSendsTheCardsBoxAsShownAndHidesOnlyItsPanel()
    {
        QFETCH(int, card);
        WindowFixture f;
        FakePrinter printer;
        for (int i = 0; i < kCardCount; ++i) {
            f.window.contentBox(i)->setText(QString("Inhalt %1").arg(i + 1));
            f.window.card(i).panel->show();
        }
        f.window.card(card).titleBox->setText("getippt, nicht bestätigt");

        QVERIFY(!Print::print(f.ctx, printer, card));

        QCOMPARE(printer.jobs, QStringList{QString("Inhalt %1").arg(card + 1)});
        QList<bool> expected{true, true, true};
        expected[card] = false;
        QCOMPARE(openPanels(f.window), expected);
        QCOMPARE(f.window.contentBox(card)->text(), QString("Inhalt %1").arg(card + 1));
        QCOMPARE(f.window.card(card).titleBox->text(), QString("getippt, nicht bestätigt"));
        QCOMPARE(f.window.tabStrip()->caption(card), QString("Karte #%1").arg(card + 1));
        QVERIFY(f.store.log.isEmpty());
    }

    void theTextGoesOutUnchanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty box") << "";
        QTest::newRow("lone CRs (the load hint)") << QString::fromUtf8(
            "Fügen Sie einen Verweis dieses \rProgrammes in ihren\r AUTOSTART Ordner ein.");
        QTest::newRow("lone LFs") << "eins\nzwei\n";
        QTest::newRow("CRLF and blanks") << "  eins\r\n\r\nzwei  ";
        QTest::newRow("umlauts") << QString::fromUtf8("Grüße, Maß und Öl");
    }

    void theTextGoesOutUnchanged()
    {
        QFETCH(QString, text);
        WindowFixture f;
        FakePrinter printer;
        f.window.contentBox(0)->setText(text);
        f.window.card(0).panel->show();
        QVERIFY(!Print::print(f.ctx, printer, 0));
        QCOMPARE(printer.jobs, QStringList{text});
    }

    void unsavedTypingIsPrintedAsShown()
    {
        WindowFixture f;
        FakePrinter printer;
        f.window.contentBox(1)->setText("gespeichert");
        f.window.contentBox(1)->editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        QTest::keyClick(f.window.contentBox(1)->editor(), Qt::Key_Return);
        QTest::keyClicks(f.window.contentBox(1)->editor(), "neu");
        QVERIFY(!Print::print(f.ctx, printer, 1));
        QCOMPARE(printer.jobs, QStringList{"gespeichert\nneu"});
        QVERIFY(f.store.log.isEmpty());
    }

    void aFailedPrintKeepsThePanelAndChangesNothing()
    {
        WindowFixture f;
        FakePrinter printer;
        printer.failing = true;
        f.window.contentBox(2)->setText("Inhalt\r3");
        f.window.card(2).panel->show();
        f.window.card(0).panel->show();

        const auto failure = Print::print(f.ctx, printer, 2);

        QVERIFY(failure);
        QVERIFY(failure->startsWith("Drucken fehlgeschlagen"));
        QCOMPARE(openPanels(f.window), (QList<bool>{true, false, true}));
        QCOMPARE(f.window.contentBox(2)->text(), QString("Inhalt\r3"));
        QVERIFY(f.store.log.isEmpty());
    }

    void eachClickIsOneJobAndEachFailedClickIsTold()
    {
        RecordingStore store;
        SerializedStore serialized(store);
        FakePrinter printer;
        PindelApp app(serialized, printer);
        MainWindow& w = app.window();
        w.contentBox(1)->setText("Karte zwei");
        w.tabStrip()->tabRow()->setCurrentIndex(1);

        for (int click = 0; click < 2; ++click) {
            emit w.tabStrip()->doubleClicked();
            QTest::mouseClick(w.card(1).printButton, Qt::LeftButton); // Command8
            QVERIFY(w.card(1).panel->isHidden());
        }
        QCOMPARE(printer.jobs, (QStringList{"Karte zwei", "Karte zwei"}));
        QCOMPARE(app.reporter().toldCount(), 0);

        // The user asked twice, so is told twice: a panel that merely stays
        // open says nothing.
        printer.failing = true;
        emit w.tabStrip()->doubleClicked();
        QTest::mouseClick(w.card(1).printButton, Qt::LeftButton);
        QTest::mouseClick(w.card(1).printButton, Qt::LeftButton);
        QVERIFY(!w.card(1).panel->isHidden());
        QCOMPARE(app.reporter().toldCount(), 2);
        QVERIFY(app.reporter().lastMessage().startsWith("Drucken fehlgeschlagen"));
        QVERIFY(store.log.isEmpty());
    }

    void everyKindOfLineBreakStartsANewLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CRLF") << "eins\r\nzwei" << QStringList{"eins", "zwei"};
        QTest::newRow("lone CR") << "eins\rzwei" << QStringList{"eins", "zwei"};
        QTest::newRow("lone LF") << "eins\nzwei" << QStringList{"eins", "zwei"};
        QTest::newRow("CR then CRLF is two breaks") << "eins\r\r\nzwei" << QStringList{"eins", "", "zwei"};
        QTest::newRow("LF then CR is two breaks") << "eins\n\rzwei" << QStringList{"eins", "", "zwei"};
        QTest::newRow("the load hint")
            << QString::fromUtf8(
                   "Fügen Sie einen Verweis dieses \rProgrammes in ihren\r AUTOSTART Ordner ein.")
            << QStringList{QString::fromUtf8("Fügen Sie einen Verweis dieses "), "Programmes in ihren",
                           " AUTOSTART Ordner ein."};
    }

    void everyKindOfLineBreakStartsANewLine()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QImage device = page(300, {2480, 3508});
        auto document = DefaultPrinter::layout(text, pointFont(), &device, device.size());
        document->documentLayout(); // lays out
        QCOMPARE(linesOf(*document), lines);
    }

    void longLinesWrapAtThePageWidthInsteadOfBeingCut_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("words") << QString("Einkaufszettel Milch Brot ").repeated(60);
        QTest::newRow("one unbroken word") << QString("x").repeated(3000);
    }

    void longLinesWrapAtThePageWidthInsteadOfBeingCut()
    {
        QFETCH(QString, line);
        QImage device = page(300, {1000, 3000});
        auto document = DefaultPrinter::layout(line, pointFont(), &device, device.size());
        const QStringList lines = linesOf(*document);
        QVERIFY2(lines.size() > 3, qPrintable(QString::number(lines.size())));
        QCOMPARE(lines.join(QString()), line); // nothing lost
        const QTextLayout* layout = document->begin().layout();
        for (int i = 0; i < layout->lineCount(); ++i)
            QVERIFY(layout->lineAt(i).naturalTextWidth() <= 1000.5);
    }

    void theFontIsMeasuredAtThePagesResolution()
    {
        // A 10 point line is about 42 pixels high at 300 dpi; measured on the
        // screen instead it would come out at about 13.
        QImage device = page(300, {2480, 3508});
        auto document = DefaultPrinter::layout("Zeile", pointFont(), &device, device.size());
        const qreal lineHeight = document->begin().layout()->lineAt(0).height();
        QVERIFY2(lineHeight > 35 && lineHeight < 70, qPrintable(QString::number(lineHeight)));
    }

    void manyLinesGiveSeveralPagesAndEachLineIsPrintedOnce()
    {
        QStringList numbered;
        for (int i = 1; i <= 400; ++i)
            numbered << QString("Zeile %1").arg(i);
        QImage device = page(300, {2480, 3508});
        auto document = DefaultPrinter::layout(numbered.join('\n'), pointFont(), &device, device.size());
        QVERIFY(document->pageCount() >= 4);
        QCOMPARE(linesOf(*document), numbered);
    }

    void textIsBlackWhateverThePalette()
    {
        const QPalette saved = QGuiApplication::palette();
        QPalette dark = saved;
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        QGuiApplication::setPalette(dark);

        QImage device = page(300, {800, 400});
        auto document =
            DefaultPrinter::layout(QString("MMMM").repeated(10), pointFont(), &device, device.size());
        QPainter painter(&device);
        DefaultPrinter::drawPage(painter, *document, 0);
        painter.end();
        QGuiApplication::setPalette(saved);

        int dark_pixels = 0;
        for (int y = 0; y < device.height(); ++y)
            for (int x = 0; x < device.width(); ++x)
                dark_pixels += qGray(device.pixel(x, y)) < 64 ? 1 : 0;
        QVERIFY2(dark_pixels > 100, qPrintable(QString::number(dark_pixels)));
    }

    void eachPageShowsOnlyItsOwnLines()
    {
        QStringList numbered;
        for (int i = 1; i <= 400; ++i)
            numbered << QString("Zeile %1").arg(i);
        QImage device = page(300, {600, 600});
        auto document = DefaultPrinter::layout(numbered.join('\n'), pointFont(), &device, device.size());
        const int last = document->pageCount() - 1;
        QVERIFY(last > 0);
        QPainter painter(&device);
        DefaultPrinter::drawPage(painter, *document, last);
        painter.end();
        // The last page is only partly filled: its lower part stays white.
        const QImage bottom = device.copy(0, device.height() - 60, device.width(), 60);
        for (int y = 0; y < bottom.height(); ++y)
            for (int x = 0; x < bottom.width(); ++x)
                QVERIFY(qGray(bottom.pixel(x, y)) > 200);
    }
};

QTEST_MAIN(TestCardPrinting)
#include "test_card_printing.moc"
