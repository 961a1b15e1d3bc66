#pragma once

#include "UsageModels.h"
#include "UsageRequest.h"

#include <QCoroTask>

#include <variant>

// The failures that belong to the Codex client itself.
enum class UsageError { missingToken, fetchFailed };

// The endpoint refused the sign-in (HTTP 401 or 403): a new sign-in may mend it.
struct SignInRefused {
    int status = 401;
};

using CodexFailure = std::variant<UsageError, PlainError, SignInRefused>;

// Records read from the Codex CLI's auth.json.
struct AuthTokens {
    std::optional<QString> accessToken;
    std::optional<QString> accountId;
};
struct AuthFile {
    std::optional<AuthTokens> tokens;
};

// Records read from the usage endpoint's answer.
struct RateLimitWindow {
    double usedPercent = 0;
    double resetAt = 0; // seconds since the epoch
    double limitWindowSeconds = 0;
};
struct RateLimit {
    std::optional<RateLimitWindow> primaryWindow;
    std::optional<RateLimitWindow> secondaryWindow;
    bool refused = false; // "allowed" false or "limit_reached" true, whatever the windows read
};
// A limit the answer lists beside its own: code review, or another model's pair of windows.
struct ExtraRateLimit {
    QString idPrefix; // "codex_extra_quill-preview"
    QString name;     // "Quill-Preview"
    RateLimit rateLimit;
};
struct UsagePayload {
    std::optional<RateLimit> rateLimit; // none: the plan reports no limits (null)
    QList<ExtraRateLimit> extraLimits;  // read leniently: what cannot be read is left out
    std::optional<Credits> credits;     // read leniently too
    QString reachedType;                // why the main limit refuses, when the answer says
};

// Asks the Codex usage endpoint with the sign-in the Codex CLI left behind.
class CodexUsageClient
{
public:
    // Reads the sign-in in the folder, or where the Codex CLI looks by default when it is empty.
    explicit CodexUsageClient(QUrl usageUrl, QString folder = {});

    // Never fails: every failure is folded into the result.
    QCoro::Task<ProviderResult> result(QDateTime now) const;

    // A missing sign-in names the auth.json of the folder (as the constructor takes it).
    static QString describe(const CodexFailure &failure, const QString &folder = {});

    // Strict decoders; the failure names the document, the member and the reason.
    static std::variant<AuthFile, PlainError> decodeAuth(const QByteArray &json);
    static std::variant<UsagePayload, PlainError> decodePayload(const QByteArray &json);
    // At most two windows, the short one first.
    static QList<UsageWindow> windows(const RateLimit &rateLimit, const QDateTime &now);
    // Each extra limit's windows, named after the limit and their length ("Quill-Preview 5h"),
    // each blocked when its limit refuses.
    static QList<UsageWindow> extraWindows(const QList<ExtraRateLimit> &limits, const QDateTime &now);
    // The window's length name in lower case, to follow a limit's name: "5h", "weekly", "30-day".
    static QString lengthWord(double seconds);

private:
    // Where auth.json is looked for: in the folder, else $CODEX_HOME when set, even empty, else ~/.codex.
    static QString authFilePath(const QString &folder);
    static QCoro::Task<std::variant<UsagePayload, CodexFailure>> fetchPayload(QUrl usageUrl, QString folder);
    static std::variant<AuthFile, CodexFailure> readAuth(const QString &folder);

    QUrl m_usageUrl;
    QString m_folder;
};
