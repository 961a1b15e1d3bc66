#pragma once

#include "TokenWeights.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// One request's use as an assistant logged it.
struct LogEntry {
    qint64 time = 0; // seconds since 1970
    QString project; // the folder the assistant worked in
    QString model;
    TokenCounts counts;
    QString requestKey; // what repeats where the request is logged again, also in other files
};

// What one line gives: a request's use, nothing to count, or a line to skip (no JSON object,
// or counts no request reaches).
struct LineReading {
    enum class Kind { usage, other, malformed };
    Kind kind = Kind::other;
    LogEntry entry{};
};

// A Codex session's running total: cached input is part of input.
struct CodexTotal {
    qint64 input = 0;
    qint64 cached = 0;
    qint64 output = 0;
    qint64 tokens() const { return input + output; }
    bool operator==(const CodexTotal &) const = default;
};

// Where a log file's session stands, kept with the file between readings: its project (named
// once, before the requests), Codex's model and the running total counted so far.
struct LogSession {
    QString project;
    QString model;
    CodexTotal counted;
    bool described = false; // Codex: the file's own session_meta was read; later ones are copies
    qint64 copiedUntil = 0; // Codex: a fork's copy of its parent's history is stamped up to this
    QString name; // Codex: the rollout's name, the same for its compressed and archived forms; not kept
    bool operator==(const LogSession &) const = default;
};

// What a line of a Claude transcript says of a request: the service answered it, or refused it
// for a limit ("rate_limit"), or neither (another line, another error).
struct ClaudeOutcome {
    enum class Kind { none, answered, refused };
    Kind kind = Kind::none;
    QDateTime at;
    QString text{}; // a refusal's, as the user saw it
};

// The lines of both assistants' logs, read leniently: members they add are ignored and a line
// of another shape is nothing to count.
namespace LogLineParser {

// A count above this is no request's: the line is skipped, and sums of many stay far from overflow.
inline constexpr qint64 largestCount = 10'000'000'000;

// A line of ${CLAUDE_CONFIG_DIR}/projects/<folder>/<session>.jsonl: the session's first folder
// named is its project, fallbackProject until one is.
LineReading claude(QByteArrayView line, LogSession &session, const QString &fallbackProject);
// The same kind of line, for whether the service answered the request or refused it.
ClaudeOutcome claudeOutcome(QByteArrayView line);
// A line of a Codex rollout file, which may name the session's project or model, or move its total.
LineReading codex(QByteArrayView line, LogSession &session);

} // namespace LogLineParser
