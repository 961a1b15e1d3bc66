#pragma once

#include "ContinuousClock.h"
#include "UsageModels.h"

#include <QObject>

#include <QCoroTask>

#include <functional>
#include <iterator>
#include <map>
#include <optional>

// Owns the usage data: asks both providers on every refresh, spaces out and backs off the
// Claude calls, and falls back to each provider's last good windows.
class UsageStore : public QObject
{
    Q_OBJECT
public:
    // The wall clock dates the figures; the continuous one spaces out the Claude calls, so that
    // a clock set back or a sleep neither stalls nor hurries them.
    struct Clock {
        std::function<QDateTime()> wall;
        std::function<ContinuousClock::time_point()> elapsed = &ContinuousClock::now;
    };
    using Fetch = std::function<QCoro::Task<ProviderResult>(QDateTime now)>;

    static constexpr double minimumClaudeInterval = 240; // seconds
    static constexpr double backoffFactor = 2;
    static constexpr double backoffCap = 900; // seconds
    static constexpr double retryAfterCap = 3600; // seconds; the longest a Retry-After may hold the gate

    // Asks the real endpoints: Codex at the address this build was configured with.
    explicit UsageStore(QObject *parent = nullptr);
    // Tests hand in their own clock and providers.
    UsageStore(Clock clock, Fetch codex, Fetch claude, QObject *parent = nullptr);

    // Never fails; status() holds the new snapshot when it returns. Refreshes may overlap:
    // each publishes its own snapshot and the last to finish wins.
    QCoro::Task<void> refresh();
    // From the start of a refresh until it publishes its snapshot with statusChanged().
    bool isRefreshing() const { return m_refreshesInFlight > 0; }

    // Only these are asked from the next refresh on (their credentials are not even read), and
    // the others leave the snapshot at once.
    void setProviders(const QList<Provider> &providers);

    const UsageStatus &status() const { return m_status; }
    // When the wall clock will read the moment the Claude gate opens; invalid while it is open.
    QDateTime claudeNextAllowed() const;
    double claudeBackoff() const { return m_claudeBackoff; }

Q_SIGNALS:
    void statusChanged();

private:
    void noteClaudeOutcome(const ProviderResult &result, ContinuousClock::time_point now);
    ProviderResult reconcile(ProviderResult result, const QDateTime &now);

    Clock m_clock;
    Fetch m_codex;
    Fetch m_claude;
    QList<Provider> m_providers{std::begin(allProviders), std::end(allProviders)};
    UsageStatus m_status;
    std::map<Provider, ProviderResult> m_lastGood;
    std::optional<ContinuousClock::time_point> m_claudeNextAllowed; // none: the gate is open
    double m_claudeBackoff = 0;
    int m_refreshesInFlight = 0;
};
