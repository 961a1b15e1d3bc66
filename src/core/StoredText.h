#pragma once

#include <QString>

// Texts that a fetch stores in its result (errors, a refused limit's reason, a limit's own name):
// English there, as the snapshot's JSON carries them to scripts and to tidemarker-status, and
// put in the user's language where they are shown.
namespace StoredText {

enum Form {
    notSignedInToClaude,
    unexpectedFormat,
    fetchFailed,
    fetchFailedWithStatus,
    tokenRejected,
    tokenExpired,
    noUsageWindows,
    noRateLimits,
    noCodexAuth,
    notUtf8,
    notJsonObject,
    notValidJson,
    cannotRead,
    notRegularFile,
    largerThanLimit,
    memberIs,
    isNotAnObject,
    isNotAString,
    isNotANumber,
    isMissing,
    isNull,
    usageResponse,
    withPath,
    timedOut,
    tookTooLong,
    tooLarge,
    cancelled,
    tooManyRedirects,
    redirectRefused,
    networkError,
    endedEarly,
    rateLimitedRetrying,
    failedRetrying,
    waitingToAsk,
    usageLimit,
    codeReview,
    routinesWeekly,
    model,
    fiveHours,
    weekly,
    thirtyDays,
    monthly,
    days,
    hours,
    kimiNotSignedIn,
    kimiSignInExpired,
    kimiSignInRefused,
    gitHubNotSignedIn,
    gitHubSignInRefused,
    gitHubCannotSeeCopilot,
    noPremiumRequestLimit,
    isNotAnArray,
    toolCalls,
    keyRefused,
    noApiKey,
    keyringFailed,
    withCode,
    formCount
};

// The form in English, to be filled with QString::arg.
QString english(Form form);

// Any text built from a form, in the user's language, its filled-in parts too; other text as it is.
QString shown(const QString &english);

} // namespace StoredText
