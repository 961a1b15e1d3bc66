#include "ClaudeUsageClient.h"

#include "ClaudeUsageParser.h"
#include "ProviderInput.h"
#include "RetryAfter.h"

#include <QDir>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#ifdef Q_OS_MACOS
#include <QProcess>
#endif

using namespace Qt::StringLiterals;

namespace {

// Whatever an editor may end a line with, including the Unicode separators.
QStringList tokenFileLines(const QString &text)
{
    const QRegularExpression lineBreak(u"[\\n\\r\\x{0B}\\x{0C}\\x{85}\\x{2028}\\x{2029}]"_s);
    return text.split(lineBreak, Qt::SkipEmptyParts);
}

// QString::trimmed() strips exactly the white space and line breaks a pasted token may carry.
std::variant<QString, ClaudeError> secretText(const QByteArray &output)
{
    const QString secret = QString::fromUtf8(output).trimmed();
    if (secret.isEmpty())
        return ClaudeError::notSignedIn();
    return secret;
}

QString credentialRecordName()
{
#ifdef Q_OS_MACOS
    return u"Claude Code keychain item"_s;
#else
    return ClaudeUsageClient::credentialsFilePath();
#endif
}

std::variant<ClaudeCredential, ClaudeFailure> credentialFromRecord(const QString &record)
{
    const auto parsed = parseJsonDocument(record.toUtf8(), credentialRecordName());
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return *error;
    const QJsonDocument &document = std::get<QJsonDocument>(parsed);
    const QJsonValue oauthValue = document.object().value("claudeAiOauth"_L1);
    if (!document.isObject() || !oauthValue.isObject())
        return ClaudeError::malformed();
    const QJsonObject oauth = oauthValue.toObject();

    const QJsonValue token = oauth.value("accessToken"_L1);
    const QString accessToken = token.toString().trimmed();
    if (!token.isString() || accessToken.isEmpty())
        return ClaudeError::malformed();

    // Milliseconds since the epoch; any other kind of value leaves the expiry unknown.
    const QJsonValue expiresAt = oauth.value("expiresAt"_L1);
    if (!expiresAt.isDouble())
        return ClaudeCredential{accessToken, std::nullopt};
    return ClaudeCredential{accessToken, dateFromEpochSeconds(expiresAt.toDouble() / 1000)};
}

bool needsSignIn(const ClaudeFailure &failure)
{
    const auto *error = std::get_if<ClaudeError>(&failure);
    return error
        && (error->kind == ClaudeError::Kind::notSignedIn
            || (error->kind == ClaudeError::Kind::fetchFailed && error->status == 401));
}

ProviderResult failedResult(const ClaudeFailure &failure)
{
    ProviderResult result{Provider::claude, false, u"error"_s, ClaudeUsageClient::describe(failure),
                          {}, needsSignIn(failure)};
    if (const auto *error = std::get_if<ClaudeError>(&failure))
        result.retryAfter = error->retryAfter;
    return result;
}

// Claude Code's own product token first; OAuth calls without the beta flag are refused.
UsageRequest::Headers requestHeaders(const QString &accessToken)
{
    const QByteArray userAgent = QByteArray("claude-code/") + ClaudeUsageClient::claudeCodeVersion
        + ' ' + UsageRequest::productToken;
    UsageRequest::Headers headers = UsageRequest::bearerHeaders(accessToken.toUtf8(), userAgent);
    headers.emplaceBack("anthropic-beta", "oauth-2025-04-20");
    return headers;
}

// Only a refusal under load (429) or an outage (503) says how long to stay away.
std::chrono::seconds requestedWait(const HttpReply &reply, const QDateTime &now)
{
    const bool saysWhen = reply.status == 429 || reply.status == 503;
    return saysWhen ? retryAfterWait(reply.retryAfter, now) : std::chrono::seconds(0);
}

} // namespace

QString ClaudeUsageClient::describe(const ClaudeFailure &failure)
{
    if (const auto *plain = std::get_if<PlainError>(&failure))
        return plain->description;
    const ClaudeError &error = std::get<ClaudeError>(failure);
    switch (error.kind) {
    case ClaudeError::Kind::notSignedIn:
        return u"not signed in to Claude Code"_s;
    case ClaudeError::Kind::malformed:
        return u"unexpected credential/usage format"_s;
    case ClaudeError::Kind::fetchFailed:
        break;
    }
    if (!error.status)
        return u"usage fetch failed"_s;
    if (*error.status == 401)
        return u"token rejected \u2014 open Claude Code to refresh"_s;
    return u"usage fetch failed (HTTP %1)"_s.arg(*error.status);
}

std::variant<ClaudeCredential, ClaudeFailure> ClaudeUsageClient::loadCredential()
{
    const QString environmentToken = qEnvironmentVariable("CLAUDE_CODE_OAUTH_TOKEN").trimmed();
    if (!environmentToken.isEmpty())
        return ClaudeCredential{environmentToken, std::nullopt};
    if (const auto fileToken = tokenFromFile())
        return ClaudeCredential{*fileToken, std::nullopt};

    const auto record = securityBlob();
    if (const auto *error = std::get_if<ClaudeError>(&record))
        return *error;
    return credentialFromRecord(std::get<QString>(record));
}

QString ClaudeUsageClient::tokenFilePath()
{
    // Taken as it stands apart from the home folder, which a shell would have expanded.
    const QString configured = qEnvironmentVariable("TIDEMARKER_CLAUDE_TOKEN_FILE");
    if (configured.isEmpty())
        return QDir::home().filePath(u".tidemarker/claude-token"_s);
    if (configured == u"~" || configured.startsWith(u"~/"))
        return QDir::homePath() + configured.sliced(1);
    return configured;
}

// A token file that cannot be read or decoded is no token at all, never an error.
std::optional<QString> ClaudeUsageClient::tokenFromFile()
{
    const auto bytes = readSmallFile(tokenFilePath());
    if (!std::holds_alternative<QByteArray>(bytes))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(std::get<QByteArray>(bytes));
    if (decoder.hasError())
        return std::nullopt;

    // With every line break split off, trimmed() strips just the spaces and tabs.
    for (const QString &line : tokenFileLines(text)) {
        const QString token = line.trimmed();
        if (!token.isEmpty() && !token.startsWith(u'#'))
            return token;
    }
    return std::nullopt;
}

QStringList ClaudeUsageClient::securityArguments()
{
    return {u"find-generic-password"_s, u"-s"_s, u"Claude Code-credentials"_s, u"-w"_s};
}

#ifdef Q_OS_MACOS

std::variant<QString, ClaudeError> ClaudeUsageClient::securityBlob()
{
    // Both outputs go to pipes of their own; the tool's complaints on stderr are not read.
    QProcess security;
    security.start(u"/usr/bin/security"_s, securityArguments());
    if (!security.waitForStarted(-1))
        return ClaudeError::notSignedIn();
    // No time limit: the keychain may be asking the user whether to allow access.
    security.waitForFinished(-1);
    if (security.exitStatus() != QProcess::NormalExit || security.exitCode() != 0)
        return ClaudeError::notSignedIn();
    return secretText(security.readAllStandardOutput());
}

#else

QString ClaudeUsageClient::credentialsFilePath()
{
    const QString configDir = qEnvironmentVariable("CLAUDE_CONFIG_DIR");
    const QString base = configDir.isEmpty() ? QDir::home().filePath(u".claude"_s) : configDir;
    return QDir(base).filePath(u".credentials.json"_s);
}

// Claude Code keeps the same record in a file here; a missing or unreadable one is no sign-in.
std::variant<QString, ClaudeError> ClaudeUsageClient::securityBlob()
{
    const auto bytes = readSmallFile(credentialsFilePath());
    if (!std::holds_alternative<QByteArray>(bytes))
        return ClaudeError::notSignedIn();
    return secretText(std::get<QByteArray>(bytes));
}

#endif

QUrl ClaudeUsageClient::usageUrl()
{
    // Read on every request, so a test server or proxy can be swapped in without a restart.
    const QUrl configured(qEnvironmentVariable("TIDEMARKER_CLAUDE_USAGE_URL"), QUrl::StrictMode);
    if (configured.isValid() && !configured.isEmpty())
        return configured;
    return QUrl(u"https://api.anthropic.com/api/oauth/usage"_s);
}

QCoro::Task<std::variant<QJsonObject, ClaudeFailure>> ClaudeUsageClient::fetchPayload(QString accessToken,
                                                                                      QDateTime now)
{
    const HttpOutcome outcome = co_await UsageRequest::get(usageUrl(), requestHeaders(accessToken));
    if (const auto *error = std::get_if<PlainError>(&outcome))
        co_return *error;
    const HttpReply &reply = std::get<HttpReply>(outcome);
    if (!reply.isSuccess()) {
        co_return ClaudeError::fetchFailed(reply.status == 0 ? std::nullopt : std::optional(reply.status),
                                           requestedWait(reply, now));
    }

    const auto parsed = parseJsonDocument(reply.body, u"usage response"_s);
    if (const auto *error = std::get_if<PlainError>(&parsed))
        co_return *error;
    const QJsonDocument &document = std::get<QJsonDocument>(parsed);
    if (!document.isObject())
        co_return ClaudeError::malformed();
    co_return document.object();
}

QCoro::Task<ProviderResult> ClaudeUsageClient::result(QDateTime now) const
{
    const auto credential = co_await QtConcurrent::run(&providerInputPool(), &ClaudeUsageClient::loadCredential);
    if (const auto *failure = std::get_if<ClaudeFailure>(&credential))
        co_return failedResult(*failure);
    const ClaudeCredential &found = std::get<ClaudeCredential>(credential);
    if (found.expiresAt && *found.expiresAt <= now) {
        co_return ProviderResult{Provider::claude, false, u"expired"_s,
                                 u"token expired \u2014 sign in to refresh"_s, {}, true};
    }

    const auto payload = co_await fetchPayload(found.accessToken, now);
    if (const auto *failure = std::get_if<ClaudeFailure>(&payload))
        co_return failedResult(*failure);
    const QJsonObject &answer = std::get<QJsonObject>(payload);
    const QList<UsageWindow> windows = ClaudeUsageParser::windows(answer, now);
    ProviderResult result{Provider::claude, true, u"live"_s, std::nullopt, windows, false};
    if (windows.isEmpty())
        result = {Provider::claude, false, u"error"_s, u"no usage windows in response"_s, {}, false};
    result.extraWindows = ClaudeUsageParser::extraWindows(answer, now);
    result.extraUsage = ClaudeUsageParser::extraUsage(answer);
    co_return result;
}
