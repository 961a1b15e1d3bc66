#pragma once

#include "UsageModels.h"
#include "UsageRequest.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QList>

#include <optional>
#include <variant>

// The windows a Kimi Code usage answer gives.
struct KimiUsage {
    QList<UsageWindow> windows;      // the 300-minute limit, then the weekly allowance, each when given
    QList<UsageWindow> extraWindows; // the answer's other limits, in its order
};

// Reads the Kimi Code usage answer: counts as numbers or their text, "used" or else the limit
// less "remaining", the reset as a date-time, a Unix time or seconds from now.
namespace KimiUsageParser {

// The weekly allowance and the 300-minute limit are read strictly (a member that does not fit is
// the error); another limit that cannot be read is left out. An allowance of zero is no window.
std::variant<KimiUsage, PlainError> parse(const QByteArray &body, const QDateTime &now);

// A limit's window length in seconds: its duration in its timeUnit (minutes, hours, days,
// anything else seconds); none when it has no positive duration.
std::optional<double> windowSeconds(const QJsonValue &window);

} // namespace KimiUsageParser
