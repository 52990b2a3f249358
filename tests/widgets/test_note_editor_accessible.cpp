#include "ui/NoteEditor.h"
#include "ui/NoteEditorAccessible.h"

#include <QAccessible>
#ifdef PINDEL_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

namespace {

void fill(NoteEditor& editor, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    editor.beginFill(bytes.size());
    editor.appendFill(bytes);
    QVERIFY(editor.endFill());
}

// An editor on screen holding `text`, and what a screen reader gets for it.
struct Shown
{
    NoteEditor editor;
    QAccessibleInterface* face = nullptr;

    explicit Shown(const QString& text)
    {
        editor.resize(400, 200);
        editor.show();
        fill(editor, text);
        face = QAccessible::queryAccessibleInterface(&editor);
    }
    QAccessibleTextInterface* text() const { return face->textInterface(); }
    QAccessibleEditableTextInterface* editable() const { return face->editableTextInterface(); }
};

// Texts in every kind of line break and beyond Latin-1; offsets in UTF-16
// units, as in a QString.
void addTexts()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QString("one two\nthree");
    QTest::newRow("crlf") << QString("ab\r\ncd\r\n");
    QTest::newRow("lone cr") << QString("ab\rcd");
    QTest::newRow("umlauts") << QString("Grüße\naus Köln");
    QTest::newRow("surrogate pair") << QString("a \U0001F600 Straße\nx");
}

// Offsets a cursor can stand at: not inside a surrogate pair or a CRLF.
bool isCursorPlace(const QString& text, int offset)
{
    return offset == text.size() || !(text[offset].isLowSurrogate() ||
                                      (text[offset] == '\n' && offset > 0 && text[offset - 1] == '\r'));
}

struct Seen
{
    QAccessible::Event type;
    int position;
    QString text;
};
std::vector<Seen> g_seen;

void record(QAccessibleEvent* event)
{
    if (!qobject_cast<NoteEditor*>(event->object()))
        return;
    switch (event->type()) {
    case QAccessible::TextInserted: {
        auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
        g_seen.push_back({e->type(), e->changePosition(), e->textInserted()});
        break;
    }
    case QAccessible::TextRemoved: {
        auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
        g_seen.push_back({e->type(), e->changePosition(), e->textRemoved()});
        break;
    }
    case QAccessible::TextCaretMoved:
        g_seen.push_back(
            {event->type(), static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition(), {}});
        break;
    default:
        break;
    }
}

// Accessibility switched on or off as a screen reader's bridge does; only
// Qt's private interface offers that without one.
bool switchAccessibility(bool on)
{
#ifdef PINDEL_QPA_ACCESSIBILITY
    if (QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(on);
#endif
    return QAccessible::isActive() == on;
}

} // namespace

class TestNoteEditorAccessible : public QObject
{
    Q_OBJECT
private slots:
    void isOurs()
    {
        NoteEditor editor;
        editor.setAccessibleName("Notiz Karte 2");
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&editor);
        QVERIFY(dynamic_cast<NoteEditorAccessible*>(face));
        QCOMPARE(face->role(), QAccessible::EditableText);
        QCOMPARE(face->text(QAccessible::Name), QString("Notiz Karte 2"));
        QVERIFY(face->textInterface());
        QVERIFY(face->editableTextInterface());
        QVERIFY(face->state().editable && face->state().multiLine && face->state().focusable);
        QVERIFY(!face->state().readOnly);
        editor.setReadOnly(true);
        QVERIFY(face->state().readOnly && !face->state().editable);
    }

    void textAndCount_data() { addTexts(); }
    void textAndCount()
    {
        QFETCH(QString, text);
        Shown s(text);
        QCOMPARE(s.text()->characterCount(), text.size());
        QCOMPARE(s.text()->text(0, -1), text);
        QCOMPARE(s.text()->text(2, 6), text.mid(2, 4));
        QCOMPARE(s.text()->text(4, 1000), text.mid(4));
        // Inside a surrogate pair: from the start of its character.
        QCOMPARE(s.text()->text(3, 1000), text.mid(text[3].isLowSurrogate() ? 2 : 3));
        int start = -2, end = -2;
        QCOMPARE(s.text()->textAtOffset(3, QAccessible::NoBoundary, &start, &end), text);
        QCOMPARE(QPair(start, end), QPair(0, int(text.size())));
        QCOMPARE(s.text()->attributes(1, &start, &end), QString());
        QCOMPARE(QPair(start, end), QPair(0, int(text.size())));
    }

    void boundaries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        const int line = QAccessible::LineBoundary;
        const int word = QAccessible::WordBoundary;
        const int character = QAccessible::CharBoundary;
        const QString lf("one two\nthree");
        QTest::newRow("line at") << lf << line << "at" << 2 << "one two\n" << 0 << 8;
        QTest::newRow("line at its break") << lf << line << "at" << 7 << "one two\n" << 0 << 8;
        QTest::newRow("line after") << lf << line << "after" << 2 << "three" << 8 << 13;
        QTest::newRow("line before") << lf << line << "before" << 9 << "one two\n" << 0 << 8;
        QTest::newRow("no line before the first") << lf << line << "before" << 2 << "" << -1 << -1;
        QTest::newRow("no line after the last") << lf << line << "after" << 9 << "" << -1 << -1;
        QTest::newRow("paragraph is a line")
            << lf << int(QAccessible::ParagraphBoundary) << "at" << 10 << "three" << 8 << 13;
        QTest::newRow("crlf line") << "ab\r\ncd" << line << "at" << 2 << "ab\r\n" << 0 << 4;
        QTest::newRow("crlf next line") << "ab\r\ncd" << line << "at" << 4 << "cd" << 4 << 6;
        QTest::newRow("crlf word before") << "ab\r\ncd" << word << "before" << 4 << "\r\n" << 2 << 4;
        QTest::newRow("crlf one char") << "ab\r\ncd" << character << "at" << 2 << "\r\n" << 2 << 4;
        QTest::newRow("lone cr line") << "ab\rcd" << line << "at" << 3 << "cd" << 3 << 5;
        QTest::newRow("lone cr line before") << "ab\rcd" << line << "before" << 4 << "ab\r" << 0 << 3;
        QTest::newRow("empty last line") << "ab\n" << line << "at" << -1 << "" << 3 << 3;
        QTest::newRow("line before the empty last") << "ab\n" << line << "before" << 3 << "ab\n" << 0 << 3;
        QTest::newRow("no word at the end") << "ab" << word << "at" << 2 << "" << 2 << 2;
        QTest::newRow("word before the end") << "ab cd" << word << "before" << 5 << "cd" << 3 << 5;
        const QString umlauts("Grüße aus Köln");
        QTest::newRow("umlaut word") << umlauts << word << "at" << 2 << "Grüße" << 0 << 5;
        QTest::newRow("space after a word") << umlauts << word << "after" << 1 << " " << 5 << 6;
        QTest::newRow("last word") << umlauts << word << "at" << 12 << "Köln" << 10 << 14;
        QTest::newRow("umlaut char") << umlauts << character << "at" << 3 << "ß" << 3 << 4;
        const QString pair("a \U0001F600 Straße\nx");
        QTest::newRow("pair is one char") << pair << character << "at" << 2 << "\U0001F600" << 2 << 4;
        QTest::newRow("char after a pair") << pair << character << "after" << 2 << " " << 4 << 5;
        QTest::newRow("word after a pair") << pair << word << "at" << 7 << "Straße" << 5 << 11;
        QTest::newRow("line after a pair") << pair << line << "after" << 0 << "x" << 12 << 13;
        QTest::newRow("word over a line break") << "ab\ncd" << word << "after" << 1 << "\n" << 2 << 3;
        QTest::newRow("sentence") << "Eins. Zwei." << int(QAccessible::SentenceBoundary) << "at" << 7
                                  << "Zwei." << 6 << 11;
        QTest::newRow("outside") << "ab" << word << "at" << 3 << "" << -1 << -1;
        // One long line: found in the text around the offset, wider where a
        // word reaches past it.
        const QString words = QString("wort ").repeated(3000);
        QTest::newRow("word in a long line")
            << words + "Mitte " + words << word << "at" << 15002 << "Mitte" << 15000 << 15005;
        QTest::newRow("word before in a long line")
            << words + "Mitte " + words << word << "before" << 15002 << " " << 14999 << 15000;
        const QString longWord(12000, 'a');
        QTest::newRow("long word") << longWord + " b" << word << "at" << 6000 << longWord << 0 << 12000;
        QTest::newRow("after a long word")
            << longWord + " b" << word << "after" << 6000 << " " << 12000 << 12001;
    }
    void boundaries()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(QString, where);
        QFETCH(int, offset);
        Shown s(text);
        const auto boundary = QAccessible::TextBoundaryType(type);
        int start = -2, end = -2;
        const QString got = where == "at"       ? s.text()->textAtOffset(offset, boundary, &start, &end)
                            : where == "before" ? s.text()->textBeforeOffset(offset, boundary, &start, &end)
                                                : s.text()->textAfterOffset(offset, boundary, &start, &end);
        QTEST(got, "expected");
        QTEST(start, "start");
        QTEST(end, "end");
    }

    void cursorAndSelection_data() { addTexts(); }
    void cursorAndSelection()
    {
        QFETCH(QString, text);
        Shown s(text);
        int start = -1, end = -1;
        s.text()->selection(0, &start, &end);
        QCOMPARE(QPair(start, end), QPair(0, 0));
        for (int offset = 0; offset <= text.size(); ++offset) {
            if (!isCursorPlace(text, offset))
                continue;
            s.text()->setCursorPosition(offset);
            QCOMPARE(s.text()->cursorPosition(), offset);
            s.text()->setSelection(0, offset, 0);
            QCOMPARE(s.text()->selectionCount(), offset > 0 ? 1 : 0);
            s.text()->selection(0, &start, &end);
            QCOMPARE(QPair(start, end), offset > 0 ? QPair(0, offset) : QPair(0, 0));
            QCOMPARE(s.text()->cursorPosition(), 0);
            s.text()->removeSelection(0);
            QCOMPARE(s.text()->selectionCount(), 0);
        }
        s.text()->addSelection(1, int(text.size()));
        s.text()->selection(0, &start, &end);
        QCOMPARE(QPair(start, end), QPair(1, int(text.size())));
    }

    void rectAndPoint_data() { addTexts(); }
    void rectAndPoint()
    {
        QFETCH(QString, text);
        Shown s(text);
        QVERIFY(QTest::qWaitForWindowExposed(&s.editor));
        for (int offset = 0; offset < text.size(); ++offset) {
            if (!isCursorPlace(text, offset) || text[offset] == '\r' || text[offset] == '\n')
                continue;
            const QRect rect = s.text()->characterRect(offset);
            QVERIFY2(rect.isValid(), qPrintable(QString::number(offset)));
            QCOMPARE(s.text()->offsetAtPoint(rect.center()), offset);
        }
        QVERIFY(s.text()->characterRect(int(text.size())).isNull());
        QCOMPARE(s.text()->offsetAtPoint(s.editor.mapToGlobal(QPoint(-5, -5))), -1);
    }

    void editing_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString note("Grüße\r\naus \U0001F600 Köln");
        QTest::newRow("delete") << "delete" << false << 2 << 3 << ""
                                << "Grße\r\naus \U0001F600 Köln";
        QTest::newRow("delete a line break") << "delete" << false << 5 << 7 << ""
                                             << "Grüßeaus \U0001F600 Köln";
        QTest::newRow("insert after a pair") << "insert" << false << 13 << 13 << "!"
                                             << "Grüße\r\naus \U0001F600! Köln";
        QTest::newRow("insert at the end") << "insert" << false << -1 << -1 << "\nEnde"
                                           << "Grüße\r\naus \U0001F600 Köln\nEnde";
        QTest::newRow("replace") << "replace" << false << 14 << 18 << "Bonn"
                                 << "Grüße\r\naus \U0001F600 Bonn";
        QTest::newRow("delete read-only") << "delete" << true << 2 << 3 << "" << note;
        QTest::newRow("insert read-only") << "insert" << true << 0 << 0 << "x" << note;
        QTest::newRow("replace read-only") << "replace" << true << 14 << 18 << "Bonn" << note;
        QTest::newRow("insert outside") << "insert" << false << 100 << 100 << "x" << note;
        QTest::newRow("delete reversed") << "delete" << false << 3 << 2 << "" << note;
    }
    void editing()
    {
        QFETCH(QString, call);
        QFETCH(bool, readOnly);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString note("Grüße\r\naus \U0001F600 Köln");
        Shown s(note);
        s.editor.setReadOnly(readOnly);
        QSignalSpy edited(&s.editor, &NoteEditor::edited);
        if (call == "delete")
            s.editable()->deleteText(start, end);
        else if (call == "insert")
            s.editable()->insertText(start, text);
        else
            s.editable()->replaceText(start, end, text);
        QCOMPARE(s.editor.text(), expected);
        const bool changed = expected != note;
        QCOMPARE(edited.count(), changed ? 1 : 0);
        QCOMPARE(s.editor.isUndoAvailable(), changed);
        // One undo step brings the note back whole.
        s.editor.SendScintilla(QsciScintillaBase::SCI_UNDO);
        QCOMPARE(s.editor.text(), note);
        QVERIFY(!s.editor.isUndoAvailable());
    }

    void typingIsTold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<int>("cursorAfter");
        const int inserted = int(QAccessible::TextInserted);
        const int removed = int(QAccessible::TextRemoved);
        QTest::newRow("at the start") << "ab" << 0 << int(Qt::Key_X) << inserted << 0 << "x" << 1;
        QTest::newRow("after a pair") << "ä\U0001F600\nb" << 3 << int(Qt::Key_X) << inserted << 3 << "x" << 4;
        QTest::newRow("after a crlf") << "ä\r\nb" << 3 << int(Qt::Key_X) << inserted << 3 << "x" << 4;
        QTest::newRow("backspace over a pair")
            << "ä\U0001F600b" << 3 << int(Qt::Key_Backspace) << removed << 1 << "\U0001F600" << 1;
        QTest::newRow("backspace over a crlf")
            << "ä\r\nb" << 3 << int(Qt::Key_Backspace) << removed << 1 << "\r\n"
            << 1;
    }
    void typingIsTold()
    {
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(int, key);
        Shown s(text);
        QVERIFY(QTest::qWaitForWindowExposed(&s.editor));
        s.text()->setCursorPosition(cursor);
        s.editor.repaint(); // what the cursor did so far is past
        g_seen.clear();
        QAccessible::installUpdateHandler(record);
        auto restore = qScopeGuard([] {
            QAccessible::installUpdateHandler(nullptr);
            switchAccessibility(false);
        });
        if (!switchAccessibility(true))
            QSKIP("accessibility cannot be switched on here (Qt's private headers are missing)");
        QTest::keyClick(&s.editor, Qt::Key(key), Qt::NoModifier);
        QFETCH(int, type);
        QFETCH(int, position);
        QFETCH(QString, changed);
        QFETCH(int, cursorAfter);
        QTRY_VERIFY(std::any_of(g_seen.begin(), g_seen.end(),
                                [](const Seen& seen) { return seen.type == QAccessible::TextCaretMoved; }));
        QVERIFY(!g_seen.empty());
        QCOMPARE(int(g_seen.front().type), type);
        QCOMPARE(g_seen.front().position, position);
        QCOMPARE(g_seen.front().text, changed);
        QCOMPARE(g_seen.back().type, QAccessible::TextCaretMoved);
        QCOMPARE(g_seen.back().position, cursorAfter);
    }
};

QTEST_MAIN(TestNoteEditorAccessible)
#include "test_note_editor_accessible.moc"
