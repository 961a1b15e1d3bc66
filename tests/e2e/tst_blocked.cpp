#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "FakeNotifications.h"
#include "FakePanel.h"
#include "GaugeProbe.h"
#include "LocalTimeText.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusInterface>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// An account the service refuses, through the real program and tidemarker-status: Codex says so
// in its answer while its windows read 25 % used, Claude Code in the account's own transcript.
namespace {

// A line of a Claude Code transcript, that many seconds ago: an answer, or a refusal.
QByteArray claudeLine(qint64 secondsAgo, bool refused)
{
    const QString time = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo).toString(Qt::ISODateWithMs);
    const QString message = refused
        ? u"\"isApiErrorMessage\":true,\"error\":\"rate_limit\",\"message\":{\"model\":\"<synthetic>\",\"content\":"
          "[{\"type\":\"text\",\"text\":\"You've hit your session limit \u00B7 resets 9:50pm (UTC)\"}],"
          "\"usage\":{\"input_tokens\":0,\"output_tokens\":0}}"_s
        : u"\"message\":{\"id\":\"m1\",\"model\":\"claude-sonnet-4-5\",\"usage\":{\"input_tokens\":10,\"output_tokens\":100}}"_s;
    return (u"{\"type\":\"assistant\",\"sessionId\":\"s1\",\"timestamp\":\""_s + time + u"\","_s + message + u"}\n"_s)
        .toUtf8();
}

// Codex's hands stand at the empty end of the dial, in the red zone, not where 25 % used puts the fast one.
bool codexHandsAtEmpty(const QImage &icon)
{
    const GaugeProbe probe(icon, QPoint(0, 0), icon.width() / 22.0);
    return isClose(probe.atPosition(100, 9), codexColor) && isClose(probe.atPosition(100, 4), codexColor)
        && !isClose(probe.atPosition(25, 9), codexColor);
}

QJsonObject firstProvider()
{
    QDBusInterface service(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                           u"org.tidemarker.Tidemarker1"_s);
    return QJsonDocument::fromJson(service.property("Snapshot").toString().toUtf8())[u"providers"_s][0].toObject();
}

} // namespace

class TestBlocked : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void codexRefusesWhileQuarterUsed();
    void claudeRefusalInTranscriptUntilAnswered();

private:
    QProcessEnvironment environment() const;
    void start(const QByteArray &settings);
    QStringList menuLabels() const { return m_item->menuLayout().value_or(MenuEntry()).childLabels(); }
    void refresh() { QVERIFY(m_item->click(m_item->menuLayout().value_or(MenuEntry()).childId(u"Refresh"_s))); }
    QByteArray status(const QStringList &arguments) const;

    FakeHttpServer m_server;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakePanel> m_panel;
    std::unique_ptr<QProcess> m_program;
    std::unique_ptr<StatusItemProbe> m_item;
};

void TestBlocked::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
}

void TestBlocked::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(writeFile(m_home->filePath(u"codex/auth.json"_s), signedInCodexAuth));
    m_server.clearRequests();
    serveUsage(m_server);
}

void TestBlocked::cleanup()
{
    m_item.reset();
    if (m_program) {
        m_program->kill();
        m_program->waitForFinished();
    }
    m_program.reset();
    m_panel.reset();
}

// Alerts on, Claude's transcripts in home/claude.
QProcessEnvironment TestBlocked::environment() const
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home->path(), m_server);
    environment.insert(u"TIDEMARKER_NOTIFY"_s, u"1"_s);
    environment.insert(u"CLAUDE_CONFIG_DIR"_s, m_home->filePath(u"claude"_s));
    return environment;
}

void TestBlocked::start(const QByteArray &settings)
{
    QVERIFY(writeFile(m_home->filePath(u"config/tidemarker/tidemarker.conf"_s), "[General]\n" + settings));
    m_panel = std::make_unique<FakePanel>();
    QVERIFY(m_panel->start());
    QSignalSpy registered(m_panel.get(), &FakePanel::StatusNotifierItemRegistered);
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(environment());
    m_program->start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    QVERIFY(registered.wait(20000));
    m_item = std::make_unique<StatusItemProbe>(registered.first().first().toString());
    QVERIFY(m_item->aboutToShow());
}

QByteArray TestBlocked::status(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
    (void)QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000);
    return process.readAllStandardOutput();
}

void TestBlocked::codexRefusesWhileQuarterUsed()
{
    FakeNotifications notifications;
    QVERIFY(notifications.start());
    m_server.respond(codexUsagePath,
                     FakeResponse::json(exampleAnswer(u"codex-blocked.json"_s, QDateTime::currentDateTimeUtc())));
    start("providers=codex\n");
    QTRY_COMPARE_WITH_TIMEOUT(menuLabels().value(1), u"    Blocked (workspace member usage limit)"_s, 20000);
    QVERIFY(menuLabels().value(2).startsWith(u"    5h: 75% left"_s));
    // The refused model's limit says so on its lines; code review lets requests through.
    const QStringList refusedLines = menuLabels().filter(u" \u00B7 blocked"_s);
    QCOMPARE(refusedLines.size(), 2);
    QVERIFY(refusedLines[0].startsWith(u"    Quill-Preview 5h: 20% left"_s));
    QCOMPARE(m_item->toolTipTitle().section(u'\n', 0, 0), u"Codex blocked"_s);
    QTRY_VERIFY(codexHandsAtEmpty(m_item->iconPixmaps().value(4)));

    const QJsonObject codex = firstProvider();
    QCOMPARE(codex[u"blocked"_s].toObject(),
             (QJsonObject{{u"reason"_s, u"workspace member usage limit"_s}, {u"until"_s, QJsonValue()}}));
    QCOMPARE(codex[u"extraWindows"_s][1][u"blocked"_s][u"reason"_s].toString(), u"Quill-Preview limit"_s);
    QVERIFY(!codex[u"extraWindows"_s][0].toObject().contains(u"blocked"_s));
    QCOMPARE(status({}), "Codex blocked\n");
    QCOMPARE(QJsonDocument::fromJson(status({u"--format"_s, u"waybar"_s}))[u"class"_s].toString(), u"blocked"_s);

    // One alert for the blocking, however many refreshes still find it.
    QTRY_COMPARE_WITH_TIMEOUT(notifications.calls().size(), 1, 20000);
    QCOMPARE(notifications.calls().first().summary, u"Codex is blocked"_s);
    refresh();
    QTRY_COMPARE(m_server.requests(codexUsagePath).size(), 2);
    QTest::qWait(1000);
    QCOMPARE(notifications.calls().size(), 1);

    // Allowed again: the line, the member and the class go.
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(QDateTime::currentSecsSinceEpoch())));
    refresh();
    QTRY_VERIFY(menuLabels().value(1).startsWith(u"    5h: 60% left"_s));
    QVERIFY(firstProvider()[u"blocked"_s].isNull());
    QVERIFY(!codexHandsAtEmpty(m_item->iconPixmaps().value(4)));
}

void TestBlocked::claudeRefusalInTranscriptUntilAnswered()
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_server.respond(claudeUsagePath, FakeResponse::json(claudeUsage(now)));
    const QString transcript = m_home->filePath(u"claude/projects/-src-harbour/s1.jsonl"_s);
    QVERIFY(writeFile(transcript, claudeLine(120, false) + claudeLine(60, true)));
    start("providers=claude\n");

    // Until the reset of the session's window, which the answer gives, rather than the text's time.
    const QDateTime reset = QDateTime::fromSecsSinceEpoch(now + 9000, Qt::UTC);
    const QString until = LocalTimeText::when(reset, QDateTime::currentDateTime());
    QTRY_COMPARE_WITH_TIMEOUT(menuLabels().value(1), u"    Blocked until "_s + until + u" (session limit)"_s, 20000);
    QVERIFY(m_item->toolTipTitle().startsWith(u"Claude blocked until "_s + until + u'\n'));
    QCOMPARE(firstProvider()[u"blocked"_s].toObject(),
             (QJsonObject{{u"reason"_s, u"session limit"_s}, {u"until"_s, reset.toString(Qt::ISODateWithMs)}}));
    QCOMPARE(status({}), (u"Claude blocked until "_s + until + u'\n').toUtf8());

    // The next answered request clears it, although Claude's usage is not asked again so soon.
    QVERIFY(appendFile(transcript, claudeLine(0, false)));
    refresh();
    QTRY_VERIFY(menuLabels().value(1).startsWith(u"    5h: "_s));
    QVERIFY(firstProvider()[u"blocked"_s].isNull());
    QCOMPARE(m_server.requests(claudeUsagePath).size(), 1);
}

QTEST_MAIN(TestBlocked)
#include "tst_blocked.moc"
