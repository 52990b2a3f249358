// Typing into a large note: the real window with its real store, on the
// bench's X server. Prints the time to insert one character and have it on
// screen, at the end and in the middle of card 1's note, in milliseconds:
//   typing SIZE_BYTES CHARS
// lines "end MEDIAN MIN MAX" and "middle MEDIAN MIN MAX". Then the pause that
// an autosave of one edited note puts into typing (every 750 ms while the
// user types): "save MEDIAN MIN MAX". Then one find step (F3 or Shift+F3
// in the find row) from the start of the note to a word found only in its
// last line, back again, and for a word it does not hold: "find MEDIAN MIN
// MAX", the worst of the three kinds in each round. Last the
// close handler with all three notes edited: "close MEDIAN MIN MAX".
#include "app/PindelApp.h"
#include "handlers/HandlerContext.h"
#include "platform/ProcessSetup.h"
#include "print/CardPrinter.h"
#include "store/SerializedStore.h"
#include "store/SqliteStore.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"

#include "NoteOfSize.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <Qsci/qsciscintillabase.h>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace {

// The box's editor is whatever widget ContentBox shows the note in, so the
// harness speaks to it only as a user would (keys) and through what every
// text editor offers: a Qt text edit's cursor, the text engine's message to go
// to a line, or a public setCursorPosition slot taking a line and a column.
void placeCursorOnLine(QWidget* box, int line)
{
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        plain->setTextCursor(QTextCursor(plain->document()->findBlockByNumber(line)));
        plain->ensureCursorVisible();
    } else if (auto* engine = qobject_cast<QsciScintillaBase*>(box)) {
        engine->SendScintilla(QsciScintillaBase::SCI_GOTOLINE, static_cast<unsigned long>(line));
    } else if (!QMetaObject::invokeMethod(box, "setCursorPosition", Q_ARG(int, line), Q_ARG(int, 0)) ||
               !QMetaObject::invokeMethod(box, "ensureCursorVisible")) {
        std::fprintf(stderr, "cannot place the cursor in a %s\n", box->metaObject()->className());
        std::exit(1);
    }
}

// Repaints what shows the text now, so that a key is timed up to the screen.
void repaintNow(QWidget* box)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(box))
        area->viewport()->repaint();
    else
        box->repaint();
}

void typeHere(QWidget* box, int chars, const char* label)
{
    repaintNow(box);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    for (int i = 0; i < chars; ++i) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(box, Qt::Key_X);
        repaintNow(box);
        ms.push_back(clock.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s %.3f %.3f %.3f\n", label, ms[ms.size() / 2], ms.front(), ms.back());
}

} // namespace

int main(int argc, char* argv[])
{
    ProcessSetup::makeNewFilesPrivate();
    QApplication app(argc, argv);
    ProcessSetup::describeApplication(app);
    const qsizetype size = argc > 1 ? QString(argv[1]).toLongLong() : 10'000'000;
    const int chars = argc > 2 ? QString(argv[2]).toInt() : 30;

    QTemporaryDir dir;
    SqliteStore store(dir.filePath("store.sqlite3"));
    const QString note = noteOfSize(size);
    for (const char* key : {"Pindel1", "Pindel3", "Pindel4"})
        store.write(key, note);

    SerializedStore serialized(store);
    DefaultPrinter printer;
    PindelApp pindel(serialized, printer);
    pindel.start();
    pindel.restoreFromTray();
    MainWindow& window = pindel.window();
    if (!QTest::qWaitForWindowExposed(&window, 30000)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    // The notes may come after the window: wait until every box holds its
    // note, and long notes have gone into their editors.
    if (!QTest::qWaitFor([&window, size] {
            for (int card = 0; card < 3; ++card) {
                ContentBox* content = window.contentBox(card);
                const bool laidOut = size < ContentBox::editorAheadFrom || (content->hasEditor() && !content->isFilling());
                if (content->text().size() < size || !laidOut)
                    return false;
            }
            return true;
        }, 120000)) {
        std::fprintf(stderr, "the notes were not loaded\n");
        return 1;
    }
    QWidget* box = window.contentBox(0)->editor();
    box->setFocus();
    QTest::qWait(200);

    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    typeHere(box, chars, "end");
    placeCursorOnLine(box, int(note.count(QLatin1Char('\n')) / 2));
    typeHere(box, chars, "middle");

    // One find step: the box's search and the repaint of the match. A word
    // of the last line only, found going forward from the start and going
    // backward from there, and a word the note does not hold (a whole pass).
    ContentBox* content = window.contentBox(0);
    std::vector<double> finds;
    const QString lastLine = QStringLiteral("Schlusswort am Ende");
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, lastLine);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
        double worst = 0;
        for (const auto& [needle, backward, found] :
             {std::tuple{QStringLiteral("schlusswort"), false, true}, std::tuple{QStringLiteral("zeile 0000000"), true, true},
              std::tuple{QStringLiteral("nirgendwo"), false, false}}) {
            QElapsedTimer clock;
            clock.start();
            const bool result = content->findNext(needle, backward);
            repaintNow(box);
            worst = std::max(worst, clock.nsecsElapsed() / 1e6);
            if (result != found) {
                std::fprintf(stderr, "find of \"%s\" went wrong\n", qPrintable(needle));
                return 1;
            }
        }
        finds.push_back(worst);
    }
    std::sort(finds.begin(), finds.end());
    std::printf("find %.3f %.3f %.3f\n", finds[finds.size() / 2], finds.front(), finds.back());

    // What autosave holds the event loop for: taking the texts out of the
    // boxes; the writing itself runs on the store's worker.
    std::vector<double> saves;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(box, Qt::Key_Y);
        QElapsedTimer clock;
        clock.start();
        qsizetype taken = 0;
        for (int card = 0; card < 3; ++card) {
            const ContentBox::Snapshot snapshot = window.contentBox(card)->snapshot();
            taken += snapshot.asUtf8 ? snapshot.utf8.size() : snapshot.text.size();
        }
        saves.push_back(clock.nsecsElapsed() / 1e6);
        if (taken < 3 * size)
            return 1;
    }
    std::sort(saves.begin(), saves.end());
    std::printf("save %.3f %.3f %.3f\n", saves[saves.size() / 2], saves.front(), saves.back());

    // The first key once autosave has saved the note, at its end: the
    // saved text may still be shared with what the store keeps.
    std::vector<double> afterSave;
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(box, Qt::Key_W);
        if (!QTest::qWaitFor([&window] { return !window.contentBox(0)->isModified(); }, 10000)) {
            std::fprintf(stderr, "autosave did not save the note\n");
            return 1;
        }
        QTest::qWait(100); // the save's outcome handed back, as when the user pauses
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(box, Qt::Key_W);
        repaintNow(box);
        afterSave.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(afterSave.begin(), afterSave.end());
    std::printf("aftersave %.3f %.3f %.3f\n", afterSave[afterSave.size() / 2], afterSave.front(),
                afterSave.back());

    // The close handler with all three notes edited and none saved yet: what
    // a close request costs when autosave has not run since the edits.
    std::vector<double> closes;
    for (int i = 0; i < 5; ++i) {
        pindel.restoreFromTray();
        QTest::qWait(100);
        for (int card = 0; card < 3; ++card) {
            window.tabStrip()->tabRow()->setCurrentIndex(card);
            QTest::keyClick(window.contentBox(card)->editor(), Qt::Key_Z);
        }
        QElapsedTimer clock;
        clock.start();
        window.close();
        closes.push_back(clock.nsecsElapsed() / 1e6);
        if (window.isVisible()) {
            std::fprintf(stderr, "the close request did not hide the window\n");
            return 1;
        }
    }
    std::sort(closes.begin(), closes.end());
    std::printf("close %.3f %.3f %.3f\n", closes[closes.size() / 2], closes.front(), closes.back());
    return 0;
}
