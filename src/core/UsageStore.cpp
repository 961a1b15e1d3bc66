#include "UsageStore.h"

#include "CodexEndpoint.h"
#include "Diagnostics.h"
#include "ProviderTraits.h"
#include "StoredText.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString throttledSource = u"throttled"_s;

// What it says is settled by the store, which knows what the last request learnt.
QCoro::Task<ProviderResult> throttledResult(Provider provider)
{
    co_return ProviderResult{provider, false, throttledSource, std::nullopt, {}, false};
}

QCoro::Task<ProviderResult> askEndpoint(Account account, QDateTime now)
{
    return ProviderTraits::of(account.provider).fetch(std::move(account), std::move(now));
}

bool isSpaced(const Account &account)
{
    return ProviderTraits::of(account.provider).spaced;
}

} // namespace

UsageStore::UsageStore(RefusalReader readRefusal, QObject *parent)
    : UsageStore({[] { return QDateTime::currentDateTimeUtc(); }}, askEndpoint, parent)
{
    m_readRefusal = readRefusal;
    m_resetCredits.emplace(codexUsageUrl());
}

UsageStore::UsageStore(Clock clock, Fetch codex, Fetch claude, QObject *parent)
    : UsageStore(
          std::move(clock),
          [codex = std::move(codex), claude = std::move(claude)](const Account &account, QDateTime now) {
              return account.provider == Provider::codex ? codex(now) : claude(now);
          },
          parent)
{
}

UsageStore::UsageStore(Clock clock, AccountFetch fetch, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_fetch(std::move(fetch))
    , m_status{m_clock.wall(), {}}
{
}

QCoro::Task<void> UsageStore::refresh()
{
    QPointer<UsageStore> self(this); // the store may go away while the fetches run
    const QDateTime now = m_clock.wall();
    const ContinuousClock::time_point elapsed = m_clock.elapsed();
    const quint64 round = ++m_rounds;
    ++m_refreshesInFlight;
    // All at once: every account is asked while the others are.
    std::vector<QCoro::Task<void>> answers;
    for (const Account &account : askedAccounts())
        answers.push_back(askAndShow(account, now, elapsed, round));
    for (QCoro::Task<void> &answer : answers) {
        co_await std::move(answer);
        if (!self)
            co_return;
    }
    --m_refreshesInFlight;
    Q_EMIT refreshed();
}

QCoro::Task<void> UsageStore::askAndShow(Account account, QDateTime now, ContinuousClock::time_point elapsed,
                                         quint64 round)
{
    QPointer<UsageStore> self(this);
    // Claude's logs are read while the request runs.
    QFuture<std::optional<LoggedRefusal>> reading = account.provider == Provider::claude && m_readRefusal
        ? QtConcurrent::run(m_readRefusal, account, now)
        : QtFuture::makeReadyFuture(std::optional<LoggedRefusal>());
    QCoro::Task<ProviderResult> asking = ask(account, now, elapsed);
    ProviderResult result = co_await std::move(asking);
    const std::optional<LoggedRefusal> refusal = co_await reading;
    if (!self)
        co_return;
    result.account = account;
    qCDebug(lcCore) << "answered:" << account.displayName() << result.source << result.error.value_or(QString());
    // Of overlapping refreshes, the one that asked last has the newer figures, whichever ends last.
    if (result.source != throttledSource) {
        quint64 &answeredIn = m_answeredIn[account.id()];
        if (round < answeredIn)
            co_return;
        answeredIn = round;
    }
    show(result, refusal, now, round);
    if (account.provider == Provider::codex && !result.needsAuth)
        co_await askResetCredits(account, now, elapsed);
}

// After the usage it belongs to, so that it never holds that up; a failure is no failure of the usage.
QCoro::Task<void> UsageStore::askResetCredits(Account account, QDateTime now, ContinuousClock::time_point elapsed)
{
    if (!m_resetCredits || !m_resetCredits->claim(account, elapsed))
        co_return;
    QPointer<UsageStore> self(this);
    QCoro::Task<CodexResetCredits::Outcome> asking = CodexResetCredits::fetch(m_resetCredits->url(), account.folder, now);
    const CodexResetCredits::Outcome outcome = co_await std::move(asking);
    if (!self || !m_resetCredits->take(account, outcome))
        co_return;
    for (ProviderResult &shown : m_status.results) {
        if (shown.account.id() == account.id())
            shown.resetCredits = m_resetCredits->known(account);
    }
    Q_EMIT statusChanged();
}

void UsageStore::askResetCreditsAgain()
{
    if (m_resetCredits)
        m_resetCredits->makeAllDue();
}

// An account dropped while it was being asked stays out; the others keep the settings' order,
// and the labels they go by now.
void UsageStore::show(ProviderResult result, const std::optional<LoggedRefusal> &refusal, const QDateTime &now,
                      quint64 round)
{
    const QList<Account> asked = askedAccounts();
    const auto placeOf = [&asked](const Account &account) {
        return std::ranges::find(asked, account.id(), &Account::id) - asked.begin();
    };
    const qsizetype place = placeOf(result.account);
    if (place == asked.size())
        return;
    result.account = asked[place];
    ProviderResult reconciled = reconcile(result, now);
    if (m_resetCredits)
        reconciled.resetCredits = m_resetCredits->known(result.account);
    // A refusal's end may be the reset of a window the cached figures hold.
    if (refusal)
        reconciled.blocked = ClaudeRefusalText::blocked(*refusal, reconciled);
    reconciled.clearBlocksEndedBy(now);
    QList<ProviderResult> &results = m_status.results;
    results.removeIf([&result](const ProviderResult &shown) { return shown.account.id() == result.account.id(); });
    const auto before = std::ranges::find_if(results, [&](const ProviderResult &shown) {
        return placeOf(shown.account) > place;
    });
    results.insert(before - results.begin(), reconciled);
    if (round >= std::exchange(m_newestShown, std::max(m_newestShown, round)))
        m_status.generatedAt = now;
    Q_EMIT statusChanged();
}

QCoro::Task<ProviderResult> UsageStore::ask(const Account &account, const QDateTime &now,
                                             ContinuousClock::time_point elapsed)
{
    if (!isSpaced(account))
        return m_fetch(account, now);
    if (!spacingOf(account).isOpen(elapsed))
        return throttledResult(account.provider);
    return askSpaced(account, now, elapsed);
}

// The gate moves as soon as the answer is in, so that a refresh started meanwhile sees it.
QCoro::Task<ProviderResult> UsageStore::askSpaced(Account account, QDateTime now, ContinuousClock::time_point elapsed)
{
    QPointer<UsageStore> self(this);
    const ProviderResult result = co_await m_fetch(account, now);
    if (self)
        spacingOf(account).note(result, elapsed);
    co_return result;
}

RequestSpacing &UsageStore::spacingOf(const Account &account)
{
    return m_spacing.try_emplace(account.id(), ProviderTraits::of(account.provider).minimumInterval).first->second;
}

QList<Account> UsageStore::askedAccounts() const
{
    QList<Account> asked;
    for (const Account &account : m_accounts) {
        if (m_providers.contains(account.provider))
            asked.append(account);
    }
    return asked;
}

void UsageStore::setProviders(const QList<Provider> &providers)
{
    m_providers = providers;
    dropResultsNotAsked();
}

std::optional<Account> UsageStore::listed(const AccountId &id) const
{
    const auto account = std::ranges::find(m_accounts, id, &Account::id);
    return account == m_accounts.end() ? std::nullopt : std::optional(*account);
}

// What an account left behind goes with it, so that the store stays as small as the settings;
// what a relabelled or moved one left stays with it, under its new label.
void UsageStore::setAccounts(const QList<Account> &accounts)
{
    m_accounts = accounts;
    const auto gone = [this](const auto &entry) { return !listed(entry.first); };
    std::erase_if(m_lastGood, gone);
    std::erase_if(m_spacing, gone);
    std::erase_if(m_answeredIn, gone);
    for (auto &[id, lastGood] : m_lastGood)
        lastGood.account = *listed(id);
    if (m_resetCredits)
        m_resetCredits->keepOnly(accounts);
    bool relabelled = false;
    for (ProviderResult &result : m_status.results) {
        const std::optional<Account> account = listed(result.account.id());
        if (account && *account != result.account) {
            result.account = *account;
            relabelled = true;
        }
    }
    if (!dropResultsNotAsked() && relabelled)
        Q_EMIT statusChanged();
}

bool UsageStore::dropResultsNotAsked()
{
    const QList<Account> asked = askedAccounts();
    const qsizetype removed = m_status.results.removeIf(
        [&asked](const ProviderResult &result) { return !asked.contains(result.account); });
    if (removed > 0)
        Q_EMIT statusChanged();
    return removed > 0;
}

RequestSpacing UsageStore::firstClaudeSpacing() const
{
    for (const Account &account : m_accounts) {
        if (account.provider != Provider::claude)
            continue;
        const auto spacing = m_spacing.find(account.id());
        return spacing == m_spacing.end() ? RequestSpacing(RequestSpacing::claudeInterval) : spacing->second;
    }
    return RequestSpacing(RequestSpacing::claudeInterval);
}

QDateTime UsageStore::claudeNextAllowed() const
{
    const std::optional<ContinuousClock::time_point> nextAllowed = firstClaudeSpacing().nextAllowed();
    if (!nextAllowed)
        return {};
    const auto ahead = std::chrono::duration_cast<std::chrono::milliseconds>(*nextAllowed - m_clock.elapsed());
    return m_clock.wall().addMSecs(ahead.count());
}

ProviderResult UsageStore::reconcile(ProviderResult result, const QDateTime &now)
{
    // A usage-based seat's spend is as good as windows.
    if (result.ok && (!result.windows.isEmpty() || result.spend)) {
        result.fetchedAt = now;
        m_lastGood[result.account.id()] = result;
        return result;
    }
    // Earlier windows shown only because the calls are spaced out are no failure.
    const auto spacing = m_spacing.find(result.account.id());
    const bool backingOff = spacing != m_spacing.end() && spacing->second.backoff() > 0;
    const bool rateLimited = backingOff && spacing->second.backingOffARateLimit();
    const bool throttled = result.source == throttledSource;
    result.lastFetchFailed = !throttled || backingOff;
    const auto lastGood = m_lastGood.find(result.account.id());
    const bool hasLastGood = lastGood != m_lastGood.end();
    if (throttled)
        describeThrottled(result, backingOff, rateLimited, hasLastGood);
    if (!hasLastGood)
        return result;
    // The extra windows, extra usage and fetch time of that fetch come along with its windows.
    ProviderResult cached = lastGood->second;
    cached.source = u"cached"_s;
    cached.error = result.error;
    cached.needsAuth = result.needsAuth;
    cached.lastFetchFailed = result.lastFetchFailed;
    return cached;
}

// No request went out: a sign-in the last one asked for is still needed, and only a back-off
// after a 429 is a rate limit. Otherwise the figures shown are simply the last ones.
void UsageStore::describeThrottled(ProviderResult &result, bool backingOff, bool rateLimited, bool hasLastGood) const
{
    const auto shown = m_status.result(result.account);
    if (shown && shown->needsAuth) {
        result.error = shown->error;
        result.needsAuth = true;
    } else if (backingOff) {
        result.error = StoredText::english(rateLimited ? StoredText::rateLimitedRetrying : StoredText::failedRetrying);
    } else if (!hasLastGood) {
        result.error = StoredText::english(StoredText::waitingToAsk);
    }
}
