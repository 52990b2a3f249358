#include "store/SingleNumber.h"

#include <QtTest>
#include <cfloat>

class TestNumbers : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<float>("value");
        QTest::newRow("whole") << "900"
                               << "en_US" << true << 900.0f;
        QTest::newRow("negative") << "-120"
                                  << "de_DE" << true << -120.0f;
        QTest::newRow("C decimal in German") << "12.5"
                                             << "de_DE" << true << 12.5f;
        QTest::newRow("German decimal") << "12,5"
                                        << "de_DE" << true << 12.5f;
        QTest::newRow("German decimal in English") << "12,5"
                                                   << "en_US" << false << 0.0f;
        QTest::newRow("exponent") << "1e3"
                                  << "en_US" << true << 1000.0f;
        QTest::newRow("blanks around") << " 12 "
                                       << "en_US" << true << 12.0f;
        QTest::newRow("largest float") << "3.4028234e38"
                                       << "en_US" << true << FLT_MAX;
        QTest::newRow("1e30") << "1e30"
                              << "en_US" << true << 1e30f;
        QTest::newRow("-1e30") << "-1e30"
                               << "en_US" << true << -1e30f;
        QTest::newRow("empty") << ""
                               << "en_US" << false << 0.0f;
        QTest::newRow("letters") << "abc"
                                 << "en_US" << false << 0.0f;
        QTest::newRow("trailing letters") << "12abc"
                                          << "de_DE" << false << 0.0f;
        QTest::newRow("hex") << "0x10"
                             << "en_US" << false << 0.0f;
        QTest::newRow("NaN") << "NaN"
                             << "en_US" << false << 0.0f;
        QTest::newRow("inf") << "inf"
                             << "en_US" << false << 0.0f;
        QTest::newRow("-infinity") << "-infinity"
                                   << "de_DE" << false << 0.0f;
        QTest::newRow("beyond single") << "1e39"
                                       << "en_US" << false << 0.0f;
        QTest::newRow("1 MB of digits") << QString(1024 * 1024, QLatin1Char('9')) << "en_US" << false << 0.0f;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, locale);
        QFETCH(bool, ok);
        QFETCH(float, value);
        const auto parsed = SingleNumber::parse(text, QLocale(locale));
        QCOMPARE(parsed.has_value(), ok);
        if (ok)
            QCOMPARE(*parsed, value);
    }

    void format()
    {
        QCOMPARE(SingleNumber::format(-120.0f), QString("-120"));
        QCOMPARE(SingleNumber::format(900.0f), QString("900"));
        QCOMPARE(SingleNumber::format(0.0f), QString("0"));
        QCOMPARE(SingleNumber::format(-0.0f), QString("0"));
        QCOMPARE(SingleNumber::format(16777216.0f), QString("16777216"));
        // Every text written reads back to the same number, in any locale.
        for (float v : {12.5f, 0.1f, -7.25f, 1e20f, 3.4028234e38f}) {
            QCOMPARE(SingleNumber::parse(SingleNumber::format(v), QLocale(QLocale::German)).value(), v);
            QCOMPARE(SingleNumber::parse(SingleNumber::format(v), QLocale(QLocale::English)).value(), v);
        }
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
