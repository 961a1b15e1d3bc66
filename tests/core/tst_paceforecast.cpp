#include "PaceForecast.h"

#include <QTest>

#include <cmath>
#include <limits>

using Alert = PaceForecast::Alert;
Q_DECLARE_METATYPE(Alert)

class TestPaceForecast : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A 5-hour window (18000 s) or a weekly one (604800 s).
    void workedCases_data()
    {
        QTest::addColumn<double>("windowSeconds");
        QTest::addColumn<double>("usedPercent");
        QTest::addColumn<double>("secondsLeft");
        QTest::addColumn<double>("secondsToRunout"); // rounded to hundredths
        QTest::addColumn<Alert>("alert");
        const double never = std::numeric_limits<double>::infinity();
        QTest::newRow("exactly on pace") << 18000.0 << 50.0 << 9000.0 << 9000.0 << Alert::none;
        QTest::newRow("slower than pace") << 18000.0 << 20.0 << 9000.0 << 36000.0 << Alert::none;
        QTest::newRow("nothing used") << 18000.0 << 0.0 << 9000.0 << never << Alert::none;
        QTest::newRow("twice the pace a quarter in: out at half-time") << 18000.0
            << 50.0 << 13500.0 << 4500.0 << Alert::runout;
        QTest::newRow("two thirds used at half-time: out at three quarters") << 18000.0
            << 200 / 3.0 << 9000.0 << 4500.0 << Alert::runout;
        QTest::newRow("runout within a minute of the reset is on pace") << 18000.0
            << 50.1 << 9000.0 << 8964.07 << Alert::none;
        QTest::newRow("early burst under the guard") << 18000.0 << 5.0 << 17700.0 << 5700.0 << Alert::none;
        QTest::newRow("a quarter used in the first minutes") << 18000.0 << 25.0 << 17700.0 << 900.0 << Alert::runout;
        QTest::newRow("a tenth in, ahead of pace") << 18000.0 << 15.0 << 16200.0 << 10200.0 << Alert::runout;
        QTest::newRow("reset further away than a window") << 18000.0 << 30.0 << 20000.0 << -4666.67 << Alert::none;
        QTest::newRow("window already reset") << 18000.0 << 95.0 << -50.0 << 950.0 << Alert::none;
        QTest::newRow("just under 90 %") << 18000.0 << 89.9 << 1000.0 << 1909.90 << Alert::none;
        QTest::newRow("90 % reached") << 18000.0 << 90.0 << 1000.0 << 1888.89 << Alert::nearlyUsed;
        QTest::newRow("nearly used outranks the runout") << 18000.0 << 95.0 << 9000.0 << 473.68 << Alert::nearlyUsed;
        QTest::newRow("used up 27 min before the reset") << 18000.0 << 55.0 << 9000.0 << 7363.64 << Alert::none;
        QTest::newRow("weekly used up 15 h before the reset") << 604800.0 << 55.0 << 302400.0 << 247418.18 << Alert::none;
        QTest::newRow("weekly used up 18 h before the reset") << 604800.0 << 56.0 << 302400.0 << 237600.0 << Alert::runout;
        QTest::newRow("weekly 1.9 points behind pace") << 604800.0 << 15.0 << 525571.0 << 448964.33 << Alert::none;
    }
    void workedCases()
    {
        QFETCH(double, windowSeconds);
        QFETCH(double, usedPercent);
        QFETCH(double, secondsLeft);
        QFETCH(double, secondsToRunout);
        QFETCH(Alert, alert);
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        const UsageWindow window = UsageWindow::make(Provider::claude, WindowSpeed::fast, usedPercent,
                                                     now.addMSecs(qint64(secondsLeft * 1000)), windowSeconds, now);
        const PaceForecast forecast = PaceForecast::of(window, now);
        QCOMPARE(forecast.elapsedSeconds, windowSeconds - secondsLeft);
        QCOMPARE(std::round(forecast.secondsToRunout * 100) / 100, secondsToRunout);
        QCOMPARE(forecast.alert(), alert);
    }
};

QTEST_APPLESS_MAIN(TestPaceForecast)
#include "tst_paceforecast.moc"
