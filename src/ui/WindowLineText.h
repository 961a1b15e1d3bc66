#pragma once

#include "UsageModels.h"

#include <QDateTime>
#include <QString>

// The menu's and the tooltip's texts of a window, ending with when it resets when asked to.
namespace WindowLineText {

// " · resets 15:42" today, " · resets Thu 09:00" within the week, " · resets 18 Dec" later:
// in local time and the user's locale.
QString resetSuffix(const QDateTime &resetAt, const QDateTime &now);

// "    Weekly: 39% left, -30% low", then its reset when withReset; a limit the service refuses
// ends with " · blocked until 21:50" (or " · blocked") instead.
QString menuLine(const UsageWindow &window, const QDateTime &now, bool withReset);

// "Weekly 3% left", as a folded section's title names its worst window.
QString briefLine(const UsageWindow &window);

// A line for each account the service refuses, "Claude · work blocked until 21:50"; then the
// status's summary, with the worst window's reset when withReset.
QString toolTip(const UsageStatus &status, const QDateTime &now, bool withReset);

} // namespace WindowLineText
