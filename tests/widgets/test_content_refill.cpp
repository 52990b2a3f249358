// Refilling a content box with the text it already shows skips rebuilding the
// document (the costly part with large notes) but must look exactly like a
// refill: the same text, the cursor and the view at the start, no undo.
#include "ui/ContentBox.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

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
        NoteEditor* editor = box.editor();
        editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        if (userEdits)
            QTest::keyClick(editor, Qt::Key_X);
        box.setText(second);
        QCOMPARE(box.text(), expected);
        QCOMPARE(editor->text(), expected);
        QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0L);
        QCOMPARE(editor->verticalScrollBar()->value(), 0);
        QCOMPARE(editor->horizontalScrollBar()->value(), 0);
        QVERIFY(!editor->isUndoAvailable());
        QVERIFY(!editor->SendScintilla(QsciScintillaBase::SCI_GETMODIFY));
    }

    // Whatever the edit, what the box hands out must be what the editor
    // holds, every line break the edit did not touch in its form.
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
        const QString given = "Anfang\r\nzweite\rdritte\u00a0Zeile\n";
        box.setText(given);
        NoteEditor* editor = box.editor();
        editor->setFocus();
        QCOMPARE(box.text(), given);
        const QStringList pieces{"x", "\n", "ab\ncd", "\u00a0", "Zeile\nZeile\n", "\u00e4\u00f6", ""};
        auto send = [editor](unsigned int message, long w = 0, long l = 0) {
            return editor->SendScintilla(message, (unsigned long)w, l);
        };
        using S = QsciScintillaBase;
        for (int step = 0; step < 300; ++step) {
            // A place between two characters, never inside one's bytes.
            const long characters = send(S::SCI_COUNTCHARACTERS, 0, send(S::SCI_GETLENGTH));
            const long at = send(S::SCI_POSITIONRELATIVE, 0, random.bounded(int(characters) + 1));
            switch (random.bounded(9)) {
            case 0: // type at a random place
                send(S::SCI_GOTOPOS, at);
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
                const long to = send(S::SCI_POSITIONRELATIVE, at, random.bounded(12));
                send(S::SCI_SETSEL, at, to > at ? to : send(S::SCI_GETLENGTH));
                const QByteArray piece = pieces.at(random.bounded(int(pieces.size()))).toUtf8();
                editor->SendScintilla(S::SCI_REPLACESEL, piece.constData());
                break;
            }
            case 5:
                send(S::SCI_UNDO);
                break;
            case 6:
                send(S::SCI_REDO);
                break;
            case 7: // everything at once, now and then
                if (random.bounded(10) == 0) {
                    send(S::SCI_SELECTALL);
                    const QByteArray piece = pieces.at(random.bounded(int(pieces.size()))).toUtf8();
                    editor->SendScintilla(S::SCI_REPLACESEL, piece.constData());
                }
                break;
            case 8: // the end of the last line
                send(S::SCI_DOCUMENTEND);
                QTest::keyClick(editor, random.bounded(2) ? Qt::Key_Backspace : Qt::Key_Return);
                break;
            }
            if (step % 7 == 0 || step == 299)
                QCOMPARE(box.text(), editor->text());
        }
    }

    // A long note goes in piece by piece; until the last piece is in, the
    // box takes no typing and hands out the whole text, and a refill or a
    // restore meanwhile never leaves a mix of texts.
    void aLongNoteFillsPieceByPiece_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("nothing") << QString();
        QTest::newRow("refill") << QString("refill");
        QTest::newRow("restore") << QString("restore");
    }
    void aLongNoteFillsPieceByPiece()
    {
        QFETCH(QString, meanwhile);
        // Pieces cut between a CR and its LF or in a surrogate pair would
        // change the text.
        QString note = QString("x").repeated(ContentBox::fillPiece - 1) + "\r\n" +
                       QString("\U0001F600").repeated(ContentBox::fillPiece / 2) + "Ende";
        ContentBox box;
        box.setText(note);
        QVERIFY(box.hasEditor());
        QVERIFY(box.isFilling());
        QVERIFY(box.editor()->isReadOnly());
        QCOMPARE(box.text(), note);
        QSignalSpy filled(&box, &ContentBox::filled);
        if (meanwhile == "refill") {
            note = "ganz\rkurz";
            box.setText(note);
        } else if (meanwhile == "restore") {
            box.replaceAsTyped("früher");
            QVERIFY(box.isModified());
            box.editor()->SendScintilla(QsciScintillaBase::SCI_UNDO);
            QVERIFY(!box.isFilling());
        }
        QTRY_VERIFY(!box.isFilling());
        QCOMPARE(box.editor()->text(), note);
        QCOMPARE(box.text(), note);
        QVERIFY(!box.editor()->isReadOnly());
        QVERIFY(!box.editor()->isUndoAvailable() || meanwhile == "restore");
    }

    void findNext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("selected"); // in characters
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
        QTest::newRow("after a CRLF") << "a\r\nb\rab" << 0 << "AB" << false << true << 5;
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
        auto position = [editor](int characters) {
            return editor->SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVE, 0UL, long(characters));
        };
        // The selection starts as one character at `from`.
        editor->SendScintilla(QsciScintillaBase::SCI_SETSEL, (unsigned long)position(from), position(from + 1));
        QCOMPARE(box.findNext(needle, backward), found);
        const long start = editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
        const long end = editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
        QCOMPARE(start, position(selected));
        if (found) {
            const QByteArray all = text.toUtf8();
            QCOMPARE(QString::fromUtf8(all.mid(start, end - start)).toCaseFolded(), needle.toCaseFolded());
        } else {
            QCOMPARE(end, position(from + 1));
        }
        QCOMPARE(box.text(), text); // finding changes nothing
    }
};

QTEST_MAIN(TestContentRefill)
#include "test_content_refill.moc"
