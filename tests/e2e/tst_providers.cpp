#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "MoreProviders.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

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

// Without what depends on the moment read: the pace of a calendar month's window, and whether
// Claude, asked at most every four minutes, was asked by this refresh.
QString steady(QString text)
{
    static const QRegularExpression pace(u"(Monthly:? 62%[^,+-]*),? [+-]\\d+%( [a-z]+)?"_s);
    return text.replace(pace, u"\\1"_s).replace(u"Claude (cached)"_s, u"Claude"_s);
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
    askMoreProvidersAt(m_environment, m_server);
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
    QVERIFY(signInMoreProviders(m_home.path()));
    serveUsage(m_server);
    serveMoreProviders(m_server);

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
    for (const QByteArray &secret : {kimiToken, kimiRefreshToken, gitHubToken, zaiKey})
        QVERIFY2(!said.contains(secret), said.constData());
}

QTEST_GUILESS_MAIN(TestProviders)
#include "tst_providers.moc"
