#include "LogFolder.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString folderFrom(const char *variable, const QString &fallback)
{
    const QString set = qEnvironmentVariable(variable);
    return set.isEmpty() ? QDir::homePath() + u'/' + fallback : set;
}

} // namespace

QList<LogFolder> LogFolder::found()
{
    return {{Provider::codex, folderFrom("CODEX_HOME", u".codex"_s) + u"/sessions"_s, {}},
            {Provider::claude, folderFrom("CLAUDE_CONFIG_DIR", u".claude"_s) + u"/projects"_s, {}}};
}
