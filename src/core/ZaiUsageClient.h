#pragma once

#include "UsageModels.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>
#include <QUrl>

// Asks z.ai's quota endpoint (GLM Coding Plan) with an account's API key.
class ZaiUsageClient
{
public:
    // The default account's key, and any account's where no Secret Service keeps keys.
    static constexpr const char *keyVariable = "ZAI_API_KEY";

    // The key as the keyring or the environment gave it; empty when there is none.
    ZaiUsageClient(Account account, QString key);

    // Never fails: every failure is folded into the result. The key is in none of it.
    QCoro::Task<ProviderResult> result(QDateTime now) const;

    // The account's key (from $ZAI_API_KEY for the default account, else from the keyring),
    // then its usage. On the GUI thread, where the keyring's jobs run.
    static QCoro::Task<ProviderResult> fetch(Account account, QDateTime now);

    // What the default account, which has no keyring entry, is known by; never an added
    // account's "zai-<8 hex digits>".
    static QString defaultFolder();
    // $TIDEMARKER_ZAI_USAGE_URL when it holds a URL, else the public endpoint.
    static QUrl usageUrl();

private:
    Account m_account;
    QString m_key;
};
