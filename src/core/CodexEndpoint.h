#pragma once

#include <QUrl>

// The Codex usage endpoint this build was configured with.
QUrl codexUsageUrl();
