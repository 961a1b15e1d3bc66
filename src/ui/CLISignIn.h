#pragma once

#include "UsageModels.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <optional>

class DesktopNotifier;

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

    // The user's own terminal (a name or a path, as $TERMINAL holds it) when it is found, else
    // the first known terminal found in searchPaths, told to run the command and then leave an
    // interactive shell open; none when no terminal is installed. Without an X11 display, a
    // terminal that needs one does not count.
    static std::optional<TerminalLaunch> terminalLaunch(Provider provider,
                                                        const QStringList &searchPaths,
                                                        const QString &usersTerminal = {},
                                                        bool hasX11Display = true);

    // Blocks while PATH is searched; false when no terminal could be started.
    static bool launch(Provider provider);

    // Launches off the GUI thread. When no terminal starts, the notifier tells the user what to
    // run instead, and standard error does when the notifier cannot.
    static QCoro::Task<void> start(Provider provider, QPointer<DesktopNotifier> notifier);
};
