#include "ClaudeUsageClient.h"
#include "CodexUsageClient.h"
#include "FakeHttpServer.h"
#include "RetryAfter.h"
#include "TemporaryHome.h"
#include "UsageRequest.h"
#include "UsageStore.h"

#include <QSignalSpy>
#include <QTest>

#include <QCoroTimer>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);

UsageWindow window(Provider provider, WindowSpeed speed, double used, const QDateTime &now)
{
    return UsageWindow::make(provider, speed, used, now.addSecs(9000), 18000, now);
}

// A provider whose answers the test scripts one call at a time.
struct ScriptedProvider {
    explicit ScriptedProvider(Provider who)
        : provider(who)
        , answers{ok(start)}
    {
    }

    Provider provider;
    QList<ProviderResult> answers; // the last one repeats
    std::chrono::milliseconds delay{0};
    int calls = 0;
    int finished = 0;
    QList<QDateTime> asked;
    std::function<void()> onCall;

    ProviderResult ok(const QDateTime &now) const
    {
        return {provider, true, u"live"_s, std::nullopt, {window(provider, WindowSpeed::fast, 10, now)}, false};
    }
    ProviderResult failure(const QString &message, bool needsAuth = false) const
    {
        return {provider, false, u"error"_s, message, {}, needsAuth};
    }

    // The store owns the returned function, so the coroutine must not live in it: its
    // captures would be gone when a fetch resumes after the store.
    UsageStore::Fetch fetch()
    {
        return [this](QDateTime now) { return answer(this, now); };
    }

    static QCoro::Task<ProviderResult> answer(ScriptedProvider *self, QDateTime now)
    {
        ++self->calls;
        self->asked.append(now);
        if (self->onCall)
            self->onCall();
        const ProviderResult answer = self->answers.value(self->calls - 1, self->answers.value(self->answers.size() - 1));
        if (self->delay > 0ms)
            co_await QCoro::sleepFor(self->delay);
        ++self->finished;
        co_return answer;
    }
};

} // namespace

class TestUsageStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void initialSnapshotIsEmpty();
    void firstRefreshCallsBothAndShowsEachAnswer();
    void aSlowAccountHoldsUpNoOther();
    void successClosesTheGateFor240Seconds();
    void failuresBackOff();
    void successAfterFailuresResetsBackoff();
    void retryAfterOnlyExtendsTheGate_data();
    void retryAfterOnlyExtendsTheGate();
    void failureNeedingSignIn_data();
    void failureNeedingSignIn();
    void cachedFiguresSayWhenAndWhy();
    void okWithoutWindowsFallsBackOrPassesThrough();
    void throttledWithoutLastGood_data();
    void throttledWithoutLastGood();
    void codexFailureKeepsCodexWindows();
    void generatedAtIsTheStart();
    void clockSetBackWhileRunning();
    void codexIsAskedBeforeClaudeAnswers();
    void overlappingRefreshesNewestAnswerWins();
    void destroyedWhileRefreshing_data();
    void destroyedWhileRefreshing();
    void realClientsFetchConcurrently();

private:
    QCoro::Task<void> refreshAt(const QDateTime &when);
    std::unique_ptr<UsageStore> makeStore();

    QDateTime m_now;
    std::chrono::seconds m_wallClockShift{0}; // how far the wall clock was set, which elapsed time ignores
    std::unique_ptr<ScriptedProvider> m_codex;
    std::unique_ptr<ScriptedProvider> m_claude;
    std::unique_ptr<UsageStore> m_store;
};

void TestUsageStore::init()
{
    m_now = start;
    m_wallClockShift = 0s;
    m_codex = std::make_unique<ScriptedProvider>(Provider::codex);
    m_claude = std::make_unique<ScriptedProvider>(Provider::claude);
    m_store = makeStore();
}

std::unique_ptr<UsageStore> TestUsageStore::makeStore()
{
    const auto elapsed = [this] {
        return ContinuousClock::time_point(std::chrono::milliseconds(start.msecsTo(m_now)) - m_wallClockShift);
    };
    return std::make_unique<UsageStore>(UsageStore::Clock{[this] { return m_now; }, elapsed}, m_codex->fetch(),
                                        m_claude->fetch());
}

QCoro::Task<void> TestUsageStore::refreshAt(const QDateTime &when)
{
    m_now = when;
    co_await m_store->refresh();
}

void TestUsageStore::initialSnapshotIsEmpty()
{
    QVERIFY(m_store->status().results.isEmpty());
    QCOMPARE(m_store->status().summary(), u"Tidemarker: usage unavailable"_s);
    QCOMPARE(m_store->status().generatedAt, start);
}

void TestUsageStore::firstRefreshCallsBothAndShowsEachAnswer()
{
    QSignalSpy changed(m_store.get(), &UsageStore::statusChanged);
    QSignalSpy refreshed(m_store.get(), &UsageStore::refreshed);
    QCoro::waitFor(refreshAt(start));
    QCOMPARE(m_codex->calls, 1);
    QCOMPARE(m_claude->calls, 1);
    QCOMPARE(m_claude->asked.first(), start);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(refreshed.count(), 1);
    const UsageStatus &status = m_store->status();
    QCOMPARE(status.results.size(), 2);
    QCOMPARE(status.results[0].provider, Provider::codex);
    QCOMPARE(status.results[1].provider, Provider::claude);
    QCOMPARE(status.results[1].source, u"live"_s);
}

// Codex takes its time: Claude's answer shows meanwhile, in its place after Codex's section,
// and Codex keeps its last figures until its own answer is in.
void TestUsageStore::aSlowAccountHoldsUpNoOther()
{
    QCoro::waitFor(refreshAt(start));
    m_codex->delay = 200ms;
    m_codex->answers = {m_codex->failure(u"usage fetch failed"_s)};
    m_now = start.addSecs(300);
    QSignalSpy refreshed(m_store.get(), &UsageStore::refreshed);
    auto pending = m_store->refresh();
    QTRY_COMPARE(m_store->status().result(Provider::claude)->fetchedAt, start.addSecs(300));
    QCOMPARE(m_store->status().results.first().provider, Provider::codex);
    QCOMPARE(m_store->status().result(Provider::codex)->source, u"live"_s);
    QCOMPARE(refreshed.count(), 0);
    QCoro::waitFor(pending);
    QCOMPARE(m_store->status().result(Provider::codex)->source, u"cached"_s);
    QCOMPARE(m_store->status().result(Provider::codex)->error, u"usage fetch failed"_s);
    QCOMPARE(refreshed.count(), 1);
}

void TestUsageStore::successClosesTheGateFor240Seconds()
{
    QCoro::waitFor(refreshAt(start));
    QCOMPARE(m_store->claudeNextAllowed(), start.addSecs(240));

    QCoro::waitFor(refreshAt(start.addSecs(100)));
    QCOMPARE(m_claude->calls, 1);
    QCOMPARE(m_codex->calls, 2);
    const ProviderResult claude = *m_store->status().result(Provider::claude);
    QVERIFY(claude.ok);
    QCOMPARE(claude.source, u"cached"_s);
    QVERIFY(!claude.error); // no request was refused
    QVERIFY(!claude.lastFetchFailed);
    QCOMPARE(claude.windows.size(), 1);
    QCOMPARE(claude.windows.first().resetAt, start.addSecs(9000));
    QVERIFY(!claude.needsAuth);
    QCOMPARE(m_store->claudeNextAllowed(), start.addSecs(240)); // a skipped call changes nothing

    QCoro::waitFor(refreshAt(start.addSecs(240)));
    QCOMPARE(m_claude->calls, 2);
}

void TestUsageStore::failuresBackOff()
{
    m_claude->answers = {m_claude->failure(u"usage fetch failed (HTTP 500)"_s)};
    QDateTime when = start;
    for (double expected : {240.0, 480.0, 900.0, 900.0}) {
        QCoro::waitFor(refreshAt(when));
        QCOMPARE(m_store->claudeBackoff(), expected);
        QCOMPARE(m_store->claudeNextAllowed(), when.addSecs(qint64(expected)));
        QCoro::waitFor(refreshAt(m_store->claudeNextAllowed().addSecs(-1)));
        when = m_store->claudeNextAllowed();
    }
    QCOMPARE(m_claude->calls, 4);
}

void TestUsageStore::successAfterFailuresResetsBackoff()
{
    m_claude->answers = {m_claude->failure(u"x"_s), m_claude->failure(u"x"_s), m_claude->ok(start)};
    QCoro::waitFor(refreshAt(start));
    QCoro::waitFor(refreshAt(start.addSecs(240)));
    QCOMPARE(m_store->claudeBackoff(), 480.0);
    QCoro::waitFor(refreshAt(start.addSecs(720)));
    QCOMPARE(m_store->claudeBackoff(), 0.0);
    QCOMPARE(m_store->claudeNextAllowed(), start.addSecs(960));
}

void TestUsageStore::retryAfterOnlyExtendsTheGate_data()
{
    QTest::addColumn<QByteArray>("retryAfter"); // as the service sent it
    QTest::addColumn<int>("gateSeconds");

    QTest::newRow("under the back-off") << QByteArray("120") << 240;
    QTest::newRow("beyond it") << QByteArray("1600") << 1600;
    QTest::newRow("a day, capped") << QByteArray("86400") << 3600;
    QTest::newRow("HTTP date") << QByteArray("Mon, 07 Dec 2026 12:26:40 GMT") << 1600;
    QTest::newRow("malformed") << QByteArray("soon") << 240;
    QTest::newRow("zero") << QByteArray("0") << 240;
    QTest::newRow("absent") << QByteArray() << 240;
}

// The back-off runs on as before: a 429 without the field next, then a success.
void TestUsageStore::retryAfterOnlyExtendsTheGate()
{
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, gateSeconds);
    ProviderResult limited = m_claude->failure(u"usage fetch failed (HTTP 429)"_s);
    limited.retryAfter = retryAfterWait(retryAfter, start);
    m_claude->answers = {limited, m_claude->failure(u"usage fetch failed (HTTP 429)"_s), m_claude->ok(start)};

    QCoro::waitFor(refreshAt(start));
    QCOMPARE(m_store->claudeBackoff(), 240.0);
    QCOMPARE(m_store->claudeNextAllowed(), start.addSecs(gateSeconds));
    QCoro::waitFor(refreshAt(start.addSecs(gateSeconds - 1)));
    QCOMPARE(m_claude->calls, 1);

    const QDateTime second = start.addSecs(gateSeconds);
    QCoro::waitFor(refreshAt(second));
    QCOMPARE(m_store->claudeBackoff(), 480.0);
    QCOMPARE(m_store->claudeNextAllowed(), second.addSecs(480));
    QCoro::waitFor(refreshAt(second.addSecs(480)));
    QCOMPARE(m_store->claudeBackoff(), 0.0);
    QCOMPARE(m_store->claudeNextAllowed(), second.addSecs(720));
}

void TestUsageStore::failureNeedingSignIn_data()
{
    QTest::addColumn<bool>("hadGoodWindows");
    QTest::newRow("with last good windows") << true;
    QTest::newRow("without") << false;
}

void TestUsageStore::failureNeedingSignIn()
{
    QFETCH(bool, hadGoodWindows);
    const ProviderResult signIn = m_claude->failure(u"not signed in to Claude Code"_s, true);
    m_claude->answers = hadGoodWindows ? QList{m_claude->ok(start), signIn} : QList{signIn};
    if (hadGoodWindows)
        QCoro::waitFor(refreshAt(start));
    // The second refresh asks nothing (the refusal closed the gate) and learns nothing new.
    for (int seconds : {300, 310}) {
        QCoro::waitFor(refreshAt(start.addSecs(seconds)));
        const ProviderResult claude = *m_store->status().result(Provider::claude);
        QCOMPARE(claude.error, u"not signed in to Claude Code"_s);
        QCOMPARE(claude.ok, hadGoodWindows);
        QCOMPARE(claude.needsAuth, true);
        QCOMPARE(claude.windows.size(), hadGoodWindows ? 1 : 0);
    }
    QCOMPARE(m_claude->calls, hadGoodWindows ? 2 : 1);
}

// Spaced-out Claude calls are no failure; a refused call and the back-off after it are.
void TestUsageStore::cachedFiguresSayWhenAndWhy()
{
    m_claude->answers = {m_claude->ok(start), m_claude->failure(u"usage fetch failed (HTTP 500)"_s)};
    QList<std::pair<QDateTime, bool>> claudeSeen; // fetchedAt, lastFetchFailed
    for (int seconds : {0, 60, 240, 300}) {
        QCoro::waitFor(refreshAt(start.addSecs(seconds)));
        const ProviderResult claude = *m_store->status().result(Provider::claude);
        claudeSeen.append({claude.fetchedAt, claude.lastFetchFailed});
        QCOMPARE(m_store->status().result(Provider::codex)->fetchedAt, start.addSecs(seconds));
    }
    QCOMPARE(claudeSeen, (QList<std::pair<QDateTime, bool>>{{start, false}, {start, false}, {start, true}, {start, true}}));
}

void TestUsageStore::okWithoutWindowsFallsBackOrPassesThrough()
{
    const ProviderResult empty{Provider::codex, true, u"live"_s, std::nullopt, {}, false};
    m_codex->answers = {empty};
    QCoro::waitFor(refreshAt(start));
    ProviderResult codex = *m_store->status().result(Provider::codex);
    QCOMPARE(codex.source, u"live"_s);
    QVERIFY(codex.windows.isEmpty());

    m_codex->answers = {empty, m_codex->ok(start), empty};
    m_codex->calls = 1;
    QCoro::waitFor(refreshAt(start.addSecs(60)));
    QCoro::waitFor(refreshAt(start.addSecs(120)));
    codex = *m_store->status().result(Provider::codex);
    QCOMPARE(codex.source, u"cached"_s);
    QVERIFY(!codex.error);
    QCOMPARE(codex.windows.size(), 1);
}

void TestUsageStore::throttledWithoutLastGood_data()
{
    QTest::addColumn<bool>("rateLimited");
    QTest::addColumn<QString>("said");
    QTest::newRow("after a 429") << true << u"rate-limited \u2014 retrying"_s;
    QTest::newRow("after a 500") << false << u"the last request failed \u2014 retrying"_s;
}

// Only a refusal for the rate is called a rate limit while the store waits to ask again.
void TestUsageStore::throttledWithoutLastGood()
{
    QFETCH(bool, rateLimited);
    ProviderResult refused = m_claude->failure(u"usage fetch failed"_s);
    refused.rateLimited = rateLimited;
    m_claude->answers = {refused};
    QCoro::waitFor(refreshAt(start));
    QCoro::waitFor(refreshAt(start.addSecs(10)));
    const ProviderResult claude = *m_store->status().result(Provider::claude);
    QVERIFY(!claude.ok);
    QCOMPARE(claude.source, u"throttled"_s);
    QTEST(claude.error.value_or(QString()), "said");
    QVERIFY(!claude.needsAuth);
    QCOMPARE(m_claude->calls, 1);
}

void TestUsageStore::codexFailureKeepsCodexWindows()
{
    m_codex->answers = {m_codex->ok(start), m_codex->failure(u"usage fetch failed"_s)};
    QCoro::waitFor(refreshAt(start));
    QCoro::waitFor(refreshAt(start.addSecs(60)));
    const ProviderResult codex = *m_store->status().result(Provider::codex);
    QCOMPARE(codex.source, u"cached"_s);
    QCOMPARE(codex.error, u"usage fetch failed"_s);
    QCOMPARE(m_store->claudeBackoff(), 0.0); // Codex failures never touch the Claude gate
}

void TestUsageStore::generatedAtIsTheStart()
{
    m_claude->delay = 50ms;
    m_claude->onCall = [this] { m_now = m_now.addSecs(30); };
    QCoro::waitFor(refreshAt(start));
    QCOMPARE(m_store->status().generatedAt, start);
    QCOMPARE(m_store->claudeNextAllowed(), start.addSecs(240));
}

// Set back a day after a call, the clock does not hold Claude back for that day.
void TestUsageStore::clockSetBackWhileRunning()
{
    QCoro::waitFor(refreshAt(start));
    m_wallClockShift = -24h;
    QCoro::waitFor(refreshAt(start.addDays(-1).addSecs(239)));
    QCOMPARE(m_claude->calls, 1);
    QCoro::waitFor(refreshAt(start.addDays(-1).addSecs(240)));
    QCOMPARE(m_claude->calls, 2);
    QCOMPARE(m_store->status().result(Provider::claude)->source, u"live"_s);
}

void TestUsageStore::codexIsAskedBeforeClaudeAnswers()
{
    bool codexStillRunning = false;
    m_codex->delay = 50ms;
    m_claude->onCall = [&] { codexStillRunning = m_codex->calls == 1 && m_codex->finished == 0; };
    QCoro::waitFor(refreshAt(start));
    QVERIFY(codexStillRunning);
    QCOMPARE(m_codex->finished, 1);
}

// The refresh that asked last has the newer figures, though the slower one ends after it.
void TestUsageStore::overlappingRefreshesNewestAnswerWins()
{
    ProviderResult newer = m_codex->ok(start);
    newer.windows = {window(Provider::codex, WindowSpeed::fast, 20, start)};
    m_codex->answers = {m_codex->ok(start), newer};
    m_codex->delay = 80ms;
    auto first = m_store->refresh(); // passes the gate and waits on both fetches
    QVERIFY(m_store->isRefreshing());
    m_codex->delay = 10ms;
    m_now = start.addSecs(5);
    QCoro::waitFor(m_store->refresh()); // finishes first, Claude throttled by the first call
    QCOMPARE(m_store->status().generatedAt, start.addSecs(5));
    QVERIFY(m_store->isRefreshing());
    QCoro::waitFor(first);
    QVERIFY(!m_store->isRefreshing());
    QCOMPARE(m_store->status().generatedAt, start.addSecs(5));
    QCOMPARE(m_store->status().result(Provider::codex)->windows.constFirst().usedPercent, 20.0);
    QCOMPARE(m_claude->calls, 1);
}

void TestUsageStore::destroyedWhileRefreshing_data()
{
    QTest::addColumn<int>("claudeDelayMs");
    QTest::addColumn<int>("codexDelayMs");
    QTest::newRow("while Claude is awaited") << 30 << 60;
    QTest::newRow("while Codex is awaited") << 0 << 60;
}

// Both fetches finish after the store is gone; nothing may touch it.
void TestUsageStore::destroyedWhileRefreshing()
{
    QFETCH(int, claudeDelayMs);
    QFETCH(int, codexDelayMs);
    m_claude->delay = std::chrono::milliseconds(claudeDelayMs);
    m_codex->delay = std::chrono::milliseconds(codexDelayMs);
    auto pending = m_store->refresh();
    m_store.reset();
    QTRY_COMPARE(m_codex->finished, 1);
    QTRY_VERIFY(pending.isReady());
}

// The Claude answer is held until the Codex request arrives: one after the other, the
// Claude fetch could only time out.
void TestUsageStore::realClientsFetchConcurrently()
{
    TemporaryHome home({"CODEX_HOME", "CLAUDE_CODE_OAUTH_TOKEN", "TIDEMARKER_CLAUDE_TOKEN_FILE", "CLAUDE_CONFIG_DIR"});
    home.write(u".codex/auth.json"_s, R"({"tokens": {"access_token": "codex-token"}})");
    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "claude-token");
    FakeHttpServer server;
    QVERIFY(server.listen());
    server.respond("/codex", FakeResponse::json(R"({"rate_limit": {"primary_window":
        {"used_percent": 10, "reset_at": 1796000000, "limit_window_seconds": 18000}}})"));
    server.respond("/claude", FakeResponse::json(R"({"seven_day": {"utilization": 20}})"));
    server.hold("/claude");
    connect(&server, &FakeHttpServer::requestReceived, this, [&](const RecordedRequest &request) {
        if (request.path == "/codex")
            server.release("/claude");
    });
    qputenv("TIDEMARKER_CLAUDE_USAGE_URL", server.url(u"/claude"_s).toEncoded());
    UsageRequest::setIdleTimeout(2s);

    UsageStore store({[] { return start; }},
                     [client = CodexUsageClient(server.url(u"/codex"_s))](QDateTime now) { return client.result(now); },
                     [client = ClaudeUsageClient()](QDateTime now) { return client.result(now); });
    QCoro::waitFor(store.refresh());
    UsageRequest::setIdleTimeout(UsageRequest::defaultIdleTimeout);
    qunsetenv("TIDEMARKER_CLAUDE_USAGE_URL");
    qunsetenv("CLAUDE_CODE_OAUTH_TOKEN");

    const UsageStatus &status = store.status();
    QCOMPARE(status.result(Provider::codex)->source, u"live"_s);
    const ProviderResult claude = *status.result(Provider::claude);
    QVERIFY2(claude.ok, qPrintable(claude.error.value_or(QString())));
    QCOMPARE(claude.windows.constFirst().id(), u"claude_slow"_s);
    QCOMPARE(server.requests().size(), 2);
}

QTEST_GUILESS_MAIN(TestUsageStore)
#include "tst_usagestore.moc"
