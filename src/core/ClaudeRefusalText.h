#pragma once

#include "UsageModels.h"

#include <QDateTime>
#include <QString>

// What Claude Code wrote in a transcript when the service refused a request for a limit.
struct LoggedRefusal {
    QString text; // as the user saw it: "You've hit your session limit · resets 9:50pm (UTC)"
    QDateTime at;
};

// Claude's refusal texts, read leniently: wordings change, and a text that does not fit still
// blocks, only without a reason of its own or a known end.
namespace ClaudeRefusalText {

// The limit the text names, "session limit", "weekly limit", "Opus limit"; else "usage limit".
QString reason(const QString &text);
// The moment the text names ("resets 9:50pm (UTC)", "resets 21:50", in local time without a
// zone), the first one after the refusal; invalid when it names none for certain.
QDateTime statedReset(const QString &text, const QDateTime &refusedAt);
// Until the reset of the window the reason names (a model's own cap, "session", "weekly"), else
// until the text's own time, else not known.
Blocked blocked(const LoggedRefusal &refusal, const ProviderResult &result);

} // namespace ClaudeRefusalText
