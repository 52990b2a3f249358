#include "core/KeptLineBreaks.h"

#include <QRandomGenerator>
#include <QtTest>

// Line breaks outside what the user edits keep their form, byte for byte.
class TestLineBreaks : public QObject
{
    Q_OBJECT

    // A note as a list of pieces: one character, or one whole line break.
    using Model = QStringList;

    // A lone CR right before an LF is written as CRLF, so that the two stay
    // two breaks when read back.
    static QString stored(const Model& model)
    {
        QString text;
        for (qsizetype i = 0; i < model.size(); ++i)
            text +=
                model[i] == QLatin1String("\r") && i + 1 < model.size() && model[i + 1] == QLatin1String("\n")
                    ? QStringLiteral("\r\n")
                    : model[i];
        return text;
    }
    static QString shown(const Model& model)
    {
        QString text;
        for (const QString& piece : model)
            text += piece.contains(QLatin1Char('\r')) || piece == QLatin1String("\n") ? QStringLiteral("\n")
                                                                                      : piece;
        return text;
    }
private slots:
    void anEditKeepsTheBreaksItDoesNotTouch_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("expected");
        const QString note = QStringLiteral("alpha\r\nbeta\rgamma\ndelta");
        QTest::newRow("typed at the end") << note << 22 << 0 << "X"
                                          << "alpha\r\nbeta\rgamma\ndeltaX";
        QTest::newRow("typed at the start") << note << 0 << 0 << "X"
                                            << "Xalpha\r\nbeta\rgamma\ndelta";
        QTest::newRow("Enter typed") << note << 2 << 0 << "\n"
                                     << "al\npha\r\nbeta\rgamma\ndelta";
        QTest::newRow("a CRLF deleted") << note << 5 << 1 << ""
                                        << "alphabeta\rgamma\ndelta";
        QTest::newRow("a CR replaced by Enter") << note << 10 << 1 << "\n"
                                                << "alpha\r\nbeta\ngamma\ndelta";
        QTest::newRow("lines pasted over two breaks") << note << 3 << 10 << "1\n2"
                                                      << "alp1\n2mma\ndelta";
        QTest::newRow("everything replaced") << note << 0 << 22 << "neu"
                                             << "neu";
        QTest::newRow("a lone CR at the end kept") << "eins\r" << 0 << 0 << "X"
                                                   << "Xeins\r";
    }
    void anEditKeepsTheBreaksItDoesNotTouch()
    {
        QFETCH(QString, note);
        QFETCH(int, from);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        QFETCH(QString, expected);
        KeptLineBreaks breaks;
        QString shown = breaks.load(note);
        QCOMPARE(breaks.text(shown), note); // untouched: exactly as stored
        breaks.replaced(shown, from, removed, inserted, QStringLiteral("\n"));
        shown.replace(from, removed, inserted);
        QCOMPARE(breaks.text(shown), expected);
    }

    // Many edits at random places in notes with every kind of break,
    // compared with a model that knows each break's form.
    void randomEditsMatchTheModel()
    {
        QRandomGenerator random(20261209);
        const QStringList pieces{"a", "b", "\u00e4", " ", "\r\n", "\r", "\n"};
        for (const QString newBreak : {QStringLiteral("\n"), QStringLiteral("\r\n")}) {
            for (int round = 0; round < 200; ++round) {
                Model model;
                for (int i = int(random.bounded(40)); i > 0; --i) {
                    const QString piece = pieces[int(random.bounded(pieces.size()))];
                    // A stored CR before an LF is one CRLF.
                    if (!(piece.startsWith('\n') && !model.isEmpty() && model.last() == QLatin1String("\r")))
                        model << piece;
                }
                KeptLineBreaks breaks;
                QString shownText = breaks.load(stored(model));
                QCOMPARE(shownText, shown(model));
                for (int edit = 0; edit < 20; ++edit) {
                    const int from = int(random.bounded(int(model.size()) + 1));
                    const int removed = int(random.bounded(int(model.size()) - from + 1));
                    QString inserted;
                    Model insertedModel;
                    for (int i = int(random.bounded(4)); i > 0; --i) {
                        const bool lineEnd = random.bounded(3) == 0;
                        inserted += lineEnd ? QStringLiteral("\n") : QStringLiteral("x");
                        insertedModel << (lineEnd ? newBreak : QStringLiteral("x"));
                    }
                    breaks.replaced(shownText, from, removed, inserted, newBreak);
                    shownText.replace(from, removed, inserted);
                    model = model.mid(0, from) + insertedModel + model.mid(from + removed);
                    QCOMPARE(breaks.text(shownText), stored(model));
                    KeptLineBreaks readBack; // the next run reads as many lines
                    QCOMPARE(readBack.load(breaks.text(shownText)), shownText);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLineBreaks)
#include "test_line_breaks.moc"
