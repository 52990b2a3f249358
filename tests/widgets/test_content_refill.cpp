// Refilling a content box with the text it already shows skips filling the
// engine anew (the costly part with large notes) but must look exactly like a
// refill: the same text, the cursor and the view at the start, no undo.
#include "TestClock.h"
#include "platform/PlatformLineBreak.h"
#include "ui/ContentBox.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {
// The cursor at a UTF-16 offset, nothing selected.
void putCursor(NoteEditor* editor, qsizetype at)
{
    editor->selectShown(at, at);
}
} // namespace

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
        box.editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        box.editor()->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
        if (userEdits)
            QTest::keyClick(box.editor(), Qt::Key_X);
        box.setText(second);
        QCOMPARE(box.text(), expected);
        QCOMPARE(box.editor()->text(), expected);
        QCOMPARE(box.editor()->cursorPosition(), 0);
        QCOMPARE(box.editor()->verticalScrollBar()->value(), 0);
        QCOMPARE(box.editor()->horizontalScrollBar()->value(), 0);
        QVERIFY(!box.editor()->isUndoAvailable());
        QVERIFY(!box.isModified());
    }

    // Every way of changing the text counts as an edit: unsaved until a save
    // of it lands, told to the autosave, and in the text a save takes.
    void everyKindOfEditCountsAsUnsaved_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("expected");
        const QString n = PlatformLineBreak::text;
        QTest::newRow("a key") << "key" << "einsX\r\nzwei";
        QTest::newRow("Enter") << "enter" << "eins" + n + "\r\nzwei";
        QTest::newRow("Backspace") << "backspace" << "ein\r\nzwei";
        QTest::newRow("Delete") << "delete" << "einszwei";
        QTest::newRow("paste") << "paste" << "einsa" + n + "b\r\nzwei";
        QTest::newRow("cut") << "cut" << "\r\nzwei";
        QTest::newRow("undo back to the saved text") << "undo" << "eins\r\nzwei";
        QTest::newRow("an input method") << "input method" << "eins\u00e4\r\nzwei";
        QTest::newRow("the engine's own message") << "message" << "einsY\r\nzwei";
    }
    void everyKindOfEditCountsAsUnsaved()
    {
        QFETCH(QString, edit);
        QFETCH(QString, expected);
        ContentBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setText("eins\r\nzwei");
        NoteEditor* editor = box.editor();
        editor->setFocus();
        QSignalSpy told(&box, &ContentBox::textChanged);
        putCursor(editor, 4);
        if (edit == "key") {
            QTest::keyClicks(editor, "X");
        } else if (edit == "enter") {
            QTest::keyClick(editor, Qt::Key_Return);
        } else if (edit == "backspace") {
            QTest::keyClick(editor, Qt::Key_Backspace);
        } else if (edit == "delete") {
            QTest::keyClick(editor, Qt::Key_Delete);
        } else if (edit == "paste") {
            QApplication::clipboard()->setText("a\nb");
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        } else if (edit == "cut") {
            editor->selectShown(0, 4);
            QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        } else if (edit == "undo") {
            QTest::keyClicks(editor, "X");
            box.markSaved(box.snapshot());
            told.clear();
            QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        } else if (edit == "input method") {
            QInputMethodEvent preedit("a", {});
            QApplication::sendEvent(editor, &preedit);
            QInputMethodEvent commit;
            commit.setCommitString("\u00e4");
            QApplication::sendEvent(editor, &commit);
        } else {
            editor->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 4UL, "Y");
            QTRY_VERIFY(!told.isEmpty()); // told at the next turn
        }
        QVERIFY(!told.isEmpty());
        QVERIFY(box.isModified());
        QCOMPARE(box.text(), expected);
        QCOMPARE(QString::fromUtf8(box.snapshot().utf8), expected);
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
            NoteEditor* editor = box.editor();
            putCursor(editor, 4);
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
        NoteEditor* editor = box.editor();
        QVERIFY(box.isFilling());
        QVERIFY(editor->text().size() < note.size());
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
            QCOMPARE(editor->selectionStart(), note.size() - 4);
        } else if (meanwhile == "a refill") {
            box.setText(expected);
        } else {
            box.replaceAsTyped("neu");
            QCOMPARE(editor->text(), QString("neu"));
            // One step back to the whole note, not to a part of it.
            QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY(box.isModified());
        }
        QVERIFY(!box.isFilling());
        if (meanwhile == "a show") {
            box.setText(note + "!"); // filled anew while on screen: whole at once
            QVERIFY(!box.isFilling());
            expected = note + "!";
        }
        clock.advance(0); // nothing left to come
        QCOMPARE(editor->text(), expected);
        QCOMPARE(box.text(), expected);
        if (meanwhile != "a restore")
            QVERIFY(!editor->isUndoAvailable());
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
        QTest::newRow("after a lone CR") << "a\r\nb\rab" << 0 << "AB" << false << true << 5;
        QTest::newRow("after a character beyond the BMP") << "\U0001F600 ab" << 0 << "b" << false << true << 4;
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
        NoteEditor* editor = box.editor();
        // The selection starts as one character at `from`.
        editor->selectShown(from, from + 1);
        QCOMPARE(box.findNext(needle, backward), found);
        QCOMPARE(editor->selectionStart(), selected);
        if (found)
            QCOMPARE(text.mid(selected, editor->selectionEnd() - selected).toCaseFolded(), needle.toCaseFolded());
        else
            QCOMPARE(editor->selectionEnd(), from + 1);
        QCOMPARE(box.text(), text); // finding changes nothing
    }
};

QTEST_MAIN(TestContentRefill)
#include "test_content_refill.moc"
