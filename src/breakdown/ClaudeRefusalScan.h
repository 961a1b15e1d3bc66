#pragma once

#include "Account.h"
#include "ClaudeRefusalText.h"

#include <QDateTime>

#include <optional>

// Whether the service refuses a Claude account's requests now, as its own transcripts tell: of
// the requests of the last 5 hours, over all its sessions, the newest was refused for a limit.
// Only the ends of the transcripts written to in that time are read; nothing is kept.
namespace ClaudeRefusalScan {

inline constexpr qint64 lookBackSeconds = 5 * 3600;
// A refusal is short and written last: the end of a transcript is enough, whatever its size.
inline constexpr qint64 tailBytes = 1 << 20;

// Reads files, so for a pool thread. None when the newest request was answered, or when there
// was none in that time.
std::optional<LoggedRefusal> newest(Account account, QDateTime now);

} // namespace ClaudeRefusalScan
