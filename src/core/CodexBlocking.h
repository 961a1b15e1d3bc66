#pragma once

#include "Blocked.h"
#include "CodexUsageClient.h"

#include <QJsonValue>
#include <QString>

#include <optional>

// When Codex refuses requests for a limit, whatever its windows read (they may say 25 % used).
namespace CodexBlocking {

// A limit as the answer gives it refuses with "allowed" false or "limit_reached" true.
bool refuses(const QJsonValue &rateLimit);
// The answer's "rate_limit_reached_type", a text or an object's "type"; empty without one.
QString reachedType(const QJsonValue &value);
// None while the limit lets requests through. Else until the reset of the window the type
// names ("primary", "secondary", or its length), else of a window used up, else not known;
// the reason names that window ("5h limit"), else the type, for a limit of a name after it.
std::optional<Blocked> of(const RateLimit &limit, const QString &reachedType, const QString &limitName = {});

} // namespace CodexBlocking
