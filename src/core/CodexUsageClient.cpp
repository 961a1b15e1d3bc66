#include "CodexUsageClient.h"

#include "AnswerBounds.h"
#include "OutsideText.h"
#include "ClaudeUsageParser.h"
#include "CodexBlocking.h"
#include "ProviderInput.h"
#include "StoredText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#include <cmath>

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
            m_error = StoredText::english(StoredText::notJsonObject).arg(m_document);
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
            fail(path, member, StoredText::english(StoredText::isNotAnObject));
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
            fail(path, member, StoredText::english(StoredText::isNotAString));
        return value.toString();
    }

    double requiredNumber(const QJsonObject &parent, const QString &path, const QString &member)
    {
        if (!present(parent, path, member))
            return 0;
        const QJsonValue value = parent.value(member);
        if (!value.isDouble())
            fail(path, member, StoredText::english(StoredText::isNotANumber));
        return value.toDouble();
    }

    bool failed() const { return !m_error.isEmpty(); }
    PlainError error() const { return {m_error}; }

private:
    bool present(const QJsonObject &parent, const QString &path, const QString &member)
    {
        const QJsonValue value = parent.value(member);
        if (value.isUndefined())
            fail(path, member, StoredText::english(StoredText::isMissing));
        else if (value.isNull())
            fail(path, member, StoredText::english(StoredText::isNull));
        return !value.isUndefined() && !value.isNull();
    }

    void fail(const QString &path, const QString &member, const QString &reason)
    {
        if (m_error.isEmpty()) {
            const QString where = path.isEmpty() ? member : path + u'.' + member;
            m_error = StoredText::english(StoredText::memberIs).arg(m_document, where, reason);
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

std::optional<RateLimitWindow> lenientWindow(const QJsonValue &value)
{
    const QJsonValue used = value["used_percent"_L1];
    const QJsonValue resetAt = value["reset_at"_L1];
    const QJsonValue length = value["limit_window_seconds"_L1];
    if (!used.isDouble() || !resetAt.isDouble() || !(length.toDouble() > 0))
        return std::nullopt;
    return RateLimitWindow{used.toDouble(), resetAt.toDouble(), length.toDouble()};
}

RateLimit lenientRateLimit(const QJsonValue &value)
{
    return {lenientWindow(value["primary_window"_L1]), lenientWindow(value["secondary_window"_L1]),
            CodexBlocking::refuses(value)};
}

// Code review first, then the other models in the answer's order.
QList<ExtraRateLimit> readExtraLimits(const QJsonObject &answer)
{
    QList<ExtraRateLimit> limits;
    const QJsonValue codeReview = answer.value("code_review_rate_limit"_L1);
    if (codeReview.isObject())
        limits.append({u"codex_code_review"_s, StoredText::english(StoredText::codeReview), lenientRateLimit(codeReview)});
    for (const QJsonValue &entry : answer.value("additional_rate_limits"_L1).toArray()) {
        const QString given = OutsideText::name(entry["limit_name"_L1].toString());
        const QString name = given.isEmpty() ? StoredText::english(StoredText::model) : given;
        limits.append({u"codex_extra_"_s + idPart(name), name, lenientRateLimit(entry["rate_limit"_L1])});
    }
    return limits;
}

UsageWindow codexWindow(WindowSpeed speed, const RateLimitWindow &window, const QDateTime &now)
{
    return UsageWindow::make(Provider::codex, speed, window.usedPercent, dateFromEpochTime(window.resetAt),
                             window.limitWindowSeconds, now);
}

// Credits count only when the answer says there are some and how many (or that they are unlimited).
std::optional<Credits> readCredits(const QJsonValue &value)
{
    if (value["has_credits"_L1] != QJsonValue(true))
        return std::nullopt;
    if (value["unlimited"_L1] == QJsonValue(true))
        return Credits{std::nullopt, true};
    const auto balance = ClaudeUsageParser::numeric(value["balance"_L1]);
    if (!balance || !std::isfinite(*balance))
        return std::nullopt;
    return Credits{*balance, false};
}

ProviderResult failedResult(const CodexFailure &failure, const QString &folder)
{
    const auto *kind = std::get_if<UsageError>(&failure);
    return {Provider::codex, false, u"error"_s, CodexUsageClient::describe(failure, folder), {},
            (kind && *kind == UsageError::missingToken) || std::holds_alternative<SignInRefused>(failure)};
}

} // namespace

CodexUsageClient::CodexUsageClient(QUrl usageUrl, QString folder)
    : m_usageUrl(std::move(usageUrl))
    , m_folder(std::move(folder))
{
}

QString CodexUsageClient::describe(const CodexFailure &failure, const QString &folder)
{
    if (const auto *plain = std::get_if<PlainError>(&failure))
        return plain->description;
    if (const auto *refused = std::get_if<SignInRefused>(&failure))
        return StoredText::english(StoredText::fetchFailedWithStatus).arg(refused->status);
    return std::get<UsageError>(failure) == UsageError::missingToken
        ? StoredText::english(StoredText::noCodexAuth).arg(homeRelative(QFileInfo(authFilePath(folder)).absoluteFilePath()))
        : StoredText::english(StoredText::fetchFailed);
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
    StrictReader reader(StoredText::english(StoredText::usageResponse));
    const auto top = reader.topLevel(json);
    if (!top)
        return reader.error();
    UsagePayload payload{std::nullopt, readExtraLimits(*top), readCredits(top->value("credits"_L1)),
                         CodexBlocking::reachedType(top->value("rate_limit_reached_type"_L1))};
    // Some business plans send null: no limits at all, which is not a broken answer.
    if (top->value("rate_limit"_L1).isNull())
        return payload;
    if (const auto rateLimit = reader.requiredObject(*top, {}, u"rate_limit"_s)) {
        payload.rateLimit = RateLimit{readOptionalWindow(reader, *rateLimit, u"primary_window"_s),
                                      readOptionalWindow(reader, *rateLimit, u"secondary_window"_s),
                                      CodexBlocking::refuses(*rateLimit)};
    }
    if (reader.failed())
        return reader.error();
    return payload;
}

QString CodexUsageClient::authFilePath(const QString &folder)
{
    if (!folder.isEmpty())
        return QDir(folder).filePath(u"auth.json"_s);
    // CODEX_HOME is taken as it stands: no tilde expansion, and empty means the working directory.
    const QString base = qEnvironmentVariableIsSet("CODEX_HOME")
        ? qEnvironmentVariable("CODEX_HOME")
        : QDir::home().filePath(u".codex"_s);
    return QDir(base).filePath(u"auth.json"_s);
}

std::variant<AuthFile, CodexFailure> CodexUsageClient::readAuth(const QString &folder)
{
    const QString path = authFilePath(folder);
    const auto bytes = readSmallFile(path);
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        // Never signed in: a sign-in cures it, as it does a file without a token.
        if (error->missing)
            return UsageError::missingToken;
        return PlainError(*error);
    }

    auto decoded = decodeAuth(std::get<QByteArray>(bytes));
    if (auto *error = std::get_if<PlainError>(&decoded))
        return PlainError{StoredText::english(StoredText::withPath).arg(error->description, path)};
    return std::get<AuthFile>(decoded);
}

QCoro::Task<std::variant<UsageRequest::Headers, CodexFailure>> CodexUsageClient::requestHeaders(QString folder)
{
    const auto auth = co_await QtConcurrent::run(&CodexUsageClient::readAuth, folder);
    if (const auto *failure = std::get_if<CodexFailure>(&auth))
        co_return *failure;
    const std::optional<AuthTokens> &tokens = std::get<AuthFile>(auth).tokens;
    if (!tokens || !tokens->accessToken || tokens->accessToken->isEmpty())
        co_return UsageError::missingToken;

    UsageRequest::Headers headers = UsageRequest::bearerHeaders(tokens->accessToken->toUtf8());
    if (tokens->accountId && !tokens->accountId->isEmpty())
        headers.append({"ChatGPT-Account-Id", tokens->accountId->toUtf8()});
    co_return headers;
}

QCoro::Task<std::variant<UsagePayload, CodexFailure>> CodexUsageClient::fetchPayload(QUrl usageUrl, QString folder)
{
    const auto signIn = co_await requestHeaders(folder);
    if (const auto *failure = std::get_if<CodexFailure>(&signIn))
        co_return *failure;
    const UsageRequest::Headers headers = std::get<UsageRequest::Headers>(signIn);

    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl, headers);
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return *error;
    const HttpReply &reply = std::get<HttpReply>(outcome);
    if (reply.status == 401 || reply.status == 403)
        co_return SignInRefused{reply.status};
    if (!reply.isSuccess())
        co_return UsageError::fetchFailed;

    auto payload = decodePayload(reply.body);
    if (auto *error = std::get_if<PlainError>(&payload))
        co_return *error;
    co_return std::get<UsagePayload>(payload);
}

// Each window is placed by its length (free and reduced plans send a lone weekly one as primary,
// or a 30-day one beside a weekly one): of two, the shorter is the fast one.
QList<UsageWindow> CodexUsageClient::windows(const RateLimit &rateLimit, const QDateTime &now)
{
    const auto &primary = rateLimit.primaryWindow;
    const auto &secondary = rateLimit.secondaryWindow;
    const auto speedOf = [](const RateLimitWindow &window) {
        return window.limitWindowSeconds >= 86400 ? WindowSpeed::slow : WindowSpeed::fast;
    };
    if (primary && secondary) {
        const bool swapped = secondary->limitWindowSeconds < primary->limitWindowSeconds;
        return {codexWindow(WindowSpeed::fast, swapped ? *secondary : *primary, now),
                codexWindow(WindowSpeed::slow, swapped ? *primary : *secondary, now)};
    }
    if (const auto &lone = primary ? primary : secondary)
        return {codexWindow(speedOf(*lone), *lone, now)};
    return {};
}

QString CodexUsageClient::lengthWord(double seconds)
{
    return lengthName(seconds, Wording::english).toLower();
}

QList<UsageWindow> CodexUsageClient::extraWindows(const QList<ExtraRateLimit> &limits, const QDateTime &now)
{
    QList<UsageWindow> found;
    for (const ExtraRateLimit &limit : limits) {
        const std::optional<Blocked> blocked = CodexBlocking::of(limit.rateLimit, {}, limit.name);
        for (const auto &window : {limit.rateLimit.primaryWindow, limit.rateLimit.secondaryWindow}) {
            if (!window)
                continue;
            const QString word = lengthWord(window->limitWindowSeconds);
            found.append(UsageWindow::makeExtra(Provider::codex, limit.idPrefix + u'_' + word,
                                                OutsideText::name(limit.name, u' ' + word),
                                                window->usedPercent,
                                                dateFromEpochTime(window->resetAt),
                                                window->limitWindowSeconds, now));
            found.last().blocked = blocked;
        }
    }
    AnswerBounds::dropUnreadable(found);
    makeIdsUnique(found);
    return found;
}

QCoro::Task<ProviderResult> CodexUsageClient::result(QDateTime now) const
{
    const auto outcome = co_await fetchPayload(m_usageUrl, m_folder);
    if (const auto *failure = std::get_if<CodexFailure>(&outcome))
        co_return failedResult(*failure, m_folder);
    const UsagePayload &payload = std::get<UsagePayload>(outcome);
    ProviderResult result{Provider::codex, false, u"live"_s, StoredText::english(StoredText::noRateLimits), {}, false};
    if (payload.rateLimit) {
        result.windows = windows(*payload.rateLimit, now);
        AnswerBounds::dropUnreadable(result.windows);
        result.ok = !result.windows.isEmpty();
        result.error = std::nullopt;
        result.blocked = CodexBlocking::of(*payload.rateLimit, payload.reachedType);
    }
    result.extraWindows = extraWindows(payload.extraLimits, now);
    result.moreExtraLimits = AnswerBounds::keepTightest(result.extraWindows);
    result.credits = payload.credits;
    co_return result;
}
