#include "FakeHttpServer.h"
#include "UsageRequest.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const UsageRequest::Headers headers = {
    {"Authorization", "Bearer secret-token"},
    {"Accept", "application/json"},
    {"User-Agent", "Tidemarker/0.3"},
};

HttpOutcome fetch(const QUrl &url)
{
    return QCoro::waitFor(UsageRequest::get(url, headers));
}

QString failureOf(const HttpOutcome &outcome)
{
    const auto *error = std::get_if<PlainError>(&outcome);
    return error ? error->description : QString();
}

// 256 MiB of zeros as gzip (about 260 KB) or deflate, made by the real gzip and zlib.
QByteArray zerosCompressed(const QByteArray &encoding)
{
    const QByteArray zeros(256 * 1024 * 1024, '\0');
    if (encoding == "deflate")
        return qCompress(zeros).sliced(4); // qCompress puts the length first
    QProcess gzip;
    gzip.start(u"gzip"_s, {u"-c"_s});
    gzip.write(zeros);
    gzip.closeWriteChannel();
    gzip.waitForFinished(-1);
    return gzip.readAllStandardOutput();
}

} // namespace

class TestUsageRequest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void sendsHeadersInOrder();
    void errorStatusesAreAnswers_data();
    void errorStatusesAreAnswers();
    void followsRedirectWithinOrigin();
    void refusesRedirectToAnotherOrigin();
    void bodySizeLimit_data();
    void bodySizeLimit();
    void idleTimeout();
    void hostileAnswers_data();
    void hostileAnswers();
    void compressedPastTheCapFailsAtOnce_data();
    void compressedPastTheCapFailsAtOnce();
    void deadlineEndsADrip();
    void transferFailures_data();
    void transferFailures();
    void slowSteadyAnswerIsNotCut();
    void connectionRefused();
    void refusesLineBreakInHeader_data();
    void refusesLineBreakInHeader();
    void redirectLoop();
    void answerThatIsNotHttp();
    void usesProxyFromEnvironment();
    void noProxyBypassesIt();

private:
    FakeHttpServer m_server;
};

void TestUsageRequest::initTestCase()
{
    QVERIFY(m_server.listen());
}

void TestUsageRequest::init()
{
    m_server.clearRequests();
    UsageRequest::setIdleTimeout(2s);
    qunsetenv("http_proxy");
    qunsetenv("https_proxy");
    qunsetenv("no_proxy");
}

void TestUsageRequest::cleanup()
{
    UsageRequest::setIdleTimeout(UsageRequest::defaultIdleTimeout);
    UsageRequest::setDeadline(UsageRequest::defaultDeadline);
}

void TestUsageRequest::sendsHeadersInOrder()
{
    m_server.respond("/usage", FakeResponse::json("{\"a\":1}"));
    const HttpOutcome outcome = fetch(m_server.url(u"/usage"_s));
    const auto &reply = std::get<HttpReply>(outcome);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.body, QByteArray("{\"a\":1}"));

    const RecordedRequest request = m_server.requests().constFirst();
    QCOMPARE(request.method, QByteArray("GET"));
    QList<QByteArray> names;
    for (const auto &header : request.headers)
        names.append(header.first);
    const qsizetype authorization = names.indexOf("Authorization");
    QVERIFY(authorization >= 0);
    QCOMPARE(names.indexOf("Accept"), authorization + 1);
    QCOMPARE(names.indexOf("User-Agent"), authorization + 2);
    QCOMPARE(request.header("Authorization"), QByteArray("Bearer secret-token"));
    QCOMPARE(request.header("User-Agent"), QByteArray("Tidemarker/0.3"));
    QVERIFY(!request.hasHeader("Content-Length"));
}

void TestUsageRequest::errorStatusesAreAnswers_data()
{
    QTest::addColumn<int>("status");
    for (int status : {401, 403, 429, 500, 503})
        QTest::addRow("%d", status) << status;
}

void TestUsageRequest::errorStatusesAreAnswers()
{
    QFETCH(int, status);
    m_server.respond("/usage", FakeResponse::json("{\"error\":\"no\"}", status));
    const HttpOutcome outcome = fetch(m_server.url(u"/usage"_s));
    QVERIFY2(std::holds_alternative<HttpReply>(outcome), qPrintable(failureOf(outcome)));
    QCOMPARE(std::get<HttpReply>(outcome).status, status);
}

void TestUsageRequest::followsRedirectWithinOrigin()
{
    m_server.respond("/old", FakeResponse::redirect(m_server.url(u"/new"_s)));
    m_server.respond("/new", FakeResponse::json("{}"));
    const HttpOutcome outcome = fetch(m_server.url(u"/old"_s));
    QCOMPARE(std::get<HttpReply>(outcome).status, 200);
    QCOMPARE(m_server.requests("/new").constFirst().header("Authorization"),
             QByteArray("Bearer secret-token"));
}

void TestUsageRequest::refusesRedirectToAnotherOrigin()
{
    FakeHttpServer elsewhere;
    QVERIFY(elsewhere.listen());
    elsewhere.respond("/steal", FakeResponse::json("{}"));
    m_server.respond("/old", FakeResponse::redirect(elsewhere.url(u"/steal"_s)));

    const QString failure = failureOf(fetch(m_server.url(u"/old"_s)));
    QVERIFY2(failure.contains(u"redirect"_s), qPrintable(failure));
    QVERIFY(failure.contains(QString::number(elsewhere.port())));
    QVERIFY(!failure.contains(u"secret-token"_s));
    QVERIFY(elsewhere.requests().isEmpty());
}

void TestUsageRequest::bodySizeLimit_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exactly 1 MiB") << qsizetype(UsageRequest::maxBodyBytes) << true;
    QTest::newRow("one byte more") << qsizetype(UsageRequest::maxBodyBytes + 1) << false;
    QTest::newRow("8 MiB") << qsizetype(8 * UsageRequest::maxBodyBytes) << false;
}

void TestUsageRequest::bodySizeLimit()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, accepted);
    m_server.respond("/big", FakeResponse::json(QByteArray(size, ' ')));
    const HttpOutcome outcome = fetch(m_server.url(u"/big"_s));
    if (accepted) {
        QCOMPARE(std::get<HttpReply>(outcome).body.size(), size);
    } else {
        QVERIFY2(failureOf(outcome).startsWith(u"response too large"_s), qPrintable(failureOf(outcome)));
    }
}

void TestUsageRequest::idleTimeout()
{
    UsageRequest::setIdleTimeout(300ms);
    FakeResponse stalled = FakeResponse::json("{\"rate_limit\": {}}");
    stalled.stopAfter = 5;
    m_server.respond("/stall", stalled);
    QCOMPARE(failureOf(fetch(m_server.url(u"/stall"_s))), u"request timed out (no data for 0.3 s)"_s);

    FakeResponse silent = FakeResponse::json("{}");
    silent.delayMs = 2000;
    m_server.respond("/silent", silent);
    QVERIFY(failureOf(fetch(m_server.url(u"/silent"_s))).startsWith(u"request timed out"_s));
}

// Memory is measured by bench_hostileanswers; here only what the caller is told.
void TestUsageRequest::hostileAnswers_data()
{
    QTest::addColumn<FakeResponse>("response");
    QTest::addColumn<QStringList>("failures"); // any of these

    const QStringList tooLarge = {u"response too large (over 1048576 bytes)"_s};
    FakeResponse announced;
    announced.streamedBytes = 100'000'000;
    QTest::newRow("100 MB with its length") << announced << tooLarge;
    FakeResponse chunked = announced;
    chunked.framing = FakeResponse::Framing::chunked;
    QTest::newRow("100 MB chunked") << chunked << tooLarge;
    FakeResponse untilClose = announced;
    untilClose.framing = FakeResponse::Framing::untilClose;
    QTest::newRow("100 MB until the connection closes") << untilClose << tooLarge;

    FakeResponse bomb = FakeResponse::json(qCompress(QByteArray(64 * 1024 * 1024, '{')).sliced(4));
    bomb.headers.append({QByteArray("Content-Encoding"), QByteArray("deflate")});
    QTest::newRow("deflate bomb") << bomb << QStringList{u"Decompression failed: "_s};

    // Qt mostly reports the early close itself, but not always.
    FakeResponse cut = FakeResponse::json("{\"rate_limit\": {\"primary_window\": {}}}");
    cut.stopAfter = 10;
    cut.closeWhenStopped = true;
    QTest::newRow("body shorter than its length")
        << cut << QStringList{u"Connection closed"_s, u"response ended early (10 of 38 bytes)"_s};
}

void TestUsageRequest::hostileAnswers()
{
    QFETCH(FakeResponse, response);
    QFETCH(QStringList, failures);
    m_server.respond("/hostile", response);
    const QString failure = failureOf(fetch(m_server.url(u"/hostile"_s)));
    QVERIFY2(failures.contains(failure), qPrintable(failure));
}

void TestUsageRequest::compressedPastTheCapFailsAtOnce_data()
{
    QTest::addColumn<FakeResponse>("response");
    for (const QByteArray encoding : {"gzip", "deflate"}) {
        FakeResponse withLength = FakeResponse::json(zerosCompressed(encoding));
        withLength.headers.append({QByteArray("Content-Encoding"), encoding});
        QTest::addRow("%s with its length", encoding.constData()) << withLength;
        FakeResponse chunked = withLength;
        chunked.framing = FakeResponse::Framing::chunked;
        QTest::addRow("%s chunked", encoding.constData()) << chunked;
        FakeResponse refused = withLength;
        refused.status = 429;
        QTest::addRow("%s refused", encoding.constData()) << refused;
    }
}

// Times are reported, not judged; a hang would end at the idle limit of 60 s. A refusal stays
// an answer, told by its status.
void TestUsageRequest::compressedPastTheCapFailsAtOnce()
{
    QFETCH(FakeResponse, response);
    UsageRequest::setIdleTimeout(UsageRequest::defaultIdleTimeout);
    m_server.respond("/compressed", response);
    QElapsedTimer timer;
    timer.start();
    const HttpOutcome outcome = fetch(m_server.url(u"/compressed"_s));
    const auto *answer = std::get_if<HttpReply>(&outcome);
    const QString said = answer ? u"HTTP %1"_s.arg(answer->status) : failureOf(outcome);
    qInfo("%s: over after %lld ms: %s", QTest::currentDataTag(), timer.elapsed(), qPrintable(said));
    QVERIFY2(said == u"response too large (over 1048576 bytes)"_s || said.startsWith(u"Decompression failed: "_s)
                 || (said == u"HTTP 429"_s && response.status == 429),
             qPrintable(said));
}

void TestUsageRequest::deadlineEndsADrip()
{
    UsageRequest::setDeadline(1s);
    FakeResponse drip = FakeResponse::json(QByteArray(100, ' '));
    drip.chunkSize = 1;
    drip.chunkIntervalMs = 50; // never idle, and five seconds in all
    m_server.respond("/drip", drip);
    QCOMPARE(failureOf(fetch(m_server.url(u"/drip"_s))), u"request took longer than 1 s"_s);
}

void TestUsageRequest::transferFailures_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("failure");
    QTest::newRow("ftp") << QUrl(u"ftp://127.0.0.1/usage"_s) << u"Protocol \"ftp\" is unknown"_s;
    // Qt reports it as a protocol error on the 302 itself.
    m_server.respond("/to-file", FakeResponse::redirect(QUrl(u"file:///etc/passwd"_s)));
    QTest::newRow("redirect to a file") << m_server.url(u"/to-file"_s) << u"Unknown protocol specified"_s;
}

void TestUsageRequest::transferFailures()
{
    QFETCH(QUrl, url);
    QFETCH(QString, failure);
    QCOMPARE(failureOf(fetch(url)), failure);
}

void TestUsageRequest::slowSteadyAnswerIsNotCut()
{
    UsageRequest::setIdleTimeout(400ms);
    FakeResponse trickle = FakeResponse::json(QByteArray(10, 'x'));
    trickle.chunkSize = 1;
    trickle.chunkIntervalMs = 100; // a second in all, never 400 ms without a byte
    m_server.respond("/trickle", trickle);
    const HttpOutcome outcome = fetch(m_server.url(u"/trickle"_s));
    QVERIFY2(std::holds_alternative<HttpReply>(outcome), qPrintable(failureOf(outcome)));
    QCOMPARE(std::get<HttpReply>(outcome).body, QByteArray(10, 'x'));
}

void TestUsageRequest::connectionRefused()
{
    QUrl url;
    {
        FakeHttpServer closed; // takes a free port and gives it back
        QVERIFY(closed.listen());
        url = closed.url(u"/usage"_s);
    }
    QVERIFY(!failureOf(fetch(url)).isEmpty());
}

void TestUsageRequest::refusesLineBreakInHeader_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QString>("what");
    QTest::newRow("CR LF") << QByteArray("tok\r\nX-Injected: yes") << u"a line break"_s;
    QTest::newRow("LF") << QByteArray("tok\nX-Injected: yes") << u"a line break"_s;
    QTest::newRow("NUL") << QByteArray("tok\0x", 5) << u"a NUL byte"_s;
}

void TestUsageRequest::refusesLineBreakInHeader()
{
    QFETCH(QByteArray, token);
    QFETCH(QString, what);
    m_server.respond("/usage", FakeResponse::json("{}"));
    const HttpOutcome outcome = QCoro::waitFor(UsageRequest::get(m_server.url(u"/usage"_s), UsageRequest::bearerHeaders(token)));
    QCOMPARE(failureOf(outcome), u"request header \"Authorization\" holds "_s + what);
    QVERIFY(m_server.requests().isEmpty());
}

void TestUsageRequest::redirectLoop()
{
    m_server.respond("/loop", FakeResponse::redirect(m_server.url(u"/loop"_s)));
    QCOMPARE(failureOf(fetch(m_server.url(u"/loop"_s))), u"too many redirects"_s);
}

void TestUsageRequest::answerThatIsNotHttp()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("{}");
    file.close();
    const HttpOutcome outcome = fetch(QUrl::fromLocalFile(file.fileName()));
    QCOMPARE(std::get<HttpReply>(outcome).status, 0);
    QVERIFY(!std::get<HttpReply>(outcome).isSuccess());
}

// A proxy that is a plain HTTP server sees the absolute URL as the request target.
void TestUsageRequest::usesProxyFromEnvironment()
{
    FakeHttpServer proxy;
    QVERIFY(proxy.listen());
    proxy.respond("http://usage.tidemarker.invalid/usage", FakeResponse::json("{}"));
    qputenv("http_proxy", proxy.url(QString()).toEncoded());
    const HttpOutcome outcome = fetch(QUrl(u"http://usage.tidemarker.invalid/usage"_s));
    QVERIFY2(std::holds_alternative<HttpReply>(outcome), qPrintable(failureOf(outcome)));
    QCOMPARE(proxy.requests().size(), 1);
}

void TestUsageRequest::noProxyBypassesIt()
{
    FakeHttpServer proxy;
    QVERIFY(proxy.listen());
    qputenv("http_proxy", proxy.url(QString()).toEncoded());
    qputenv("no_proxy", "127.0.0.1");
    m_server.respond("/usage", FakeResponse::json("{}"));
    QCOMPARE(std::get<HttpReply>(fetch(m_server.url(u"/usage"_s))).status, 200);
    QVERIFY(proxy.requests().isEmpty());
}

QTEST_GUILESS_MAIN(TestUsageRequest)
#include "tst_usagerequest.moc"
