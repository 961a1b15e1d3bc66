#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The providers beyond Codex and Claude through the real program: each signed in as its own tool
// leaves it, asked at its own loopback endpoint, in the menu, the snapshot and tidemarker-status.
namespace {

const QByteArray kimiPath = "/coding/v1/usages";
const QByteArray copilotPath = "/copilot_internal/user";
const QByteArray zaiPath = "/api/monitor/usage/quota/limit";
const QByteArray zaiKey = "zai-secret-key.abc";
const QByteArray kimiToken = "kimi-secret-access";
const QByteArray gitHubToken = "gho_secret-github";

// Without what depends on the moment read: the pace of a calendar month's window, and whether
// Claude, asked at most every four minutes, was asked by this refresh.
QString steady(QString text)
{
    static const QRegularExpression pace(u"(Monthly:? 62%[^,+-]*),? [+-]\\d+%( [a-z]+)?"_s);
    return text.replace(pace, u"\\1"_s).replace(u"Claude (cached)"_s, u"Claude"_s);
}

QString isoIn(qint64 seconds)
{
    return QDateTime::currentDateTimeUtc().addSecs(seconds).toString(Qt::ISODateWithMs);
}

// Half of each window run: the weekly one 70% used, the 300-minute one 10%; counts as text.
QByteArray kimiAnswer()
{
    return R"({"usage": {"limit": "100", "remaining": "30", "resetTime": ")" + isoIn(302400).toLatin1()
        + R"("}, "limits": [{"window": {"duration": 300, "timeUnit": "TIME_UNIT_MINUTE"}, "detail": {"limit": "100",
        "used": "10", "resetTime": ")" + isoIn(9000).toLatin1() + R"("}}], "parallel": {"limit": "30"}})";
}

// The credit plan's two model windows, as percentages used.
QByteArray zaiAnswer()
{
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    return R"({"code": 200, "msg": "Operation successful", "success": true, "data": {"level": "pro", "limits": [
        {"type": "CREDIT_LIMIT", "unit": 3, "number": 5, "percentage": 10, "nextResetTime": )"
        + QByteArray::number(nowMs + 9000000) + R"(}, {"type": "CREDIT_LIMIT", "unit": 6, "number": 1, "percentage": "70",
        "nextResetTime": )" + QByteArray::number(nowMs + 302400000) + "}]}}";
}

QByteArray copilotAnswer()
{
    return R"({"login": "octocat", "copilot_plan": "individual", "quota_reset_date_utc": "2027-01-01T00:00:00.000Z",
        "quota_snapshots": {"premium_interactions": {"entitlement": 300, "remaining": 186,
        "percent_remaining": 62.0, "unlimited": false}, "chat": {"unlimited": true, "percent_remaining": 100}}})";
}

} // namespace

class TestProviders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void threeMoreBesideClaude();

private:
    QByteArray status(const QStringList &arguments);

    FakeHttpServer m_server;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
};

void TestProviders::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
    m_environment = trayProgramEnvironment(m_home.path(), m_server);
    m_environment.insert(u"PATH"_s, m_home.filePath(u"bin"_s)); // no gh: the token is the CLI's file
    for (const QString &variable : {u"GH_TOKEN"_s, u"GITHUB_TOKEN"_s, u"GH_CONFIG_DIR"_s, u"KIMI_CODE_HOME"_s})
        m_environment.remove(variable);
    m_environment.insert(u"TIDEMARKER_KIMI_USAGE_URL"_s, m_server.url(QString::fromLatin1(kimiPath)).toString());
    m_environment.insert(u"TIDEMARKER_COPILOT_USAGE_URL"_s, m_server.url(QString::fromLatin1(copilotPath)).toString());
    m_environment.insert(u"TIDEMARKER_ZAI_USAGE_URL"_s, m_server.url(QString::fromLatin1(zaiPath)).toString());
    m_environment.insert(u"ZAI_API_KEY"_s, QString::fromLatin1(zaiKey)); // no keyring here: z.ai's one key
}

QByteArray TestProviders::status(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
    (void)QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000);
    return process.readAllStandardOutput() + process.readAllStandardError();
}

void TestProviders::threeMoreBesideClaude()
{
    QVERIFY(writeFile(m_home.filePath(u"config/tidemarker/tidemarker.conf"_s),
                      "[General]\nproviders=claude,zai,kimi,copilot\ngauge_providers=kimi,copilot\nreset_times=false\n"));
    const qint64 inAnHour = QDateTime::currentSecsSinceEpoch() + 3600;
    QVERIFY(writeFile(m_home.filePath(u".kimi-code/credentials/kimi-code.json"_s),
                      R"({"access_token": ")" + kimiToken + R"(", "refresh_token": "kimi-secret-refresh", "expires_at": )"
                          + QByteArray::number(inAnHour) + ".5}"));
    QVERIFY(writeFile(m_home.filePath(u"config/gh/hosts.yml"_s),
                      "github.com:\n    user: octocat\n    oauth_token: " + gitHubToken + "\n    git_protocol: https\n"));
    serveUsage(m_server);
    m_server.respond(kimiPath, FakeResponse::json(kimiAnswer()));
    m_server.respond(copilotPath, FakeResponse::json(copilotAnswer()));
    m_server.respond(zaiPath, FakeResponse::json(zaiAnswer()));

    FakePanel panel;
    QProcess program;
    const std::unique_ptr<StatusItemProbe> item
        = startUnderPanel(program, QStringLiteral(TIDEMARKER_E2E_PROGRAM), m_environment, panel);
    QVERIFY(item);
    QVERIFY(item->aboutToShow());
    QTRY_COMPARE_WITH_TIMEOUT(steady(item->menuLayout().value_or(MenuEntry()).childLabels().join(u'|')),
                              QStringList({u"Claude"_s, u"    5h: 80% left, +30% high"_s, u"    Weekly: 20% left, -30% low"_s,
                                           u"z.ai"_s, u"    5h: 90% left, +40% high"_s,
                                           u"    Weekly: 30% left, -20% low"_s, u"Kimi Code"_s, u"    5h: 90% left, +40% high"_s,
                                           u"    Weekly: 30% left, -20% low"_s, u"Copilot"_s,
                                           u"    Monthly: 62% left"_s, u"---"_s, u"History\u2026"_s,
                                           u"Settings\u2026"_s, u"Refresh"_s, u"Quit"_s})
                                  .join(u'|'),
                              20000);
    QCOMPARE(m_server.requests(kimiPath).first().header("Authorization"), "Bearer " + kimiToken);
    QCOMPARE(m_server.requests(copilotPath).first().header("Authorization"), "Bearer " + gitHubToken);
    QCOMPARE(m_server.requests(zaiPath).first().header("Authorization"), zaiKey); // raw, as z.ai takes it
    QVERIFY(!m_server.requests(copilotPath).first().header("User-Agent").isEmpty());

    QCOMPARE(steady(QString::fromUtf8(status({}))),
             u"Claude Weekly 20% -30% \u00B7 z.ai Weekly 30% -20% \u00B7 Kimi Code Weekly 30% -20% \u00B7 Copilot Monthly 62%\n"_s);
    const QByteArray json = status({u"--format"_s, u"json"_s});
    QStringList providers;
    for (const QJsonValue &provider : QJsonDocument::fromJson(json).object()[u"providers"_s].toArray())
        providers.append(provider[u"provider"_s].toString());
    QCOMPARE(providers, (QStringList{u"claude"_s, u"zai"_s, u"kimi"_s, u"copilot"_s}));
    program.terminate();
    QVERIFY(program.waitForFinished());
    // No token anywhere the user or a script could read it.
    const QByteArray said = json + program.readAllStandardOutput() + program.readAllStandardError()
        + status({u"--history"_s, u"--format"_s, u"json"_s});
    for (const QByteArray &secret : {kimiToken, QByteArray("kimi-secret-refresh"), gitHubToken, zaiKey})
        QVERIFY2(!said.contains(secret), said.constData());
}

QTEST_GUILESS_MAIN(TestProviders)
#include "tst_providers.moc"
