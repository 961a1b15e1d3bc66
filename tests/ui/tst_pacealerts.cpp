#include "ClaudeUsageClient.h"
#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "PaceAlerts.h"
#include "TemporaryHome.h"

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
                summaries.append(alert.windowId.section(u'/', -1) + u": "_s + alert.summary); // after the account's folder
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

    // The same window of two accounts: each told once, by its label, and not again once the two
    // are relabelled and reordered.
    void eachAccountApart()
    {
        DesktopNotifier notifier;
        PaceAlerts alerts(notifier);
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        const UsageWindow window = UsageWindow::make(Provider::claude, WindowSpeed::slow, 80, now.addSecs(302400), 604800, now);
        UsageStatus status{now, {{Provider::claude, true, u"live"_s, {}, {window}}, {Provider::claude, true, u"live"_s, {}, {window}}}};
        status.results[0].account = {Provider::claude, u"/home/me/.claude"_s, u"personal"_s, true};
        status.results[1].account = {Provider::claude, u"/home/me/.claude-work"_s, u"work"_s, false};
        QStringList summaries;
        for (const PaceAlert &alert : alerts.takeDue(status))
            summaries.append(alert.windowId + u": "_s + alert.summary);
        QCOMPARE(summaries, (QStringList{u"/home/me/.claude/claude_slow: Claude \u00B7 personal Weekly will run out in about 21 h"_s,
                                         u"/home/me/.claude-work/claude_slow: Claude \u00B7 work Weekly will run out in about 21 h"_s}));
        QVERIFY(alerts.takeDue(status).isEmpty());
        status.results[0].account = {Provider::claude, u"/home/me/.claude"_s, u"home"_s, false};
        status.results[1].account = {Provider::claude, u"/home/me/.claude-work"_s, u"job"_s, true};
        QVERIFY(alerts.takeDue(status).isEmpty());
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

    // Claude's model-scoped weekly cap as the real client reads it from the example answer,
    // its window 57,032 s old: 43% used there runs out in 21 h, the weekly's 26% in 1 d 21 h.
    void extraWindowAlerts()
    {
        FakeHttpServer server;
        QVERIFY(server.listen());
        const TemporaryHome home({"TIDEMARKER_CLAUDE_TOKEN_FILE", "CLAUDE_CONFIG_DIR"});
        qputenv("CLAUDE_CODE_OAUTH_TOKEN", "fake-claude-token");
        qputenv("TIDEMARKER_CLAUDE_USAGE_URL", server.url(u"/usage"_s).toEncoded());
        const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        server.respond("/usage", FakeResponse::json(exampleAnswer(u"claude-max.json"_s, now.addMSecs(184'887'588))));

        DesktopNotifier notifier;
        PaceAlerts alerts(notifier);
        QStringList summaries;
        for (const PaceAlert &alert : alerts.takeDue({now, {QCoro::waitFor(ClaudeUsageClient().result(now))}}))
            summaries.append(alert.windowId.section(u'/', -1) + u": "_s + alert.summary);
        QCOMPARE(summaries, (QStringList{u"claude_slow: Claude Weekly will run out in about 1 d 21 h"_s,
                                         u"claude_scoped_fable: Claude Fable weekly will run out in about 21 h"_s}));
    }

    // Nearly used up goes before running out, then the lowest pressure; the last line names
    // three of the others and counts the rest.
    void gatheredInOneBubble()
    {
        using enum PaceForecast::Alert;
        const auto alert = [](const QString &name, PaceForecast::Alert kind, double pressure) {
            return PaceAlert{name, name, kind, pressure, name + u" summary"_s, name + u" body"_s};
        };
        const PaceAlert bubble = PaceAlerts::gathered({alert(u"A"_s, runout, -40), alert(u"B"_s, nearlyUsed, -10),
                                                       alert(u"C"_s, runout, -50), alert(u"D"_s, runout, -20),
                                                       alert(u"E"_s, nearlyUsed, -30), alert(u"F"_s, runout, -5)});
        QCOMPARE(bubble.summary, u"E summary, 5 more limits near"_s);
        QCOMPARE(bubble.body, u"E body\nand 5 more limits need attention: B, C, A and 2 others"_s);
        // What still holds from the bubble replaced comes after what is new, and one is one.
        const PaceAlert later = PaceAlerts::gathered({alert(u"F"_s, runout, -5)},
                                                     {alert(u"A"_s, runout, -40), alert(u"B"_s, nearlyUsed, -10),
                                                      alert(u"C"_s, runout, -50), alert(u"D"_s, runout, -20)});
        QCOMPARE(later.summary, u"F summary, 4 more limits near"_s);
        QCOMPARE(later.body, u"F body\nand 4 more limits need attention: B, C, A and 1 other"_s);
    }
};

QTEST_GUILESS_MAIN(TestPaceAlerts)
#include "tst_pacealerts.moc"
