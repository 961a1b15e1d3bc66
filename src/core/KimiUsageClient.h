#pragma once

#include "Account.h"
#include "UsageModels.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

// The access token the Kimi Code CLI left behind.
struct KimiCredential {
    QString accessToken; // trimmed, never empty
    std::optional<QDateTime> expiresAt;
};

// Asks the Kimi Code usage endpoint with the CLI's own sign-in. Only reads it: the CLI's refresh
// tokens are used once each, so a refresh here would sign the CLI out.
class KimiUsageClient
{
public:
    explicit KimiUsageClient(Account account = Account::only(Provider::kimi));

    // Never fails: every failure is folded into the result.
    QCoro::Task<ProviderResult> result(QDateTime now) const;

    // $KIMI_CODE_HOME when set, else ~/.kimi-code.
    static QString defaultFolder();
    // credentials/kimi-code.json in the account's folder; for the default folder, while it has
    // none, the older CLI's in $KIMI_SHARE_DIR or ~/.kimi.
    static QString credentialPath(const Account &account);
    // The sign-in, or the failed result that says why there is none. Blocks on the file.
    static std::variant<KimiCredential, ProviderResult> loadCredential(const Account &account);
    // $TIDEMARKER_KIMI_USAGE_URL when it holds a URL, else the public endpoint.
    static QUrl usageUrl();

private:
    Account m_account;
};
