#pragma once

#include "Provider.h"

#include <QString>

// Whether an assistant is set to keep no logs, so that where its usage went cannot be known.
namespace KeptLogs {

// Claude Code with "cleanupPeriodDays": 0 in its folder's settings.json (folder empty: where it
// looks by default) writes no transcripts. Reads the file: not for the GUI thread.
bool keepsNone(Provider provider, const QString &folder);

} // namespace KeptLogs
