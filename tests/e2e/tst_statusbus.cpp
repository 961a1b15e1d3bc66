#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "FakeNotifications.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The running program publishes its snapshot on a private session bus, and tidemarker-status
// (the test build, which asks the served endpoints itself with --fetch) reads it.
namespace {

const QByteArray bothLine = "Codex Weekly 37% -13% \xC2\xB7 Claude Weekly 20% -30%";
const QByteArray notRunning = "Tidemarker not running";

struct Finished {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QDBusMessage refreshCall()
{
    return QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                          u"org.tidemarker.Tidemarker1"_s, u"Refresh"_s);
}

// Holds Tidemarker's name and answers every call with its snapshot, whatever that holds; with
// none, it never answers.
class Impostor : public QDBusVirtualObject
{
public:
    QByteArray snapshot;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (!snapshot.isEmpty())
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(QString::fromUtf8(snapshot)))));
        return true;
    }
};

// 2,000 extra limits (some 700 KB, within the 1 MiB the program takes), each named to flood a
// line: reversed, cut by a NUL, marked up and long.
QByteArray floodingCodexAnswer(qint64 now)
{
    QJsonObject answer = QJsonDocument::fromJson(codexUsage(now)).object();
    QJsonArray limits;
    for (int i = 0; i < 2000; ++i) {
        const QJsonObject window{{u"used_percent"_s, i % 100}, {u"reset_at"_s, double(now + 9000)},
                                 {u"limit_window_seconds"_s, 18000}};
        const QString name = u"\u202E<b>%1</b>\u0000"_s.arg(i) + QString(200, u'x');
        limits.append(QJsonObject{{u"limit_name"_s, name}, {u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window}}}});
    }
    answer.insert(u"additional_rate_limits"_s, limits);
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

} // namespace

class TestStatusBus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void printsFollowsAndRefreshes();
    void refreshBurstJoinsTheRefreshInFlight();
    void withoutTidemarker();
    void everyLimitOfTheExampleAnswers();
    void floodOfLimitsStaysBounded();
    void trustsNothingFromAnImpostor();

private:
    std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments = {},
                                    QProcess *pipeTo = nullptr, const QProcessEnvironment &extra = {});
    Finished run(const QString &program, const QStringList &arguments, const QProcessEnvironment &extra = {});
    Finished status(const QStringList &arguments, const QProcessEnvironment &extra = {})
    {
        return run(statusProgram, arguments, extra);
    }
    QByteArray readLine(QProcess &process);
    void skipPrinted(QProcess &process) { m_everything += process.readAll(); }

    const QString trayProgram = QStringLiteral(TIDEMARKER_E2E_PROGRAM);
    const QString statusProgram = QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM);
    FakeHttpServer m_server;
    QTemporaryDir m_home;
    QByteArray m_everything; // all that any process printed, searched for tokens at the end
    std::unique_ptr<QProcess> m_tray;
};

void TestStatusBus::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
    serveUsage(m_server);
    QVERIFY(writeFile(m_home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
}

void TestStatusBus::cleanup()
{
    if (m_tray) {
        m_tray->kill();
        m_tray->waitForFinished();
        m_everything += m_tray->readAll();
    }
    for (const QByteArray token : {"fake-codex-token", "fake-claude-token"})
        QVERIFY2(!m_everything.contains(token), m_everything);
}

std::unique_ptr<QProcess> TestStatusBus::start(const QString &program, const QStringList &arguments,
                                               QProcess *pipeTo, const QProcessEnvironment &extra)
{
    auto process = std::make_unique<QProcess>();
    if (pipeTo)
        process->setStandardOutputProcess(pipeTo);
    QProcessEnvironment environment = trayProgramEnvironment(m_home.path(), m_server);
    environment.insert(extra);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    process->waitForStarted();
    return process;
}

Finished TestStatusBus::run(const QString &program, const QStringList &arguments,
                            const QProcessEnvironment &extra)
{
    const auto process = start(program, arguments, nullptr, extra);
    // The event loop keeps running: the program may be asking this test's panel something.
    (void)QTest::qWaitFor([&] { return process->state() == QProcess::NotRunning; }, 60000);
    Finished finished{process->exitCode(), process->readAllStandardOutput(), process->readAllStandardError()};
    m_everything += finished.out + finished.err;
    return finished;
}

QByteArray TestStatusBus::readLine(QProcess &process)
{
    if (!QTest::qWaitFor([&] { return process.canReadLine(); }, 30000))
        return {};
    const QByteArray line = process.readLine();
    m_everything += line;
    return line.chopped(1);
}

void TestStatusBus::printsFollowsAndRefreshes()
{
    FakePanel panel;
    QVERIFY(panel.start());
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    m_tray = start(trayProgram);
    QTRY_VERIFY_WITH_TIMEOUT(status({}).out.contains('%'), 30000);

    QCOMPARE(status({}).out, bothLine + '\n');
    const Finished json = status({u"--format"_s, u"json"_s});
    const QJsonObject snapshot = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(snapshot[u"providers"_s][0][u"provider"_s].toString(), u"codex"_s);
    QCOMPARE(snapshot[u"worst"_s].toString(), u"claude_slow"_s);
    QCOMPARE(snapshot[u"summary"_s].toString(), u"Claude Weekly -30% low"_s);
    const QJsonObject waybar = QJsonDocument::fromJson(status({u"--format"_s, u"waybar"_s}).out).object();
    QCOMPARE(waybar[u"text"_s].toString().toUtf8(), bothLine);
    QCOMPARE(waybar[u"class"_s].toString(), u"low"_s);
    QCOMPARE(waybar[u"percentage"_s].toInt(), 20);
    QCOMPARE(waybar[u"tooltip"_s].toString().count(u'\n'), 3);

    // A second Tidemarker leaves, and shows no second icon.
    const Finished second = run(trayProgram, {});
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(second.err, "tidemarker: already running in this session\n");
    QCOMPARE(registered.size(), 1);

    const auto follow = start(statusProgram, {u"--follow"_s});
    // A refresh every 60 s may come between any two steps, with Claude's windows cached.
    QVERIFY(readLine(*follow).startsWith(bothLine));
    StatusItemProbe item(registered.first().first().toString());
    QVERIFY(item.aboutToShow());
    std::optional<MenuEntry> menu;
    QTRY_VERIFY((menu = item.menuLayout()) && menu->children.size() > 3);
    skipPrinted(*follow);
    QVERIFY(item.click(menu->children.at(menu->children.size() - 2).id)); // "Refresh"
    QCOMPARE(readLine(*follow), bothLine); // Claude is spaced out for 4 minutes: no failure, no mark

    // Refresh() answers once the new snapshot is out.
    QDBusMessage refresh = QDBusMessage::createMethodCall(
        u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s, u"org.tidemarker.Tidemarker1"_s, u"Refresh"_s);
    skipPrinted(*follow);
    QCOMPARE(QDBusConnection::sessionBus().call(refresh, QDBus::BlockWithGui, 60000).type(), QDBusMessage::ReplyMessage);
    QVERIFY(QJsonDocument::fromJson(status({u"--format"_s, u"json"_s}).out)[u"generatedAt"_s]
            != snapshot[u"generatedAt"_s]);
    QVERIFY(readLine(*follow).startsWith("Codex Weekly"));

    // It outlives Tidemarker.
    skipPrinted(*follow);
    m_tray->terminate();
    QCOMPARE(readLine(*follow), notRunning);
    m_tray = start(trayProgram);
    // Read before its first refresh, a new Tidemarker has nothing to show yet; then each provider
    // shows as it answers.
    QByteArray back = readLine(*follow);
    for (int more = 0; more < 2 && !back.startsWith("Codex "); ++more)
        back = readLine(*follow);
    QVERIFY2(back.startsWith("Codex "), back);
    follow->kill();
    follow->waitForFinished();
}

// A waybar on-click held down: every call is answered, and each provider asked once.
void TestStatusBus::refreshBurstJoinsTheRefreshInFlight()
{
    FakeResponse slowClaude = FakeResponse::json(claudeUsage(QDateTime::currentSecsSinceEpoch()));
    slowClaude.delayMs = 2000;
    m_server.respond(claudeUsagePath, slowClaude);
    m_server.clearRequests();
    m_tray = start(trayProgram);
    QTRY_VERIFY_WITH_TIMEOUT(!m_server.requests(claudeUsagePath).isEmpty(), 20000);
    QList<QDBusPendingCall> calls;
    for (int i = 0; i < 100; ++i)
        calls.append(QDBusConnection::sessionBus().asyncCall(refreshCall(), 30000));
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(calls.cbegin(), calls.cend(), [](const auto &call) { return call.isFinished(); }), 20000);
    for (const QDBusPendingCall &call : calls)
        QCOMPARE(call.reply().type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_server.requests(claudeUsagePath).size(), 1);
    QCOMPARE(m_server.requests(codexUsagePath).size(), 1);
    serveUsage(m_server);
}

void TestStatusBus::withoutTidemarker()
{
    const Finished alone = status({u"--format"_s, u"waybar"_s});
    QCOMPARE(alone.exitCode, 1);
    QCOMPARE(alone.err, "tidemarker-status: Tidemarker is not running in this session; start it, "
                        "or use --fetch for one direct refresh\n");
    QCOMPARE(alone.out, QByteArray());

    const Finished fetched = status({u"--fetch"_s});
    QCOMPARE(fetched.exitCode, 0);
    QCOMPARE(fetched.out, bothLine + '\n');

    // Following, it leaves as soon as its reader does, though nothing new would be printed.
    QProcess head;
    const auto follow = start(statusProgram, {u"--follow"_s}, &head);
    head.start(u"head"_s, {u"-n"_s, u"1"_s});
    QVERIFY(follow->waitForFinished(30000) && head.waitForFinished());
    QCOMPARE(head.readAll(), notRunning + '\n');
    QCOMPARE(follow->exitStatus(), QProcess::NormalExit);
    QCOMPARE(follow->exitCode(), 0);

    // A shell outside the desktop session (ssh, cron) has no bus: say so at once, fetch on request.
    QProcessEnvironment noBus;
    noBus.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + m_home.filePath(u"no-bus"_s));
    const Finished busless = status({}, noBus);
    QCOMPARE(busless.exitCode, 1);
    QCOMPARE(busless.err, "tidemarker-status: no session bus to reach Tidemarker on; use --fetch for "
                          "one direct refresh\n");
    QCOMPARE(status({u"--fetch"_s}, noBus).out, bothLine + '\n');

    const Finished wrong = status({u"--colour"_s});
    QCOMPARE(wrong.exitCode, 2);
    QCOMPARE(wrong.err, "tidemarker-status: Unknown option 'colour'.\n");
}

// The Plus and Max answers, fetched directly: the snapshot carries their extra windows and
// extra usage, and the status bar shows the limit that binds among all of them.
void TestStatusBus::everyLimitOfTheExampleAnswers()
{
    FakeHttpServer server;
    QVERIFY(server.listen());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    server.respond(codexUsagePath, FakeResponse::json(exampleAnswer(u"codex-plus.json"_s, now)));
    server.respond(claudeUsagePath, FakeResponse::json(exampleAnswer(u"claude-max.json"_s, now)));
    const QProcessEnvironment served = trayProgramEnvironment(m_home.path(), server);

    const QJsonObject snapshot = QJsonDocument::fromJson(status({u"--fetch"_s, u"--format"_s, u"json"_s}, served).out).object();
    const QJsonObject quill5h = snapshot[u"providers"_s][0][u"extraWindows"_s][1].toObject();
    QCOMPARE(quill5h[u"id"_s].toString(), u"codex_extra_quill-preview_5h"_s);
    QCOMPARE(quill5h[u"name"_s].toString(), u"Quill-Preview 5h"_s);
    QCOMPARE(quill5h[u"speed"_s].toString(), u"fast"_s);
    QCOMPARE(quill5h[u"usedPercent"_s].toDouble(), 80.0);
    QCOMPARE(quill5h[u"limitWindowSeconds"_s].toDouble(), 18000.0);
    QCOMPARE(quill5h[u"pressureDisplay"_s].toString(), u"-47%"_s);
    QCOMPARE(snapshot[u"providers"_s][0][u"extraUsage"_s], QJsonValue(QJsonValue::Null));
    const QJsonObject claude = snapshot[u"providers"_s][1].toObject();
    QCOMPARE(claude[u"extraWindows"_s][0][u"id"_s].toString(), u"claude_scoped_fable"_s);
    QCOMPARE(claude[u"extraWindows"_s][0][u"name"_s].toString(), u"Fable weekly"_s);
    QCOMPARE(claude[u"extraUsage"_s].toObject(),
             (QJsonObject{{u"used"_s, 12.4}, {u"limit"_s, 50.0}, {u"currency"_s, u"USD"_s}}));
    QCOMPARE(snapshot[u"worst"_s].toString(), u"codex_extra_quill-preview_5h"_s); // the limit that binds

    const QJsonObject waybar = QJsonDocument::fromJson(status({u"--fetch"_s, u"--format"_s, u"waybar"_s}, served).out).object();
    QCOMPARE(waybar[u"text"_s].toString(), u"Codex Quill-Preview 5h 20% -47% \u00B7 Claude Fable weekly 57% -3%"_s);
    QCOMPARE(waybar[u"class"_s].toString(), u"low"_s);
    QCOMPARE(waybar[u"percentage"_s].toInt(), 20);
    const QStringList tooltip = waybar[u"tooltip"_s].toString().split(u'\n');
    QCOMPARE(tooltip.size(), 8);
    QCOMPARE(tooltip[3], u"Codex Quill-Preview 5h: 20% left, -47% low, resets in 3 h 21 min"_s);
    QCOMPARE(tooltip[7], u"Claude Fable weekly: 57% left, -3% good, resets in 4 d 5 h"_s);
}

void TestStatusBus::floodOfLimitsStaysBounded()
{
    const QByteArray answer = floodingCodexAnswer(QDateTime::currentSecsSinceEpoch());
    QVERIFY(answer.size() < 1024 * 1024);
    m_server.respond(codexUsagePath, FakeResponse::json(answer));
    FakePanel panel;
    QVERIFY(panel.start());
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QProcessEnvironment alerts;
    alerts.insert(u"TIDEMARKER_NOTIFY"_s, u"1"_s);
    m_tray = start(trayProgram, {}, nullptr, alerts);
    QTRY_VERIFY_WITH_TIMEOUT(status({}).out.contains("Codex <b>"), 30000);
    // Of the twelve limits kept, the nearly used up ones come in one bubble.
    QTRY_VERIFY_WITH_TIMEOUT(!notifications.calls().isEmpty(), 20000);
    QTest::qWait(1000);
    QCOMPARE(notifications.calls().size(), 1);
    QVERIFY2(notifications.calls().first().body.contains(u" more limits need attention: "_s),
             qPrintable(notifications.calls().first().body));

    // Read back by tidemarker-status, the snapshot holds the 12 tightest (all 100 % used).
    const Finished json = status({u"--format"_s, u"json"_s});
    QCOMPARE(json.exitCode, 0);
    const QJsonArray extra = QJsonDocument::fromJson(json.out)[u"providers"_s][0][u"extraWindows"_s].toArray();
    QCOMPARE(extra.size(), 12);
    QCOMPARE(extra[0][u"name"_s].toString(), u"<b>99</b>"_s + QString(35, u'x') + u"\u2026 5h"_s);

    QVERIFY(registered.wait(20000) || registered.size() == 1);
    StatusItemProbe item(registered.first().first().toString());
    QVERIFY(item.aboutToShow());
    std::optional<MenuEntry> menu;
    QTRY_VERIFY((menu = item.menuLayout()) && menu->children.size() > 3);
    // Codex's 16 lines and Claude's 3 would push the commands past 20 lines: each provider folds
    // into a submenu under its title and worst window.
    QCOMPARE(menu->childLabels().mid(2), (QStringList{u"---"_s, u"History\u2026"_s, u"Settings\u2026"_s, u"Refresh"_s, u"Quit"_s}));
    QVERIFY2(menu->children.at(0).label().startsWith(u"Codex \u2014 "_s), qPrintable(menu->children.at(0).label()));
    QCOMPARE(menu->children.at(0).children.size(), 15);
    QCOMPARE(menu->children.at(0).children.at(14).label(), u"    and 1,988 more limits"_s);
    serveUsage(m_server);
}

void TestStatusBus::trustsNothingFromAnImpostor()
{
    Impostor impostor;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.registerVirtualObject(u"/org/tidemarker/Tidemarker"_s, &impostor));
    QVERIFY(bus.registerService(u"org.tidemarker.Tidemarker"_s));

    // Escape sequences in its text, numbers no window holds, members of its own.
    impostor.snapshot = R"({"generatedAt": "2026-12-07T14:34:22.951Z", "summary": "\u001b[2J", "extra": 1,
        "providers": [{"provider": "codex", "ok": true, "source": "live", "error": "\u001b]0;x\u0007red",
        "needsAuth": false, "windows": [{"provider": "codex", "speed": "slow", "usedPercent": -5,
        "remainingPercent": 1e308, "expectedRemainingPercent": 0, "pressurePercent": 1e308,
        "resetAt": "2026-12-07T16:47:22.000Z", "limitWindowSeconds": 1e300}]}]})";
    QCOMPARE(status({}).out, "Codex 366-day 100% +100%\n"); // the longest a window may be
    const QByteArray json = status({u"--format"_s, u"json"_s}).out;
    const QJsonObject published = QJsonDocument::fromJson(json).object();
    QCOMPARE(published.keys(),
             (QStringList{u"generatedAt"_s, u"providers"_s, u"summary"_s, u"worst"_s, u"worstAccount"_s}));
    QCOMPARE(published[u"providers"_s][0][u"error"_s].toString(), u"]0;xred"_s);
    QCOMPARE(published[u"providers"_s][0][u"windows"_s][0][u"limitWindowSeconds"_s].toDouble(), 366 * 86400.0);
    QVERIFY2(!json.contains("\\u001b") && !json.contains('\x1b'), json);

    // Not a snapshot, or one far larger than any Tidemarker publishes.
    for (const QByteArray &unreadable : {QByteArray("[]"), impostor.snapshot + QByteArray(3000000, ' ')}) {
        impostor.snapshot = unreadable;
        const Finished refused = status({u"--format"_s, u"json"_s});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.out, QByteArray());
        QCOMPARE(refused.err, "tidemarker-status: Tidemarker's snapshot could not be read\n");
    }

    // One that never answers: said once the bus gives up waiting.
    impostor.snapshot.clear();
    const auto follow = start(statusProgram, {u"--follow"_s, u"--format"_s, u"waybar"_s});
    QTRY_VERIFY_WITH_TIMEOUT(follow->canReadLine(), 40000);
    QCOMPARE(QJsonDocument::fromJson(follow->readLine()).object(),
             (QJsonObject{{u"text"_s, u"Tidemarker not answering"_s}, {u"tooltip"_s, u"Tidemarker not answering"_s},
                          {u"class"_s, u"unavailable"_s}, {u"percentage"_s, 0}}));
    follow->kill();
    follow->waitForFinished();
    bus.unregisterService(u"org.tidemarker.Tidemarker"_s);
    bus.unregisterObject(u"/org/tidemarker/Tidemarker"_s);
}

QTEST_GUILESS_MAIN(TestStatusBus)
#include "tst_statusbus.moc"
