#pragma once

#include "UsageModels.h"

#include <QList>
#include <QString>

// A folder of one assistant's logs, for one account.
struct LogFolder {
    Provider provider = Provider::claude;
    QString path;    // Claude's projects folder, Codex's sessions folder
    QString account; // empty for the one account found as the assistant itself finds it

    bool operator==(const LogFolder &) const = default;

    // ${CLAUDE_CONFIG_DIR:-~/.claude}/projects and ${CODEX_HOME:-~/.codex}/sessions, Codex first.
    static QList<LogFolder> found();
};
