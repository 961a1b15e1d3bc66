#pragma once

#include "UsageModels.h"

#include <QByteArray>
#include <QJsonObject>

#include <optional>

// The snapshot as Tidemarker publishes it to status bars and scripts: generatedAt, the providers
// (Codex first) with their block, windows, extra windows, extra usage, spend and credits, the worst
// window's id (extra windows included) and
// the summary. Times are RFC 3339 in
// UTC. It carries figures and error texts only, never a token, a header or the folder of a
// credential file.
namespace UsageSnapshotJson {

QJsonObject toJson(const UsageStatus &status);
// Compact, on one line.
QByteArray toText(const UsageStatus &status);

// The snapshot back from its published form, trusting nothing: worst and summary are worked out
// again from the windows, numbers are bounded to what a window can hold and control characters
// dropped from texts. None when the text is not such a snapshot (or far larger than one).
std::optional<UsageStatus> fromText(const QByteArray &text);

} // namespace UsageSnapshotJson
