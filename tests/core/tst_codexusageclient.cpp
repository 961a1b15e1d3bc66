#include "CodexUsageClient.h"
#include "ExampleAnswers.h"
#include "FakeHttpServer.h"
#include "TemporaryHome.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
const QByteArray usagePath = "/backend-api/wham/usage";
const QByteArray signedIn = R"({"tokens": {"access_token": "codex-token", "account_id": "acct-1"}})";

QByteArray window(double used, const QDateTime &resetAt, double length)
{
    return u"{\"used_percent\": %1, \"reset_at\": %2, \"limit_window_seconds\": %3}"_s
        .arg(used).arg(resetAt.toSecsSinceEpoch()).arg(length).toUtf8();
}

const QByteArray bothWindows = "{\"rate_limit\": {\"primary_window\": " + window(40, now.addSecs(9000), 18000)
    + ", \"secondary_window\": " + window(62.5, now.addSecs(302400), 604800) + "}, \"plan_type\": \"plus\"}";

} // namespace

class TestCodexUsageClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void sendsHeadersAndBuildsBothWindows();
    void accountHeaderOnlyWithAnId_data();
    void accountHeaderOnlyWithAnId();
    void missingToken_data();
    void missingToken();
    void absentAuthFile_data();
    void absentAuthFile();
    void unreadableAuth_data();
    void unreadableAuth();
    void authFifoIsRefused();
    void codexHome_data();
    void codexHome();
    void statuses_data();
    void statuses();
    void payloads_data();
    void payloads();
    void loneWindowFollowsItsLength_data();
    void loneWindowFollowsItsLength();
    void bothWindowsFollowTheirLengths_data();
    void bothWindowsFollowTheirLengths();
    void exampleShapesAreNamedByLength_data();
    void exampleShapesAreNamedByLength();
    void lengthWords_data();
    void lengthWords();
    void transportFailureIsDescribed();

private:
    ProviderResult fetch() const { return QCoro::waitFor(CodexUsageClient(m_server.url(QString::fromLatin1(usagePath))).result(now)); }
    void writeAuth(const QByteArray &json) const { m_home->write(u".codex/auth.json"_s, json); }

    FakeHttpServer m_server;
    std::unique_ptr<TemporaryHome> m_home;
};

void TestCodexUsageClient::initTestCase()
{
    QVERIFY(m_server.listen());
}

void TestCodexUsageClient::init()
{
    m_home = std::make_unique<TemporaryHome>(std::initializer_list<const char *>{"CODEX_HOME"});
    QVERIFY(m_home->isValid());
    writeAuth(signedIn);
    m_server.clearRequests();
    m_server.respond(usagePath, FakeResponse::json(bothWindows));
}

void TestCodexUsageClient::sendsHeadersAndBuildsBothWindows()
{
    const ProviderResult result = fetch();
    QVERIFY(result.ok);
    QCOMPARE(result.source, u"live"_s);
    QVERIFY(!result.error);
    QVERIFY(!result.needsAuth);
    QCOMPARE(result.windows.size(), 2);
    QCOMPARE(result.windows[0].id(), u"codex_fast"_s);
    QCOMPARE(result.windows[0].pressurePercent, 9.999999999999998);
    QCOMPARE(result.windows[1].id(), u"codex_slow"_s);
    QCOMPARE(result.windows[1].pressurePercent, -12.5);
    QCOMPARE(result.windows[1].resetAt, now.addSecs(302400));

    const QList<RecordedRequest> requests = m_server.requests(usagePath);
    QCOMPARE(requests.size(), 1);
    QList<QByteArray> names;
    for (const auto &header : requests[0].headers)
        names.append(header.first);
    const qsizetype first = names.indexOf("Authorization");
    QCOMPARE(names.mid(first, 4), (QList<QByteArray>{"Authorization", "Accept", "User-Agent", "ChatGPT-Account-Id"}));
    QCOMPARE(requests[0].header("Authorization"), QByteArray("Bearer codex-token"));
    QCOMPARE(requests[0].header("Accept"), QByteArray("application/json"));
    QCOMPARE(requests[0].header("User-Agent"), QByteArray("Tidemarker/0.3"));
    QCOMPARE(requests[0].header("ChatGPT-Account-Id"), QByteArray("acct-1"));
}

void TestCodexUsageClient::accountHeaderOnlyWithAnId_data()
{
    QTest::addColumn<QByteArray>("auth");
    QTest::newRow("no account id") << QByteArray(R"({"tokens": {"access_token": "t"}})");
    QTest::newRow("empty account id") << QByteArray(R"({"tokens": {"access_token": "t", "account_id": ""}})");
    QTest::newRow("null account id") << QByteArray(R"({"tokens": {"access_token": "t", "account_id": null}})");
}

void TestCodexUsageClient::accountHeaderOnlyWithAnId()
{
    QFETCH(QByteArray, auth);
    writeAuth(auth);
    QVERIFY(fetch().ok);
    QVERIFY(!m_server.requests(usagePath).constFirst().hasHeader("ChatGPT-Account-Id"));
}

void TestCodexUsageClient::missingToken_data()
{
    QTest::addColumn<QByteArray>("auth");
    QTest::newRow("empty object") << QByteArray("{}");
    QTest::newRow("null tokens") << QByteArray(R"({"tokens": null})");
    QTest::newRow("no access token") << QByteArray(R"({"tokens": {"account_id": "a"}})");
    QTest::newRow("null access token") << QByteArray(R"({"tokens": {"access_token": null}})");
    QTest::newRow("empty access token") << QByteArray(R"({"tokens": {"access_token": ""}})");
}

void TestCodexUsageClient::missingToken()
{
    QFETCH(QByteArray, auth);
    writeAuth(auth);
    const ProviderResult result = fetch();
    QVERIFY(!result.ok);
    QCOMPARE(result.source, u"error"_s);
    QCOMPARE(result.error, u"no Codex auth (~/.codex/auth.json)"_s);
    QVERIFY(result.needsAuth);
    QVERIFY(m_server.requests().isEmpty());
}

void TestCodexUsageClient::absentAuthFile_data()
{
    QTest::addColumn<QString>("linkTarget"); // null: no link either
    QTest::newRow("no file") << QString();
    QTest::newRow("link to nothing") << u"gone.json"_s;
}

void TestCodexUsageClient::absentAuthFile()
{
    QFETCH(QString, linkTarget);
    const QString authFile = m_home->filePath(u".codex/auth.json"_s);
    QVERIFY(QFile::remove(authFile));
    if (!linkTarget.isNull())
        QVERIFY(QFile::link(m_home->filePath(linkTarget), authFile));
    const ProviderResult result = fetch();
    QCOMPARE(result.error, u"no Codex auth (~/.codex/auth.json)"_s);
    QVERIFY(result.needsAuth);
}

void TestCodexUsageClient::unreadableAuth_data()
{
    QTest::addColumn<QByteArray>("auth"); // empty: a folder in its place
    QTest::addColumn<QString>("message");
    QTest::newRow("a folder") << QByteArray() << u"cannot read "_s;
    QTest::newRow("not JSON") << QByteArray("codex-token") << u"auth.json is not valid JSON"_s;
    QTest::newRow("array") << QByteArray("[]") << u"auth.json is not a JSON object"_s;
    QTest::newRow("tokens a string") << QByteArray(R"({"tokens": "t"})") << u"\"tokens\" is not an object"_s;
    QTest::newRow("token a number") << QByteArray(R"({"tokens": {"access_token": 5}})")
                                    << u"\"tokens.access_token\" is not a string"_s;
}

void TestCodexUsageClient::unreadableAuth()
{
    QFETCH(QByteArray, auth);
    QFETCH(QString, message);
    if (auth.isEmpty()) {
        QVERIFY(QFile::remove(m_home->filePath(u".codex/auth.json"_s)));
        QVERIFY(QDir(m_home->path()).mkpath(u".codex/auth.json"_s));
    } else {
        writeAuth(auth);
    }
    const ProviderResult result = fetch();
    QVERIFY(!result.ok);
    QVERIFY(!result.needsAuth);
    QVERIFY2(result.error->contains(message), qPrintable(*result.error));
    QVERIFY2(result.error->contains(u"auth.json"_s), qPrintable(*result.error));
    QVERIFY(m_server.requests().isEmpty());
}

// Opened the plain way, a FIFO would keep the reading thread waiting for a writer for ever.
void TestCodexUsageClient::authFifoIsRefused()
{
    const QString path = m_home->filePath(u".codex/auth.json"_s);
    QVERIFY(makeFifo(path));
    QCOMPARE(fetch().error, u"cannot read %1: not a regular file"_s.arg(path));
}

void TestCodexUsageClient::codexHome_data()
{
    QTest::addColumn<QString>("codexHome"); // relative to the temporary home; null: unset
    QTest::addColumn<QString>("authFile");
    QTest::addColumn<QString>("signedOut"); // the message once it holds no token
    QTest::newRow("unset uses ~/.codex") << QString() << u".codex/auth.json"_s
                                         << u"no Codex auth (~/.codex/auth.json)"_s;
    QTest::newRow("set to a folder") << u"elsewhere"_s << u"elsewhere/auth.json"_s
                                     << u"no Codex auth (~/elsewhere/auth.json)"_s;
    QTest::newRow("set but empty is the working folder") << u""_s << u"auth.json"_s
                                                         << u"no Codex auth (~/auth.json)"_s;
}

void TestCodexUsageClient::codexHome()
{
    QFETCH(QString, codexHome);
    QFETCH(QString, authFile);
    QVERIFY(QFile::remove(m_home->filePath(u".codex/auth.json"_s)));
    m_home->write(authFile, signedIn);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_home->path());
    if (!codexHome.isNull())
        qputenv("CODEX_HOME", codexHome.isEmpty() ? QByteArray("") : m_home->filePath(codexHome).toUtf8());

    const ProviderResult result = fetch();
    QDir::setCurrent(previous);
    QVERIFY2(result.ok, qPrintable(result.error.value_or(QString())));

    // The message names the file looked for.
    m_home->write(authFile, "{}");
    QDir::setCurrent(m_home->path());
    const ProviderResult signedOut = fetch();
    QDir::setCurrent(previous);
    QTEST(signedOut.error.value_or(QString()), "signedOut");
}

// A refused sign-in offers a new one.
void TestCodexUsageClient::statuses_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("needsAuth");
    QTest::newRow("401") << 401 << u"usage fetch failed (HTTP 401)"_s << true;
    QTest::newRow("403") << 403 << u"usage fetch failed (HTTP 403)"_s << true;
    QTest::newRow("429") << 429 << u"usage fetch failed"_s << false;
    QTest::newRow("500") << 500 << u"usage fetch failed"_s << false;
}

void TestCodexUsageClient::statuses()
{
    QFETCH(int, status);
    QFETCH(QString, error);
    QFETCH(bool, needsAuth);
    m_server.respond(usagePath, FakeResponse::json(bothWindows, status));
    const ProviderResult result = fetch();
    QVERIFY(!result.ok);
    QCOMPARE(result.source, u"error"_s);
    QCOMPARE(result.error, error);
    QCOMPARE(result.needsAuth, needsAuth);
    QVERIFY(result.windows.isEmpty());
}

void TestCodexUsageClient::payloads_data()
{
    const QByteArray good = window(10, now.addSecs(100), 18000);
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("error"); // empty: none
    QTest::newRow("no windows") << QByteArray(R"({"rate_limit": {}})") << QStringList() << QString();
    QTest::newRow("both null") << QByteArray(R"({"rate_limit": {"primary_window": null, "secondary_window": null}})")
                               << QStringList() << QString();
    QTest::newRow("primary only") << "{\"rate_limit\": {\"primary_window\": " + good + "}}"
                                  << QStringList{u"codex_fast"_s} << QString();
    QTest::newRow("secondary null") << "{\"rate_limit\": {\"primary_window\": " + good + ", \"secondary_window\": null}}"
                                    << QStringList{u"codex_fast"_s} << QString();
    QTest::newRow("whole numbers and extras") << QByteArray(R"({"x": 1, "rate_limit": {"y": [], "primary_window":
        {"used_percent": 5, "reset_at": 1796000000, "limit_window_seconds": 18000, "z": "w"}}})")
                                              << QStringList{u"codex_fast"_s} << QString();
    QTest::newRow("string number fails all") << "{\"rate_limit\": {\"primary_window\": " + good
            + R"(, "secondary_window": {"used_percent": "40", "reset_at": 1, "limit_window_seconds": 604800}}})"
                                             << QStringList()
                                             << u"usage response: \"rate_limit.secondary_window.used_percent\" is not a number"_s;
    QTest::newRow("missing member") << QByteArray(R"({"rate_limit": {"primary_window": {"used_percent": 1, "reset_at": 1}}})")
                                    << QStringList()
                                    << u"usage response: \"rate_limit.primary_window.limit_window_seconds\" is missing"_s;
    // A reset in milliseconds is read as such; one the snapshot could not write, or a window
    // longer than 366 days, is left out.
    const auto primaryOnly = [](const QString &resetAt, double length) {
        return u"{\"rate_limit\": {\"primary_window\": {\"used_percent\": 5, \"reset_at\": %1, "
               "\"limit_window_seconds\": %2}}}"_s.arg(resetAt).arg(length, 0, 'f', 0).toUtf8();
    };
    QTest::newRow("reset in milliseconds") << primaryOnly(QString::number(now.addSecs(100).toMSecsSinceEpoch()), 18000)
                                           << QStringList{u"codex_fast"_s} << QString();
    QTest::newRow("reset past year 9999") << primaryOnly(u"1e15"_s, 18000) << QStringList() << QString();
    QTest::newRow("window over 366 days") << primaryOnly(QString::number(now.toSecsSinceEpoch()), 366 * 86400 + 1)
                                          << QStringList() << QString();
    QTest::newRow("no rate_limit") << QByteArray("{}") << QStringList() << u"usage response: \"rate_limit\" is missing"_s;
    // Some business plans: an answer, not a broken one.
    QTest::newRow("null rate_limit") << QByteArray(R"({"rate_limit": null})") << QStringList()
                                     << u"no rate limits reported for this plan"_s;
    QTest::newRow("window not an object") << QByteArray(R"({"rate_limit": {"primary_window": 3}})") << QStringList()
                                          << u"usage response: \"rate_limit.primary_window\" is not an object"_s;
    QTest::newRow("array") << QByteArray("[]") << QStringList() << u"usage response is not a JSON object"_s;
    QTest::newRow("not JSON") << QByteArray("<html>") << QStringList() << u"usage response is not valid JSON"_s;
}

void TestCodexUsageClient::payloads()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, ids);
    QFETCH(QString, error);
    m_server.respond(usagePath, FakeResponse::json(body));
    const ProviderResult result = fetch();

    QStringList got;
    for (const UsageWindow &w : result.windows)
        got.append(w.id());
    QCOMPARE(got, ids);
    QCOMPARE(result.ok, !ids.isEmpty());
    QCOMPARE(result.source, error.startsWith(u"usage response"_s) ? u"error"_s : u"live"_s);
    if (error.isEmpty())
        QVERIFY(!result.error);
    else
        QVERIFY2(result.error->startsWith(error), qPrintable(*result.error));
}

void TestCodexUsageClient::loneWindowFollowsItsLength_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<double>("length");
    QTest::addColumn<QString>("id");
    QTest::newRow("weekly primary alone") << u"primary_window"_s << 604800.0 << u"codex_slow"_s;
    QTest::newRow("one day is long") << u"primary_window"_s << 86400.0 << u"codex_slow"_s;
    QTest::newRow("just under a day") << u"primary_window"_s << 86399.0 << u"codex_fast"_s;
    QTest::newRow("short secondary alone") << u"secondary_window"_s << 18000.0 << u"codex_fast"_s;
    QTest::newRow("weekly secondary alone") << u"secondary_window"_s << 604800.0 << u"codex_slow"_s;
}

void TestCodexUsageClient::bothWindowsFollowTheirLengths_data()
{
    QTest::addColumn<double>("primaryLength");
    QTest::addColumn<double>("secondaryLength");
    QTest::addColumn<QList<double>>("lengths"); // of the 5h window, then of the weekly one
    QTest::newRow("as usual") << 18000.0 << 604800.0 << QList<double>{18000, 604800};
    QTest::newRow("weekly first") << 604800.0 << 18000.0 << QList<double>{18000, 604800};
    QTest::newRow("both short keep their slots") << 3600.0 << 18000.0 << QList<double>{3600, 18000};
    QTest::newRow("30-day first, weekly fast") << 2592000.0 << 604800.0 << QList<double>{604800, 2592000};
    QTest::newRow("weekly first, weekly fast") << 604800.0 << 2592000.0 << QList<double>{604800, 2592000};
}

void TestCodexUsageClient::bothWindowsFollowTheirLengths()
{
    QFETCH(double, primaryLength);
    QFETCH(double, secondaryLength);
    QFETCH(QList<double>, lengths);
    m_server.respond(usagePath, FakeResponse::json("{\"rate_limit\": {\"primary_window\": " + window(20, now.addSecs(60), primaryLength)
        + ", \"secondary_window\": " + window(30, now.addSecs(60), secondaryLength) + "}}"));
    const ProviderResult result = fetch();
    QCOMPARE(result.windows.size(), 2);
    QCOMPARE((QList<double>{result.windows[0].limitWindowSeconds, result.windows[1].limitWindowSeconds}), lengths);
    QCOMPARE(result.windows[0].id(), u"codex_fast"_s);
}

void TestCodexUsageClient::loneWindowFollowsItsLength()
{
    QFETCH(QString, member);
    QFETCH(double, length);
    QFETCH(QString, id);
    const QByteArray body = "{\"rate_limit\": {\"" + member.toUtf8() + "\": " + window(20, now.addSecs(60), length) + "}}";
    m_server.respond(usagePath, FakeResponse::json(body));
    const ProviderResult result = fetch();
    QCOMPARE(result.windows.size(), 1);
    QCOMPARE(result.windows[0].id(), id);
    QCOMPARE(result.windows[0].limitWindowSeconds, length);
}

void TestCodexUsageClient::exampleShapesAreNamedByLength_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("windows"); // id and name, the fast one first
    QTest::newRow("5h and weekly") << u"codex-plus.json"_s << QStringList{u"codex_fast 5h"_s, u"codex_slow Weekly"_s};
    QTest::newRow("weekly alone") << u"codex-weekly-only.json"_s << QStringList{u"codex_slow Weekly"_s};
    QTest::newRow("30-day alone") << u"codex-30day.json"_s << QStringList{u"codex_slow 30-day"_s};
    QTest::newRow("30-day and weekly") << u"codex-30day-weekly.json"_s
                                       << QStringList{u"codex_fast Weekly"_s, u"codex_slow 30-day"_s};
}

void TestCodexUsageClient::exampleShapesAreNamedByLength()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, windows);
    m_server.respond(usagePath, FakeResponse::json(exampleAnswer(answer, now)));
    QStringList seen;
    for (const UsageWindow &window : fetch().windows)
        seen.append(window.id() + u' ' + window.displayLabel());
    QCOMPARE(seen, windows);
}

void TestCodexUsageClient::lengthWords_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("word");
    for (const auto &[seconds, word] : {std::pair{18000.0, "5h"}, {604800.0, "weekly"}, {2592000.0, "30-day"},
                                         {86400.0, "1-day"}, {28800.0, "8h"}, {1800.0, "1h"},
                                         {2419200.0, "30-day (28 days)"}})
        QTest::addRow("%s", word) << seconds << QString::fromLatin1(word);
}

void TestCodexUsageClient::lengthWords()
{
    QFETCH(double, seconds);
    QFETCH(QString, word);
    QCOMPARE(CodexUsageClient::lengthWord(seconds), word.section(u' ', 0, 0));
}

void TestCodexUsageClient::transportFailureIsDescribed()
{
    FakeResponse oversized = FakeResponse::json(QByteArray(UsageRequest::maxBodyBytes + 10, ' '));
    m_server.respond(usagePath, oversized);
    const ProviderResult result = fetch();
    QVERIFY(!result.ok);
    QVERIFY(!result.needsAuth);
    QVERIFY2(result.error->startsWith(u"response too large"_s), qPrintable(*result.error));
    QVERIFY(!result.error->contains(u"codex-token"_s));
}

QTEST_GUILESS_MAIN(TestCodexUsageClient)
#include "tst_codexusageclient.moc"
