#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "MoreProviders.h"
#include "StatusItemProbe.h"
#include "TrayFixtures.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

// The whole program through hundreds of refreshes with all that a session throws at it at once:
// two accounts each of Codex and Claude beside z.ai, Kimi Code and Copilot, the settings'
// accounts edited meanwhile (added, removed, relabelled, reordered), a sign-in that comes and
// goes, sign-in lines clicked, answers that fail, hang or never end, a growing log folder, and
// other programs asking on the bus. It passes when the program is still alive, said nothing
// of memory errors, kept a history row for every change and quit in time.
//
// Built with --sanitize it runs under AddressSanitizer and UBSan. TIDEMARKER_SOAK_REFRESHES sets
// its length (300 unless told), TIDEMARKER_SOAK_PAUSE_SECONDS a pause after each refresh (none
// unless told: 60 refreshes 60 s apart are an hour as a user has it, back-offs run out and all);
// TIDEMARKER_SOAK_WRAPPER runs the program under a tool, e.g.
//   TIDEMARKER_SOAK_WRAPPER=valgrind build/tests/e2e/tst_soak
// (under xvfb-run and dbus-run-session, as ctest runs it).
namespace {

const QByteArray teamAuth = R"({"tokens": {"access_token": "team-codex-token", "account_id": "team-acct"}})";
const QByteArray workRecord = R"({"claudeAiOauth": {"accessToken": "work-claude-token"}})";

// The accounts as the user edits them, in turn; the first Codex account stays first throughout.
const QByteArray accountEdits[] = {
    "codex_accounts=~/codex, team=~/.codex-team\nclaude_accounts=personal=~/.claude, work=~/.claude-work\n",
    "codex_accounts=~/codex, team=~/.codex-team, extra=~/.codex-extra\n"
    "claude_accounts=personal=~/.claude, work=~/.claude-work, more=~/.claude-more\n",
    "codex_accounts=~/codex, squad=~/.codex-team\nclaude_accounts=personal=~/.claude, job=~/.claude-work\n",
    "codex_accounts=~/codex\nclaude_accounts=work=~/.claude-work, personal=~/.claude\n",
    "codex_accounts=~/codex, team=~/.codex-team\n",
};

// Every provider shown, whichever accounts the edit lists.
QByteArray settingsWith(const QByteArray &accounts)
{
    return "[General]\nproviders=codex,claude,zai,kimi,copilot\n" + accounts;
}

// What z.ai, Kimi Code and Copilot answer at each refresh: their usage, near the end each failing
// once (refused, endless, limited), after which each waits out its back-off for the rest.
void answerMoreProviders(FakeHttpServer &server, int refresh, int refreshes)
{
    FakeResponse zai = FakeResponse::json(zaiAnswer());
    if (refresh == refreshes - 30)
        zai = FakeResponse::json(R"({"code": 401, "msg": "token expired", "success": false})");
    FakeResponse copilot = FakeResponse::json(copilotAnswer());
    if (refresh % 10 == 2)
        copilot.delayMs = 300; // held past the others' answers
    if (refresh == refreshes - 25)
        copilot.streamedBytes = qint64(64) << 20;
    FakeResponse kimi = FakeResponse::json(kimiAnswer(), refresh == refreshes - 20 ? 429 : 200);
    if (refresh == refreshes - 20)
        kimi.headers.append({QByteArray("Retry-After"), QByteArray("1")});
    server.respond(zaiPath, zai);
    server.respond(copilotPath, copilot);
    server.respond(kimiPath, kimi);
}

// A report too long for a test's message, kept beside the test for whoever reads the failure.
QString keptAside(const QByteArray &said)
{
    QFile kept(QDir::current().filePath(u"tst_soak-program-stderr.txt"_s));
    if (!kept.open(QIODevice::WriteOnly) || kept.write(said) != said.size())
        return u"(nowhere: "_s + kept.errorString() + u')';
    return kept.fileName();
}

int refreshesToRun()
{
    bool given = false;
    const int refreshes = qEnvironmentVariableIntValue("TIDEMARKER_SOAK_REFRESHES", &given);
    return given && refreshes > 0 ? refreshes : 300;
}

// The first Codex account's weekly use at each refresh: never the same twice running.
int weeklyUsedAt(int refresh)
{
    return 10 + refresh % 80;
}

// What the team account and the work account answer at each refresh, in turn.
FakeResponse teamAnswer(int refresh, qint64 now)
{
    FakeResponse answer = FakeResponse::json(codexUsage(now, 30));
    switch (refresh % 25) {
    case 3:
        answer.status = 401;
        break;
    case 7:
        answer.status = 429;
        break;
    case 11:
        answer.delayMs = 1500; // held past the others' answers
        break;
    case 17:
        answer.streamedBytes = qint64(64) << 20; // an answer that never ends
        break;
    }
    return answer;
}

qint64 residentKiB(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.sliced(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                          u"org.tidemarker.Tidemarker1"_s, method);
}

// The first Codex account's weekly use as the published snapshot has it; -1 when it has none.
int weeklyUseShown()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                       u"org.freedesktop.DBus.Properties"_s, u"Get"_s)
            << u"org.tidemarker.Tidemarker1"_s << u"Snapshot"_s,
        QDBus::BlockWithGui);
    const QByteArray snapshot = reply.arguments().value(0).value<QDBusVariant>().variant().toString().toUtf8();
    for (const QJsonValue provider : QJsonDocument::fromJson(snapshot)[u"providers"_s].toArray()) {
        if (provider[u"provider"_s] != u"codex"_s)
            continue;
        for (const QJsonValue window : provider[u"windows"_s].toArray()) {
            if (window[u"speed"_s] == u"slow"_s && provider[u"source"_s] == u"live"_s)
                return qRound(window[u"usedPercent"_s].toDouble());
        }
        return -1;
    }
    return -1;
}

// A Refresh() joins one already running, which may have asked before the answer changed: asked
// again until the new answer is shown.
bool refreshUntilShown(int weeklyUse)
{
    for (int tries = 0; tries < 3; ++tries) {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call(u"Refresh"_s), QDBus::BlockWithGui, 120000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return false;
        if (weeklyUseShown() == weeklyUse)
            return true;
    }
    return false;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void soak();

private:
    void prepareHome();
    void startProgram(FakePanel &panel);
    void editAccounts(int edit);
    void clickSignInLine(StatusItemProbe &item);
    void askFromOtherPrograms();
    QList<int> recordedWeeklyUse() const;

    FakeHttpServer m_server;
    QTemporaryDir m_home;
    QProcess m_program;
    std::vector<std::unique_ptr<QProcess>> m_askers;
};

void TestSoak::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"),
             "needs a private session bus: run under dbus-run-session");
    QVERIFY(m_server.listen());
    prepareHome();
}

void TestSoak::prepareHome()
{
    QVERIFY(writeFile(m_home.filePath(u"config/tidemarker/tidemarker.conf"_s), settingsWith(accountEdits[0])));
    QVERIFY(signInMoreProviders(m_home.path()));
    QVERIFY(writeFile(m_home.filePath(u"codex/auth.json"_s), signedInCodexAuth));
    QVERIFY(writeFile(m_home.filePath(u".codex-team/auth.json"_s), teamAuth));
    QVERIFY(writeFile(m_home.filePath(u".claude-work/.credentials.json"_s), workRecord));
    QVERIFY(writeRecorder(m_home.filePath(u"bin/my-terminal"_s), m_home.filePath(u"terminal-ran"_s)));
}

void TestSoak::startProgram(FakePanel &panel)
{
    QProcessEnvironment environment = trayProgramEnvironment(m_home.path(), m_server);
    environment.insert(u"PATH"_s, m_home.filePath(u"bin"_s) + u':' + qEnvironmentVariable("PATH"));
    environment.insert(u"TERMINAL"_s, u"my-terminal"_s);
    askMoreProvidersAt(environment, m_server);
    m_program.setProcessEnvironment(environment);
    QStringList command = qEnvironmentVariable("TIDEMARKER_SOAK_WRAPPER").split(u' ', Qt::SkipEmptyParts);
    command.append(QStringLiteral(TIDEMARKER_E2E_PROGRAM));
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    m_program.start(command.takeFirst(), command);
    QVERIFY(registered.wait(120000));
}

void TestSoak::editAccounts(int edit)
{
    const QByteArray &accounts = accountEdits[edit % std::size(accountEdits)];
    QVERIFY(writeFile(m_home.filePath(u"config/tidemarker/tidemarker.conf"_s), settingsWith(accounts)));
}

void TestSoak::clickSignInLine(StatusItemProbe &item)
{
    const std::optional<MenuEntry> menu = item.menuLayout();
    if (!menu)
        return;
    for (const QString &label : menu->childLabels()) {
        if (label.startsWith(u"    Sign in to "_s))
            QVERIFY(item.click(menu->childId(label)));
    }
}

// Each left to run on its own, as status bars and scripts do.
void TestSoak::askFromOtherPrograms()
{
    std::erase_if(m_askers, [](const auto &asker) { return asker->state() == QProcess::NotRunning; });
    for (const QStringList &arguments : {QStringList{u"--breakdown"_s}, QStringList{u"--format"_s, u"json"_s},
                                         QStringList{u"--refresh"_s, u"--format"_s, u"waybar"_s}}) {
        auto asker = std::make_unique<QProcess>();
        asker->setProcessEnvironment(m_program.processEnvironment());
        asker->start(QStringLiteral(TIDEMARKER_STATUS_E2E_PROGRAM), arguments);
        m_askers.push_back(std::move(asker));
    }
    QDBusConnection::sessionBus().asyncCall(call(u"Breakdown"_s));
}

QList<int> TestSoak::recordedWeeklyUse() const
{
    QList<int> used;
    {
        QSqlDatabase history = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"soak"_s);
        history.setDatabaseName(m_home.filePath(u".local/state/tidemarker/history.sqlite3"_s));
        history.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlQuery query(history);
        const bool opened = history.open();
        query.prepare(u"SELECT s.used_percent FROM samples s JOIN windows w ON w.key = s.window "
                      "WHERE w.account = ? AND w.window_id = 'codex_slow' ORDER BY s.fetched_at"_s);
        query.addBindValue(m_home.filePath(u"codex"_s));
        if (opened && query.exec()) {
            while (query.next())
                used.append(qRound(query.value(0).toDouble()));
        }
    }
    QSqlDatabase::removeDatabase(u"soak"_s);
    return used;
}

void TestSoak::soak()
{
    const int refreshes = refreshesToRun();
    const int pauseMs = qEnvironmentVariableIntValue("TIDEMARKER_SOAK_PAUSE_SECONDS") * 1000;
    m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(QDateTime::currentSecsSinceEpoch(), weeklyUsedAt(0))));
    m_server.respond(claudeUsagePath, FakeResponse::json(claudeUsage(QDateTime::currentSecsSinceEpoch())));
    serveMoreProviders(m_server);
    FakePanel panel;
    QVERIFY(panel.start());
    startProgram(panel);
    StatusItemProbe item(panel.registeredItems().constFirst());
    QVERIFY(item.aboutToShow());
    QTRY_VERIFY_WITH_TIMEOUT(item.menuLayout().value_or(MenuEntry()).childLabels().contains(u"Refresh"_s), 60000);
    const qint64 startKiB = residentKiB(m_program.processId());

    int answered = 0;
    for (int refresh = 0; refresh < refreshes && m_program.state() == QProcess::Running; ++refresh) {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        m_server.respond(codexUsagePath, FakeResponse::json(codexUsage(now, weeklyUsedAt(refresh))));
        m_server.respondToToken(codexUsagePath, "team-codex-token", teamAnswer(refresh, now));
        m_server.respondToToken(claudeUsagePath, "work-claude-token",
                                FakeResponse::json(claudeUsage(now), refresh % 2 ? 200 : 401));
        answerMoreProviders(m_server, refresh, refreshes);
        if (refresh % 10 == 3)
            QFile::remove(m_home.filePath(kimiCredentials));
        if (refresh % 10 == 5)
            QVERIFY(signInMoreProviders(m_home.path())); // Kimi Code signed in again
        if (refresh % 20 == 5)
            editAccounts(refresh / 20 + 1);
        if (refresh % 10 == 0) {
            QVERIFY(appendFile(m_home.filePath(u".claude-work/projects/alpha/s.jsonl"_s),
                               claudeLog(u"/src/alpha"_s, u"r%1"_s.arg(refresh))));
            QVERIFY(appendFile(m_home.filePath(u".codex-team/sessions/2026/12/08/rollout-1.jsonl"_s),
                               codexLog(u"/src/beta"_s)));
            askFromOtherPrograms();
        }
        if (refresh % 20 == 13)
            clickSignInLine(item);
        answered += refreshUntilShown(weeklyUsedAt(refresh));
        if (pauseMs > 0)
            QTest::qWait(pauseMs);
    }
    const qint64 endKiB = residentKiB(m_program.processId());
    qInfo("%d refreshes answered of %d; resident %lld KiB after the first, %lld KiB at the end", answered,
          refreshes, startKiB, endKiB);
    QVERIFY2(m_program.state() == QProcess::Running,
             qPrintable(u"ended (exit %1): "_s.arg(m_program.exitCode()) + QString::fromUtf8(m_program.readAllStandardError().right(4000))));
    QCOMPARE(answered, refreshes);
    for (const QByteArray &path : {zaiPath, copilotPath, kimiPath})
        QVERIFY2(m_server.requests(path).size() >= refreshes / 2, path.constData());

    QElapsedTimer quitting;
    quitting.start();
    QVERIFY(item.click(item.menuLayout().value_or(MenuEntry()).childId(u"Quit"_s)));
    QVERIFY(m_program.waitForFinished(30000));
    qInfo("Quit took %lld ms", quitting.elapsed());
    const QByteArray said = m_program.readAllStandardError();
    for (const char *fault : {"Sanitizer", "runtime error", "Invalid read", "Invalid write", "Invalid free",
                              "history is off", "not read for the rest of this run"}) {
        if (said.contains(fault))
            QFAIL(qPrintable(u"the program said \"%1\"; all it said is in %2"_s.arg(QString::fromLatin1(fault),
                                                                                    keptAside(said))));
    }
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    for (const auto &asker : m_askers)
        QVERIFY(asker->state() == QProcess::NotRunning || asker->waitForFinished(30000));

    // Every change of the first Codex account's weekly window has its row, in order.
    QList<int> expected;
    for (int refresh = 0; refresh < refreshes; ++refresh)
        expected.append(weeklyUsedAt(refresh));
    const QList<int> recorded = recordedWeeklyUse();
    const auto differ = std::ranges::mismatch(recorded, expected);
    if (differ.in1 != recorded.end() || differ.in2 != expected.end()) {
        m_home.setAutoRemove(false);
        QFAIL(qPrintable(u"the history differs from refresh %1 on (%2 rows of %3); its home is kept in %4"_s.arg(
            QString::number(differ.in2 - expected.begin()), QString::number(recorded.size()),
            QString::number(expected.size()), m_home.path())));
    }
}

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
