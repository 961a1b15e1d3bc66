#pragma once

#include "UsageModels.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

enum class OutputFormat { text, json, waybar };

// What tidemarker-status prints: one line for each snapshot, in the chosen format.
namespace StatusFormat {

std::optional<OutputFormat> formatFromName(const QString &name);

// Each provider's worst window, extra windows included, with its remaining share and pace:
// "Codex 5h 60% +10% · Claude Fable weekly 20% -30%"; "(cached)" after a failed fetch, "(as of
// 3 min ago)" for figures kept between spaced-out Claude calls; "Claude blocked until 21:50" for
// an account the service refuses.
QString textLine(const UsageStatus &status, const QDateTime &now);

// A waybar custom module's object: text, tooltip (every window, with its reset), class and
// percentage of the worst window, extra windows included; class "blocked" while the service
// refuses an account.
QJsonObject waybarObject(const UsageStatus &status, const QDateTime &now);

// The line for a snapshot as Tidemarker published it, json re-written from what was read; none
// when it cannot be read. Given an account's label, of that account only, and empty when the
// snapshot has no such account.
std::optional<QByteArray> line(OutputFormat format, const QByteArray &published, const QDateTime &now,
                               const QString &account = {});

// The line while there is no snapshot to show, saying why; null in json.
QByteArray unavailableLine(OutputFormat format, const QString &reason);

} // namespace StatusFormat
