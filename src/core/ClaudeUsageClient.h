#pragma once

#include "UsageModels.h"
#include "UsageRequest.h"

#include <QCoroTask>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <optional>
#include <variant>

// The failures that belong to the Claude client itself.
struct ClaudeError {
    enum class Kind { fetchFailed, notSignedIn, malformed };

    Kind kind = Kind::malformed;
    std::optional<int> status; // fetchFailed only: the HTTP status, when there was an answer
    std::chrono::seconds retryAfter{0}; // fetchFailed with 429 or 503: the wait asked for

    static ClaudeError fetchFailed(std::optional<int> status = std::nullopt,
                                   std::chrono::seconds retryAfter = std::chrono::seconds(0))
    {
        return {Kind::fetchFailed, status, retryAfter};
    }
    static ClaudeError notSignedIn() { return {Kind::notSignedIn, std::nullopt}; }
    static ClaudeError malformed() { return {Kind::malformed, std::nullopt}; }

    bool operator==(const ClaudeError &) const = default;
};

// A fault in Claude Code's own record that a new sign-in mends, as it writes the record afresh.
struct RecordFault {
    QString description;
};

using ClaudeFailure = std::variant<ClaudeError, PlainError, RecordFault>;

// An access token for the Claude account, as Claude Code or the user left it.
struct ClaudeCredential {
    QString accessToken; // trimmed, never empty
    std::optional<QDateTime> expiresAt; // known only for Claude Code's own record
};

// Asks the Claude usage endpoint with the sign-in Claude Code left behind. Keeps nothing
// between calls, so a token refreshed by Claude Code is used at the next refresh.
class ClaudeUsageClient
{
public:
    // The usage service puts callers whose User-Agent names no Claude Code release in a far
    // stricter rate-limit bucket, so the request names a current one (the CLI's x.y.z form).
    static constexpr const char *claudeCodeVersion = "2.1.0";

    explicit ClaudeUsageClient(Account account = Account::only(Provider::claude));

    // Never fails: every failure is folded into the result.
    QCoro::Task<ProviderResult> result(QDateTime now) const;

    static QString describe(const ClaudeFailure &failure);

    // The first token found: $CLAUDE_CODE_OAUTH_TOKEN, the token file (both the first account's
    // only), Claude Code's record. Blocks on files and child processes; keep it off the GUI thread.
    static std::variant<ClaudeCredential, ClaudeFailure> loadCredential(
        const Account &account = Account::only(Provider::claude));
    // None when there is no token file or no token in it; a failure when it cannot be read.
    static std::variant<std::optional<QString>, PlainError> tokenFromFile();
    // The text of Claude Code's credential record, trimmed; notSignedIn when there is none.
    static std::variant<QString, ClaudeFailure> securityBlob(
        const Account &account = Account::only(Provider::claude));

    // $TIDEMARKER_CLAUDE_TOKEN_FILE when set and not empty, else ~/.tidemarker/claude-token.
    static QString tokenFilePath();
    // What macOS's keychain tool is asked to print the record's secret.
    static QStringList securityArguments();
#ifndef Q_OS_MACOS
    // Where Claude Code keeps its record on systems without the macOS keychain: in the
    // account's folder, or in $CLAUDE_CONFIG_DIR or ~/.claude.
    static QString credentialsFilePath(const Account &account = Account::only(Provider::claude));
#endif
    // $TIDEMARKER_CLAUDE_USAGE_URL when it holds a URL, else the public endpoint.
    static QUrl usageUrl();

private:
    static QCoro::Task<std::variant<QJsonObject, ClaudeFailure>> fetchPayload(QString accessToken,
                                                                              QDateTime now);

    Account m_account;
};
