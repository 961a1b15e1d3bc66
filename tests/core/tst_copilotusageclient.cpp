#include "CopilotUsageClient.h"
#include "FakeHttpServer.h"
#include "TemporaryHome.h"

#include <QFile>
#include <QTest>

#include <QCoroTask>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 9, 14), QTime(9, 0), Qt::UTC);
const QByteArray usagePath = "/copilot_internal/user";
const QByteArray publicShape = R"({"login":"octocat","copilot_plan":"individual",
 "quota_reset_date":"2026-10-01","quota_reset_date_utc":"2026-10-01T00:00:00.000Z",
 "quota_snapshots":{
  "premium_interactions":{"entitlement":300,"remaining":114,"percent_remaining":38.0,"unlimited":false},
  "chat":{"entitlement":0,"remaining":0,"percent_remaining":100.0,"unlimited":true}}})";
// gh as a child process: prints the token its configuration folder holds, or fails without one.
const QByteArray fakeGh = R"(#!/bin/sh
[ -n "$GH_TOKEN$GITHUB_TOKEN" ] && { echo leaked-environment; exit 0; }
[ "$*" = "auth token --hostname github.com" ] || exit 2
read -r token < "$GH_CONFIG_DIR/fake-gh-token" || exit 1
echo "$token"
)";
const QByteArray hostsWithUsers = R"(# written by gh
github.com:
    user: octo-work
    git_protocol: https
    users:
        octocat:
            oauth_token: gho_wrong
        octo-work:
            oauth_token: "gho_hosts" # quoted
other.example.com:
    oauth_token: gho_other
)";

} // namespace

class TestCopilotUsageClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init();
    void tokenOrder_data();
    void tokenOrder();
    void answers_data();
    void answers();

private:
    ProviderResult fetch(const Account &account = Account::only(Provider::copilot)) const
    {
        return QCoro::waitFor(CopilotUsageClient(account).result(now));
    }

    FakeHttpServer m_server;
    std::unique_ptr<TemporaryHome> m_home;
};

void TestCopilotUsageClient::init()
{
    m_home = std::make_unique<TemporaryHome>(
        std::initializer_list<const char *>{"GH_TOKEN", "GITHUB_TOKEN", "GH_CONFIG_DIR", "XDG_CONFIG_HOME"});
    QVERIFY(m_home->isValid());
    qputenv("PATH", QFile::encodeName(m_home->filePath(u"bin"_s))); // no gh unless a test puts one there
    qputenv("TIDEMARKER_COPILOT_USAGE_URL", m_server.url(QString::fromLatin1(usagePath)).toEncoded());
    m_server.clearRequests();
    m_server.respond(usagePath, FakeResponse::json(publicShape));
}

void TestCopilotUsageClient::tokenOrder_data()
{
    QTest::addColumn<QByteArray>("ghToken");     // GH_TOKEN
    QTest::addColumn<QByteArray>("githubToken"); // GITHUB_TOKEN
    QTest::addColumn<QString>("gh");             // "prints", "fails" or empty: not installed
    QTest::addColumn<QByteArray>("hosts");       // hosts.yml; empty: none
    QTest::addColumn<bool>("first");
    QTest::addColumn<QByteArray>("expected");    // empty: not signed in

    QTest::newRow("GH_TOKEN first") << QByteArray("env-gh") << QByteArray("env-github") << u"prints"_s << hostsWithUsers << true << QByteArray("env-gh");
    QTest::newRow("then GITHUB_TOKEN") << QByteArray() << QByteArray("env-github") << u"prints"_s << hostsWithUsers << true << QByteArray("env-github");
    QTest::newRow("then gh, in the account's folder") << QByteArray() << QByteArray() << u"prints"_s << hostsWithUsers << true << QByteArray("gho_from_gh");
    QTest::newRow("another account: no environment") << QByteArray("env-gh") << QByteArray() << u"prints"_s << QByteArray() << false << QByteArray("gho_from_gh");
    QTest::newRow("a failing gh falls through") << QByteArray() << QByteArray() << u"fails"_s << hostsWithUsers << true << QByteArray("gho_hosts");
    QTest::newRow("no gh: the active user's") << QByteArray() << QByteArray() << QString() << hostsWithUsers << true << QByteArray("gho_hosts");
    QTest::newRow("no gh: the host's own") << QByteArray() << QByteArray() << QString()
                                           << QByteArray("github.com:\r\n  oauth_token: 'gho_top'\r\n  user: octocat\r\n") << true << QByteArray("gho_top");
    QTest::newRow("nothing") << QByteArray() << QByteArray() << QString() << QByteArray() << true << QByteArray();
}

void TestCopilotUsageClient::tokenOrder()
{
    QFETCH(QByteArray, ghToken);
    QFETCH(QByteArray, githubToken);
    QFETCH(QString, gh);
    QFETCH(QByteArray, hosts);
    QFETCH(bool, first);
    QFETCH(QByteArray, expected);
    qputenv("GH_TOKEN", ghToken);
    qputenv("GITHUB_TOKEN", githubToken);
    const QString folder = m_home->filePath(u"gh-work"_s);
    if (!gh.isEmpty()) {
        const QString script = m_home->write(u"bin/gh"_s, fakeGh);
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
        if (gh == u"prints")
            m_home->write(u"gh-work/fake-gh-token"_s, "gho_from_gh\n");
    }
    if (!hosts.isEmpty())
        m_home->write(u"gh-work/hosts.yml"_s, hosts);

    const ProviderResult result = fetch({Provider::copilot, folder, u"work"_s, first});
    const QList<RecordedRequest> requests = m_server.requests(usagePath);
    if (expected.isEmpty()) {
        QCOMPARE(result.error, u"not signed in \u2014 run `gh auth login`"_s);
        QVERIFY(result.needsAuth && result.failedBeforeRequest);
        QVERIFY(requests.isEmpty());
        return;
    }
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].header("Authorization"), "Bearer " + expected);
    QCOMPARE(requests[0].header("Accept"), "application/json");
    QCOMPARE(requests[0].header("User-Agent"), "Tidemarker/0.3");
}

void TestCopilotUsageClient::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body"); // for a failure, its header lines instead
    QTest::addColumn<QString>("window"); // "used% reset length"; empty: none
    QTest::addColumn<QString>("error");  // null: none
    QTest::addColumn<qint64>("wait");    // the wait kept, in seconds

    QTest::newRow("public shape") << 200 << publicShape << u"62 2026-10-01T00:00:00Z 2592000"_s << QString() << 0LL;
    QTest::newRow("percent as text, a reset date alone") << 200
        << QByteArray(R"({"quota_reset_date":"2026-10-31","quota_snapshots":{"premium_interactions":{"percent_remaining":"12.5"}}})")
        << u"87.5 2026-10-31T00:00:00Z 2678400"_s << QString() << 0LL;
    QTest::newRow("over the allowance, no reset date") << 200
        << QByteArray(R"({"quota_snapshots":{"premium_interactions":{"remaining":-1,"percent_remaining":-0.333}}})")
        << u"100 2026-10-01T00:00:00Z 2592000"_s << QString() << 0LL;
    QTest::newRow("unlimited") << 200
        << QByteArray(R"({"quota_snapshots":{"premium_interactions":{"entitlement":-1,"percent_remaining":100,"unlimited":true}}})")
        << QString() << u"no limit on premium requests for this plan"_s << 0LL;
    QTest::newRow("older free-plan shape") << 200
        << QByteArray(R"({"monthly_quotas":{"chat":50,"completions":2000},"limited_user_quotas":{"chat":10,"completions":300}})")
        << QString() << u"no rate limits reported for this plan"_s << 0LL;
    QTest::newRow("share left null") << 200
        << QByteArray(R"({"quota_snapshots":{"premium_interactions":{"remaining":5,"percent_remaining":null}}})") << QString()
        << u"usage response: \"quota_snapshots.premium_interactions.percent_remaining\" is null"_s << 0LL;
    QTest::newRow("401") << 401 << QByteArray() << QString() << u"the GitHub sign-in was refused \u2014 run `gh auth login`"_s << 0LL;
    QTest::newRow("404") << 404 << QByteArray() << QString() << u"this GitHub sign-in cannot see Copilot usage"_s << 0LL;
    QTest::newRow("403 that says when") << 403 << QByteArray("Retry-After: 60") << QString() << u"usage fetch failed (HTTP 403)"_s << 60LL;
    QTest::newRow("403 alone") << 403 << QByteArray() << QString() << u"usage fetch failed (HTTP 403)"_s << 0LL;
    QTest::newRow("429") << 429 << QByteArray("Retry-After: 60") << QString() << u"usage fetch failed (HTTP 429)"_s << 60LL;
    const QByteArray inAnHour = QByteArray::number(now.addSecs(3600).toSecsSinceEpoch());
    QTest::newRow("403, request quota spent") << 403 << "x-ratelimit-remaining: 0\nx-ratelimit-reset: " + inAnHour
        << QString() << u"usage fetch failed (HTTP 403)"_s << 3600LL;
    QTest::newRow("403, quota left") << 403 << "x-ratelimit-remaining: 12\nx-ratelimit-reset: " + inAnHour
        << QString() << u"usage fetch failed (HTTP 403)"_s << 0LL;
    QTest::newRow("Retry-After before the quota's reset") << 403
        << "Retry-After: 60\nx-ratelimit-remaining: 0\nx-ratelimit-reset: " + inAnHour << QString()
        << u"usage fetch failed (HTTP 403)"_s << 60LL;
}

// A failed answer sends the token back in its body: it must not show.
void TestCopilotUsageClient::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, window);
    QFETCH(QString, error);
    QFETCH(qint64, wait);
    qputenv("GH_TOKEN", "gho_secret_env");
    FakeResponse response = FakeResponse::json(status == 200 ? body : R"({"message":"gho_secret_env"})", status);
    for (const QByteArray &line : status == 200 ? QList<QByteArray>() : body.split('\n')) {
        if (const qsizetype colon = line.indexOf(": "); colon > 0)
            response.headers.append({line.left(colon), line.mid(colon + 2)});
    }
    m_server.respond(usagePath, response);

    const ProviderResult result = fetch();
    QCOMPARE(result.error.value_or(u"(none)"_s), error.isNull() ? u"(none)"_s : error);
    QCOMPARE(result.ok, status == 200 && !error.startsWith(u"usage response"_s));
    QCOMPARE(result.needsAuth, status == 401 || status == 404);
    QCOMPARE(result.rateLimited, wait > 0);
    QCOMPARE(result.retryAfter.count(), wait);
    QStringList found;
    for (const UsageWindow &shown : result.windows) {
        QCOMPARE(shown.displayLabel(Wording::english), u"Monthly"_s);
        found.append(QString::number(shown.usedPercent) + u' ' + shown.resetAt.toString(Qt::ISODate) + u' '
                     + QString::number(shown.limitWindowSeconds, 'f', 0));
    }
    QCOMPARE(found.join(u'|'), window);
}

QTEST_GUILESS_MAIN(TestCopilotUsageClient)
#include "tst_copilotusageclient.moc"
