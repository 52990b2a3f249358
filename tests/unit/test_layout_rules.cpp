#include "core/ResizeRule.h"
#include "core/ScreenReach.h"
#include "core/Twips.h"
#include "core/TwipsMemo.h"

#include <QtTest>
#include <cfloat>

class TestLayoutRules : public QObject
{
    Q_OBJECT
private slots:
    void twipsAtCommonDpi()
    {
        QCOMPARE(Twips::toPixels(1440, 96).value(), 96);
        QCOMPARE(Twips::toPixels(15, 96).value(), 1);
        QCOMPARE(Twips::toPixels(-120, 96).value(), -8);
        QCOMPARE(Twips::toPixels(700, 96).value(), 47); // 46.67 rounds up
        QCOMPARE(Twips::toPixels(295, 120).value(), 25);
        QCOMPARE(Twips::fromPixels(47, 96), 705.0);
        QVERIFY(!Twips::toPixels(1e30, 96));
        QVERIFY(!Twips::toPixels(std::numeric_limits<double>::infinity(), 96));
    }

    void memoGivesBackWhatWasSetUntilThePixelsChange()
    {
        TwipsMemo memo;
        const auto convert = [](int px) { return Twips::fromPixels(px, 96); };
        QCOMPARE(memo.report(47, convert), 705.0f);
        memo.remember(700.0f, 47);
        QCOMPARE(memo.report(47, convert), 700.0f);
        QCOMPARE(memo.report(48, convert), 700.0f); // one pixel: the window system's rounding
        QCOMPARE(memo.report(45, convert), 675.0f); // moved or resized since
    }

    void resizeRule_data()
    {
        QTest::addColumn<float>("outer");
        QTest::addColumn<float>("margin");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<float>("size");
        QTest::newRow("design width") << 7475.0f << 380.0f << true << 7095.0f;
        QTest::newRow("design height") << 5685.0f << 870.0f << true << 4815.0f;
        QTest::newRow("strip in a 700 high window") << 700.0f << 470.0f << true << 230.0f;
        QTest::newRow("box in a 700 high window") << 700.0f << 870.0f << false << 0.0f;
        QTest::newRow("strip in a 300 wide window") << 300.0f << 200.0f << true << 100.0f;
        QTest::newRow("box in a 300 wide window") << 300.0f << 380.0f << false << 0.0f;
        QTest::newRow("exactly 380 wide") << 380.0f << 380.0f << true << 0.0f;
        QTest::newRow("hugely negative") << -FLT_MAX << 380.0f << false << 0.0f;
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity() << 200.0f << false << 0.0f;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 200.0f << false << 0.0f;
    }
    void resizeRule()
    {
        QFETCH(float, outer);
        QFETCH(float, margin);
        QFETCH(bool, ok);
        QFETCH(float, size);
        const auto got = ResizeRule::sizeFor(outer, margin);
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, size);
    }

    void screenReach()
    {
        const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1024, 768)};
        // Partly off a screen: stays exactly where it is.
        QCOMPARE(ScreenReach::reachableTopLeft(QRect(-8, 20, 300, 200), screens), QPoint(-8, 20));
        // Wholly off to the right of the second screen: just inside it.
        QCOMPARE(ScreenReach::reachableTopLeft(QRect(5000, 100, 300, 200), screens), QPoint(2004, 100));
        // Far above and left (a parked minimised window): nearest corner.
        QCOMPARE(ScreenReach::reachableTopLeft(QRect(-32000, -32000, 160, 30), screens), QPoint(0, 0));
        // Below the shorter second screen, larger than it: top edge aligned.
        QCOMPARE(ScreenReach::reachableTopLeft(QRect(1500, 900, 2000, 1000), screens), QPoint(1280, 0));
        // No screens known: nothing to do.
        QCOMPARE(ScreenReach::reachableTopLeft(QRect(5000, 5000, 10, 10), {}), QPoint(5000, 5000));
    }

    void fitWithinTheAvailableArea_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QSize>("minSize");
        QTest::addColumn<QRect>("fitted");
        const QSize small(100, 40);
        QTest::newRow("inside: stays") << QRect(100, 100, 300, 200) << small << QRect(100, 100, 300, 200);
        QTest::newRow("under the top panel") << QRect(1, 1, 333, 133) << small << QRect(1, 30, 333, 133);
        QTest::newRow("past the right edge") << QRect(1100, 300, 300, 200) << small << QRect(980, 300, 300, 200);
        QTest::newRow("larger than the area")
            << QRect(-200, -40, 2000, 1400) << small << QRect(0, 30, 1280, 770);
        QTest::newRow("smallest size larger than the area: caption in sight")
            << QRect(300, 300, 200, 100) << QSize(1400, 900) << QRect(0, 30, 1400, 900);
        QTest::newRow("mostly on the second screen")
            << QRect(1200, 100, 400, 300) << small << QRect(1280, 100, 400, 300);
        QTest::newRow("wholly off: the nearest screen")
            << QRect(5000, 100, 300, 200) << small << QRect(2004, 100, 300, 200);
    }

    void fitWithinTheAvailableArea()
    {
        QFETCH(QRect, frame);
        QFETCH(QSize, minSize);
        QFETCH(QRect, fitted);
        // A panel at the top of the first screen.
        const QList<QRect> areas{QRect(0, 30, 1280, 770), QRect(1280, 0, 1024, 768)};
        QCOMPARE(ScreenReach::fitWithin(frame, areas, minSize), fitted);
        QCOMPARE(ScreenReach::fitWithin(frame, {}, minSize), frame);
    }
};

QTEST_GUILESS_MAIN(TestLayoutRules)
#include "test_layout_rules.moc"
