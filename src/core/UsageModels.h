#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <chrono>
#include <optional>

#include "Account.h"
#include "Blocked.h"
#include "Wording.h"

enum class WindowSpeed { fast, slow };

QString rawValue(WindowSpeed speed);
// A window's name from its length: "5h", "Weekly", "30-day" (28 to 31 days), else whole days
// from one day up ("3-day") and whole hours below ("8h").
QString lengthName(double seconds, Wording wording = Wording::local);
std::optional<WindowSpeed> windowSpeedFromRawValue(const QString &text);

// "High" above +5 points, "Low" below -5, "Good" otherwise (a pressure that is not a number too).
QString pressureLabel(double pressurePercent, Wording wording = Wording::local);

// The instant that many seconds after 1970-01-01T00:00:00Z, in UTC; absurd values are pinned
// to a far but representable moment instead of overflowing.
QDateTime dateFromEpochSeconds(double seconds);
// The same for a Unix time that may be in milliseconds: no reset lies 30,000 years away.
QDateTime dateFromEpochTime(double secondsOrMilliseconds);

// One rate-limit window, with its pace worked out against an even spread of usage.
struct UsageWindow {
    static constexpr double longestWindowSeconds = 366 * 86400; // as long as a window read back may be

    Provider provider = Provider::codex;
    WindowSpeed speed = WindowSpeed::fast;
    double usedPercent = 0;
    double remainingPercent = 0;
    double expectedRemainingPercent = 0;
    double pressurePercent = 0; // remaining minus expected remaining, in percentage points
    QDateTime resetAt;
    double limitWindowSeconds = 60;
    // Only for the limits a provider reports beside its two windows (a model's own weekly
    // cap, a second model's pair): an id of their own, stable across refreshes, and a name.
    QString extraId;
    QString name;
    // Only for extra limits: the service refuses this limit's requests (not the account's).
    std::optional<Blocked> blocked{};

    // The only way windows are built: bounds the raw numbers and computes the pace.
    static UsageWindow make(Provider provider, WindowSpeed speed, double usedPercent,
                            const QDateTime &resetAt, double limitWindowSeconds,
                            const QDateTime &now);
    // The same rule for an extra limit; under a day long it counts as fast.
    static UsageWindow makeExtra(Provider provider, const QString &extraId, const QString &name,
                                 double usedPercent, const QDateTime &resetAt,
                                 double limitWindowSeconds, const QDateTime &now);

    QString id() const;
    // The main windows' name from their length ("5h", "Weekly", "30-day"), an extra one's own.
    QString displayLabel(Wording wording = Wording::local) const;
    QString pressureDisplay(Wording wording = Wording::local) const;
    QString pressureLabel(Wording wording = Wording::local) const;

    QJsonObject toJson() const;
    static std::optional<UsageWindow> fromJson(const QJsonObject &object);
};

// Paid use beyond the plan, in the currency's whole units.
struct ExtraUsage {
    double used = 0;
    std::optional<double> limit; // none: no monthly cap
    QString currency; // as the service names it, "USD"
    int decimalPlaces = 2; // how many the service counts in, as cents for 2
};

// Credits bought beside the plan.
struct Credits {
    std::optional<double> balance; // none when unlimited
    bool unlimited = false;
};

// Full resets of a Codex account's windows, banked for the user to spend.
struct ResetCredits {
    int available = 0;
    QDateTime nextExpiry; // invalid: the answer gave none

    bool operator==(const ResetCredits &) const = default;
};

// One model's part of the weekly share.
struct ModelShare {
    QString name;
    double percent = 0;
};

// The outcome of one provider fetch; failures are values here, never exceptions.
struct ProviderResult {
    Provider provider = Provider::codex;
    bool ok = false;
    QString source;
    std::optional<QString> error;
    QList<UsageWindow> windows;
    bool needsAuth = false;
    std::chrono::seconds retryAfter{0}; // Claude only: the wait the service asked for, if any
    bool rateLimited = false; // Claude only: the service refused the request for its rate (429)
    // Limits beyond the two windows above, as the answer lists them (at most the 12 tightest).
    QList<UsageWindow> extraWindows{}; // the braces spare the shorter brace-initialisations a warning
    std::optional<ExtraUsage> extraUsage{};
    // Claude only: failed before any request went out (no credential, a bad one, an expired
    // token); the store then leaves its spacing and back-off as they were.
    bool failedBeforeRequest = false;
    // Set by the store. When the windows were fetched (an earlier refresh for cached ones);
    // invalid without windows.
    QDateTime fetchedAt{};
    // Set by the store: the provider's last fetch gave nothing usable. Not set when earlier
    // windows are shown only because the Claude calls are spaced out.
    bool lastFetchFailed = false;
    // Extra limits the answer gave beyond the ones kept.
    int moreExtraLimits = 0;
    // Claude only: paid use as the newer answers give it, when extra usage says nothing.
    std::optional<ExtraUsage> spend{};
    QList<ModelShare> weeklyByModel{}; // Claude only, in the answer's order
    std::optional<Credits> credits{}; // Codex only
    std::optional<ResetCredits> resetCredits{}; // Codex only, set by the store: none unless some are banked
    // Set by the store: whose sign-in was asked.
    Account account{};
    // The service refuses the account's requests, whatever the windows read.
    std::optional<Blocked> blocked{};

    // "Claude", or "Claude · work" beside the provider's other accounts.
    QString displayName() const;
    // Drops the account's and its limits' blocks that ended by then.
    void clearBlocksEndedBy(const QDateTime &now);
};

// A name as part of a window id: lower-case letters and digits, anything else one dash between
// them ("Quill-Preview" gives "quill-preview"); "unnamed" when nothing is left.
QString idPart(const QString &name);
// Extra windows whose id came before get "_2", "_3", … in the order given.
void makeIdsUnique(QList<UsageWindow> &windows);

// What the icon and the menu are drawn from.
struct UsageStatus {
    QDateTime generatedAt;
    QList<ProviderResult> results;

    QList<UsageWindow> windows() const;
    std::optional<ProviderResult> result(Provider provider) const;
    std::optional<ProviderResult> result(const Account &account) const;
    // Only each provider's first account, whose two windows the gauge shows in main mode.
    UsageStatus firstAccounts() const;
    // Only the accounts of these providers, as the gauge draws them.
    UsageStatus ofProviders(const QList<Provider> &providers) const;
    // The window with the lowest pressure, extra windows included: main windows first on ties.
    std::optional<UsageWindow> worst() const;
    // Whose that window is.
    std::optional<Account> worstAccount() const;
    QString summary(Wording wording = Wording::local) const;
    // Per provider, over all its accounts, the fast and the slow window with the lowest pressure,
    // extra ones included; of equals, the earlier account's.
    QList<UsageWindow> tightestWindows() const;
};
