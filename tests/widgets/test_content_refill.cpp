// Refilling a content box with the text it already shows skips rebuilding the
// document (the costly part with large notes) but must look exactly like a
// refill: the same text, the cursor and the view at the start, no undo.
#include "window/ContentBox.h"

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
        QCOMPARE(box.editor()->toPlainText(), ContentBox::forDisplay(expected));
        QCOMPARE(box.editor()->textCursor().position(), 0);
        QCOMPARE(box.editor()->verticalScrollBar()->value(), 0);
        QCOMPARE(box.editor()->horizontalScrollBar()->value(), 0);
        QVERIFY(!box.editor()->document()->isUndoAvailable());
        QVERIFY(!box.editor()->document()->isModified());
    }
};

QTEST_MAIN(TestContentRefill)
#include "test_content_refill.moc"
