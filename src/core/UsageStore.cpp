#include "UsageStore.h"

#include "ClaudeUsageClient.h"
#include "CodexEndpoint.h"
#include "CodexUsageClient.h"

#include <QPointer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString throttledSource = u"throttled"_s;

ProviderResult throttledClaudeResult()
{
    return {Provider::claude, false, throttledSource, u"rate-limited \u2014 retrying"_s, {}, false};
}

// Stands in for the fetch of a provider that is not shown; its result is never published.
QCoro::Task<ProviderResult> notAsked(Provider provider)
{
    co_return ProviderResult{provider, false, u"hidden"_s, {}, {}, false};
}

} // namespace

UsageStore::UsageStore(QObject *parent)
    : UsageStore(
          {[] { return QDateTime::currentDateTimeUtc(); }},
          [client = CodexUsageClient(codexUsageUrl())](QDateTime now) { return client.result(now); },
          [client = ClaudeUsageClient()](QDateTime now) { return client.result(now); }, parent)
{
}

UsageStore::UsageStore(Clock clock, Fetch codex, Fetch claude, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_codex(std::move(codex))
    , m_claude(std::move(claude))
    , m_status{m_clock.wall(), {}}
{
}

QCoro::Task<void> UsageStore::refresh()
{
    QPointer<UsageStore> self(this); // the store may go away while the fetches run
    const QDateTime now = m_clock.wall();
    const ContinuousClock::time_point elapsed = m_clock.elapsed();
    ++m_refreshesInFlight;
    const bool askCodex = m_providers.contains(Provider::codex);
    // Runs while Claude is asked.
    QCoro::Task<ProviderResult> codexFetch = askCodex ? m_codex(now) : notAsked(Provider::codex);

    ProviderResult claude = throttledClaudeResult();
    const bool askClaude = m_providers.contains(Provider::claude);
    if (askClaude && (!m_claudeNextAllowed || elapsed >= *m_claudeNextAllowed)) {
        claude = co_await m_claude(now);
        if (!self)
            co_return;
        noteClaudeOutcome(claude, elapsed);
    }

    const ProviderResult codex = co_await std::move(codexFetch);
    if (!self)
        co_return;
    --m_refreshesInFlight;
    // A provider hidden while it was being asked stays out.
    QList<ProviderResult> results;
    if (askCodex && m_providers.contains(Provider::codex))
        results.append(reconcile(codex, now));
    if (askClaude && m_providers.contains(Provider::claude))
        results.append(reconcile(claude, now));
    m_status = UsageStatus{now, results};
    Q_EMIT statusChanged();
}

void UsageStore::setProviders(const QList<Provider> &providers)
{
    m_providers = providers;
    const qsizetype removed = m_status.results.removeIf(
        [&providers](const ProviderResult &result) { return !providers.contains(result.provider); });
    if (removed > 0)
        Q_EMIT statusChanged();
}

// Measured from the start of the refresh that made the call, not from when it ended. A wait
// the service asked for can only push the gate further out, and leaves the back-off alone.
// A failure before any request asked nothing of the service, so a new sign-in counts at once.
void UsageStore::noteClaudeOutcome(const ProviderResult &result, ContinuousClock::time_point now)
{
    if (result.failedBeforeRequest)
        return;
    if (result.ok)
        m_claudeBackoff = 0;
    else if (m_claudeBackoff == 0)
        m_claudeBackoff = minimumClaudeInterval;
    else
        m_claudeBackoff = std::min(m_claudeBackoff * backoffFactor, backoffCap);
    const double requested = std::min(double(result.retryAfter.count()), retryAfterCap);
    const double wait = result.ok ? minimumClaudeInterval : std::max(m_claudeBackoff, requested);
    m_claudeNextAllowed = now + std::chrono::milliseconds(qint64(wait * 1000));
}

QDateTime UsageStore::claudeNextAllowed() const
{
    if (!m_claudeNextAllowed)
        return {};
    const auto ahead = std::chrono::duration_cast<std::chrono::milliseconds>(*m_claudeNextAllowed - m_clock.elapsed());
    return m_clock.wall().addMSecs(ahead.count());
}

ProviderResult UsageStore::reconcile(ProviderResult result, const QDateTime &now)
{
    // A usage-based seat's spend is as good as windows.
    if (result.ok && (!result.windows.isEmpty() || result.spend)) {
        result.fetchedAt = now;
        m_lastGood[result.provider] = result;
        return result;
    }
    // Earlier windows shown only because the Claude calls are spaced out are no failure.
    result.lastFetchFailed = result.source != throttledSource || m_claudeBackoff > 0;
    const auto lastGood = m_lastGood.find(result.provider);
    if (lastGood == m_lastGood.end())
        return result;
    // The extra windows, extra usage and fetch time of that fetch come along with its windows.
    ProviderResult cached = lastGood->second;
    cached.source = u"cached"_s;
    cached.error = result.error;
    cached.lastFetchFailed = result.lastFetchFailed;
    return cached;
}
