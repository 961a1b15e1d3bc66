#pragma once

#include "Account.h"

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
    // The same run in the account's folder, as a shell line: "CODEX_HOME=/home/me/.codex-work codex login".
    static QString command(const Account &account);

    // What Terminal is told on macOS.
    static QString appleScript(const Account &account);
    static QString appleScript(Provider provider) { return appleScript(Account::only(provider)); }

    // The user's own terminal (a name or a path, as $TERMINAL holds it) when it is found, else
    // the first known terminal found in searchPaths, told to run the command and then leave an
    // interactive shell open; none when no terminal is installed. Without an X11 display, a
    // terminal that needs one does not count.
    static std::optional<TerminalLaunch> terminalLaunch(const Account &account,
                                                        const QStringList &searchPaths,
                                                        const QString &usersTerminal = {},
                                                        bool hasX11Display = true);
    static std::optional<TerminalLaunch> terminalLaunch(Provider provider, const QStringList &searchPaths,
                                                        const QString &usersTerminal = {},
                                                        bool hasX11Display = true)
    {
        return terminalLaunch(Account::only(provider), searchPaths, usersTerminal, hasX11Display);
    }

    // Blocks while PATH is searched; false when no terminal could be started.
    static bool launch(const Account &account);

    // Launches off the GUI thread. When no terminal starts, the notifier tells the user what to
    // run instead, and standard error does when the notifier cannot.
    static QCoro::Task<void> start(Account account, QPointer<DesktopNotifier> notifier);
};
