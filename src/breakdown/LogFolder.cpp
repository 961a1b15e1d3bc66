#include "LogFolder.h"

using namespace Qt::StringLiterals;

QList<LogFolder> LogFolder::of(const QList<Account> &accounts)
{
    QList<LogFolder> folders;
    for (const Account &account : accounts) {
        const QString home = account.folder.isEmpty() ? Account::defaultFolder(account.provider) : account.folder;
        const QString logs = account.provider == Provider::claude ? u"/projects"_s : u"/sessions"_s;
        folders.append({account.provider, home + logs, account.recordName()});
    }
    return folders;
}

QList<LogFolder> LogFolder::found()
{
    return of({Account::only(Provider::codex), Account::only(Provider::claude)});
}
