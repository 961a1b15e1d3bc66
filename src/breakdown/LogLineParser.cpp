#include "LogLineParser.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

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

qint64 count(const QJsonObject &usage, QLatin1StringView name)
{
    return std::max<qint64>(0, qint64(usage.value(name).toDouble()));
}

std::optional<qint64> secondsOf(const QJsonValue &timestamp)
{
    const QDateTime time = QDateTime::fromString(timestamp.toString(), Qt::ISODateWithMs);
    return time.isValid() ? std::optional(time.toSecsSinceEpoch()) : std::nullopt;
}

const LineReading malformed{LineReading::Kind::malformed};
const LineReading nothing{LineReading::Kind::other};

} // namespace

LineReading LogLineParser::claude(QByteArrayView line, const QString &fallbackProject)
{
    if (line.trimmed().isEmpty())
        return nothing;
    if (!looksLikeObject(line))
        return malformed;
    if (!line.contains("\"usage\""))
        return nothing;
    const std::optional<QJsonObject> object = objectOf(line);
    if (!object)
        return malformed;
    const QJsonObject message = object->value("message"_L1).toObject();
    const QJsonObject usage = message.value("usage"_L1).toObject();
    const QString id = message.value("id"_L1).toString();
    const std::optional<qint64> time = secondsOf(object->value("timestamp"_L1));
    if (usage.isEmpty() || id.isEmpty() || !time)
        return nothing;
    const QString requestId = object->value("requestId"_L1).toString();
    const QString project = object->value("cwd"_L1).toString();
    return {LineReading::Kind::usage,
            {*time, project.isEmpty() ? fallbackProject : project, message.value("model"_L1).toString(),
             {count(usage, "input_tokens"_L1), count(usage, "output_tokens"_L1),
              count(usage, "cache_creation_input_tokens"_L1), count(usage, "cache_read_input_tokens"_L1)},
             requestId.isEmpty() ? id : id + u'\n' + requestId}};
}

LineReading LogLineParser::codex(QByteArrayView line, CodexSession &session)
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
    if (type == u"session_meta" || type == u"turn_context") {
        if (const QString cwd = payload.value("cwd"_L1).toString(); !cwd.isEmpty())
            session.project = cwd;
        if (const QString model = payload.value("model"_L1).toString(); !model.isEmpty())
            session.model = model;
        return nothing;
    }
    const QJsonObject last = payload.value("info"_L1).toObject().value("last_token_usage"_L1).toObject();
    const std::optional<qint64> time = secondsOf(object->value("timestamp"_L1));
    if (type != u"event_msg" || payload.value("type"_L1).toString() != u"token_count" || last.isEmpty() || !time)
        return nothing;
    const qint64 cached = count(last, "cached_input_tokens"_L1);
    return {LineReading::Kind::usage,
            {*time, session.project, session.model,
             {std::max<qint64>(0, count(last, "input_tokens"_L1) - cached), count(last, "output_tokens"_L1), 0, cached},
             {}}};
}
