#pragma once

#include "Account.h"
#include "ContinuousClock.h"
#include "UsageModels.h"
#include "UsageRequest.h"

#include <QCoroTask>

#include <chrono>
#include <map>
#include <optional>
#include <variant>

// The full resets each Codex account has banked, read only: the service's list, asked on the
// usage endpoint's origin with the usage request's headers, at most once a period per account.
// Nothing here ever spends one.
class CodexResetCredits
{
public:
    static constexpr std::chrono::minutes period{15};

    // None when no banked reset counts, or when the service keeps no list for the account.
    using Outcome = std::variant<std::optional<ResetCredits>, PlainError>;

    explicit CodexResetCredits(const QUrl &usageUrl);

    // The usage endpoint's origin with the list's own path.
    static QUrl listUrl(const QUrl &usageUrl);
    // Read leniently; a failure when the answer is not such a list.
    static Outcome decode(const QByteArray &json, const QDateTime &now);
    // One request for the sign-in in the folder (where the Codex CLI looks when it is empty).
    static QCoro::Task<Outcome> fetch(QUrl url, QString folder, QDateTime now);

    QUrl url() const { return m_url; }
    // Whether the account is due to be asked; if so, it is not again for a period from here.
    bool claim(const Account &account, ContinuousClock::time_point elapsed);
    // The answer to a claim; whether what is known of the account changed. A failure leaves
    // nothing known, and the first of a run is said on standard error.
    bool take(const Account &account, const Outcome &outcome);
    std::optional<ResetCredits> known(const Account &account) const;
    // Every account is due again, however recently it was asked.
    void makeAllDue();
    // Forgets the accounts no longer listed.
    void keepOnly(const QList<Account> &accounts);

private:
    struct Asked {
        std::optional<ContinuousClock::time_point> at; // none: due
        std::optional<ResetCredits> known;
    };

    QUrl m_url;
    std::map<AccountId, Asked> m_asked; // an account is its folder, whatever its label
    bool m_failureSaid = false;
};
