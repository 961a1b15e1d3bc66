#include "PaceAlerts.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPaceAlerts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each step is one refresh of Claude's weekly window, half run unless a week has passed.
    void oncePerPeriodFromLiveFiguresOnly()
    {
        DesktopNotifier notifier;
        PaceAlerts alerts(notifier);
        const auto due = [&alerts](double used, const QString &source = u"live"_s, qint64 weeksLater = 0,
                                   qint64 resetShift = 0) {
            const qint64 week = 604800;
            const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000 + weeksLater * week, Qt::UTC);
            const UsageWindow window = UsageWindow::make(Provider::claude, WindowSpeed::slow, used,
                                                         now.addSecs(week / 2 + resetShift), week, now);
            QStringList summaries;
            for (const PaceAlert &alert : alerts.takeDue({now, {{Provider::claude, true, source, {}, {window}}}}))
                summaries.append(alert.key + u": "_s + alert.summary);
            return summaries;
        };
        QCOMPARE(due(95, u"cached"_s), QStringList());
        QCOMPARE(due(95, u"throttled"_s), QStringList());
        const QStringList runout{u"claude_slow: Claude Weekly will run out in about 21 h"_s};
        QCOMPARE(due(80), runout);
        // Flickering below the line and back, or a reset moment a few seconds off, is old news.
        QCOMPARE(due(40), QStringList());
        QCOMPARE(due(80), QStringList());
        QCOMPARE(due(81, u"live"_s, 0, 7), QStringList());
        QCOMPARE(due(92), QStringList{u"claude_slow: Claude Weekly is 92% used"_s});
        QCOMPARE(due(85), QStringList());
        QCOMPARE(due(95), QStringList());
        // A week on, the window has reset and runs ahead again.
        QCOMPARE(due(80, u"live"_s, 1), runout);
    }

    // Half used in its first ten seconds, a window runs out in seconds.
    void runoutWithinSeconds()
    {
        DesktopNotifier notifier;
        PaceAlerts alerts(notifier);
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        const UsageWindow window = UsageWindow::make(Provider::codex, WindowSpeed::fast, 50,
                                                     now.addSecs(18000 - 10), 18000, now);
        const QList<PaceAlert> due = alerts.takeDue({now, {{Provider::codex, true, u"live"_s, {}, {window}}}});
        QCOMPARE(due.size(), 1);
        QCOMPARE(due[0].summary, u"Codex 5h will run out in under 1 min"_s);
    }
};

QTEST_GUILESS_MAIN(TestPaceAlerts)
#include "tst_pacealerts.moc"
