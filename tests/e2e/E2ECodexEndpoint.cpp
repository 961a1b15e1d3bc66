#include "CodexEndpoint.h"

// The test build of the program asks for Codex usage wherever the driving test serves it.
QUrl codexUsageUrl()
{
    return QUrl(qEnvironmentVariable("TIDEMARKER_E2E_CODEX_URL"));
}
