#include "CodexUsageClient.h"

#include "ProviderInput.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

using namespace Qt::StringLiterals;

namespace {

// Reads one JSON document strictly and remembers the first thing that was wrong with it.
class StrictReader
{
public:
    explicit StrictReader(QString document)
        : m_document(std::move(document))
    {
    }

    std::optional<QJsonObject> topLevel(const QByteArray &json)
    {
        const auto parsed = parseJsonDocument(json, m_document);
        if (const auto *error = std::get_if<PlainError>(&parsed)) {
            m_error = error->description;
            return std::nullopt;
        }
        const QJsonDocument &document = std::get<QJsonDocument>(parsed);
        if (!document.isObject()) {
            m_error = u"%1 is not a JSON object"_s.arg(m_document);
            return std::nullopt;
        }
        return document.object();
    }

    // Missing or null is absent; any other type than an object is an error.
    std::optional<QJsonObject> optionalObject(const QJsonObject &parent, const QString &path,
                                              const QString &member)
    {
        const QJsonValue value = parent.value(member);
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        if (!value.isObject())
            fail(path, member, u"is not an object"_s);
        return value.toObject();
    }

    std::optional<QJsonObject> requiredObject(const QJsonObject &parent, const QString &path,
                                              const QString &member)
    {
        if (!present(parent, path, member))
            return std::nullopt;
        return optionalObject(parent, path, member);
    }

    std::optional<QString> optionalString(const QJsonObject &parent, const QString &path,
                                          const QString &member)
    {
        const QJsonValue value = parent.value(member);
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        if (!value.isString())
            fail(path, member, u"is not a string"_s);
        return value.toString();
    }

    double requiredNumber(const QJsonObject &parent, const QString &path, const QString &member)
    {
        if (!present(parent, path, member))
            return 0;
        const QJsonValue value = parent.value(member);
        if (!value.isDouble())
            fail(path, member, u"is not a number"_s);
        return value.toDouble();
    }

    bool failed() const { return !m_error.isEmpty(); }
    PlainError error() const { return {m_error}; }

private:
    bool present(const QJsonObject &parent, const QString &path, const QString &member)
    {
        const QJsonValue value = parent.value(member);
        if (value.isUndefined())
            fail(path, member, u"is missing"_s);
        else if (value.isNull())
            fail(path, member, u"is null"_s);
        return !value.isUndefined() && !value.isNull();
    }

    void fail(const QString &path, const QString &member, const QString &reason)
    {
        if (m_error.isEmpty()) {
            const QString where = path.isEmpty() ? member : path + u'.' + member;
            m_error = u"%1: \"%2\" %3"_s.arg(m_document, where, reason);
        }
    }

    QString m_document;
    QString m_error;
};

RateLimitWindow readWindow(StrictReader &reader, const QJsonObject &window, const QString &path)
{
    return {reader.requiredNumber(window, path, u"used_percent"_s),
            reader.requiredNumber(window, path, u"reset_at"_s),
            reader.requiredNumber(window, path, u"limit_window_seconds"_s)};
}

std::optional<RateLimitWindow> readOptionalWindow(StrictReader &reader, const QJsonObject &rateLimit,
                                                  const QString &member)
{
    const auto window = reader.optionalObject(rateLimit, u"rate_limit"_s, member);
    if (!window)
        return std::nullopt;
    return readWindow(reader, *window, u"rate_limit."_s + member);
}

UsageWindow codexWindow(WindowSpeed speed, const RateLimitWindow &window, const QDateTime &now)
{
    return UsageWindow::make(Provider::codex, speed, window.usedPercent,
                             dateFromEpochSeconds(window.resetAt),
                             window.limitWindowSeconds, now);
}

// "~" for the home folder, where the path lies below it.
QString homeShorthand(const QString &path)
{
    const QString home = QDir::homePath();
    return path.startsWith(home + u'/') ? u'~' + path.mid(home.size()) : path;
}

ProviderResult failedResult(const CodexFailure &failure)
{
    const auto *kind = std::get_if<UsageError>(&failure);
    return {Provider::codex, false, u"error"_s, CodexUsageClient::describe(failure), {},
            kind && *kind == UsageError::missingToken};
}

} // namespace

CodexUsageClient::CodexUsageClient(QUrl usageUrl)
    : m_usageUrl(std::move(usageUrl))
{
}

QString CodexUsageClient::describe(const CodexFailure &failure)
{
    if (const auto *plain = std::get_if<PlainError>(&failure))
        return plain->description;
    return std::get<UsageError>(failure) == UsageError::missingToken
        ? u"no Codex auth (%1)"_s.arg(homeShorthand(QFileInfo(authFilePath()).absoluteFilePath()))
        : u"usage fetch failed"_s;
}

std::variant<AuthFile, PlainError> CodexUsageClient::decodeAuth(const QByteArray &json)
{
    StrictReader reader(u"auth.json"_s);
    const auto top = reader.topLevel(json);
    if (!top)
        return reader.error();
    AuthFile auth;
    if (const auto tokens = reader.optionalObject(*top, {}, u"tokens"_s)) {
        auth.tokens = AuthTokens{reader.optionalString(*tokens, u"tokens"_s, u"access_token"_s),
                                 reader.optionalString(*tokens, u"tokens"_s, u"account_id"_s)};
    }
    if (reader.failed())
        return reader.error();
    return auth;
}

std::variant<UsagePayload, PlainError> CodexUsageClient::decodePayload(const QByteArray &json)
{
    StrictReader reader(u"usage response"_s);
    const auto top = reader.topLevel(json);
    if (!top)
        return reader.error();
    UsagePayload payload;
    if (const auto rateLimit = reader.requiredObject(*top, {}, u"rate_limit"_s)) {
        payload.rateLimit.primaryWindow = readOptionalWindow(reader, *rateLimit, u"primary_window"_s);
        payload.rateLimit.secondaryWindow = readOptionalWindow(reader, *rateLimit, u"secondary_window"_s);
    }
    if (reader.failed())
        return reader.error();
    return payload;
}

QString CodexUsageClient::authFilePath()
{
    // CODEX_HOME is taken as it stands: no tilde expansion, and empty means the working directory.
    const QString base = qEnvironmentVariableIsSet("CODEX_HOME")
        ? qEnvironmentVariable("CODEX_HOME")
        : QDir::home().filePath(u".codex"_s);
    return QDir(base).filePath(u"auth.json"_s);
}

std::variant<AuthFile, CodexFailure> CodexUsageClient::readAuth()
{
    const QString path = authFilePath();
    const auto bytes = readSmallFile(path);
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        // Never signed in: a sign-in cures it, as it does a file without a token.
        if (error->missing)
            return UsageError::missingToken;
        return PlainError(*error);
    }

    auto decoded = decodeAuth(std::get<QByteArray>(bytes));
    if (auto *error = std::get_if<PlainError>(&decoded))
        return PlainError{u"%1 (%2)"_s.arg(error->description, path)};
    return std::get<AuthFile>(decoded);
}

QCoro::Task<std::variant<UsagePayload, CodexFailure>> CodexUsageClient::fetchPayload(QUrl usageUrl)
{
    const auto auth = co_await QtConcurrent::run(&providerInputPool(), &CodexUsageClient::readAuth);
    if (const auto *failure = std::get_if<CodexFailure>(&auth))
        co_return *failure;
    const std::optional<AuthTokens> &tokens = std::get<AuthFile>(auth).tokens;
    if (!tokens || !tokens->accessToken || tokens->accessToken->isEmpty())
        co_return UsageError::missingToken;

    UsageRequest::Headers headers = UsageRequest::bearerHeaders(tokens->accessToken->toUtf8());
    if (tokens->accountId && !tokens->accountId->isEmpty())
        headers.append({"ChatGPT-Account-Id", tokens->accountId->toUtf8()});

    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl, headers);
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return *error;
    const HttpReply &reply = std::get<HttpReply>(outcome);
    if (!reply.isSuccess())
        co_return UsageError::fetchFailed;

    auto payload = decodePayload(reply.body);
    if (auto *error = std::get_if<PlainError>(&payload))
        co_return *error;
    co_return std::get<UsagePayload>(payload);
}

// With both windows, primary is the short one. A lone window (free and reduced plans send
// only a weekly one) is placed by its length instead of being taken for the 5-hour window.
QList<UsageWindow> CodexUsageClient::windows(const RateLimit &rateLimit, const QDateTime &now)
{
    const auto &primary = rateLimit.primaryWindow;
    const auto &secondary = rateLimit.secondaryWindow;
    if (primary && secondary)
        return {codexWindow(WindowSpeed::fast, *primary, now),
                codexWindow(WindowSpeed::slow, *secondary, now)};
    if (const auto &lone = primary ? primary : secondary) {
        const auto speed = lone->limitWindowSeconds >= 86400 ? WindowSpeed::slow : WindowSpeed::fast;
        return {codexWindow(speed, *lone, now)};
    }
    return {};
}

QCoro::Task<ProviderResult> CodexUsageClient::result(QDateTime now) const
{
    const auto outcome = co_await fetchPayload(m_usageUrl);
    if (const auto *failure = std::get_if<CodexFailure>(&outcome))
        co_return failedResult(*failure);
    const QList<UsageWindow> found = windows(std::get<UsagePayload>(outcome).rateLimit, now);
    co_return ProviderResult{Provider::codex, !found.isEmpty(), u"live"_s, std::nullopt, found, false};
}
