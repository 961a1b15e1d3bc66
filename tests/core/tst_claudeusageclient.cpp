#include "ClaudeUsageClient.h"
#include "FakeHttpServer.h"
#include "TemporaryHome.h"

#include <QScopeGuard>
#include <QTest>

#include <QCoroTask>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
const QByteArray usagePath = "/api/oauth/usage";
const QByteArray bothWindows = R"({"five_hour": {"utilization": 40, "resets_at": "2026-12-07T14:30:00.000000+00:00"},
                                   "seven_day": {"utilization": 62.5, "resets_at": "2026-12-11T00:00:00+00:00"}})";

QByteArray recordExpiringAt(const QDateTime &expiry)
{
    return R"({"claudeAiOauth": {"accessToken": "record-token", "expiresAt": )"
        + QByteArray::number(expiry.toMSecsSinceEpoch()) + "}}";
}

} // namespace

class TestClaudeUsageClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void sendsTokenWithHeaders();
    void outcomes_data();
    void outcomes();
    void retryAfterReachesResult_data();
    void retryAfterReachesResult();
    void foreignFailures_data();
    void foreignFailures();
    void credentialFailures_data();
    void credentialFailures();
    void expiry_data();
    void expiry();
    void staleEnvironmentTokenIsRejected();
    void usageUrl_data();
    void usageUrl();
    void accountOutlivesItsRequests();

private:
    ProviderResult fetch() const { return QCoro::waitFor(ClaudeUsageClient().result(now)); }
    void writeRecord(const QByteArray &record) const
    {
        m_home->write(u".claude/.credentials.json"_s, record);
    }

    FakeHttpServer m_server;
    std::unique_ptr<TemporaryHome> m_home;
};

void TestClaudeUsageClient::initTestCase()
{
    QVERIFY(m_server.listen());
}

void TestClaudeUsageClient::init()
{
    m_home = std::make_unique<TemporaryHome>(std::initializer_list<const char *>{
        "CLAUDE_CODE_OAUTH_TOKEN", "TIDEMARKER_CLAUDE_TOKEN_FILE", "CLAUDE_CONFIG_DIR"});
    QVERIFY(m_home->isValid());
    qputenv("TIDEMARKER_CLAUDE_USAGE_URL", m_server.url(QString::fromLatin1(usagePath)).toEncoded());
    m_server.clearRequests();
    m_server.respond(usagePath, FakeResponse::json(bothWindows));
}

void TestClaudeUsageClient::sendsTokenWithHeaders()
{
    m_home->write(u".tidemarker/claude-token"_s, "file-token\n");

    const ProviderResult result = fetch();
    QCOMPARE(result.error, std::nullopt);
    const QList<RecordedRequest> requests = m_server.requests(usagePath);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].method, "GET");
    QCOMPARE(requests[0].header("Authorization"), "Bearer file-token");

    // Qt adds transport headers of its own; ours come in this order and only once.
    const QList<QByteArray> ours = {"Authorization", "Accept", "User-Agent", "anthropic-beta"};
    QList<QPair<QByteArray, QByteArray>> sent;
    for (const auto &header : requests[0].headers) {
        if (ours.contains(header.first))
            sent.append(header);
    }
    const QByteArray userAgent = "claude-code/" + QByteArray(ClaudeUsageClient::claudeCodeVersion) + " Tidemarker/0.3";
    const QList<QPair<QByteArray, QByteArray>> expected = {
        {"Authorization", "Bearer file-token"}, {"Accept", "application/json"},
        {"User-Agent", userAgent}, {"anthropic-beta", "oauth-2025-04-20"}};
    QCOMPARE(sent, expected);
}

void TestClaudeUsageClient::outcomes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("error"); // null: none
    QTest::addColumn<bool>("needsAuth");

    const QStringList none;
    QTest::newRow("both windows") << 200 << bothWindows << QStringList{u"claude_fast"_s, u"claude_slow"_s} << QString() << false;
    QTest::newRow("only seven_day") << 200 << QByteArray(R"({"seven_day": {"utilization": 3}})") << QStringList{u"claude_slow"_s} << QString() << false;
    QTest::newRow("401") << 401 << QByteArray(R"({"error": "expired"})") << none << u"token rejected \u2014 open Claude Code to refresh"_s << true;
    QTest::newRow("403") << 403 << bothWindows << none << u"usage fetch failed (HTTP 403)"_s << false;
    QTest::newRow("429") << 429 << QByteArray() << none << u"usage fetch failed (HTTP 429)"_s << false;
    QTest::newRow("500") << 500 << QByteArray("oops") << none << u"usage fetch failed (HTTP 500)"_s << false;
    QTest::newRow("array") << 200 << QByteArray("[]") << none << u"unexpected credential/usage format"_s << false;
    QTest::newRow("empty object") << 200 << QByteArray("{}") << none << u"no usage windows in response"_s << false;
}

void TestClaudeUsageClient::outcomes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, ids);
    QFETCH(QString, error);
    QFETCH(bool, needsAuth);

    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "env-token");
    m_server.respond(usagePath, FakeResponse::json(body, status));

    const ProviderResult result = fetch();
    QCOMPARE(result.provider, Provider::claude);
    QCOMPARE(result.ok, !ids.isEmpty());
    QCOMPARE(result.source, ids.isEmpty() ? u"error"_s : u"live"_s);
    QCOMPARE(result.error, error.isNull() ? std::nullopt : std::optional(error));
    QCOMPARE(result.needsAuth, needsAuth);
    QStringList found;
    for (const UsageWindow &window : result.windows)
        found.append(window.id());
    QCOMPARE(found, ids);
}

// Only a refusal under load or an outage passes the service's wait on to the store.
void TestClaudeUsageClient::retryAfterReachesResult_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<qint64>("seconds");

    QTest::newRow("429, seconds") << 429 << QByteArray("1600") << 1600LL;
    QTest::newRow("503, HTTP date") << 503 << QByteArray("Mon, 07 Dec 2026 12:26:40 GMT") << 1600LL;
    QTest::newRow("500") << 500 << QByteArray("1600") << 0LL;
}

void TestClaudeUsageClient::retryAfterReachesResult()
{
    QFETCH(int, status);
    QFETCH(QByteArray, retryAfter);
    QFETCH(qint64, seconds);

    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "env-token");
    FakeResponse response = FakeResponse::json("{}", status);
    response.headers.append({"Retry-After", retryAfter});
    m_server.respond(usagePath, response);

    const ProviderResult result = fetch();
    QCOMPARE(result.error, u"usage fetch failed (HTTP %1)"_s.arg(status));
    QCOMPARE(result.retryAfter.count(), seconds);
}

// Failures that are not the client's own are shown by their own description.
void TestClaudeUsageClient::foreignFailures_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QString>("errorStart");

    QTest::newRow("body not JSON") << 0 << u"usage response is not valid JSON: "_s;
    QTest::newRow("time-out") << 5000 << u"request timed out"_s;
}

void TestClaudeUsageClient::foreignFailures()
{
    QFETCH(int, delayMs);
    QFETCH(QString, errorStart);

    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "env-token");
    FakeResponse response = FakeResponse::json("<html>maintenance</html>");
    response.delayMs = delayMs;
    m_server.respond(usagePath, response);
    UsageRequest::setIdleTimeout(200ms);
    const auto restore = qScopeGuard([] { UsageRequest::setIdleTimeout(UsageRequest::defaultIdleTimeout); });

    const ProviderResult result = fetch();
    QVERIFY(!result.ok);
    QCOMPARE(result.source, u"error"_s);
    QVERIFY2(result.error->startsWith(errorStart), qPrintable(*result.error));
    QVERIFY(!result.needsAuth);
}

// A failed credential search sends nothing, and offers a sign-in where one writes a new record.
void TestClaudeUsageClient::credentialFailures_data()
{
    QTest::addColumn<QByteArray>("record"); // null: no record at all
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("needsAuth");

    QTest::newRow("nothing") << QByteArray() << u"not signed in to Claude Code"_s << true;
    QTest::newRow("wrong shape") << QByteArray(R"({"oauth": {}})") << u"unexpected credential/usage format"_s << true;
    QTest::newRow("over 1 MiB") << QByteArray(1024 * 1024 + 1, ' ') << u"cannot read ~/.claude/.credentials.json: larger than 1 MiB"_s << true;
}

void TestClaudeUsageClient::credentialFailures()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, error);
    QFETCH(bool, needsAuth);

    if (!record.isNull())
        writeRecord(record);
    const ProviderResult result = fetch();
    QCOMPARE(result.ok, false);
    QCOMPARE(result.source, u"error"_s);
    QCOMPARE(result.error, error);
    QCOMPARE(result.needsAuth, needsAuth);
    QVERIFY(result.failedBeforeRequest);
    QVERIFY(m_server.requests().isEmpty());
}

void TestClaudeUsageClient::expiry_data()
{
    QTest::addColumn<qint64>("msecsAfterNow");
    QTest::addColumn<bool>("expired");

    QTest::newRow("at now") << 0LL << true;
    QTest::newRow("before now") << -1LL << true;
    QTest::newRow("just after now") << 1LL << false;
}

void TestClaudeUsageClient::expiry()
{
    QFETCH(qint64, msecsAfterNow);
    QFETCH(bool, expired);

    writeRecord(recordExpiringAt(now.addMSecs(msecsAfterNow)));
    const ProviderResult result = fetch();
    if (expired) {
        QCOMPARE(result.source, u"expired"_s);
        QCOMPARE(result.error, u"token expired \u2014 sign in to refresh"_s);
        QVERIFY(result.needsAuth);
        QVERIFY(m_server.requests().isEmpty());
    } else {
        QCOMPARE(result.source, u"live"_s);
        QCOMPARE(m_server.requests(usagePath).value(0).header("Authorization"), "Bearer record-token");
    }
}

// A token from the environment has no known expiry: it is sent, and the service refuses it.
void TestClaudeUsageClient::staleEnvironmentTokenIsRejected()
{
    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "stale-token");
    writeRecord(recordExpiringAt(now.addDays(1)));
    m_server.respond(usagePath, FakeResponse::json(R"({"error": "invalid token"})", 401));

    const ProviderResult result = fetch();
    QCOMPARE(result.error, u"token rejected \u2014 open Claude Code to refresh"_s);
    QVERIFY(result.needsAuth);
    QCOMPARE(m_server.requests(usagePath).value(0).header("Authorization"), "Bearer stale-token");
}

void TestClaudeUsageClient::usageUrl_data()
{
    QTest::addColumn<QByteArray>("variable"); // null: unset
    QTest::addColumn<QUrl>("url");

    const QUrl official(u"https://api.anthropic.com/api/oauth/usage"_s);
    QTest::newRow("unset") << QByteArray() << official;
    QTest::newRow("empty") << QByteArray("") << official;
    QTest::newRow("not a URL") << QByteArray("http://[::1") << official;
    QTest::newRow("local server") << QByteArray("http://127.0.0.1:8080/usage?x=1") << QUrl(u"http://127.0.0.1:8080/usage?x=1"_s);
}

void TestClaudeUsageClient::usageUrl()
{
    QFETCH(QByteArray, variable);
    QFETCH(QUrl, url);

    if (variable.isNull())
        qunsetenv("TIDEMARKER_CLAUDE_USAGE_URL");
    else
        qputenv("TIDEMARKER_CLAUDE_USAGE_URL", variable);
    QCOMPARE(ClaudeUsageClient::usageUrl(), url);
}

// The client's copy of the account is the caller's text too: asked again and again, the
// caller's folder stays whole (a copy destroyed twice frees it under the caller).
void TestClaudeUsageClient::accountOutlivesItsRequests()
{
    const QString folder = m_home->path() + u"/.claude-work"_s;
    const Account account = Account::listed(Provider::claude, {{QString(folder).append(u'/').chopped(1), u"work"_s}}).first();
    for (int i = 0; i < 20; ++i) {
        const ProviderResult result = QCoro::waitFor(ClaudeUsageClient(account).result(now));
        QCOMPARE(result.error, u"not signed in to Claude Code"_s);
    }
    QCOMPARE(account.folder, folder);
}

QTEST_GUILESS_MAIN(TestClaudeUsageClient)
#include "tst_claudeusageclient.moc"
