#include "CLISignIn.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// Each terminal with the option after which the rest of its arguments is the program to run.
struct Terminal {
    QString name;
    QStringList executeOption;
};

const QList<Terminal> &knownTerminals()
{
    static const QList<Terminal> terminals = {
        {u"xdg-terminal-exec"_s, {}},
        {u"x-terminal-emulator"_s, {u"-e"_s}},
        {u"gnome-terminal"_s, {u"--"_s}},
        {u"konsole"_s, {u"-e"_s}},
        {u"xfce4-terminal"_s, {u"-x"_s}},
        {u"xterm"_s, {u"-e"_s}},
    };
    return terminals;
}

// Handed over as separate arguments, so only this shell reads the line: nothing is quoted
// twice. The shell started last keeps the window open once the sign-in has finished.
QStringList commandThenShell(Provider provider)
{
    return {u"sh"_s, u"-c"_s, CLISignIn::command(provider) + u"; exec \"${SHELL:-sh}\""_s};
}

} // namespace

QString CLISignIn::command(Provider provider)
{
    return provider == Provider::claude ? u"claude auth login"_s : u"codex login"_s;
}

QString CLISignIn::appleScript(Provider provider)
{
    return u"tell application \"Terminal\"\n  activate\n  do script \""_s + command(provider)
        + u"\"\nend tell"_s;
}

std::optional<TerminalLaunch> CLISignIn::terminalLaunch(Provider provider,
                                                        const QStringList &searchPaths)
{
    for (const Terminal &terminal : knownTerminals()) {
        const QString program = QStandardPaths::findExecutable(terminal.name, searchPaths);
        if (!program.isEmpty())
            return TerminalLaunch{program, terminal.executeOption + commandThenShell(provider)};
    }
    return std::nullopt;
}

void CLISignIn::launch(Provider provider)
{
#ifdef Q_OS_MACOS
    QProcess::startDetached(u"/usr/bin/osascript"_s, {u"-e"_s, appleScript(provider)});
#else
    const QStringList path = qEnvironmentVariable("PATH").split(QDir::listSeparator(),
                                                                Qt::SkipEmptyParts);
    if (const auto terminal = terminalLaunch(provider, path))
        QProcess::startDetached(terminal->program, terminal->arguments);
#endif
}
