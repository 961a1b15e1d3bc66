#pragma once

#include <QJsonObject>
#include <QStringList>

// The Breakdown JSON as lines of text: one per provider window,
// "Claude 5h: tidemarker 61% · infra 27% · others 12%". The names in it are cleaned and cut as
// the snapshot's are, whoever wrote the JSON.
namespace BreakdownText {

// Projects named in a line; the rest are "others".
inline constexpr int namedProjects = 3;

// While a long reading runs, one line: how far it has come.
QStringList lines(const QJsonObject &breakdown);
// "reading the assistants' logs: 43 %"
QString readingText(int percent);
// Said instead of the figures of a provider entry with keepsNoLogs.
QString keepsNoLogsText(const QJsonObject &provider);
// A provider entry's name: "Claude", or "Claude · work" for one of several accounts.
QString providerName(const QJsonObject &provider);

} // namespace BreakdownText
