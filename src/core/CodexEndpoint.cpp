#include "CodexEndpoint.h"

QUrl codexUsageUrl()
{
    return QUrl(QStringLiteral(TIDEMARKER_CODEX_USAGE_URL));
}
