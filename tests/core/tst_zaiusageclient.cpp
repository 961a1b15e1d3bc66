#include "FakeHttpServer.h"
#include "UsageRequest.h"
#include "ZaiUsageClient.h"

#include <QTest>

#include <QCoroTask>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 7, 14), QTime(12, 0), Qt::UTC);
const QByteArray quotaPath = "/api/monitor/usage/quota/limit";
const QByteArray key = "abc123secret.KEYtext";

// 15:00 today, noon in three days and on 3 August.
const QByteArray creditAnswer = R"({"code":200,"msg":"Operation successful","success":true,"data":{"level":"max","limits":[
    {"type":"CREDIT_LIMIT","unit":3,"number":5,"usage":28000,"currentValue":5184,"remaining":22815,"percentage":18,"nextResetTime":1784041200000},
    {"type":"CREDIT_LIMIT","unit":6,"number":1,"usage":140000,"currentValue":36192,"remaining":103807,"percentage":25,"nextResetTime":1784289600000}]}})";
const QByteArray tokensAnswer = R"({"code":200,"success":true,"data":{"level":"lite","limits":[
    {"type":"TOKENS_LIMIT","unit":3,"number":5,"usage":null,"currentValue":null,"percentage":7,"nextResetTime":1784041200000},
    {"type":"TOKENS_LIMIT","unit":6,"number":1,"percentage":9,"nextResetTime":1784289600000},
    {"type":"TIME_LIMIT","unit":5,"number":1,"usage":100,"currentValue":4,"remaining":96,"percentage":4,"nextResetTime":1785758400000,
     "usageDetails":[{"modelCode":"search-prime","usage":3}]}]}})";
// With rows of a unit and a type not known, to be left out.
const QByteArray textAnswer = R"({"code":"200","success":true,"data":{"limits":[
    {"type":"TOKENS_LIMIT","unit":4,"number":1,"percentage":50,"nextResetTime":1784289600000},
    {"type":"OTHER_LIMIT","unit":3,"number":5,"percentage":50,"nextResetTime":1784041200000},
    {"type":"TOKENS_LIMIT","unit":"3","number":"5","percentage":"7.5","nextResetTime":"1784041200000"}]}})";
const QByteArray noResetAnswer = R"({"success":true,"data":{"limits":[
    {"type":"TOKENS_LIMIT","unit":3,"number":5,"percentage":7},
    {"type":"TIME_LIMIT","unit":5,"number":1,"percentage":4}]}})";
QString windowText(const UsageWindow &window)
{
    return QStringList{window.extraId, rawValue(window.speed), window.displayLabel(Wording::english),
                       QString::number(window.usedPercent, 'f', 1), QString::number(window.limitWindowSeconds, 'f', 0),
                       window.resetAt.toString(Qt::ISODate)}
        .join(u' ')
        .trimmed();
}

QString summary(const ProviderResult &result)
{
    QStringList parts{result.ok ? u"live"_s : u"error: "_s + result.error.value_or(QString())};
    if (result.needsAuth)
        parts << u"needsAuth"_s;
    if (result.rateLimited)
        parts << u"rateLimited %1"_s.arg(result.retryAfter.count());
    for (const UsageWindow &window : result.windows + result.extraWindows)
        parts << windowText(window);
    return parts.join(u" | "_s);
}

} // namespace

class TestZaiUsageClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void answers_data();
    void answers();
    void noKeyAsksNothing();

private:
    FakeHttpServer m_server;
};

void TestZaiUsageClient::initTestCase()
{
    QVERIFY(m_server.listen());
    qputenv("TIDEMARKER_ZAI_USAGE_URL", m_server.url(QString::fromLatin1(quotaPath)).toEncoded());
}

void TestZaiUsageClient::answers_data()
{
    QTest::addColumn<FakeResponse>("response");
    QTest::addColumn<QString>("expected");

    QTest::newRow("credit answer: used over allowance")
        << FakeResponse::json(creditAnswer)
        << u"live | fast 5h 18.5 18000 2026-07-14T15:00:00Z | slow Weekly 25.9 604800 2026-07-17T12:00:00Z"_s;
    QTest::newRow("legacy tokens answer: percentage, tool calls over the calendar month")
        << FakeResponse::json(tokensAnswer)
        << u"live | fast 5h 7.0 18000 2026-07-14T15:00:00Z | slow Weekly 9.0 604800 2026-07-17T12:00:00Z"
           " | zai_tools slow Tool calls 4.0 2678400 2026-08-03T12:00:00Z"_s;
    QTest::newRow("numbers as text, rows not known") << FakeResponse::json(textAnswer)
                                     << u"live | fast 5h 7.5 18000 2026-07-14T15:00:00Z"_s;
    QTest::newRow("no nextResetTime: a whole window ahead")
        << FakeResponse::json(noResetAnswer)
        << u"live | fast 5h 7.0 18000 2026-07-14T17:00:00Z | zai_tools slow Tool calls 4.0 2678400 2026-08-14T12:00:00Z"_s;
    QTest::newRow("no limits yet") << FakeResponse::json(R"({"success":true,"data":{}})")
                                   << u"error: no usage windows in response"_s;
    QTest::newRow("limits not an array") << FakeResponse::json(R"({"success":true,"data":{"limits":{}}})")
                                         << u"error: usage response: \"data.limits\" is not an array"_s;
    QTest::newRow("success false: the message, one line")
        << FakeResponse::json(R"({"code":1113,"msg":"Insufficient balance\nor no plan","success":false})")
        << u"error: Insufficient balance or no plan (code 1113)"_s;
    QTest::newRow("a message quoting the key")
        << FakeResponse::json(R"({"code":500,"msg":"key )" + key + R"( is not valid","success":false})")
        << u"error: key … is not valid (code 500)"_s;
    QTest::newRow("code 1002") << FakeResponse::json(R"({"code":1002,"msg":"Invalid token","success":false})")
                               << u"error: the key was refused | needsAuth"_s;
    QTest::newRow("HTTP 401") << FakeResponse::json(R"({"code":401,"msg":"Authentication failure"})", 401)
                              << u"error: the key was refused | needsAuth"_s;
    FakeResponse tooMany = FakeResponse::json(R"({"code":1302})", 429);
    tooMany.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("120")));
    QTest::newRow("HTTP 429 with Retry-After") << tooMany << u"error: usage fetch failed (HTTP 429) | rateLimited 120"_s;
    QTest::newRow("HTTP 500 without JSON") << FakeResponse::json("<html>", 500)
                                           << u"error: usage fetch failed (HTTP 500)"_s;
}

void TestZaiUsageClient::answers()
{
    QFETCH(FakeResponse, response);
    QFETCH(QString, expected);
    m_server.respond(quotaPath, response);
    m_server.clearRequests();

    const ProviderResult result = QCoro::waitFor(ZaiUsageClient(Account::only(Provider::zai), QString::fromLatin1(key)).result(now));

    QCOMPARE(summary(result), expected);
    QCOMPARE(result.provider, Provider::zai);
    QVERIFY(!summary(result).contains(QString::fromLatin1(key)));
    const RecordedRequest request = m_server.requests(quotaPath).constFirst();
    QCOMPARE(request.header("Authorization"), key); // no "Bearer "
    QCOMPARE(request.header("Accept-Language") + ' ' + request.header("Accept"), "en-US,en application/json");
    QCOMPARE(request.header("User-Agent"), QByteArray(UsageRequest::productToken));
}

void TestZaiUsageClient::noKeyAsksNothing()
{
    m_server.clearRequests();
    const ProviderResult result = QCoro::waitFor(ZaiUsageClient::fetch(Account::only(Provider::zai), now));

    QCOMPARE(summary(result), u"error: no API key — add one in Settings or set ZAI_API_KEY | needsAuth"_s);
    QVERIFY(result.failedBeforeRequest);
    QVERIFY(m_server.requests().isEmpty());
}

QTEST_GUILESS_MAIN(TestZaiUsageClient)
#include "tst_zaiusageclient.moc"
