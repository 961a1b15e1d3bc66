#include "LogFolder.h"

#include "ProviderTraits.h"

using namespace Qt::StringLiterals;

QList<LogFolder> LogFolder::of(const QList<Account> &accounts)
{
    QList<LogFolder> folders;
    for (const Account &account : accounts) {
        const QString home = account.key();
        switch (ProviderTraits::of(account.provider).logs) {
        case ProviderTraits::Logs::claudeCode:
            folders.append({account.provider, home + u"/projects"_s, home});
            break;
        case ProviderTraits::Logs::codex:
            // Codex moves the sessions archived out of sessions/.
            for (const QString &logs : {u"/sessions"_s, u"/archived_sessions"_s})
                folders.append({account.provider, home + logs, home});
            break;
        case ProviderTraits::Logs::none:
            break;
        }
    }
    return folders;
}

QList<LogFolder> LogFolder::found()
{
    return of(Account::defaults());
}
