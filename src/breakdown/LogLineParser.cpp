#include "LogLineParser.h"

#include "LogTime.h"
#include "OutsideText.h"
#include "TranscriptModels.h"

#include <QDateTime>

#include <simdjson.h>

#include <cstring>

using namespace Qt::StringLiterals;
using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

namespace {

// Far longer than any refusal the service words.
constexpr qsizetype refusalTextLength = 1000;

// A fork's copy of its parent's history is written at once, as it starts: a request of its own
// takes longer than this to come back.
constexpr qint64 copySeconds = 2;

// The cheap tests first: most lines are conversation, and parsing them all would be most of the work.
bool looksLikeObject(QByteArrayView line)
{
    const QByteArrayView trimmed = line.trimmed();
    return trimmed.startsWith('{') && trimmed.endsWith('}');
}

bool holds(QByteArrayView line, std::string_view text)
{
    return ::memmem(line.data(), size_t(line.size()), text.data(), text.size()) != nullptr;
}

// The line as a JSON object, or nothing where it is no JSON. Valid until the thread's next line:
// its parser keeps its buffers from one to the next.
std::optional<object> objectOf(QByteArrayView line)
{
    thread_local simdjson::dom::parser parser;
    thread_local std::string padded;
    padded.resize(size_t(line.size()) + simdjson::SIMDJSON_PADDING);
    std::memcpy(padded.data(), line.data(), size_t(line.size()));
    object found;
    if (parser.parse(padded.data(), size_t(line.size()), false).get_object().get(found) != simdjson::SUCCESS)
        return std::nullopt;
    return found;
}

// Members are read as QJsonValue reads them: one missing, or of another type, is empty.
std::optional<element> memberOf(const std::optional<object> &parent, std::string_view name)
{
    element found;
    if (!parent || parent->at_key(name).get(found) != simdjson::SUCCESS)
        return std::nullopt;
    return found;
}

std::optional<object> objectAt(const std::optional<object> &parent, std::string_view name)
{
    const std::optional<element> member = memberOf(parent, name);
    object found;
    if (!member || member->get_object().get(found) != simdjson::SUCCESS)
        return std::nullopt;
    return found;
}

std::string_view textAt(const std::optional<object> &parent, std::string_view name)
{
    const std::optional<element> member = memberOf(parent, name);
    std::string_view found;
    if (!member || member->get_string().get(found) != simdjson::SUCCESS)
        return {};
    return found;
}

// A message's text: its content, or the first block's where the content is a list of blocks.
std::string_view contentText(const std::optional<object> &message)
{
    if (const std::string_view text = textAt(message, "content"); !text.empty())
        return text;
    const std::optional<element> content = memberOf(message, "content");
    element first;
    if (!content || !content->is_array() || content->at(0).get(first) != simdjson::SUCCESS)
        return {};
    object block;
    return first.get_object().get(block) == simdjson::SUCCESS ? textAt(block, "text") : std::string_view();
}

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool isEmpty(const std::optional<object> &value)
{
    return !value || value->size() == 0;
}

// The counts of one usage object; one beyond any request's spoils the line. A count given as
// text, or as anything but a number, is none.
class CountReader
{
public:
    qint64 operator()(const std::optional<object> &usage, std::string_view name)
    {
        const std::optional<element> member = memberOf(usage, name);
        double value = 0;
        if (member && (member->is_int64() || member->is_uint64() || member->is_double()))
            value = std::max(0.0, member->get_double().value_unsafe());
        if (value <= double(LogLineParser::largestCount))
            return qint64(value);
        m_inRange = false;
        return 0;
    }
    bool inRange() const { return m_inRange; }

private:
    bool m_inRange = true;
};

// Claude Code also logs its own notices (<synthetic>) and the models of other services it is pointed at.
bool isClaudeModel(const QString &model)
{
    return model.contains(u"claude"_s, Qt::CaseInsensitive);
}

// Claude's models, and those of the other providers whose use its transcripts show.
bool countsTowardSomeProvider(const QString &model)
{
    return isClaudeModel(model) || TranscriptModels::providerOf(model);
}

CodexTotal codexTotal(const std::optional<object> &usage, CountReader &count)
{
    return {count(usage, "input_tokens"), count(usage, "cached_input_tokens"), count(usage, "output_tokens")};
}

CodexTotal advance(const CodexTotal &now, const CodexTotal &before)
{
    return {std::max<qint64>(0, now.input - before.input), std::max<qint64>(0, now.cached - before.cached),
            std::max<qint64>(0, now.output - before.output)};
}

// The file's own session_meta comes first; those after it are its ancestors', copied into a fork.
void describe(LogSession &session, const std::optional<object> &payload, std::optional<qint64> time)
{
    if (std::exchange(session.described, true))
        return;
    if (const std::string_view cwd = textAt(payload, "cwd"); !cwd.empty())
        session.project = qText(cwd);
    const bool forked =
        !textAt(payload, "forked_from_id").empty() || memberOf(objectAt(payload, "source"), "subagent").has_value();
    if (forked && time)
        session.copiedUntil = *time + copySeconds;
}

void takeTurn(LogSession &session, const std::optional<object> &payload)
{
    if (const std::string_view model = textAt(payload, "model"); !model.empty())
        session.model = qText(model);
    // Rollouts of old, without session_meta, name the folder here.
    if (const std::string_view cwd = textAt(payload, "cwd"); !cwd.empty() && !session.described)
        session.project = qText(cwd);
}

const LineReading malformed{LineReading::Kind::malformed};
const LineReading nothing{LineReading::Kind::other};

// Codex writes the event again whenever it re-reads the rate limits: only a total that moved
// counts, with the request's own counts, or the total's advance where it gives none.
LineReading tokenCount(LogSession &session, const std::optional<object> &info, qint64 time)
{
    const std::optional<object> total = objectAt(info, "total_token_usage");
    const std::optional<object> last = objectAt(info, "last_token_usage");
    if (isEmpty(total) && isEmpty(last))
        return nothing;
    CountReader count;
    const CodexTotal now = codexTotal(total, count);
    const CodexTotal used = isEmpty(last) ? advance(now, session.counted) : codexTotal(last, count);
    if (!count.inRange())
        return malformed;
    if (!isEmpty(total)) {
        if (now.tokens() <= session.counted.tokens())
            return nothing;
        session.counted = now;
    }
    // A fork's copy of its parent's history was counted in the parent: its totals are where the fork starts.
    if (time <= session.copiedUntil)
        return nothing;
    const QString key = isEmpty(total) ? QString() : session.name + u'\n' + QString::number(now.tokens());
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
    const bool namesProject = session.project.isEmpty() && holds(line, "\"cwd\"");
    if (!namesProject && !holds(line, "\"usage\""))
        return nothing;
    const std::optional<object> root = objectOf(line);
    if (!root)
        return malformed;
    if (namesProject)
        session.project = qText(textAt(root, "cwd"));
    const std::optional<object> message = objectAt(root, "message");
    const std::optional<object> usage = objectAt(message, "usage");
    const std::string_view id = textAt(message, "id");
    const QString model = qText(textAt(message, "model"));
    if (isEmpty(usage) || id.empty() || !countsTowardSomeProvider(model))
        return nothing;
    const std::optional<qint64> time = LogTime::secondsOf(textAt(root, "timestamp"));
    if (!time)
        return nothing;
    CountReader count;
    const TokenCounts counts{count(usage, "input_tokens"), count(usage, "output_tokens"),
                             count(usage, "cache_creation_input_tokens"), count(usage, "cache_read_input_tokens")};
    if (!count.inRange())
        return malformed;
    // A request replayed (a side question) keeps its message's id under a new request id.
    return {LineReading::Kind::usage,
            {*time, session.project.isEmpty() ? fallbackProject : session.project, model, counts, qText(id)}};
}

ClaudeOutcome LogLineParser::claudeOutcome(QByteArrayView line)
{
    // The cheap test first, as for the counts.
    if (!looksLikeObject(line) || !(holds(line, "\"usage\"") || holds(line, "\"isApiErrorMessage\"")))
        return {};
    const std::optional<object> root = objectOf(line);
    if (!root)
        return {};
    const QDateTime at = QDateTime::fromString(qText(textAt(root, "timestamp")), Qt::ISODateWithMs);
    const std::optional<object> message = objectAt(root, "message");
    if (!at.isValid())
        return {};
    const std::optional<element> apiError = memberOf(root, "isApiErrorMessage");
    if (apiError && apiError->is_bool() && apiError->get_bool().value_unsafe()) {
        if (textAt(root, "error") != "rate_limit")
            return {};
        return {ClaudeOutcome::Kind::refused, at, OutsideText::cut(qText(contentText(message)), refusalTextLength)};
    }
    if (!objectAt(message, "usage") || !isClaudeModel(qText(textAt(message, "model"))))
        return {};
    return {ClaudeOutcome::Kind::answered, at};
}

LineReading LogLineParser::codex(QByteArrayView line, LogSession &session)
{
    if (line.trimmed().isEmpty())
        return nothing;
    if (!looksLikeObject(line))
        return malformed;
    if (!holds(line, "\"token_count\"") && !holds(line, "\"turn_context\"") && !holds(line, "\"session_meta\""))
        return nothing;
    const std::optional<object> root = objectOf(line);
    if (!root)
        return malformed;
    const std::string_view type = textAt(root, "type");
    const std::optional<object> payload = objectAt(root, "payload");
    const std::optional<qint64> time = LogTime::secondsOf(textAt(root, "timestamp"));
    if (type == "session_meta")
        describe(session, payload, time);
    else if (type == "turn_context")
        takeTurn(session, payload);
    else if (type == "event_msg" && textAt(payload, "type") == "token_count" && time)
        return tokenCount(session, objectAt(payload, "info"), *time);
    return nothing;
}
