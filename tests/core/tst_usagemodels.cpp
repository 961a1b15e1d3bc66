#include "UsageModels.h"

#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);

UsageWindow windowWithPressure(Provider provider, WindowSpeed speed, double pressure)
{
    UsageWindow window;
    window.provider = provider;
    window.speed = speed;
    window.pressurePercent = pressure;
    window.limitWindowSeconds = speed == WindowSpeed::fast ? 5 * 3600 : 7 * 86400;
    return window;
}

ProviderResult resultWith(Provider provider, QList<UsageWindow> windows)
{
    return {provider, !windows.isEmpty(), u"live"_s, std::nullopt, windows, false};
}

} // namespace

class TestUsageModels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowRule_data();
    void windowRule();
    void windowRuleBoundsOddInput_data();
    void windowRuleBoundsOddInput();
    void pressureDisplay_data();
    void pressureDisplay();
    void pressureLabel_data();
    void pressureLabel();
    void texts();
    void worstKeepsFirstOnTies();
    void summary_data();
    void summary();
    void resultFindsFirstMatch();
    void jsonRoundTrip();
    void jsonRejects_data();
    void jsonRejects();
};

void TestUsageModels::windowRule_data()
{
    QTest::addColumn<double>("used");
    QTest::addColumn<double>("length");
    QTest::addColumn<qint64>("secondsLeft");
    QTest::addColumn<double>("usedPercent");
    QTest::addColumn<double>("remaining");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("pressure");
    QTest::addColumn<double>("limit");

    QTest::newRow("behind pace") << 40.0 << 18000.0 << 9000LL << 40.0 << 60.0 << 50.0 << 9.999999999999998 << 18000.0;
    QTest::newRow("ahead of pace") << 62.5 << 604800.0 << 302400LL << 62.5 << 37.5 << 50.0 << -12.5 << 604800.0;
    QTest::newRow("over the limit") << 150.0 << 18000.0 << 100LL << 100.0 << 0.0 << 0.5555555555555556 << -0.5555555555555556 << 18000.0;
    QTest::newRow("negative use, zero length") << -3.0 << 0.0 << 30LL << 0.0 << 100.0 << 50.0 << 50.0 << 60.0;
    QTest::newRow("reset passed") << 12.0 << 18000.0 << -50LL << 12.0 << 88.0 << 0.0 << 88.0 << 18000.0;
    QTest::newRow("reset beyond a window") << 10.0 << 604800.0 << 1814400LL << 10.0 << 90.0 << 100.0 << -9.999999999999998 << 604800.0;
    QTest::newRow("59 seconds is 60") << 0.0 << 59.0 << 30LL << 0.0 << 100.0 << 50.0 << 50.0 << 60.0;
}

// Exact comparisons on purpose: the rule's arithmetic order is part of its contract.
void TestUsageModels::windowRule()
{
    QFETCH(double, used);
    QFETCH(double, length);
    QFETCH(qint64, secondsLeft);

    const QDateTime reset = now.addSecs(secondsLeft);
    const UsageWindow w = UsageWindow::make(Provider::claude, WindowSpeed::slow, used, reset, length, now);

    QCOMPARE(w.provider, Provider::claude);
    QCOMPARE(w.speed, WindowSpeed::slow);
    QFETCH(double, usedPercent);
    QFETCH(double, remaining);
    QFETCH(double, expected);
    QFETCH(double, pressure);
    QFETCH(double, limit);
    QVERIFY2(w.usedPercent == usedPercent, qPrintable(QString::number(w.usedPercent, 'g', 17)));
    QVERIFY2(w.remainingPercent == remaining, qPrintable(QString::number(w.remainingPercent, 'g', 17)));
    QVERIFY2(w.expectedRemainingPercent == expected, qPrintable(QString::number(w.expectedRemainingPercent, 'g', 17)));
    QVERIFY2(w.pressurePercent == pressure, qPrintable(QString::number(w.pressurePercent, 'g', 17)));
    QVERIFY(w.limitWindowSeconds == limit);
    QCOMPARE(w.resetAt, reset);
}

void TestUsageModels::windowRuleBoundsOddInput_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::addColumn<double>("used");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("usedPercent");
    QTest::addColumn<double>("limit");
    QTest::newRow("used not a number") << nan << 18000.0 << 0.0 << 18000.0;
    QTest::newRow("length not a number") << 50.0 << nan << 50.0 << 60.0;
    QTest::newRow("infinite use") << std::numeric_limits<double>::infinity() << 18000.0 << 100.0 << 18000.0;
}

void TestUsageModels::windowRuleBoundsOddInput()
{
    QFETCH(double, used);
    QFETCH(double, length);
    QFETCH(double, usedPercent);
    QFETCH(double, limit);
    const UsageWindow w = UsageWindow::make(Provider::codex, WindowSpeed::fast, used, now.addSecs(30), length, now);
    QCOMPARE(w.usedPercent, usedPercent);
    QCOMPARE(w.limitWindowSeconds, limit);
    QVERIFY(std::isfinite(w.pressurePercent));
}

void TestUsageModels::pressureDisplay_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<QString>("text");
    QTest::newRow("12.4") << 12.4 << u"+12%"_s;
    QTest::newRow("just under 10") << 9.999999999999998 << u"+10%"_s;
    QTest::newRow("half rounds up") << 0.5 << u"+1%"_s;
    QTest::newRow("0.49") << 0.49 << u"0%"_s;
    QTest::newRow("-0.4 is unsigned zero") << -0.4 << u"0%"_s;
    QTest::newRow("-0.5 rounds away") << -0.5 << u"-1%"_s;
    QTest::newRow("-12.6") << -12.6 << u"-13%"_s;
    QTest::newRow("100") << 100.0 << u"+100%"_s;
    QTest::newRow("beyond 64 bits") << 1e30 << u"+1000000000000000019884624838656%"_s;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"?%"_s;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << u"+\u221E%"_s;
    QTest::newRow("minus infinite") << -std::numeric_limits<double>::infinity() << u"-\u221E%"_s;
}

void TestUsageModels::pressureDisplay()
{
    QFETCH(double, pressure);
    QFETCH(QString, text);
    QCOMPARE(windowWithPressure(Provider::codex, WindowSpeed::fast, pressure).pressureDisplay(), text);
}

void TestUsageModels::pressureLabel_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<QString>("label");
    QTest::newRow("5 is good") << 5.0 << u"Good"_s;
    QTest::newRow("above 5") << 5.0000001 << u"High"_s;
    QTest::newRow("-5 is good") << -5.0 << u"Good"_s;
    QTest::newRow("below -5") << -5.0000001 << u"Low"_s;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"Good"_s;
}

void TestUsageModels::pressureLabel()
{
    QFETCH(double, pressure);
    QFETCH(QString, label);
    QCOMPARE(windowWithPressure(Provider::codex, WindowSpeed::fast, pressure).pressureLabel(), label);
}

void TestUsageModels::texts()
{
    QCOMPARE(windowWithPressure(Provider::codex, WindowSpeed::slow, 0).id(), u"codex_slow"_s);
    QCOMPARE(windowWithPressure(Provider::claude, WindowSpeed::fast, 0).id(), u"claude_fast"_s);
    QCOMPARE(displayName(Provider::codex), u"Codex"_s);
    QCOMPARE(displayName(Provider::claude), u"Claude"_s);
    QCOMPARE(lengthName(5 * 3600), u"5h"_s);
    QCOMPARE(lengthName(7 * 86400), u"Weekly"_s);
    QCOMPARE(lengthName(31 * 86400), u"30-day"_s);
    QCOMPARE(lengthName(32 * 86400), u"32-day"_s);
    QCOMPARE(lengthName(8 * 3600 + 59), u"8h"_s);
}

void TestUsageModels::worstKeepsFirstOnTies()
{
    const UsageStatus status{now,
                             {resultWith(Provider::codex, {windowWithPressure(Provider::codex, WindowSpeed::fast, 3),
                                                           windowWithPressure(Provider::codex, WindowSpeed::slow, -2)}),
                              resultWith(Provider::claude, {windowWithPressure(Provider::claude, WindowSpeed::fast, -2)})}};
    QCOMPARE(status.windows().size(), 3);
    QCOMPARE(status.worst()->id(), u"codex_slow"_s);
}

void TestUsageModels::summary_data()
{
    QTest::addColumn<double>("pressure");
    QTest::addColumn<Provider>("provider");
    QTest::addColumn<WindowSpeed>("speed");
    QTest::addColumn<QString>("summary");
    QTest::newRow("claude high") << 9.999999999999998 << Provider::claude << WindowSpeed::fast << u"Claude 5h +10% high"_s;
    QTest::newRow("codex low") << -12.6 << Provider::codex << WindowSpeed::slow << u"Codex Weekly -13% low"_s;
    QTest::newRow("claude good") << -0.2 << Provider::claude << WindowSpeed::slow << u"Claude Weekly 0% good"_s;
}

void TestUsageModels::summary()
{
    QFETCH(double, pressure);
    QFETCH(Provider, provider);
    QFETCH(WindowSpeed, speed);
    QFETCH(QString, summary);
    const UsageStatus status{now, {resultWith(provider, {windowWithPressure(provider, speed, pressure)})}};
    QCOMPARE(status.summary(), summary);

    const ProviderResult failed{provider, false, u"error"_s, u"boom"_s, {}, true};
    QCOMPARE((UsageStatus{now, {failed}}).summary(), u"Tidemarker: usage unavailable"_s);
    QCOMPARE(UsageStatus{}.summary(), u"Tidemarker: usage unavailable"_s);
    QVERIFY(!UsageStatus{}.worst());
}

void TestUsageModels::resultFindsFirstMatch()
{
    ProviderResult first = resultWith(Provider::claude, {});
    first.source = u"first"_s;
    ProviderResult second = resultWith(Provider::claude, {});
    second.source = u"second"_s;
    const UsageStatus status{now, {resultWith(Provider::codex, {}), first, second}};
    QCOMPARE(status.result(Provider::claude)->source, u"first"_s);
    QVERIFY(!(UsageStatus{now, {first}}).result(Provider::codex));
}

void TestUsageModels::jsonRoundTrip()
{
    const UsageWindow w = UsageWindow::make(Provider::claude, WindowSpeed::slow, 62.5, now.addSecs(302400), 604800, now);
    const QJsonObject json = w.toJson();
    QCOMPARE(json.keys().size(), 8);
    QCOMPARE(json.value(u"provider"_s).toString(), u"claude"_s);
    QCOMPARE(json.value(u"speed"_s).toString(), u"slow"_s);

    QJsonObject withExtra = json;
    withExtra.insert(u"extra"_s, true);
    const auto decoded = UsageWindow::fromJson(withExtra);
    QVERIFY(decoded);
    QCOMPARE(decoded->id(), w.id());
    QCOMPARE(decoded->pressurePercent, w.pressurePercent);
    QCOMPARE(decoded->resetAt, w.resetAt);
    QCOMPARE(decoded->limitWindowSeconds, w.limitWindowSeconds);
}

void TestUsageModels::jsonRejects_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QJsonValue>("value"); // undefined: remove the member
    QTest::newRow("no pressurePercent") << u"pressurePercent"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("unknown speed") << u"speed"_s << QJsonValue(u"medium"_s);
    QTest::newRow("unknown provider") << u"provider"_s << QJsonValue(u"gemini"_s);
    QTest::newRow("number as text") << u"usedPercent"_s << QJsonValue(u"40"_s);
    QTest::newRow("resetAt not a date") << u"resetAt"_s << QJsonValue(u"soon"_s);
    QTest::newRow("resetAt a number") << u"resetAt"_s << QJsonValue(1750000000);
}

void TestUsageModels::jsonRejects()
{
    QFETCH(QString, member);
    QFETCH(QJsonValue, value);
    QJsonObject json = UsageWindow::make(Provider::codex, WindowSpeed::fast, 1, now, 60, now).toJson();
    if (value.isUndefined())
        json.remove(member);
    else
        json.insert(member, value);
    QVERIFY(!UsageWindow::fromJson(json));
}

QTEST_GUILESS_MAIN(TestUsageModels)
#include "tst_usagemodels.moc"
