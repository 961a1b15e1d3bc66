#pragma once

#include "UsageModels.h"

#include <QList>
#include <QString>

#include <optional>

// The texts of a provider's menu section beside its windows: what else the answer told.
namespace ProviderDetailLines {

struct Line {
    QString key;  // unique within the section
    QString text; // indented, as the menu shows it
};

// "    Blocked until 21:50 (session limit)", or "    Blocked (weekly limit)" without a known end:
// the section's first line, while the service refuses the account.
std::optional<Line> blocked(const ProviderResult &result, const QDateTime &now);

// "    Weekly by model: Fable 22% · Other models 9%", for after the Weekly line.
std::optional<Line> weeklyByModel(const ProviderResult &result);

// For after the extra windows: how many more limits there were, paid use, credits.
QList<Line> afterExtraWindows(const ProviderResult &result);

} // namespace ProviderDetailLines
