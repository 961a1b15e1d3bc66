#include "PaceAlerts.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
constexpr qint64 week = 604800;

// Claude's weekly window alone, half run at start.
UsageStatus claudeWeekly(double usedPercent, const QString &source = u"live"_s,
                         const QDateTime &now = start, const QDateTime &resetAt = start.addSecs(week / 2))
{
    const UsageWindow window
        = UsageWindow::make(Provider::claude, WindowSpeed::slow, usedPercent, resetAt, week, now);
    return {now, {{Provider::claude, true, source, std::nullopt, {window}, false}}};
}

QStringList summaries(const QList<PaceAlert> &alerts)
{
    QStringList texts;
    for (const PaceAlert &alert : alerts)
        texts.append(alert.key + u": "_s + alert.summary);
    return texts;
}

} // namespace

class TestPaceAlerts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oncePerPeriodThenAgainAfterReset()
    {
        PaceAlerts alerts;
        const QList<PaceAlert> first = alerts.takeDue(claudeWeekly(80));
        QCOMPARE(summaries(first), QStringList{u"claude_slow: Claude Weekly will run out in about 21 h"_s});
        QCOMPARE(first[0].body,
                 u"20% left, resets in 3 d 12 h; at this pace it is used up 2 d 15 h before the reset"_s);

        // Flickering below the line and back, or a reset moment a few seconds off, is the same news.
        QVERIFY(alerts.takeDue(claudeWeekly(40)).isEmpty());
        QVERIFY(alerts.takeDue(claudeWeekly(80)).isEmpty());
        QVERIFY(alerts.takeDue(claudeWeekly(81, u"live"_s, start, start.addSecs(week / 2 + 7))).isEmpty());

        const QList<PaceAlert> nearlyUsed = alerts.takeDue(claudeWeekly(92));
        QCOMPARE(summaries(nearlyUsed), QStringList{u"claude_slow: Claude Weekly is 92% used"_s});
        QCOMPARE(nearlyUsed[0].body,
                 u"8% left, resets in 3 d 12 h; at this pace it is used up 3 d 5 h before the reset"_s);
        QVERIFY(alerts.takeDue(claudeWeekly(85)).isEmpty());
        QVERIFY(alerts.takeDue(claudeWeekly(95)).isEmpty());

        // A week later the window has reset and runs ahead again.
        const QDateTime nextWeek = start.addSecs(week);
        QCOMPARE(alerts.takeDue(claudeWeekly(80, u"live"_s, nextWeek, nextWeek.addSecs(week / 2))).size(), 1);
    }

    void onlyFiguresFetchedJustNowCount_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("cached") << u"cached"_s;
        QTest::newRow("throttled") << u"throttled"_s;
    }
    void onlyFiguresFetchedJustNowCount()
    {
        QFETCH(QString, source);
        PaceAlerts alerts;
        QVERIFY(alerts.takeDue(claudeWeekly(95, source)).isEmpty());
        QCOMPARE(alerts.takeDue(claudeWeekly(95)).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPaceAlerts)
#include "tst_pacealerts.moc"
