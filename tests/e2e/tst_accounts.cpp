#include "../ui/GaugeProbe.h"
#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Two Claude and two Codex sign-ins side by side, through the real program, tidemarker-status
// and the history file.
namespace {

const QByteArray settingsFile = "[General]\n"
                                "codex_accounts=~/codex, team=~/.codex-team\n"
                                "claude_accounts=personal=~/.claude, work=~/.claude-work\n";
const QByteArray teamAuth = R"({"tokens": {"access_token": "team-codex-token", "account_id": "team-acct"}})";
const QByteArray workRecord = R"({"claudeAiOauth": {"accessToken": "work-claude-token"}})";
const QByteArray personalRecord = R"({"claudeAiOauth": {"accessToken": "personal-claude-token"}})";
// Each account relabelled and one added before each provider's first; Claude's order turned round.
const QByteArray editedSettingsFile = "[General]\n"
                                      "codex_accounts=fresh=~/.codex-fresh, squad=~/.codex-team, main=~/codex\n"
                                      "claude_accounts=fresh=~/.claude-fresh, job=~/.claude-work, home=~/.claude\n";

// A record of the version before accounts: one Claude weekly row an hour old.
bool writeFirstVersionHistory(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    bool written = false;
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"v1"_s);
        file.setDatabaseName(path);
        QSqlQuery query(file);
        written = file.open()
            && query.exec(u"CREATE TABLE windows (key INTEGER PRIMARY KEY, window_id TEXT NOT NULL UNIQUE, "
                          "provider TEXT NOT NULL, name TEXT NOT NULL)"_s)
            && query.exec(u"CREATE TABLE samples (window INTEGER NOT NULL REFERENCES windows (key), "
                          "fetched_at INTEGER NOT NULL, used_percent REAL NOT NULL, reset_at INTEGER, "
                          "window_seconds REAL NOT NULL, PRIMARY KEY (window, fetched_at)) WITHOUT ROWID"_s)
            && query.exec(u"CREATE TABLE alerts (window_id TEXT PRIMARY KEY, reset_at INTEGER, alert TEXT NOT NULL)"_s)
            && query.exec(u"INSERT INTO windows VALUES (1, 'claude_slow', 'claude', 'Weekly')"_s)
            && query.exec(u"INSERT INTO samples VALUES (1, %1, 55, NULL, 604800)"_s.arg(
                QDateTime::currentMSecsSinceEpoch() - 3600000))
            && query.exec(u"PRAGMA user_version = 1"_s);
    }
    QSqlDatabase::removeDatabase(u"v1"_s);
    return written;
}

} // namespace

class TestAccounts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyAccountSideBySide();
    void anAccountIsItsFolder();
    void aHangingAccountHoldsUpNoOther();
    void tightestHandsLookAtEveryAccount();
    void fetchAsksTheSettingsFileAccounts();

private:
    QProcessEnvironment environment() const;
    QByteArray status(const QStringList &arguments);
    static QByteArray status(const QStringList &arguments, const QProcessEnvironment &environment);
    // The Authorization and account header of each request on the path, sorted.
    QStringList requestsOn(const QByteArray &path) const;

    FakeHttpServer m_server;
    QTemporaryDir m_home;
};

void TestAccounts::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
}

QProcessEnvironment TestAccounts::environment() const
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home.path(), m_server);
    environment.insert(u"PATH"_s, m_home.filePath(u"bin"_s));
    environment.insert(u"TERMINAL"_s, u"my-terminal"_s);
    return environment;
}

QByteArray TestAccounts::status(const QStringList &arguments)
{
    return status(arguments, environment());
}

QByteArray TestAccounts::status(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
    (void)QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000);
    return process.readAllStandardOutput() + process.readAllStandardError();
}

QStringList TestAccounts::requestsOn(const QByteArray &path) const
{
    QStringList seen;
    for (const RecordedRequest &request : m_server.requests(path))
        seen.append(QString::fromUtf8(request.header("Authorization") + ' ' + request.header("ChatGPT-Account-Id")).trimmed());
    seen.sort(); // asked at once, they come in any order
    return seen;
}

void TestAccounts::everyAccountSideBySide()
{
    QVERIFY(writeFile(m_home.filePath(u"config/tidemarker/tidemarker.conf"_s), settingsFile));
    QVERIFY(writeFile(m_home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFirstVersionHistory(m_home.filePath(u".local/state/tidemarker/history.sqlite3"_s)));
    QVERIFY(writeRecorder(m_home.filePath(u"bin/my-terminal"_s), m_home.filePath(u"terminal-ran"_s)));
    QVERIFY(writeFile(m_home.filePath(u".claude-work/projects/alpha/s.jsonl"_s), claudeLog(u"/src/alpha"_s)));
    QVERIFY(writeFile(m_home.filePath(u".codex-team/sessions/2026/12/08/rollout-1.jsonl"_s), codexLog(u"/src/beta"_s)));
    serveUsage(m_server);
    FakeResponse tooMany = FakeResponse::json("{}", 429);
    tooMany.headers.emplaceBack("Retry-After", "3600");
    m_server.respondToToken(claudeUsagePath, "fake-claude-token", tooMany); // the first account's, from the environment

    FakePanel panel;
    QVERIFY(panel.start());
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QProcess program;
    program.setProcessEnvironment(environment());
    program.start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    QVERIFY(registered.wait(20000));
    StatusItemProbe item(registered.first().first().toString());
    QVERIFY(item.aboutToShow());

    // One section per account, in the settings' order, each with its own sign-in.
    QTRY_COMPARE_WITH_TIMEOUT(item.menuLayout().value_or(MenuEntry()).childLabels(),
                              (QStringList{u"Codex \u00B7 codex"_s, u"    5h: 60% left, +10% high"_s,
                                           u"    Weekly: 37% left, -13% low"_s, u"Codex \u00B7 team"_s,
                                           u"    no Codex auth (~/.codex-team/auth.json)"_s,
                                           u"    Sign in to Codex \u00B7 team\u2026"_s, u"Claude \u00B7 personal"_s,
                                           u"    usage fetch failed (HTTP 429)"_s, u"Claude \u00B7 work"_s,
                                           u"    not signed in to Claude Code"_s,
                                           u"    Sign in to Claude \u00B7 work\u2026"_s, u"---"_s, u"History\u2026"_s,
                                           u"Settings\u2026"_s, u"Refresh"_s, u"Quit"_s}),
                              20000);
    QVERIFY(item.click(item.menuLayout().value_or(MenuEntry()).childId(u"    Sign in to Claude \u00B7 work\u2026"_s)));
    QTRY_COMPARE(readFile(m_home.filePath(u"terminal-ran"_s)),
                 u"-e\nsh\n-c\nCLAUDE_CONFIG_DIR=%1 claude auth login; exec \"${SHELL:-sh}\"\n"_s.arg(
                     m_home.filePath(u".claude-work"_s)));

    // Both sign in; the next refresh asks them at once, though the first Claude account waits an hour.
    QVERIFY(writeFile(m_home.filePath(u".claude-work/.credentials.json"_s), workRecord));
    QVERIFY(writeFile(m_home.filePath(u".codex-team/auth.json"_s), teamAuth));
    QVERIFY(item.click(item.menuLayout().value_or(MenuEntry()).childId(u"Refresh"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(requestsOn(claudeUsagePath),
                              (QStringList{u"Bearer fake-claude-token"_s, u"Bearer work-claude-token"_s}), 20000);
    QTRY_COMPARE(requestsOn(codexUsagePath),
                 (QStringList{u"Bearer fake-codex-token acct"_s, u"Bearer fake-codex-token acct"_s,
                              u"Bearer team-codex-token team-acct"_s}));
    QTRY_COMPARE(status({u"--account"_s, u"work"_s}), "Claude\u00B7work Weekly 20% -30%\n");
    QCOMPARE(status({}), "Codex\u00B7codex Weekly 37% -13% \u00B7 Codex\u00B7team Weekly 37% -13% \u00B7 "
                         "Claude\u00B7personal unavailable \u00B7 Claude\u00B7work Weekly 20% -30%\n");
    QCOMPARE(status({u"--account"_s, u"home"_s}),
             "tidemarker-status: no account labelled \"home\" in Tidemarker's snapshot\n");
    const QJsonObject snapshot = QJsonDocument::fromJson(status({u"--format"_s, u"json"_s})).object();
    QStringList accounts;
    for (const QJsonValue &provider : snapshot[u"providers"_s].toArray())
        accounts.append(provider[u"account"_s].toString());
    QCOMPARE(accounts, (QStringList{u"codex"_s, u"team"_s, u"personal"_s, u"work"_s}));
    QCOMPARE(snapshot[u"summary"_s].toString(), u"Claude \u00B7 work Weekly -30% low"_s);
    // Each account's own logs count towards its own windows.
    QTRY_COMPARE(status({u"--breakdown"_s}),
                 "Codex \u00B7 codex 5h: no logged use\nCodex \u00B7 codex Weekly: no logged use\n"
                 "Codex \u00B7 team 5h: beta 100%\nCodex \u00B7 team Weekly: beta 100%\n"
                 "Claude \u00B7 work 5h: alpha 100%\nClaude \u00B7 work Weekly: alpha 100%\n");

    // The record kept its first rows as the first account's and took each account's own.
    program.terminate();
    QVERIFY(program.waitForFinished());
    const QJsonArray rows = QJsonDocument::fromJson(status({u"--history"_s, u"--format"_s, u"json"_s})).array();
    QMap<QString, int> rowsOf;
    for (const QJsonValue &row : rows)
        ++rowsOf[row[u"provider"_s].toString() + u'/' + row[u"account"_s].toString()];
    QCOMPARE(rowsOf, (QMap<QString, int>{{u"claude/personal"_s, 1}, {u"claude/work"_s, 2}, {u"codex/codex"_s, 2},
                                         {u"codex/team"_s, 2}}));
    QCOMPARE(rows.first()[u"usedPercent"_s].toDouble(), 55.0);
    QCOMPARE(rows.first()[u"folder"_s].toString(), m_home.filePath(u".claude"_s));
}

// Relabelled, reordered and with an account added before the first, each account keeps its
// history, its logs' counts and the hour Claude asked it to wait.
void TestAccounts::anAccountIsItsFolder()
{
    QTemporaryDir home;
    QProcessEnvironment environment = trayProgramEnvironment(home.path(), m_server);
    environment.remove(u"CLAUDE_CODE_OAUTH_TOKEN"_s); // it would follow the first account, not a folder
    QVERIFY(writeFile(home.filePath(u"config/tidemarker/tidemarker.conf"_s), settingsFile));
    QVERIFY(writeFile(home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(home.filePath(u".codex-team/auth.json"_s), teamAuth));
    QVERIFY(writeFile(home.filePath(u".claude/.credentials.json"_s), personalRecord));
    QVERIFY(writeFile(home.filePath(u".claude-work/.credentials.json"_s), workRecord));
    QVERIFY(writeFile(home.filePath(u".claude-work/projects/alpha/s.jsonl"_s), claudeLog(u"/src/alpha"_s)));
    QVERIFY(writeFile(home.filePath(u".codex-team/sessions/2026/12/08/rollout-1.jsonl"_s), codexLog(u"/src/beta"_s)));
    m_server.clearRequests();
    serveUsage(m_server);
    FakeResponse tooMany = FakeResponse::json("{}", 429);
    tooMany.headers.emplaceBack("Retry-After", "3600");
    m_server.respondToToken(claudeUsagePath, "personal-claude-token", tooMany);

    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    const QStringList claudeAsked{u"Bearer personal-claude-token"_s, u"Bearer work-claude-token"_s};
    QTRY_COMPARE_WITH_TIMEOUT(requestsOn(claudeUsagePath), claudeAsked, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(status({u"--breakdown"_s}, environment),
                              "Codex \u00B7 codex 5h: no logged use\nCodex \u00B7 codex Weekly: no logged use\n"
                              "Codex \u00B7 team 5h: beta 100%\nCodex \u00B7 team Weekly: beta 100%\n"
                              "Claude \u00B7 work 5h: alpha 100%\nClaude \u00B7 work Weekly: alpha 100%\n",
                              20000);

    QVERIFY(writeFile(home.filePath(u"config/tidemarker/tidemarker.conf"_s), editedSettingsFile));
    const auto labels = [&environment] {
        QStringList shown;
        const QJsonDocument snapshot = QJsonDocument::fromJson(status({u"--format"_s, u"json"_s}, environment));
        for (const QJsonValue &provider : snapshot[u"providers"_s].toArray())
            shown.append(provider[u"account"_s].toString());
        return shown;
    };
    QTRY_COMPARE_WITH_TIMEOUT(labels(), (QStringList{u"fresh"_s, u"squad"_s, u"main"_s, u"fresh"_s, u"job"_s, u"home"_s}), 20000);
    const QJsonDocument refreshed = QJsonDocument::fromJson(status({u"--refresh"_s, u"--format"_s, u"json"_s}, environment));
    QCOMPARE(refreshed[u"worstAccount"_s].toObject(), (QJsonObject{{u"provider"_s, u"claude"_s}, {u"account"_s, u"job"_s}}));
    QCOMPARE(requestsOn(claudeUsagePath), claudeAsked);
    QCOMPARE(status({u"--breakdown"_s}, environment),
             "Codex \u00B7 squad 5h: beta 100%\nCodex \u00B7 squad Weekly: beta 100%\n"
             "Codex \u00B7 main 5h: no logged use\nCodex \u00B7 main Weekly: no logged use\n"
             "Claude \u00B7 job 5h: alpha 100%\nClaude \u00B7 job Weekly: alpha 100%\n");
    QCOMPARE(status({u"--breakdown"_s, u"--account"_s, u"squad"_s}, environment),
             "Codex \u00B7 squad 5h: beta 100%\nCodex \u00B7 squad Weekly: beta 100%\n");

    program.terminate();
    QVERIFY(program.waitForFinished());
    QVERIFY(!program.readAllStandardError().contains("not read for the rest of this run"));
    QMap<QString, int> rowsOf;
    for (const QJsonValue &row : QJsonDocument::fromJson(status({u"--history"_s, u"--format"_s, u"json"_s}, environment)).array())
        ++rowsOf[QDir(home.path()).relativeFilePath(row[u"folder"_s].toString()) + u' ' + row[u"account"_s].toString()];
    QCOMPARE(rowsOf, (QMap<QString, int>{{u"codex main"_s, 2}, {u".codex-team squad"_s, 2}, {u".claude-work job"_s, 2}}));
}

// The team account's answer never comes: the others' figures show meanwhile, and Quit still ends
// the program at once.
void TestAccounts::aHangingAccountHoldsUpNoOther()
{
    QTemporaryDir home;
    const QProcessEnvironment environment = trayProgramEnvironment(home.path(), m_server);
    QVERIFY(writeFile(home.filePath(u"config/tidemarker/tidemarker.conf"_s), settingsFile));
    QVERIFY(writeFile(home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(home.filePath(u".codex-team/auth.json"_s), teamAuth));
    m_server.clearRequests();
    serveUsage(m_server);
    FakeResponse never = FakeResponse::json("{}");
    never.delayMs = 600000;
    m_server.respondToToken(codexUsagePath, "team-codex-token", never);
    m_server.respondToToken(claudeUsagePath, "fake-claude-token",
                            FakeResponse::json(claudeUsage(QDateTime::currentSecsSinceEpoch())));

    FakePanel panel;
    QVERIFY(panel.start());
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    QVERIFY(registered.wait(20000));
    StatusItemProbe item(registered.first().first().toString());
    QVERIFY(item.aboutToShow());
    QTRY_COMPARE_WITH_TIMEOUT(item.menuLayout().value_or(MenuEntry()).childLabels().mid(0, 9),
                              (QStringList{u"Codex \u00B7 codex"_s, u"    5h: 60% left, +10% high"_s,
                                           u"    Weekly: 37% left, -13% low"_s, u"Codex \u00B7 team"_s,
                                           u"    usage unavailable"_s, u"Claude \u00B7 personal"_s,
                                           u"    5h: 80% left, +30% high"_s, u"    Weekly: 20% left, -30% low"_s,
                                           u"Claude \u00B7 work"_s}),
                              20000);
    QTRY_VERIFY(requestsOn(codexUsagePath).contains(u"Bearer team-codex-token team-acct"_s)); // its sign-in is read meanwhile
    QVERIFY(item.click(item.menuLayout().value_or(MenuEntry()).childId(u"Quit"_s)));
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 0);
}

// The work account has 3% of its weekly window left: the long Claude needle shows it rather than
// the first account's 20%, and the tooltip names the account; with gauge=main it is the first's.
void TestAccounts::tightestHandsLookAtEveryAccount()
{
    QTemporaryDir home;
    const QString settingsPath = home.filePath(u"config/tidemarker/tidemarker.conf"_s);
    const QByteArray claudeAccounts = "[General]\nproviders=claude\nclaude_accounts=personal=~/.claude, work=~/.claude-work\n";
    QVERIFY(writeFile(settingsPath, claudeAccounts));
    QVERIFY(writeFile(home.filePath(u".claude-work/.credentials.json"_s), workRecord));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    m_server.respondToToken(claudeUsagePath, "fake-claude-token", FakeResponse::json(claudeUsage(now)));
    m_server.respondToToken(claudeUsagePath, "work-claude-token", FakeResponse::json(claudeUsage(now, 97)));
    FakePanel panel;
    QProcess program;
    const auto item = startUnderPanel(program, QStringLiteral(TIDEMARKER_E2E_PROGRAM),
                                      trayProgramEnvironment(home.path(), m_server), panel);
    QVERIFY(item);
    QTRY_COMPARE_WITH_TIMEOUT(item->menuLayout().value_or(MenuEntry()).childLabels().mid(4, 2),
                              (QStringList{u"    5h: 80% left, +30% high"_s, u"    Weekly: 3% left, -47% low"_s}), 20000);
    // Dial positions: the first account's weekly window at 80, the work account's at 97.
    const auto needleAt = [&item](double position) {
        const QImage icon = item->iconPixmaps().value(4);
        return isClose(GaugeProbe(icon, {0, 0}, icon.width() / 22.0).atPosition(position, 5), claudeColor);
    };
    QTRY_VERIFY(needleAt(97) && !needleAt(80));
    QVERIFY(item->toolTipTitle().startsWith(u"Claude \u00B7 work Weekly -47% low \u00B7 resets "_s));

    QVERIFY(writeFile(settingsPath, claudeAccounts + "gauge=main\n"));
    QTRY_VERIFY(needleAt(80) && !needleAt(97));
    program.terminate();
    QVERIFY(program.waitForFinished());
}

// Tidemarker is not running: --fetch asks the accounts the settings file lists (those the first
// test signed in), and with --account only the one of that label.
void TestAccounts::fetchAsksTheSettingsFileAccounts()
{
    m_server.respondToToken(codexUsagePath, "team-codex-token",
                            FakeResponse::json(codexUsage(QDateTime::currentSecsSinceEpoch(), 90)));
    m_server.clearRequests();
    QCOMPARE(status({u"--fetch"_s, u"--account"_s, u"work"_s}), "Claude\u00B7work Weekly 3% -47%\n");
    QCOMPARE(requestsOn(claudeUsagePath), QStringList{u"Bearer work-claude-token"_s});
    QVERIFY(requestsOn(codexUsagePath).isEmpty());
    QCOMPARE(status({u"--fetch"_s, u"--account"_s, u"home"_s}),
             "tidemarker-status: no account labelled \"home\" in ~/config/tidemarker/tidemarker.conf\n");
    QCOMPARE(status({u"--fetch"_s}), "Codex\u00B7codex Weekly 37% -13% \u00B7 Codex\u00B7team Weekly 10% -40% \u00B7 "
                                     "Claude\u00B7personal Weekly 20% -30% \u00B7 Claude\u00B7work Weekly 3% -47%\n");
}

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
