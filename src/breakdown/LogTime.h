#pragma once

#include <QtGlobal>

#include <optional>
#include <string_view>

// The time a log line was written, as the assistants stamp it ("2026-12-08T14:02:11.123Z").
namespace LogTime {

// Seconds since 1970; nothing when the text is no ISO 8601 time. The usual form is read by
// hand, every other one the way QDateTime reads it, so that both give the same second.
std::optional<qint64> secondsOf(std::string_view text);

} // namespace LogTime
