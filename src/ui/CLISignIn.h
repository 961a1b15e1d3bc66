#pragma once

#include "UsageModels.h"

#include <QString>
#include <QStringList>

#include <optional>

// A program and its arguments, ready to be started.
struct TerminalLaunch {
    QString program;
    QStringList arguments;
};

// Starts a provider's own command-line sign-in in a terminal window and forgets about it:
// the new credentials are read at the next refresh.
class CLISignIn
{
public:
    static QString command(Provider provider);

    // What Terminal is told on macOS.
    static QString appleScript(Provider provider);

    // The first terminal found in searchPaths, told to run the command and then leave an
    // interactive shell open; none when no known terminal is installed.
    static std::optional<TerminalLaunch> terminalLaunch(Provider provider,
                                                        const QStringList &searchPaths);

    // Returns at once; a terminal that cannot be started is silently ignored.
    static void launch(Provider provider);
};
