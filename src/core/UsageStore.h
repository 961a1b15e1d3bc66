#pragma once

#include "ClaudeRefusalText.h"
#include "RequestSpacing.h"
#include "CodexResetCredits.h"
#include "ContinuousClock.h"
#include "ProviderTraits.h"
#include "UsageModels.h"

#include <QObject>

#include <QCoroTask>

#include <functional>
#include <iterator>
#include <map>
#include <optional>

// Owns the usage data: asks every account of the shown providers at once on every refresh,
// shows each account's answer as soon as it is in, spaces out and backs off the calls of each
// account whose service limits the asking (all but Codex), and falls back to each account's last good windows. What it keeps of an
// account follows its identity, so that a new label or place in the list loses none of it. On
// every refresh, asked or not, a Claude account's own logs tell whether the service refuses it.
// With the real endpoints, each Codex account's banked resets follow its usage, asked at most
// every 15 minutes.
class UsageStore : public QObject
{
    Q_OBJECT
public:
    // The wall clock dates the figures; the continuous one spaces out the calls, so that
    // a clock set back or a sleep neither stalls nor hurries them.
    struct Clock {
        std::function<QDateTime()> wall;
        std::function<ContinuousClock::time_point()> elapsed = &ContinuousClock::now;
    };
    using Fetch = std::function<QCoro::Task<ProviderResult>(QDateTime now)>;
    using AccountFetch = std::function<QCoro::Task<ProviderResult>(Account account, QDateTime now)>;
    // The refusal a Claude account's newest request met, if it met one; run on a pool thread.
    using RefusalReader = std::optional<LoggedRefusal> (*)(Account account, QDateTime now);

    // Asks the real endpoints: Codex at the address this build was configured with, banked
    // resets included; Claude's refusals are read with the reader given.
    explicit UsageStore(RefusalReader readRefusal, QObject *parent = nullptr);
    // Tests hand in their own clock and providers.
    UsageStore(Clock clock, Fetch codex, Fetch claude, QObject *parent = nullptr);
    UsageStore(Clock clock, AccountFetch fetch, QObject *parent = nullptr);

    // Never fails; status() holds every account's new answer when it returns, each published
    // with statusChanged() as it came in, so that a slow account holds up none of the others.
    // Refreshes may overlap: an account's answer to the refresh that asked last wins.
    QCoro::Task<void> refresh();
    // From the start of a refresh until every account it asked has answered.
    bool isRefreshing() const { return m_refreshesInFlight > 0; }

    // Only these are asked from the next refresh on (their credentials are not even read), and
    // the others leave the snapshot at once.
    void setProviders(const QList<Provider> &providers);
    // Every provider's accounts, Codex's first; likewise from the next refresh on.
    void setAccounts(const QList<Account> &accounts);

    // The next refresh asks every Codex account for its banked resets, however recently it did.
    void askResetCreditsAgain();

    const UsageStatus &status() const { return m_status; }
    // When the wall clock will read the moment the first Claude account's gate opens; invalid
    // while it is open.
    QDateTime claudeNextAllowed() const;
    double claudeBackoff() const { return firstClaudeSpacing().backoff(); }

Q_SIGNALS:
    // The snapshot changed: an account answered, or the settings took one away.
    void statusChanged();
    // A refresh has every answer it asked for in status().
    void refreshed();

private:
    QList<Account> askedAccounts() const;
    std::optional<Account> listed(const AccountId &id) const;
    QCoro::Task<void> askAndShow(Account account, QDateTime now, ContinuousClock::time_point elapsed, quint64 round);
    QCoro::Task<ProviderResult> ask(const Account &account, const QDateTime &now, ContinuousClock::time_point elapsed);
    void show(ProviderResult result, const std::optional<LoggedRefusal> &refusal, const QDateTime &now,
              quint64 round);
    QCoro::Task<void> askResetCredits(Account account, QDateTime now, ContinuousClock::time_point elapsed);
    QCoro::Task<ProviderResult> askSpaced(Account account, QDateTime now, ContinuousClock::time_point elapsed);
    RequestSpacing firstClaudeSpacing() const;
    RequestSpacing &spacingOf(const Account &account);
    ProviderResult reconcile(ProviderResult result, const QDateTime &now);
    void describeThrottled(ProviderResult &result, bool backingOff, bool rateLimited, bool hasLastGood) const;
    // Whether any went.
    bool dropResultsNotAsked();

    Clock m_clock;
    AccountFetch m_fetch;
    RefusalReader m_readRefusal = nullptr; // none: no account is ever found blocked by its logs
    QList<Provider> m_providers = ProviderTraits::shownByDefaultList();
    QList<Account> m_accounts = Account::defaults();
    UsageStatus m_status;
    std::map<AccountId, ProviderResult> m_lastGood;
    std::map<AccountId, RequestSpacing> m_spacing; // of the accounts whose services limit the asking
    int m_refreshesInFlight = 0;
    quint64 m_rounds = 0;                 // refreshes started
    quint64 m_newestShown = 0;            // the newest refresh whose answer is shown
    std::map<AccountId, quint64> m_answeredIn; // the refresh of each account's answer shown
    std::optional<CodexResetCredits> m_resetCredits; // none when the endpoints are the tests' own
};
