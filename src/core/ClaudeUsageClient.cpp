#include "ClaudeUsageClient.h"

#include "AnswerBounds.h"
#include "ClaudeUsageParser.h"
#include "EndpointUrl.h"
#include "ProviderInput.h"
#include "RetryAfter.h"
#include "StoredText.h"

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

// Sent with U+FFFD in place of the bytes that are not UTF-8, a token could only be refused.
std::variant<QString, PlainError> utf8Text(const QByteArray &bytes, const QString &sourceName)
{
    // Stateless: a sequence cut short at the end is an error, not the start of more to come.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return PlainError{StoredText::english(StoredText::notUtf8).arg(sourceName)};
    return text;
}

QString credentialRecordName(const Account &account)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(account);
    return u"Claude Code keychain item"_s;
#else
    return homeRelative(ClaudeUsageClient::credentialsFilePath(account));
#endif
}

// QString::trimmed() strips exactly the white space and line breaks a pasted token may carry.
std::variant<QString, ClaudeFailure> secretText(const QByteArray &output, const QString &recordName)
{
    const auto text = utf8Text(output, recordName);
    if (const auto *error = std::get_if<PlainError>(&text))
        return RecordFault{error->description};
    const QString secret = std::get<QString>(text).trimmed();
    if (secret.isEmpty())
        return ClaudeError::notSignedIn();
    return secret;
}

RecordFault malformedRecord()
{
    return {ClaudeUsageClient::describe(ClaudeError::malformed())};
}

// Whatever is wrong with the record, a sign-in writes a new one.
std::variant<ClaudeCredential, ClaudeFailure> credentialFromRecord(const QString &record,
                                                                  const QString &recordName)
{
    const auto parsed = parseJsonDocument(record.toUtf8(), recordName);
    if (const auto *error = std::get_if<PlainError>(&parsed))
        return RecordFault{error->description};
    const QJsonDocument &document = std::get<QJsonDocument>(parsed);
    const QJsonValue oauthValue = document.object().value("claudeAiOauth"_L1);
    if (!document.isObject() || !oauthValue.isObject())
        return malformedRecord();
    const QJsonObject oauth = oauthValue.toObject();

    const QJsonValue token = oauth.value("accessToken"_L1);
    const QString accessToken = token.toString().trimmed();
    if (!token.isString() || accessToken.isEmpty())
        return malformedRecord();

    // Milliseconds since the epoch; any other kind of value leaves the expiry unknown.
    const QJsonValue expiresAt = oauth.value("expiresAt"_L1);
    if (!expiresAt.isDouble())
        return ClaudeCredential{accessToken, std::nullopt};
    return ClaudeCredential{accessToken, dateFromEpochSeconds(expiresAt.toDouble() / 1000)};
}

// Claude Code's own record of the account: its keychain item or its folder's file.
std::variant<ClaudeCredential, ClaudeFailure> credentialFromRecord(const Account &account)
{
    const auto record = ClaudeUsageClient::securityBlob(account);
    if (const auto *failure = std::get_if<ClaudeFailure>(&record))
        return *failure;
    return credentialFromRecord(std::get<QString>(record), credentialRecordName(account));
}

bool needsSignIn(const ClaudeFailure &failure)
{
    if (std::holds_alternative<RecordFault>(failure))
        return true;
    const auto *error = std::get_if<ClaudeError>(&failure);
    return error
        && (error->kind == ClaudeError::Kind::notSignedIn
            || (error->kind == ClaudeError::Kind::fetchFailed && error->status == 401));
}

ProviderResult failedResult(const ClaudeFailure &failure)
{
    ProviderResult result{Provider::claude, false, u"error"_s, ClaudeUsageClient::describe(failure),
                          {}, needsSignIn(failure)};
    if (const auto *error = std::get_if<ClaudeError>(&failure)) {
        result.retryAfter = error->retryAfter;
        result.rateLimited = error->status == 429;
    }
    return result;
}

ProviderResult beforeAnyRequest(ProviderResult result)
{
    result.failedBeforeRequest = true;
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
    if (const auto *fault = std::get_if<RecordFault>(&failure))
        return fault->description;
    const ClaudeError &error = std::get<ClaudeError>(failure);
    switch (error.kind) {
    case ClaudeError::Kind::notSignedIn:
        return StoredText::english(StoredText::notSignedInToClaude);
    case ClaudeError::Kind::malformed:
        return StoredText::english(StoredText::unexpectedFormat);
    case ClaudeError::Kind::fetchFailed:
        break;
    }
    if (!error.status)
        return StoredText::english(StoredText::fetchFailed);
    if (*error.status == 401)
        return StoredText::english(StoredText::tokenRejected);
    return StoredText::english(StoredText::fetchFailedWithStatus).arg(*error.status);
}

ClaudeUsageClient::ClaudeUsageClient(Account account)
    : m_account(std::move(account))
{
}

std::variant<ClaudeCredential, ClaudeFailure> ClaudeUsageClient::loadCredential(const Account &account)
{
    if (!account.first)
        return credentialFromRecord(account);
    const auto environment = utf8Text(qgetenv("CLAUDE_CODE_OAUTH_TOKEN"), u"CLAUDE_CODE_OAUTH_TOKEN"_s);
    if (const auto *error = std::get_if<PlainError>(&environment))
        return *error;
    const QString environmentToken = std::get<QString>(environment).trimmed();
    if (!environmentToken.isEmpty())
        return ClaudeCredential{environmentToken, std::nullopt};

    const auto fileToken = tokenFromFile();
    if (const auto *error = std::get_if<PlainError>(&fileToken))
        return *error;
    if (const auto &token = std::get<std::optional<QString>>(fileToken))
        return ClaudeCredential{*token, std::nullopt};
    return credentialFromRecord(account);
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

// A token file that is there but cannot be read says so rather than hand on to Claude Code's record.
std::variant<std::optional<QString>, PlainError> ClaudeUsageClient::tokenFromFile()
{
    const QString path = tokenFilePath();
    const QString name = homeRelative(path);
    const auto bytes = readSmallFile(path, name);
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        if (error->missing)
            return std::nullopt;
        return PlainError(*error);
    }
    const auto text = utf8Text(std::get<QByteArray>(bytes), name);
    if (const auto *error = std::get_if<PlainError>(&text))
        return *error;

    // With every line break split off, trimmed() strips just the spaces and tabs.
    for (const QString &line : tokenFileLines(std::get<QString>(text))) {
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

std::variant<QString, ClaudeFailure> ClaudeUsageClient::securityBlob(const Account &account)
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
    return secretText(security.readAllStandardOutput(), credentialRecordName(account));
}

#else

QString ClaudeUsageClient::credentialsFilePath(const Account &account)
{
    const QString configDir = account.folder.isEmpty() ? qEnvironmentVariable("CLAUDE_CONFIG_DIR") : account.folder;
    const QString base = configDir.isEmpty() ? QDir::home().filePath(u".claude"_s) : configDir;
    return QDir(base).filePath(u".credentials.json"_s);
}

// Claude Code keeps the same record in a file here. A sign-in writes a new one, which mends an
// oversized file but not a folder, a FIFO or one that cannot be opened.
std::variant<QString, ClaudeFailure> ClaudeUsageClient::securityBlob(const Account &account)
{
    const auto bytes = readSmallFile(credentialsFilePath(account), credentialRecordName(account));
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        if (error->missing)
            return ClaudeError::notSignedIn();
        if (error->tooLarge)
            return RecordFault{error->description};
        return PlainError(*error);
    }
    return secretText(std::get<QByteArray>(bytes), credentialRecordName(account));
}

#endif

QUrl ClaudeUsageClient::usageUrl()
{
    return configuredEndpoint("TIDEMARKER_CLAUDE_USAGE_URL", QUrl(u"https://api.anthropic.com/api/oauth/usage"_s));
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

    const auto parsed = parseJsonDocument(reply.body, StoredText::english(StoredText::usageResponse));
    if (const auto *error = std::get_if<PlainError>(&parsed))
        co_return *error;
    const QJsonDocument &document = std::get<QJsonDocument>(parsed);
    if (!document.isObject())
        co_return ClaudeError::malformed();
    co_return document.object();
}

QCoro::Task<ProviderResult> ClaudeUsageClient::result(QDateTime now) const
{
    // No lambda with captures inside the co_await: GCC 12 destroys its captures twice.
    QFuture<std::variant<ClaudeCredential, ClaudeFailure>> loading = QtConcurrent::run(&loadCredential, m_account);
    const auto credential = co_await loading;
    if (const auto *failure = std::get_if<ClaudeFailure>(&credential))
        co_return beforeAnyRequest(failedResult(*failure));
    const ClaudeCredential &found = std::get<ClaudeCredential>(credential);
    if (found.expiresAt && *found.expiresAt <= now) {
        co_return beforeAnyRequest({Provider::claude, false, u"expired"_s,
                                    StoredText::english(StoredText::tokenExpired), {}, true});
    }

    const auto payload = co_await fetchPayload(found.accessToken, now);
    if (const auto *failure = std::get_if<ClaudeFailure>(&payload))
        co_return failedResult(*failure);
    const QJsonObject &answer = std::get<QJsonObject>(payload);
    const QList<UsageWindow> windows = ClaudeUsageParser::windows(answer, now);
    const std::optional<ExtraUsage> extraUsage = ClaudeUsageParser::extraUsage(answer);
    // spend repeats extra usage in another form: it counts only where extra usage says nothing.
    const std::optional<ExtraUsage> spend = extraUsage ? std::nullopt : ClaudeUsageParser::spend(answer);
    ProviderResult result{Provider::claude, true, u"live"_s, std::nullopt, windows, false};
    // A usage-based seat has no windows, only its spend.
    if (windows.isEmpty() && !spend)
        result = {Provider::claude, false, u"error"_s, StoredText::english(StoredText::noUsageWindows), {}, false};
    result.extraWindows = ClaudeUsageParser::extraWindows(answer, now);
    result.moreExtraLimits = AnswerBounds::keepTightest(result.extraWindows);
    result.extraUsage = extraUsage;
    result.spend = spend;
    result.weeklyByModel = ClaudeUsageParser::weeklyByModel(answer);
    co_return result;
}
