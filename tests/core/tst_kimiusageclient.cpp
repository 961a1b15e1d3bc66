#include "KimiUsageClient.h"
#include "FakeHttpServer.h"
#include "TemporaryHome.h"

#include <QTest>

#include <QCoroTask>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 9, 14), QTime(9, 0), Qt::UTC);
const QByteArray usagePath = "/coding/v1/usages";
const QByteArray token = "kimi-secret-token";
const QByteArray publicShape = R"({"user":{"membership":{"level":"LEVEL_ADVANCED"}},
 "usage":{"limit":"100","remaining":"74","resetTime":"2026-09-21T03:17:42.443553353Z"},
 "limits":[{"window":{"duration":300,"timeUnit":"TIME_UNIT_MINUTE"},
            "detail":{"limit":"100","used":"1","remaining":"99","resetTime":"2026-09-14T10:17:42Z"}}],
 "parallel":{"limit":"30"}})";

QByteArray credential(double expiresAt)
{
    return R"({"access_token":")" + token + R"(","refresh_token":"refresh","expires_at":)"
        + QByteArray::number(expiresAt, 'f', 3) + "}";
}

// "id used% reset length name" per window, extra ones after the main ones.
QStringList described(const ProviderResult &result)
{
    QStringList lines;
    for (const auto &windows : {result.windows, result.extraWindows}) {
        for (const UsageWindow &window : windows) {
            lines.append(window.id() + u' ' + QString::number(window.usedPercent) + u' '
                         + window.resetAt.toString(Qt::ISODateWithMs) + u' '
                         + QString::number(window.limitWindowSeconds, 'f', 0) + u' ' + window.displayLabel(Wording::english));
        }
    }
    return lines;
}

} // namespace

class TestKimiUsageClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void init();
    void answers_data();
    void answers();
    void credentials_data();
    void credentials();

private:
    ProviderResult fetch(const Account &account = Account::only(Provider::kimi)) const
    {
        return QCoro::waitFor(KimiUsageClient(account).result(now));
    }

    FakeHttpServer m_server;
    std::unique_ptr<TemporaryHome> m_home;
};

void TestKimiUsageClient::init()
{
    m_home = std::make_unique<TemporaryHome>(std::initializer_list<const char *>{"KIMI_CODE_HOME", "KIMI_SHARE_DIR"});
    QVERIFY(m_home->isValid());
    qputenv("TIDEMARKER_KIMI_USAGE_URL", m_server.url(QString::fromLatin1(usagePath)).toEncoded());
    m_server.clearRequests();
}

void TestKimiUsageClient::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QString>("error"); // null: none
    QTest::addColumn<qint64>("wait");   // the Retry-After kept

    QTest::newRow("public shape, counts as text, nanoseconds") << 200 << publicShape
        << QStringList{u"kimi_fast 1 2026-09-14T10:17:42.000Z 18000 5h"_s,
                       u"kimi_slow 26 2026-09-21T03:17:42.443Z 604800 Weekly"_s} << QString() << 0LL;
    QTest::newRow("numbers, counts beside the window, other reset spellings") << 200
        << QByteArray(R"({"usage":{"limit":200,"used":50,"reset_at":1789500000},
            "limits":[{"window":{"duration":5,"timeUnit":"TIME_UNIT_HOUR"},"limit":10,"remaining":"4","reset_in":3600}]})")
        << QStringList{u"kimi_fast 60 2026-09-14T10:00:00.000Z 18000 5h"_s,
                       u"kimi_slow 25 2026-09-15T19:20:00.000Z 604800 Weekly"_s} << QString() << 0LL;
    QTest::newRow("further limits are extra, an unreadable one left out") << 200
        << QByteArray(R"({"limits":[{"window":{"duration":300,"timeUnit":"TIME_UNIT_MINUTE"},"detail":{"limit":"100","remaining":"100"}},
            {"window":{"duration":1,"timeUnit":"TIME_UNIT_DAY"},"name":"Turbo","detail":{"limit":"50","used":"45","resetAt":"2026-09-15T00:00:00Z"}},
            {"window":{"duration":300,"timeUnit":"TIME_UNIT_MINUTE"},"detail":{"limit":"x"}}]})")
        << QStringList{u"kimi_fast 0 2026-09-14T14:00:00.000Z 18000 5h"_s,
                       u"kimi_turbo-1-day 90 2026-09-15T00:00:00.000Z 86400 Turbo 1-day"_s} << QString() << 0LL;
    QTest::newRow("free plan: no allowances") << 200 << QByteArray(R"({"user":{},"usage":null})") << QStringList()
                                              << u"no rate limits reported for this plan"_s << 0LL;
    QTest::newRow("neither used nor remaining") << 200
        << QByteArray(R"({"limits":[{"window":{"duration":300,"timeUnit":"TIME_UNIT_MINUTE"},"detail":{"limit":"100"}}]})")
        << QStringList() << u"usage response: \"limits[0].detail.remaining\" is missing"_s << 0LL;
    QTest::newRow("limits not a list") << 200 << QByteArray(R"({"limits":{}})") << QStringList()
                                       << u"usage response: \"limits\" is not an array"_s << 0LL;
    QTest::newRow("401") << 401 << publicShape << QStringList() << u"the sign-in was refused \u2014 run `kimi login`"_s << 0LL;
    QTest::newRow("429") << 429 << publicShape << QStringList() << u"usage fetch failed (HTTP 429)"_s << 120LL;
}

void TestKimiUsageClient::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, windows);
    QFETCH(QString, error);
    QFETCH(qint64, wait);
    FakeResponse response = FakeResponse::json(body, status);
    response.headers.append({"Retry-After", QByteArray("120")});
    m_server.respond(usagePath, response);
    m_home->write(u".kimi-code/credentials/kimi-code.json"_s, credential(now.toSecsSinceEpoch() + 600.5));

    const ProviderResult result = fetch();
    QCOMPARE(described(result), windows);
    QCOMPARE(result.error.value_or(u"(none)"_s), error.isNull() ? u"(none)"_s : error);
    QCOMPARE(result.ok, !windows.isEmpty() || error.startsWith(u"no rate limits"_s));
    QCOMPARE(result.needsAuth, status == 401);
    QCOMPARE(result.rateLimited, wait > 0);
    QCOMPARE(result.retryAfter.count(), wait);
    QCOMPARE(m_server.requests(usagePath).value(0).header("Authorization"), "Bearer " + token);
}

// The sign-in is only read: where it is looked for, and what is wrong with it, never its token.
void TestKimiUsageClient::credentials_data()
{
    QTest::addColumn<QString>("write");  // below the home folder; empty: nothing
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("folder"); // the account's, below the home folder; empty: the default
    QTest::addColumn<QString>("error");  // null: the request went out

    const QString current = u".kimi-code/credentials/kimi-code.json"_s;
    const QString legacy = u".kimi/credentials/kimi-code.json"_s;
    const QByteArray valid = credential(now.toSecsSinceEpoch() + 600);
    const QString notSignedIn = u"not signed in \u2014 run `kimi login`"_s;
    QTest::newRow("missing") << QString() << QByteArray() << QString() << notSignedIn;
    QTest::newRow("expired") << current << credential(now.toSecsSinceEpoch() - 0.5) << QString()
                             << u"sign-in expired \u2014 run `kimi login`"_s;
    QTest::newRow("malformed") << current << QByteArray("{\"access_token\": \"" + token) << QString()
                               << u"~/.kimi-code/credentials/kimi-code.json is not valid JSON: unterminated string at offset 36"_s;
    QTest::newRow("the older CLI's, by default") << legacy << valid << QString() << QString();
    QTest::newRow("the older CLI's, not for another folder") << legacy << valid << u"work"_s << notSignedIn;
    QTest::newRow("another folder") << u"work/credentials/kimi-code.json"_s << valid << u"work"_s << QString();
}

void TestKimiUsageClient::credentials()
{
    QFETCH(QString, write);
    QFETCH(QByteArray, content);
    QFETCH(QString, folder);
    QFETCH(QString, error);
    m_server.respond(usagePath, FakeResponse::json(publicShape));
    if (!write.isEmpty())
        m_home->write(write, content);
    Account account = Account::only(Provider::kimi);
    if (!folder.isEmpty())
        account = {Provider::kimi, m_home->filePath(folder), u"work"_s, false};

    const ProviderResult result = fetch(account);
    QCOMPARE(result.error.value_or(u"(none)"_s), error.isNull() ? u"(none)"_s : error);
    QCOMPARE(result.needsAuth, !error.isNull());
    QCOMPARE(result.failedBeforeRequest, !error.isNull());
    QCOMPARE(m_server.requests(usagePath).size(), error.isNull() ? 1 : 0);
    QVERIFY(!result.error.value_or(QString()).contains(QString::fromLatin1(token)));
}

QTEST_GUILESS_MAIN(TestKimiUsageClient)
#include "tst_kimiusageclient.moc"
