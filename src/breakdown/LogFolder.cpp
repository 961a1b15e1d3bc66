#include "LogFolder.h"

using namespace Qt::StringLiterals;

QList<LogFolder> LogFolder::of(const QList<Account> &accounts)
{
    QList<LogFolder> folders;
    for (const Account &account : accounts) {
        const QString home = account.key();
        if (account.provider == Provider::claude) {
            folders.append({account.provider, home + u"/projects"_s, home});
            continue;
        }
        // Codex moves the sessions archived out of sessions/.
        for (const QString &logs : {u"/sessions"_s, u"/archived_sessions"_s})
            folders.append({account.provider, home + logs, home});
    }
    return folders;
}

QList<LogFolder> LogFolder::found()
{
    return of(Account::defaults());
}
