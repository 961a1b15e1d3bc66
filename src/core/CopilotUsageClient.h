#pragma once

#include "Account.h"
#include "UsageModels.h"

#include <QByteArray>
#include <QCoroTask>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUrl>

// Asks GitHub for the Copilot plan's monthly premium requests, with the GitHub CLI's sign-in.
class CopilotUsageClient
{
public:
    explicit CopilotUsageClient(Account account = Account::only(Provider::copilot));

    // Never fails: every failure is folded into the result.
    QCoro::Task<ProviderResult> result(QDateTime now) const;

    // $TIDEMARKER_COPILOT_USAGE_URL when it holds a URL, else the public endpoint.
    static QUrl usageUrl();
    // What a successful answer gives: the premium requests as one monthly window, or why
    // there is none (unlimited, or no premium snapshot, as in the older free-plan answer).
    static ProviderResult fromAnswer(const QByteArray &body, const QDateTime &now);
    // When premium requests are counted afresh: the reset date-time, else the reset date at
    // 00:00 UTC, else the first of next month.
    static QDateTime resetAt(const QJsonObject &answer, const QDateTime &now);

private:
    Account m_account;
};
