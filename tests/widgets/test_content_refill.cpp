// Refilling a content box with the text it already shows skips rebuilding the
// document (the costly part with large notes) but must look exactly like a
// refill: the same text, the cursor and the view at the start, no undo.
#include "TestClock.h"
#include "core/LineBreaks.h"
#include "platform/PlatformLineBreak.h"
#include "ui/ContentBox.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

class TestContentRefill : public QObject
{
    Q_OBJECT
private slots:
    void refill_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("userEdits");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected");
        const QString lines = QString("Zeile\n").repeated(400) + QString("breit ").repeated(100);
        QTest::newRow("same text, untouched") << lines << false << lines << lines;
        QTest::newRow("same text after an edit") << lines << true << lines << lines;
        QTest::newRow("other text") << lines << false << QString("neu") << QString("neu");
        QTest::newRow("CR kept") << QString("a\rb") << false << QString("a\rb") << QString("a\rb");
        QTest::newRow("CRLF vs LF") << QString("a\r\nb") << false << QString("a\nb") << QString("a\nb");
        QTest::newRow("empty") << QString() << false << QString("") << QString("");
    }

    void refill()
    {
        QFETCH(QString, first);
        QFETCH(bool, userEdits);
        QFETCH(QString, second);
        QFETCH(QString, expected);
        ContentBox box;
        box.resize(200, 120);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setText(first);
        box.editor()->moveCursor(QTextCursor::End);
        box.editor()->ensureCursorVisible();
        if (userEdits)
            QTest::keyClick(box.editor(), Qt::Key_X);
        box.setText(second);
        QCOMPARE(box.text(), expected);
        QCOMPARE(box.editor()->toPlainText(), LineBreaks::forDisplay(expected));
        QCOMPARE(box.editor()->textCursor().position(), 0);
        QCOMPARE(box.editor()->verticalScrollBar()->value(), 0);
        QCOMPARE(box.editor()->horizontalScrollBar()->value(), 0);
        QVERIFY(!box.editor()->document()->isUndoAvailable());
        QVERIFY(!box.editor()->document()->isModified());
    }

    // The box follows each edit into its copy of the text; whatever the
    // edit, what it hands out must be what the document holds.
    void theTextFollowsEveryKindOfEdit_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
            QTest::newRow(qPrintable(QString("seed %1").arg(seed))) << seed;
    }
    void theTextFollowsEveryKindOfEdit()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        ContentBox box;
        box.resize(200, 120);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Untouched, the box gives back exactly what it was given.
        QString expected = "Anfang\r\nzweite\rdritte\u00a0Zeile\n";
        box.setText(expected);
        QPlainTextEdit* editor = box.editor();
        editor->setFocus();
        const QStringList pieces{"x", "\n", "ab\ncd", "\u00a0", "Zeile\nZeile\n", "\u00e4\u00f6", ""};
        auto reference = [&] {
            QString raw = editor->document()->toRawText();
            return raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        };
        for (int step = 0; step < 300; ++step) {
            QTextCursor cursor = editor->textCursor();
            const int length = editor->document()->characterCount() - 1;
            const int at = random.bounded(length + 1);
            switch (random.bounded(9)) {
            case 0: // type at a random place
                cursor.setPosition(at);
                editor->setTextCursor(cursor);
                QTest::keyClicks(editor, "q");
                break;
            case 1:
                QTest::keyClick(editor, Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(editor, Qt::Key_Backspace);
                break;
            case 3:
                QTest::keyClick(editor, Qt::Key_Delete);
                break;
            case 4: { // replace a random range (across lines too)
                cursor.setPosition(at);
                cursor.setPosition(qMin(length, at + int(random.bounded(12))), QTextCursor::KeepAnchor);
                cursor.insertText(pieces.at(random.bounded(int(pieces.size()))));
                break;
            }
            case 5:
                editor->undo();
                break;
            case 6:
                editor->redo();
                break;
            case 7: // everything at once, now and then
                if (random.bounded(10) == 0) {
                    editor->selectAll();
                    editor->insertPlainText(pieces.at(random.bounded(int(pieces.size()))));
                }
                break;
            case 8: // the end of the last line
                cursor.movePosition(QTextCursor::End);
                editor->setTextCursor(cursor);
                QTest::keyClick(editor, random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Return);
                break;
            }
            if (step % 7 == 0 || step == 299) {
                // What the box gives matches the document line for line;
                // the forms of its breaks are test_line_breaks' subject.
                if (editor->document()->isModified())
                    expected = reference();
                QCOMPARE(LineBreaks::forDisplay(box.text()), LineBreaks::forDisplay(expected));
            }
        }
    }
    // Typing on, Backspace and Delete join the latest edit instead of moving
    // the rest of the note at each key; the text comes out as if each key
    // had been taken on its own, every break outside the typing in its form.
    void keysInARowGiveTheTextOfKeysOneByOne_data()
    {
        QTest::addColumn<QString>("keys"); // letters typed; < Backspace, > Delete, | Enter
        QTest::addColumn<QString>("expected");
        const QString n = PlatformLineBreak::text;
        QTest::newRow("typing on") << "XY" << "einsXY\r\nzwei\rdrei\n";
        QTest::newRow("Enter and Backspace") << "X|<" << "einsX\r\nzwei\rdrei\n";
        QTest::newRow("Enter kept") << "X|Y" << "einsX" + n + "Y\r\nzwei\rdrei\n";
        QTest::newRow("Delete takes the CRLF") << "X>Y" << "einsXYzwei\rdrei\n";
        QTest::newRow("Backspace past the typing") << "X<<<" << "ei\r\nzwei\rdrei\n";
        QTest::newRow("Delete twice, then Backspace") << ">>X<" << "einswei\rdrei\n";
    }
    void keysInARowGiveTheTextOfKeysOneByOne()
    {
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        for (bool oneByOne : {true, false}) {
            ContentBox box;
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            box.setText("eins\r\nzwei\rdrei\n");
            QPlainTextEdit* editor = box.editor();
            QTextCursor at(editor->document());
            at.setPosition(4);
            editor->setTextCursor(at);
            for (QChar key : keys) {
                if (key == '<')
                    QTest::keyClick(editor, Qt::Key_Backspace);
                else if (key == '>')
                    QTest::keyClick(editor, Qt::Key_Delete);
                else if (key == '|')
                    QTest::keyClick(editor, Qt::Key_Return);
                else
                    QTest::keyClicks(editor, QString(key));
                if (oneByOne)
                    box.text();
            }
            QCOMPARE(box.text(), expected);
        }
    }

    // A long note goes into a built editor a piece per turn of the event
    // loop. Meanwhile the box takes no typing, and its text is always the
    // whole note, never the part in the editor; whatever needs the editor's
    // text finishes the fill first.
    void aLongNoteGoesInPieceByPiece_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("expected"); // "" for the note
        for (const char* row : {"the turns", "a show", "a search", "a refill", "a restore"})
            QTest::newRow(row) << QString(row) << QString(QString(row) == "a refill" ? "kurz" : "");
    }
    void aLongNoteGoesInPieceByPiece()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, expected);
        TestClock clock;
        // A surrogate pair across the first piece's end, CRLF and lone CR
        // line breaks, and a word only in the last line.
        const QString note = QString(ContentBox::fillPieceChars - 1, 'a') + QString::fromUtf8("😀") +
                             QString("Zeile\r\n").repeated(100000) + "b\rEnde";
        if (expected.isEmpty())
            expected = note;
        ContentBox box;
        box.resize(200, 120);
        box.setText(note);
        QPlainTextEdit* editor = box.editor();
        QVERIFY(box.isFilling());
        QVERIFY(editor->toPlainText().size() < note.size());
        QVERIFY(editor->isReadOnly());
        QCOMPARE(box.text(), note);
        QCOMPARE(box.snapshot().text, note);
        QVERIFY(!box.isModified());

        if (meanwhile == "the turns") {
            clock.advance(0);
        } else if (meanwhile == "a show") {
            box.show();
        } else if (meanwhile == "a search") {
            QVERIFY(box.findNext("ende", false));
            QCOMPARE(editor->textCursor().selectionStart(), LineBreaks::forDisplay(note).size() - 4);
        } else if (meanwhile == "a refill") {
            box.setText(expected);
        } else {
            box.replaceAsTyped("neu");
            QCOMPARE(editor->toPlainText(), QString("neu"));
            editor->undo(); // one step back to the whole note, not to a part of it
            QVERIFY(box.isModified());
        }
        QVERIFY(!box.isFilling());
        if (meanwhile == "a show") {
            box.setText(note + "!"); // filled anew while on screen: whole at once
            QVERIFY(!box.isFilling());
            expected = note + "!";
        }
        clock.advance(0); // nothing left to come
        QCOMPARE(editor->toPlainText(), LineBreaks::forDisplay(expected));
        if (meanwhile != "a restore") {
            QCOMPARE(box.text(), expected);
            QVERIFY(!editor->document()->isUndoAvailable());
        }
        QVERIFY(!editor->isReadOnly());
    }

    void findNext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("selected");
        const QString t = "Eine Größe, noch eine GRÖSSE und eine größe.";
        QTest::newRow("forward") << t << 0 << "größe" << false << true << 5;
        QTest::newRow("forward after the selection") << t << 1 << "eine" << false << true << 17;
        QTest::newRow("forward wraps at the end") << t << 38 << "eine" << false << true << 0;
        QTest::newRow("backward") << t << 38 << "eine" << true << true << 33;
        QTest::newRow("backward before the selection") << t << 33 << "eine" << true << true << 17;
        QTest::newRow("backward wraps at the start") << t << 0 << "eine" << true << true << 33;
        QTest::newRow("the only one") << "nur Größe hier" << 6 << "größe" << false << true << 4;
        QTest::newRow("not case-sensitive, umlauts") << t << 6 << "GRÖßE" << false << true << 38;
        QTest::newRow("none") << t << 5 << "Kiste" << false << false << 5;
        QTest::newRow("empty needle") << t << 5 << "" << false << false << 5;
        QTest::newRow("across a CRLF") << "a\r\nb\rab" << 0 << "a\r\nB" << false << true << 0;
        QTest::newRow("after a lone CR") << "a\r\nb\rab" << 0 << "AB" << false << true << 4;
    }
    void findNext()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(QString, needle);
        QFETCH(bool, backward);
        QFETCH(bool, found);
        QFETCH(int, selected);
        ContentBox box;
        box.setText(text);
        QPlainTextEdit* editor = box.editor();
        // The selection starts as one character at `from`.
        QTextCursor start(editor->document());
        start.setPosition(from);
        start.setPosition(from + 1, QTextCursor::KeepAnchor);
        editor->setTextCursor(start);
        QCOMPARE(box.findNext(needle, backward), found);
        const QTextCursor now = editor->textCursor();
        QCOMPARE(now.selectionStart(), selected);
        if (found)
            QCOMPARE(now.selectedText().replace(QChar::ParagraphSeparator, '\n').toCaseFolded(),
                     LineBreaks::forDisplay(needle).toCaseFolded());
        else
            QCOMPARE(now.selectionEnd(), from + 1);
        QCOMPARE(box.text(), text); // finding changes nothing
    }
};

QTEST_MAIN(TestContentRefill)
#include "test_content_refill.moc"
