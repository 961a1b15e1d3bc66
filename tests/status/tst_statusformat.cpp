#include "StatusFormat.h"
#include "UsageSnapshotJson.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

UsageWindow window(Provider provider, WindowSpeed speed, double used, qint64 secondsLeft, double length)
{
    return UsageWindow::make(provider, speed, used, now.addSecs(secondsLeft), length, now);
}

const UsageWindow codexFast = window(Provider::codex, WindowSpeed::fast, 40, 9000, 18000);
const UsageWindow codexSlow = window(Provider::codex, WindowSpeed::slow, 63, 302400, 604800);
const UsageWindow claudeFast = window(Provider::claude, WindowSpeed::fast, 20, 9000, 18000);

ProviderResult live(Provider provider, QList<UsageWindow> windows)
{
    return {provider, true, u"live"_s, std::nullopt, windows, false};
}

ProviderResult cached(Provider provider, QList<UsageWindow> windows, std::optional<QString> error, bool lastFetchFailed)
{
    ProviderResult result{provider, true, u"cached"_s, error, windows, false};
    result.lastFetchFailed = lastFetchFailed;
    result.fetchedAt = now.addSecs(-190);
    return result;
}

} // namespace

class TestStatusFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatsEdgeSnapshots_data();
    void formatsEdgeSnapshots();
};

void TestStatusFormat::formatsEdgeSnapshots_data()
{
    QTest::addColumn<UsageStatus>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("cssClass");
    QTest::addColumn<int>("percentage");

    QTest::newRow("before the first refresh")
        << UsageStatus{now, {}} << u"Tidemarker: usage unavailable"_s
        << u"Tidemarker: usage unavailable"_s << u"unavailable"_s << 0;
    QTest::newRow("both, Claude cached")
        << UsageStatus{now, {live(Provider::codex, {codexFast, codexSlow}),
                             cached(Provider::claude, {claudeFast}, u"usage fetch failed"_s, true)}}
        << u"Codex Weekly 37% -13% \u00B7 Claude 5h 80% +30% (cached)"_s
        << u"Codex 5h: 60% left, +10% high, resets in 2 h 30 min\n"
           "Codex Weekly: 37% left, -13% low, resets in 3 d 12 h\n"
           "Claude 5h: 80% left, +30% high, resets in 2 h 30 min (cached)"_s
        << u"low"_s << 37;
    QTest::newRow("Claude only spaced out")
        << UsageStatus{now, {cached(Provider::claude, {claudeFast}, std::nullopt, false)}}
        << u"Claude 5h 80% +30% (as of 3 min ago)"_s
        << u"Claude 5h: 80% left, +30% high, resets in 2 h 30 min (as of 3 min ago)"_s
        << u"high"_s << 80;
    QTest::newRow("one window, the other signed out")
        << UsageStatus{now, {live(Provider::codex, {codexFast}),
                             {Provider::claude, false, u"error"_s, u"not signed in to Claude Code"_s, {}, true}}}
        << u"Codex 5h 60% +10% \u00B7 Claude signed out"_s
        << u"Codex 5h: 60% left, +10% high, resets in 2 h 30 min\nClaude: not signed in to Claude Code"_s
        << u"high"_s << 60;

    QTest::newRow("markup in a service's text")
        << UsageStatus{now, {live(Provider::codex, {codexFast}),
                             {Provider::claude, false, u"error"_s, u"<b>x</b> & y"_s, {}, false}}}
        << u"Codex 5h 60% +10% \u00B7 Claude unavailable"_s
        << u"Codex 5h: 60% left, +10% high, resets in 2 h 30 min\nClaude: <b>x</b> & y"_s
        << u"high"_s << 60;

    // Only a window built by hand carries these; the lines must still hold numbers only.
    UsageWindow absurd = codexFast;
    absurd.remainingPercent = std::numeric_limits<double>::quiet_NaN();
    absurd.pressurePercent = std::numeric_limits<double>::quiet_NaN();
    absurd.resetAt = QDateTime();
    QTest::newRow("not a number")
        << UsageStatus{now, {live(Provider::codex, {absurd})}} << u"Codex 5h 0% ?%"_s
        << u"Codex 5h: 0% left, ?% good, resets in under 1 min"_s << u"good"_s << 0;
}

void TestStatusFormat::formatsEdgeSnapshots()
{
    QFETCH(UsageStatus, status);
    QFETCH(QString, text);

    QCOMPARE(StatusFormat::textLine(status, now), text);
    const QJsonObject waybar = StatusFormat::waybarObject(status, now);
    QCOMPARE(waybar.value(u"text"_s).toString(), text.toHtmlEscaped());
    QFETCH(QString, tooltip);
    QCOMPARE(waybar.value(u"tooltip"_s).toString(), tooltip.toHtmlEscaped());
    QTEST(waybar.value(u"class"_s).toString(), "cssClass");
    QTEST(waybar.value(u"percentage"_s).toInt(), "percentage");

    // Never a "nan" or "inf" in the lines made from the snapshot as published.
    const QByteArray published = UsageSnapshotJson::toText(status);
    for (OutputFormat format : {OutputFormat::text, OutputFormat::json, OutputFormat::waybar}) {
        // A window that is not a number does not survive its way through JSON, and is refused.
        const QByteArray lower = StatusFormat::line(format, published, now).value_or(QByteArray()).toLower();
        QVERIFY2(!lower.contains("nan") && !lower.contains("inf") && !lower.contains('\n'), lower);
    }
}

QTEST_GUILESS_MAIN(TestStatusFormat)
#include "tst_statusformat.moc"
