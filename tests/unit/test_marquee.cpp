#include "core/Marquee.h"

#include <QtTest>

namespace {
QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}
} // namespace

class TestMarquee : public QObject
{
    Q_OBJECT
private slots:
    void bannersAreBuiltFromTheirPieces()
    {
        QCOMPARE(Marquee::webAddress.size(), 14);
        QCOMPARE(Marquee::titleBanner().size(), 208);
        QCOMPARE(Marquee::tipBanner().size(), 116);
        QCOMPARE(Marquee::captionHead.size(), 18);
        QCOMPARE(Marquee::titleBanner().mid(43, 55),
                 QString("MIR-TAL Orbo -  Pindel ! (Inhalt bleibt immer erhalten)"));
        QCOMPARE(Marquee::titleBanner().mid(120, 12), QString("MIR-TAL GmbH"));
        QCOMPARE(Marquee::titleBanner().mid(148, 28), QString("Besuchen Sie uns im Internet"));
        QCOMPARE(Marquee::titleBanner().mid(193, 14), Marquee::webAddress);
        QCOMPARE(Marquee::tipBanner().mid(57, 12), QString("MIR-TAL GmbH"));
        QCOMPARE(Marquee::tipBanner().mid(101, 14), Marquee::webAddress);
    }

    void slice()
    {
        QCOMPARE(Marquee::slice("abc", 0), QString());
        QCOMPARE(Marquee::slice("abc", 1), QString("abc"));
        QCOMPARE(Marquee::slice("abc", 3), QString("c"));
        QCOMPARE(Marquee::slice("abc", 4), QString());
        QCOMPARE(Marquee::slice(Marquee::tipBanner(), 87).size(), 30);
        QCOMPARE(Marquee::slice(Marquee::tipBanner(), 88).size(), 29);
    }

    // Runs ticks from a reset and checks what tick n shows.
    void courseOfOneRun_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<QString>("caption"); // "-" means: left alone
        QTest::addColumn<QString>("tip");
        QTest::addColumn<int>("stopFlag");
        const QString head = Marquee::captionHead;
        QTest::newRow("1") << 1 << head + blanks(30) << " MIR-TAL Orbo -  Pindel ! (Inh" << 0;
        QTest::newRow("15") << 15 << head + blanks(29) + "M"
                            << "-  Pindel ! (Inhalt bleibt imm" << 0;
        QTest::newRow("44") << 44 << head + "MIR-TAL Orbo -  Pindel ! (Inha"
                            << Marquee::tipBanner().mid(43, 30) << 0;
        QTest::newRow("87") << 87 << head + Marquee::titleBanner().mid(86, 30)
                            << Marquee::tipBanner().mid(86, 30) << 0;
        QTest::newRow("116") << 116 << head + Marquee::titleBanner().mid(115, 30) << " " << 0;
        QTest::newRow("117") << 117 << head + Marquee::titleBanner().mid(116, 30) << "" << 0;
        QTest::newRow("179") << 179 << head + Marquee::titleBanner().mid(178, 30) << "" << 0;
        QTest::newRow("208") << 208 << head + " "
                             << "" << 0;
        QTest::newRow("209") << 209 << head << "" << 0;
        QTest::newRow("210") << 210 << "-"
                             << "" << 1;
        QTest::newRow("211") << 211 << "-"
                             << "" << 1;
    }
    void courseOfOneRun()
    {
        QFETCH(int, tick);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(int, stopFlag);
        MarqueeState state;
        Marquee::TickOutput out;
        for (int i = 0; i < tick; ++i)
            out = Marquee::tick(state);
        QCOMPARE(state.position, qint64(tick));
        QCOMPARE(state.stopFlag, stopFlag);
        if (caption == "-")
            QVERIFY(!out.caption);
        else
            QCOMPARE(out.caption.value(), caption);
        QCOMPARE(out.tip, tip);
    }

    void resetStartsAgainWhileScrollingAndWhileFrozen()
    {
        MarqueeState state;
        state.position = 99;
        state.reset();
        QCOMPARE(Marquee::tick(state).caption.value(), Marquee::captionHead + blanks(30));
        state.position = 500;
        state.stopFlag = 1;
        state.reset();
        const auto out = Marquee::tick(state);
        QCOMPARE(state.position, qint64(1));
        QCOMPARE(out.caption.value(), Marquee::captionHead + blanks(30));
        QCOMPARE(out.tip, QString(" MIR-TAL Orbo -  Pindel ! (Inh"));
    }

    void positionCountsOnPastSixteenAndThirtyTwoBits()
    {
        for (qint64 start : {qint64(32767), qint64(2147483647), qint64(4294967296)}) {
            MarqueeState state{start, 1};
            const auto out = Marquee::tick(state);
            QCOMPARE(state.position, start + 1);
            QVERIFY(!out.caption);
            QCOMPARE(out.tip, QString());
        }
        // Even unfrozen, a position past the banner shows the caption head alone.
        MarqueeState unfrozen{2147483647, 0};
        QCOMPARE(Marquee::tick(unfrozen).caption.value(), Marquee::captionHead);
    }
};

QTEST_GUILESS_MAIN(TestMarquee)
#include "test_marquee.moc"
