#include "Diagnostics.h"

#include <cstdio>

// Debug and info messages are off by default; warnings, the few a user is to see, are on.
Q_LOGGING_CATEGORY(lcCore, "tidemarker.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHistory, "tidemarker.history", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBreakdown, "tidemarker.breakdown", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "tidemarker.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUi, "tidemarker.ui", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStatus, "tidemarker.status", QtWarningMsg)

bool sayOwnDiagnostic(const QMessageLogContext &context, const QString &message)
{
    if (!QByteArrayView(context.category).startsWith("tidemarker."))
        return false;
    std::fprintf(stderr, "%s: %s\n", context.category, qUtf8Printable(message));
    return true;
}
