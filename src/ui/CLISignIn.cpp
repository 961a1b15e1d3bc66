#include "CLISignIn.h"

#include "DesktopNotifier.h"
#include "ProviderTraits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoroFuture>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Each terminal with what comes before the program to run and its arguments, as each one's
// manual gives it. Newer desktops' defaults come ahead of older ones they may sit beside.
struct Terminal {
    QString name;
    QStringList executeOption;
};

const QList<Terminal> &knownTerminals()
{
    static const QList<Terminal> terminals = {
        {u"xdg-terminal-exec"_s, {}},
        {u"x-terminal-emulator"_s, {u"-e"_s}},
        {u"ptyxis"_s, {u"--"_s}},
        {u"kgx"_s, {u"--"_s}},
        {u"gnome-terminal"_s, {u"--"_s}},
        {u"konsole"_s, {u"-e"_s}},
        {u"xfce4-terminal"_s, {u"-x"_s}},
        {u"kitty"_s, {}},
        {u"alacritty"_s, {u"-e"_s}},
        {u"foot"_s, {}},
        {u"wezterm"_s, {u"start"_s, u"--"_s}},
        {u"xterm"_s, {u"-e"_s}},
    };
    return terminals;
}

// Tiling desktops' convention: $TERMINAL takes xterm's -e.
Terminal usersTerminal(const QString &nameOrPath)
{
    return {nameOrPath, {u"-e"_s}};
}

// xterm and Debian's wrappers of it (also behind x-terminal-emulator) speak only X11: on a
// Wayland desktop without Xwayland they exit at once, and the sign-in would do nothing.
bool needsAbsentX11(const QString &program, bool hasX11Display)
{
    static const QStringList x11Only{u"xterm"_s, u"lxterm"_s, u"uxterm"_s, u"koi8rxterm"_s};
    return !hasX11Display && x11Only.contains(QFileInfo(QFileInfo(program).canonicalFilePath()).fileName());
}

// Handed over as separate arguments, so only this shell reads the line: nothing is quoted
// twice. The shell started last keeps the window open once the sign-in has finished.
QStringList commandThenShell(const Account &account)
{
    return {u"sh"_s, u"-c"_s, CLISignIn::command(account) + u"; exec \"${SHELL:-sh}\""_s};
}

// Single quotes where the shell would read anything but the plain characters of a path.
QString shellQuoted(const QString &text)
{
    static const QRegularExpression plain(u"^[A-Za-z0-9_./+-]+$"_s);
    if (plain.match(text).hasMatch())
        return text;
    return u'\'' + QString(text).replace(u"'"_s, u"'\\''"_s) + u'\'';
}


} // namespace

QString CLISignIn::command(Provider provider)
{
    return ProviderTraits::of(provider).signInCommand;
}

QString CLISignIn::command(const Account &account)
{
    if (account.folder.isEmpty())
        return command(account.provider);
    return ProviderTraits::of(account.provider).folderVariable + u'=' + shellQuoted(account.folder) + u' ' + command(account.provider);
}

QString CLISignIn::appleScript(const Account &account)
{
    const QString quoted = command(account).replace(u"\\"_s, u"\\\\"_s).replace(u"\""_s, u"\\\""_s);
    return u"tell application \"Terminal\"\n  activate\n  do script \""_s + quoted + u"\"\nend tell"_s;
}

std::optional<TerminalLaunch> CLISignIn::terminalLaunch(const Account &account,
                                                        const QStringList &searchPaths,
                                                        const QString &usersTerminal,
                                                        bool hasX11Display)
{
    QList<Terminal> candidates = knownTerminals();
    if (!usersTerminal.isEmpty())
        candidates.prepend(::usersTerminal(usersTerminal));
    for (const Terminal &terminal : std::as_const(candidates)) {
        // Takes a path as it is and looks a bare name up in searchPaths.
        const QString program = QStandardPaths::findExecutable(terminal.name, searchPaths);
        if (!program.isEmpty() && !needsAbsentX11(program, hasX11Display))
            return TerminalLaunch{program, terminal.executeOption + commandThenShell(account)};
    }
    return std::nullopt;
}

bool CLISignIn::launch(const Account &account)
{
#ifdef Q_OS_MACOS
    return QProcess::startDetached(u"/usr/bin/osascript"_s, {u"-e"_s, appleScript(account)});
#else
    const QStringList path = qEnvironmentVariable("PATH").split(QDir::listSeparator(),
                                                                Qt::SkipEmptyParts);
    const auto terminal = terminalLaunch(account, path, qEnvironmentVariable("TERMINAL"),
                                         !qEnvironmentVariableIsEmpty("DISPLAY"));
    return terminal && QProcess::startDetached(terminal->program, terminal->arguments);
#endif
}

QCoro::Task<void> CLISignIn::start(Account account, QPointer<DesktopNotifier> notifier)
{
    // No lambda with captures inside the co_await: GCC 12 destroys its captures twice.
    QFuture<bool> launching = QtConcurrent::run(&launch, account);
    if (co_await launching)
        co_return;
    const QString summary = QCoreApplication::translate("CLISignIn", "No terminal could be opened to sign in to %1")
                                .arg(account.displayName());
    const QString body = QCoreApplication::translate("CLISignIn", "Run '%1' in a terminal").arg(command(account));
    bool shown = false;
    if (notifier) // a plain statement around the co_await: GCC 12 mishandles one inside &&
        shown = co_await notifier->notify(u"sign-in"_s, summary, body);
    if (!shown)
        std::fprintf(stderr, "tidemarker: %s: %s\n", qUtf8Printable(summary), qUtf8Printable(body));
}
