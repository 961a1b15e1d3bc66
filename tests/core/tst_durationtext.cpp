#include "DurationText.h"

#include <QTest>

#include <limits>

class TestDurationText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void compact_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("negative") << -5.0 << QStringLiteral("under 1 min");
        QTest::newRow("not a number") << nan << QStringLiteral("under 1 min");
        QTest::newRow("29 s") << 29.0 << QStringLiteral("under 1 min");
        QTest::newRow("30 s rounds up") << 30.0 << QStringLiteral("1 min");
        QTest::newRow("47 min") << 47 * 60.0 << QStringLiteral("47 min");
        QTest::newRow("59 min 29 s") << 59 * 60 + 29.0 << QStringLiteral("59 min");
        QTest::newRow("59 min 30 s is an hour") << 59 * 60 + 30.0 << QStringLiteral("1 h");
        QTest::newRow("3 h 10 min") << 3 * 3600 + 10 * 60.0 << QStringLiteral("3 h 10 min");
        QTest::newRow("23 h 59 min") << 86400 - 60.0 << QStringLiteral("23 h 59 min");
        QTest::newRow("a breath under a day") << 86400 - 20.0 << QStringLiteral("1 d");
        QTest::newRow("2 d 6 h") << 2 * 86400 + 6 * 3600 + 1200.0 << QStringLiteral("2 d 6 h");
        QTest::newRow("7 d") << 7 * 86400.0 << QStringLiteral("7 d");
        QTest::newRow("infinite") << inf << QStringLiteral("11574074 d 2 h");
    }
    void compact()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(compactDuration(seconds), text);
    }
};

QTEST_APPLESS_MAIN(TestDurationText)
#include "tst_durationtext.moc"
