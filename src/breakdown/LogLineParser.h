#pragma once

#include "TokenWeights.h"

#include <QByteArrayView>
#include <QString>

// One request's use as an assistant logged it.
struct LogEntry {
    qint64 time = 0; // seconds since 1970
    QString project; // the folder the assistant worked in
    QString model;
    TokenCounts counts;
    QString requestKey; // Claude's, which repeats across lines and files; empty for Codex
};

// What one line gives: a request's use, nothing to count, or no JSON object at all.
struct LineReading {
    enum class Kind { usage, other, malformed };
    Kind kind = Kind::other;
    LogEntry entry{};
};

// Where a Codex session stands: its lines name the project and the model once, before the
// requests that use them.
struct CodexSession {
    QString project;
    QString model;
    bool operator==(const CodexSession &) const = default;
};

// The lines of both assistants' logs, read leniently: members they add are ignored and a line
// of another shape is nothing to count.
namespace LogLineParser {

// A line of ${CLAUDE_CONFIG_DIR}/projects/<folder>/<session>.jsonl; fallbackProject when it
// names no folder.
LineReading claude(QByteArrayView line, const QString &fallbackProject);
// A line of a Codex rollout file, which may move the session to another project or model.
LineReading codex(QByteArrayView line, CodexSession &session);

} // namespace LogLineParser
