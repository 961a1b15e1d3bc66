#include "CLISignIn.h"
#include "TrayFixtures.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCLISignIn : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void command_data();
    void command();
    void appleScript_data();
    void appleScript();
    void terminalChoice_data();
    void terminalChoice();
    void terminalPreferenceBeatsPathOrder();
    void noTerminal();
    void xtermNeedsX11Display();
    void terminalRunsCommandThenShell();
};

void TestCLISignIn::command_data()
{
    QTest::addColumn<Provider>("provider");
    QTest::addColumn<QString>("command");
    QTest::newRow("claude") << Provider::claude << u"claude auth login"_s;
    QTest::newRow("codex") << Provider::codex << u"codex login"_s;
}

void TestCLISignIn::command()
{
    QFETCH(Provider, provider);
    QFETCH(QString, command);
    QCOMPARE(CLISignIn::command(provider), command);
}

void TestCLISignIn::appleScript_data()
{
    QTest::addColumn<Provider>("provider");
    QTest::addColumn<QString>("script");
    QTest::newRow("claude") << Provider::claude
                            << u"tell application \"Terminal\"\n  activate\n"
                               u"  do script \"claude auth login\"\nend tell"_s;
    QTest::newRow("codex") << Provider::codex
                           << u"tell application \"Terminal\"\n  activate\n"
                              u"  do script \"codex login\"\nend tell"_s;
}

void TestCLISignIn::appleScript()
{
    QFETCH(Provider, provider);
    QFETCH(QString, script);
    QCOMPARE(CLISignIn::appleScript(provider), script);
}

void TestCLISignIn::terminalChoice_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("usersTerminal"); // as $TERMINAL holds it; "/name" is a path into the folder
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("executeOption");

    const QStringList xtermStyle{u"-e"_s};
    const QStringList afterDashes{u"--"_s};
    for (const auto &[name, option] : {std::pair{u"ptyxis"_s, afterDashes}, {u"kgx"_s, afterDashes},
                                       {u"kitty"_s, QStringList()}, {u"alacritty"_s, xtermStyle},
                                       {u"foot"_s, QStringList()},
                                       {u"wezterm"_s, QStringList{u"start"_s, u"--"_s}}})
        QTest::addRow("%s over xterm", qPrintable(name)) << QStringList{u"xterm"_s, name} << QString() << name << option;
    QTest::newRow("ptyxis over kgx") << QStringList{u"kgx"_s, u"ptyxis"_s} << QString() << u"ptyxis"_s << afterDashes;
    QTest::newRow("kgx over gnome") << QStringList{u"gnome-terminal"_s, u"kgx"_s} << QString() << u"kgx"_s << afterDashes;
    QTest::newRow("user's by name first") << QStringList{u"xdg-terminal-exec"_s, u"mine"_s} << u"mine"_s
                                          << u"mine"_s << xtermStyle;
    QTest::newRow("user's by path") << QStringList{u"mine"_s} << u"/mine"_s << u"mine"_s << xtermStyle;
    QTest::newRow("user's missing") << QStringList{u"xterm"_s} << u"mine"_s << u"xterm"_s << xtermStyle;
    QTest::newRow("xterm only") << QStringList{u"xterm"_s} << QString() << u"xterm"_s << QStringList{u"-e"_s};
    QTest::newRow("xfce over xterm") << QStringList{u"xterm"_s, u"xfce4-terminal"_s}
                                     << QString() << u"xfce4-terminal"_s << QStringList{u"-x"_s};
    QTest::newRow("konsole over xfce") << QStringList{u"xfce4-terminal"_s, u"konsole"_s}
                                       << QString() << u"konsole"_s << QStringList{u"-e"_s};
    QTest::newRow("gnome over konsole") << QStringList{u"konsole"_s, u"gnome-terminal"_s}
                                        << QString() << u"gnome-terminal"_s << QStringList{u"--"_s};
    QTest::newRow("debian alternative over gnome")
        << QStringList{u"gnome-terminal"_s, u"x-terminal-emulator"_s} << QString() << u"x-terminal-emulator"_s
        << QStringList{u"-e"_s};
    QTest::newRow("xdg-terminal-exec first")
        << QStringList{u"xterm"_s, u"x-terminal-emulator"_s, u"xdg-terminal-exec"_s}
        << QString() << u"xdg-terminal-exec"_s << QStringList{};
}

void TestCLISignIn::terminalChoice()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, usersTerminal);
    QFETCH(QString, chosen);
    QFETCH(QStringList, executeOption);

    QTemporaryDir bin;
    for (const QString &name : installed)
        QVERIFY(writeRecorder(bin.filePath(name), bin.filePath(u"record"_s)));

    if (usersTerminal.startsWith(u'/'))
        usersTerminal.prepend(bin.path());
    const auto launch = CLISignIn::terminalLaunch(Provider::claude, {bin.path()}, usersTerminal);
    QVERIFY(launch);
    QCOMPARE(launch->program, bin.filePath(chosen));
    const QStringList command{u"sh"_s, u"-c"_s, u"claude auth login; exec \"${SHELL:-sh}\""_s};
    QCOMPARE(launch->arguments, executeOption + command);
}

void TestCLISignIn::terminalPreferenceBeatsPathOrder()
{
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(writeRecorder(first.filePath(u"xterm"_s), first.filePath(u"record"_s)));
    QVERIFY(writeRecorder(second.filePath(u"konsole"_s), second.filePath(u"record"_s)));
    // Not executable, so not a terminal.
    QVERIFY(writeFile(first.filePath(u"xdg-terminal-exec"_s), {}));

    const auto launch = CLISignIn::terminalLaunch(Provider::codex, {first.path(), second.path()});
    QVERIFY(launch);
    QCOMPARE(launch->program, second.filePath(u"konsole"_s));
}

void TestCLISignIn::noTerminal()
{
    QTemporaryDir empty;
    QVERIFY(!CLISignIn::terminalLaunch(Provider::codex, {empty.path()}));
}

void TestCLISignIn::xtermNeedsX11Display()
{
    QTemporaryDir bin;
    QVERIFY(writeRecorder(bin.filePath(u"lxterm"_s), bin.filePath(u"record"_s)));
    QVERIFY(QFile::link(bin.filePath(u"lxterm"_s), bin.filePath(u"x-terminal-emulator"_s)));
    QVERIFY(QFile::link(bin.filePath(u"lxterm"_s), bin.filePath(u"xterm"_s)));
    QVERIFY(CLISignIn::terminalLaunch(Provider::codex, {bin.path()}, u"xterm"_s, true));
    QVERIFY(!CLISignIn::terminalLaunch(Provider::codex, {bin.path()}, u"xterm"_s, false));

    QVERIFY(writeRecorder(bin.filePath(u"foot"_s), bin.filePath(u"record"_s)));
    const auto launch = CLISignIn::terminalLaunch(Provider::codex, {bin.path()}, {}, false);
    QVERIFY(launch);
    QCOMPARE(launch->program, bin.filePath(u"foot"_s));
}

// Runs what the terminal would run, with a fake provider CLI and login shell, to see that
// the command reaches the CLI word for word and the shell takes over afterwards.
void TestCLISignIn::terminalRunsCommandThenShell()
{
    QTemporaryDir bin;
    const QString record = bin.filePath(u"record"_s);
    QVERIFY(writeRecorder(bin.filePath(u"xterm"_s), record));
    QVERIFY(writeRecorder(bin.filePath(u"claude"_s), record));
    QVERIFY(writeScript(bin.filePath(u"login-shell"_s), u"echo shell >> '%1'\n"_s.arg(record)));
    const auto launch = CLISignIn::terminalLaunch(Provider::claude, {bin.path()});
    QVERIFY(launch);

    QStringList command = launch->arguments.mid(1); // after xterm's -e
    QProcess terminal;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_s, bin.path() + u":/usr/bin:/bin"_s);
    environment.insert(u"SHELL"_s, bin.filePath(u"login-shell"_s));
    terminal.setProcessEnvironment(environment);
    terminal.start(command.takeFirst(), command);
    QVERIFY(terminal.waitForFinished());
    QCOMPARE(terminal.exitCode(), 0);
    QCOMPARE(readFile(record), u"auth\nlogin\nshell\n"_s);
}

QTEST_GUILESS_MAIN(TestCLISignIn)
#include "tst_clisignin.moc"
