#pragma once

#include "Account.h"

#include <QList>
#include <QString>

// A folder of one assistant's logs, for one account.
struct LogFolder {
    Provider provider = Provider::claude;
    QString path;    // Claude's projects folder, Codex's sessions or archived_sessions folder
    QString account; // the account's Account::key(), which its rows in the index go by

    bool operator==(const LogFolder &) const = default;

    // Each account's projects (Claude) or sessions and archived sessions (Codex) folders, in the
    // accounts' order.
    static QList<LogFolder> of(const QList<Account> &accounts);
    // Those of each provider's one account: ${CODEX_HOME:-~/.codex}/sessions, archived_sessions and
    // ${CLAUDE_CONFIG_DIR:-~/.claude}/projects.
    static QList<LogFolder> found();
};
