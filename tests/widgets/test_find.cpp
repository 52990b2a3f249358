#include "AppFixture.h"
#include "ui/ContentBox.h"
#include "ui/FindRow.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"

#include <QAccessible>
#include <QLineEdit>
#include <QtTest>

namespace {

QString focusedName()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName() : QString("none");
}

void press(const QString& keys)
{
    const QKeySequence sequence(keys);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(sequence[0].key()), sequence[0].keyboardModifiers());
}

// The program shown on card 2 (not the first), the note there.
bool shownOnCard2(AppFixture& a, const QString& note)
{
    a.store.set("Pindel3", note);
    if (!a.startShown())
        return false;
    a.app.window().tabStrip()->tabRow()->setCurrentIndex(1);
    a.app.window().contentBox(1)->setFocus();
    return true;
}

// Ctrl+F showed the row, with the keyboard in it.
bool findOpened(AppFixture& a)
{
    press("Ctrl+F");
    return a.app.window().findRowShown() && focusedName() == "FindText";
}

// The box ends above the find row.
bool clearOfTheRow(MainWindow& w, QWidget* box)
{
    return box->mapTo(&w, QPoint(0, box->height())).y() <= w.findRow()->geometry().top();
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT
private slots:
    // The keys pressed in the row after the needle is typed; where the
    // selection in the note ends up (-1: nothing selected) and what the row
    // says.
    void stepsThroughTheMatches_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("status");
        const QString three = "eins zwei Eins drei EINS";
        QTest::newRow("Enter: the first") << three << true << "eins" << QStringList{"Return"} << 0 << "";
        QTest::newRow("the next, in any case")
            << three << true << "eins" << QStringList{"Return", "Return"} << 10 << "";
        QTest::newRow("F3 in the row")
            << three << true << "eins" << QStringList{"F3", "F3", "F3"} << 20 << "";
        QTest::newRow("round at the end")
            << three << true << "eins" << QStringList{"Return", "F3", "F3", "F3"} << 0 << "";
        QTest::newRow("Shift+F3: the previous")
            << three << true << "eins" << QStringList{"F3", "F3", "Shift+F3"} << 0 << "";
        QTest::newRow("Shift+F3 round at the start")
            << three << true << "eins" << QStringList{"Shift+F3"} << 20 << "";
        QTest::newRow("umlauts in any case")
            << "Maße und Größe" << true << "GRÖßE" << QStringList{"Return"} << 9 << "";
        // Positions count the note's own characters: a CRLF is two.
        QTest::newRow("after CRLF line breaks")
            << "eins\r\nzwei\r\nzwei" << true << "zwei" << QStringList{"Return", "Return"} << 12 << "";
        // Searched backward in slices of 64 Ki characters from the end: the
        // match starts in one slice and ends in the next.
        const QString longNote = QString(100000, 'x') + "eins" + QString(65536 - 2, 'x');
        QTest::newRow("Shift+F3 in a long note")
            << longNote << true << "eins" << QStringList{"Shift+F3"} << 100000 << "";
        QTest::newRow("not found") << three << true << "vier" << QStringList{"Return"} << -1
                                   << "Nicht gefunden";
        QTest::newRow("a note that could not be read")
            << three << false << "zwei" << QStringList{"Return"} << 5 << "";
    }
    void stepsThroughTheMatches()
    {
        QFETCH(QString, note);
        QFETCH(bool, loaded);
        QFETCH(QString, needle);
        QFETCH(QStringList, keys);
        QFETCH(int, start);
        QFETCH(QString, status);
        AppFixture a;
        QVERIFY(shownOnCard2(a, note));
        QVERIFY(findOpened(a));
        ContentBox* box = a.app.window().contentBox(1);
        if (!loaded)
            box->markNotLoaded();
        QTest::keyClicks(QApplication::focusWidget(), needle);
        for (const QString& key : keys)
            press(key);

        NoteEditor* editor = box->editor();
        if (start < 0) {
            QCOMPARE(editor->selectionStart(), editor->selectionEnd());
        } else {
            QCOMPARE(editor->selectionStart(), start);
            QCOMPARE(note.mid(start, editor->selectionEnd() - start).toLower(), needle.toLower());
        }
        QCOMPARE(a.app.window().findRow()->status(), status);
        QCOMPARE(focusedName(), QString("FindText"));
        QCOMPARE(box->text(), note);
        QVERIFY(!box->isModified());
    }

    // Escape puts the row away and the keyboard into the note with the match
    // selected; F3 goes on from there. The row never lies over the note.
    void escapeLeavesTheMatchSelectedInTheNote()
    {
        AppFixture a;
        MainWindow& w = a.app.window();
        ContentBox* box = w.contentBox(1);
        QVERIFY(shownOnCard2(a, "Milch Brot Milch"));
        const QSize size = w.size();
        const int fullHeight = box->height();
        QVERIFY(findOpened(a));
        QVERIFY(clearOfTheRow(w, box));
        w.resize(size + QSize(10, 30));
        QTRY_COMPARE(w.size(), size + QSize(10, 30));
        QVERIFY(clearOfTheRow(w, box));
        w.resize(size);
        QTRY_COMPARE(w.size(), size);

        // What a screen reader hears in the row.
        QCOMPARE(QAccessible::queryAccessibleInterface(w.findRow()->edit())->text(QAccessible::Name),
                 QString("Suchen"));
        QTest::keyClicks(w.findRow()->edit(), "milch");
        press("Return");
        press("Escape");

        QVERIFY(!w.findRowShown());
        QCOMPARE(focusedName(), QString("Text3_editor"));
        QCOMPARE(box->editor()->selectionStart(), 0);
        QCOMPARE(box->editor()->selectionEnd(), 5);
        QCOMPARE(box->height(), fullHeight);
        press("F3");
        QCOMPARE(box->editor()->selectionStart(), 11);
        QCOMPARE(focusedName(), QString("Text3_editor"));
        press("Ctrl+F");
        QCOMPARE(w.findRow()->edit()->selectedText(), QString("milch"));
    }
};

QTEST_MAIN(TestFind)
#include "test_find.moc"
