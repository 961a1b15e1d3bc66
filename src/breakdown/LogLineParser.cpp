#include "LogLineParser.h"

#include "OutsideText.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Far longer than any refusal the service words.
constexpr qsizetype refusalTextLength = 1000;

// A fork's copy of its parent's history is written at once, as it starts: a request of its own
// takes longer than this to come back.
constexpr qint64 copySeconds = 2;

// The cheap test first: most lines are conversation, and parsing them all would be most of the work.
bool looksLikeObject(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    return trimmed.startsWith('{') && trimmed.endsWith('}');
}

std::optional<QJsonObject> objectOf(QByteArrayView line)
{
    const QByteArray bytes = QByteArray::fromRawData(line.data(), line.size());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// The counts of one usage object; one beyond any request's spoils the line.
class CountReader
{
public:
    qint64 operator()(const QJsonObject &usage, QLatin1StringView name)
    {
        const double value = std::max(0.0, usage.value(name).toDouble());
        if (value <= double(LogLineParser::largestCount))
            return qint64(value);
        m_inRange = false;
        return 0;
    }
    bool inRange() const { return m_inRange; }

private:
    bool m_inRange = true;
};

std::optional<qint64> secondsOf(const QJsonValue &timestamp)
{
    const QDateTime time = QDateTime::fromString(timestamp.toString(), Qt::ISODateWithMs);
    return time.isValid() ? std::optional(time.toSecsSinceEpoch()) : std::nullopt;
}

// Claude Code also logs its own notices (<synthetic>) and the models of other services it is pointed at.
bool isClaudeModel(const QString &model)
{
    return model.contains(u"claude"_s, Qt::CaseInsensitive);
}

CodexTotal codexTotal(const QJsonObject &usage, CountReader &count)
{
    return {count(usage, "input_tokens"_L1), count(usage, "cached_input_tokens"_L1), count(usage, "output_tokens"_L1)};
}

CodexTotal advance(const CodexTotal &now, const CodexTotal &before)
{
    return {std::max<qint64>(0, now.input - before.input), std::max<qint64>(0, now.cached - before.cached),
            std::max<qint64>(0, now.output - before.output)};
}

// The file's own session_meta comes first; those after it are its ancestors', copied into a fork.
void describe(LogSession &session, const QJsonObject &payload, std::optional<qint64> time)
{
    if (std::exchange(session.described, true))
        return;
    if (const QString cwd = payload.value("cwd"_L1).toString(); !cwd.isEmpty())
        session.project = cwd;
    const bool forked = !payload.value("forked_from_id"_L1).toString().isEmpty()
        || payload.value("source"_L1).toObject().contains("subagent"_L1);
    if (forked && time)
        session.copiedUntil = *time + copySeconds;
}

void takeTurn(LogSession &session, const QJsonObject &payload)
{
    if (const QString model = payload.value("model"_L1).toString(); !model.isEmpty())
        session.model = model;
    // Rollouts of old, without session_meta, name the folder here.
    if (const QString cwd = payload.value("cwd"_L1).toString(); !cwd.isEmpty() && !session.described)
        session.project = cwd;
}

const LineReading malformed{LineReading::Kind::malformed};
const LineReading nothing{LineReading::Kind::other};

// Codex writes the event again whenever it re-reads the rate limits: only a total that moved
// counts, with the request's own counts, or the total's advance where it gives none.
LineReading tokenCount(LogSession &session, const QJsonObject &info, qint64 time)
{
    const QJsonObject total = info.value("total_token_usage"_L1).toObject();
    const QJsonObject last = info.value("last_token_usage"_L1).toObject();
    if (total.isEmpty() && last.isEmpty())
        return nothing;
    CountReader count;
    const CodexTotal now = codexTotal(total, count);
    const CodexTotal used = last.isEmpty() ? advance(now, session.counted) : codexTotal(last, count);
    if (!count.inRange())
        return malformed;
    if (!total.isEmpty()) {
        if (now.tokens() <= session.counted.tokens())
            return nothing;
        session.counted = now;
    }
    // A fork's copy of its parent's history was counted in the parent: its totals are where the fork starts.
    if (time <= session.copiedUntil)
        return nothing;
    const QString key = total.isEmpty() ? QString() : session.name + u'\n' + QString::number(now.tokens());
    return {LineReading::Kind::usage,
            {time, session.project, session.model,
             {std::max<qint64>(0, used.input - used.cached), used.output, 0, used.cached}, key}};
}

} // namespace

LineReading LogLineParser::claude(QByteArrayView line, LogSession &session, const QString &fallbackProject)
{
    if (line.trimmed().isEmpty())
        return nothing;
    if (!looksLikeObject(line))
        return malformed;
    const bool namesProject = session.project.isEmpty() && line.contains("\"cwd\"");
    if (!namesProject && !line.contains("\"usage\""))
        return nothing;
    const std::optional<QJsonObject> object = objectOf(line);
    if (!object)
        return malformed;
    if (namesProject)
        session.project = object->value("cwd"_L1).toString();
    const QJsonObject message = object->value("message"_L1).toObject();
    const QJsonObject usage = message.value("usage"_L1).toObject();
    const QString id = message.value("id"_L1).toString();
    const QString model = message.value("model"_L1).toString();
    const std::optional<qint64> time = secondsOf(object->value("timestamp"_L1));
    if (usage.isEmpty() || id.isEmpty() || !time || !isClaudeModel(model))
        return nothing;
    CountReader count;
    const TokenCounts counts{count(usage, "input_tokens"_L1), count(usage, "output_tokens"_L1),
                             count(usage, "cache_creation_input_tokens"_L1), count(usage, "cache_read_input_tokens"_L1)};
    if (!count.inRange())
        return malformed;
    // A request replayed (a side question) keeps its message's id under a new request id.
    return {LineReading::Kind::usage,
            {*time, session.project.isEmpty() ? fallbackProject : session.project, model, counts, id}};
}

ClaudeOutcome LogLineParser::claudeOutcome(QByteArrayView line)
{
    // The cheap test first, as for the counts.
    if (!looksLikeObject(line) || !(line.contains("\"usage\"") || line.contains("\"isApiErrorMessage\"")))
        return {};
    const std::optional<QJsonObject> object = objectOf(line);
    if (!object)
        return {};
    const QDateTime at = QDateTime::fromString(object->value("timestamp"_L1).toString(), Qt::ISODateWithMs);
    const QJsonObject message = object->value("message"_L1).toObject();
    if (!at.isValid())
        return {};
    if (object->value("isApiErrorMessage"_L1).toBool()) {
        if (object->value("error"_L1).toString() != u"rate_limit")
            return {};
        const QJsonValue content = message.value("content"_L1);
        const QString text = content.isString() ? content.toString() : content[0]["text"_L1].toString();
        return {ClaudeOutcome::Kind::refused, at, OutsideText::cut(text, refusalTextLength)};
    }
    if (!message.value("usage"_L1).isObject() || !isClaudeModel(message.value("model"_L1).toString()))
        return {};
    return {ClaudeOutcome::Kind::answered, at};
}

LineReading LogLineParser::codex(QByteArrayView line, LogSession &session)
{
    if (line.trimmed().isEmpty())
        return nothing;
    if (!looksLikeObject(line))
        return malformed;
    if (!line.contains("\"token_count\"") && !line.contains("\"turn_context\"") && !line.contains("\"session_meta\""))
        return nothing;
    const std::optional<QJsonObject> object = objectOf(line);
    if (!object)
        return malformed;
    const QString type = object->value("type"_L1).toString();
    const QJsonObject payload = object->value("payload"_L1).toObject();
    const std::optional<qint64> time = secondsOf(object->value("timestamp"_L1));
    if (type == u"session_meta")
        describe(session, payload, time);
    else if (type == u"turn_context")
        takeTurn(session, payload);
    else if (type == u"event_msg" && payload.value("type"_L1).toString() == u"token_count" && time)
        return tokenCount(session, payload.value("info"_L1).toObject(), *time);
    return nothing;
}
