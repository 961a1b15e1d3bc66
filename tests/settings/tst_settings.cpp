#include "Settings.h"
#include "TemporaryHome.h"
#include "TrayFixtures.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Settings)

namespace {

Settings with(void (*change)(Settings &))
{
    Settings settings;
    change(settings);
    return settings;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void read_data();
    void read();
    void writeKeepsOtherKeys();
    void noFileInPlaceOfTheFile_data();
    void noFileInPlaceOfTheFile();
    void accounts_data();
    void accounts();
};

void TestSettings::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Settings>("expected");
    QTest::addColumn<QString>("problem"); // after "PATH: "

    QTest::newRow("empty") << QByteArray() << Settings() << QString();
    QTest::newRow("every key") << QByteArray("[General]\nproviders=claude\nicon=dark\nalerts=False\n"
                                             "alert_at_percent=75\nrefresh_seconds=3600\ngauge=main\n")
                               << with([](Settings &s) {
                                      s = {{Provider::claude}, IconStyle::dark, false, 75, 3600, GaugeHands::main};
                                  })
                               << QString();
    QTest::newRow("menu order") << QByteArray("providers = claude, codex, claude\nicon=light\n")
                                << with([](Settings &s) { s.icon = IconStyle::light; }) << QString();
    QTest::newRow("unknown provider")
        << QByteArray("providers=codex,gemini\nalerts=false\n") << with([](Settings &s) { s.alerts = false; })
        << u"providers \"codex,gemini\" is not one or more of codex, claude, zai, kimi and copilot, separated by commas; using codex,claude"_s;
    QTest::newRow("no provider") << QByteArray("providers=\n") << Settings()
                                 << u"providers \"\" is not one or more of codex, claude, zai, kimi and copilot, separated by commas; using codex,claude"_s;
    QTest::newRow("icon") << QByteArray("icon=color\n") << Settings()
                          << u"icon \"color\" is not colour, light or dark; using colour"_s;
    QTest::newRow("reset times off") << QByteArray("reset_times=false\n")
                                     << with([](Settings &s) { s.resetTimes = false; }) << QString();
    QTest::newRow("alerts") << QByteArray("alerts=1\n") << Settings() << u"alerts \"1\" is not true or false; using true"_s;
    QTest::newRow("percent too high") << QByteArray("alert_at_percent=101\n") << Settings()
                                      << u"alert_at_percent \"101\" is not a whole number from 50 to 100; using 90"_s;
    QTest::newRow("period not whole") << QByteArray("refresh_seconds=90.5\n") << Settings()
                                      << u"refresh_seconds \"90.5\" is not a whole number from 60 to 3600; using 60"_s;
}

// Reading never writes: the file stays as the user left it, bad values and all.
void TestSettings::read()
{
    QFETCH(QByteArray, content);
    QFETCH(Settings, expected);
    QFETCH(QString, problem);
    const TemporaryHome home({"XDG_CONFIG_HOME"});
    const QString path = home.write(u"tidemarker.conf"_s, content);

    QStringList problems;
    QVERIFY(Settings::read(path, &problems) == expected);
    QCOMPARE(problems, problem.isEmpty() ? QStringList() : QStringList{path + u": "_s + problem});
    QCOMPARE(readFile(path), QString::fromUtf8(content));
}

void TestSettings::writeKeepsOtherKeys()
{
    const TemporaryHome home({"XDG_CONFIG_HOME"});
    const QString path = home.write(u"tidemarker/tidemarker.conf"_s, "[General]\nicon=sepia\nfuture=1\n");
    const Settings chosen = with([](Settings &s) { s = {{Provider::codex}, IconStyle::light, true, 50, 120}; });
    QCOMPARE(chosen.write(path), std::nullopt);
    QCOMPARE(readFile(path), u"[General]\nalert_at_percent=50\nalerts=true\nbreakdown=true\nfuture=1\ngauge=tightest\nicon=light\n"
                              "providers=codex\nrefresh_seconds=120\nreset_times=true\n"_s);
    QStringList problems;
    QVERIFY(Settings::read(path, &problems) == chosen);
    QVERIFY(problems.isEmpty());
}

void TestSettings::noFileInPlaceOfTheFile_data()
{
    QTest::addColumn<QByteArray>("kind"); // "folder", "FIFO", or what the file holds
    QTest::addColumn<QString>("problem"); // after the path
    QTest::addColumn<QString>("saving"); // what saving says after the path
    QTest::newRow("folder") << QByteArray("folder") << u" is a folder, not a file"_s << u" is a folder, not a file"_s;
    QTest::newRow("FIFO") << QByteArray("FIFO") << u" is a FIFO, not a file"_s << u" is a FIFO, not a file"_s;
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\0\0[General]\nicon=dark\n", 22)
                            << u" is not a settings file (binary or over 64 KiB)"_s << QString();
}

// Each says what it is in one line, none blocks, and the dialog says why it cannot save.
void TestSettings::noFileInPlaceOfTheFile()
{
    QFETCH(QByteArray, kind);
    QFETCH(QString, problem);
    QFETCH(QString, saving);
    const TemporaryHome home({"XDG_CONFIG_HOME"});
    const QString path = home.filePath(u"tidemarker.conf"_s);
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "FIFO")
        QVERIFY(makeFifo(path));
    else
        home.write(u"tidemarker.conf"_s, kind);
    QStringList problems;
    QVERIFY(Settings::read(path, &problems) == Settings());
    QCOMPARE(problems, QStringList{path + problem + u"; using the defaults"_s});
    const std::optional<QString> saved = Settings().write(path);
    if (saving.isEmpty())
        QVERIFY2(saved, "saving over a binary file must say so");
    else
        QCOMPARE(saved, std::optional(path + saving));
}

void TestSettings::accounts_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("accounts"); // display name and folder below home, first marked *
    QTest::addColumn<QString>("problem");

    QTest::newRow("no key") << QByteArray() << QStringList{u"Codex *"_s, u"Claude *"_s} << QString();
    QTest::newRow("one folder, no label shown")
        << QByteArray("codex_accounts=work=~/.codex-work\n")
        << QStringList{u"Codex ~/.codex-work*"_s, u"Claude *"_s} << QString();
    QTest::newRow("labels: given, folder name, repeats")
        << QByteArray("claude_accounts=\"~/.claude, ~/x/.claude, work=~/w, work=~/w2\"\n")
        << QStringList{u"Codex *"_s, u"Claude \u00B7 claude ~/.claude*"_s, u"Claude \u00B7 claude 2 ~/x/.claude"_s,
                       u"Claude \u00B7 work ~/w"_s, u"Claude \u00B7 work 2 ~/w2"_s}
        << QString();
    QTest::newRow("a folder twice") << QByteArray("codex_accounts=\"~/.codex, team=~/.codex/\"\n")
                                    << QStringList{u"Codex ~/.codex*"_s, u"Claude *"_s} << QString();
    QTest::newRow("relative folder") << QByteArray("claude_accounts=.claude\n") << QStringList{u"Codex *"_s, u"Claude *"_s}
                                     << u"claude_accounts \".claude\" is not a list of folders separated by commas, each "
                                        "an absolute path or one below ~, and labelled or not (work=~/.claude-work); using "
                                        "the one account"_s;
    QTest::newRow("more than eight")
        << QByteArray("codex_accounts=~/1, ~/2, ~/3, ~/4, ~/5, ~/6, ~/7, ~/8, a=~/9, ~/10\n")
        << QStringList{u"Codex \u00B7 1 ~/1*"_s, u"Codex \u00B7 2 ~/2"_s, u"Codex \u00B7 3 ~/3"_s, u"Codex \u00B7 4 ~/4"_s,
                       u"Codex \u00B7 5 ~/5"_s, u"Codex \u00B7 6 ~/6"_s, u"Codex \u00B7 7 ~/7"_s, u"Codex \u00B7 8 ~/8"_s,
                       u"Claude *"_s}
        << u"codex_accounts lists more than 8 folders; leaving out a=~/9, ~/10"_s;
    QTest::newRow("a ; cuts no list short")
        << QByteArray("claude_accounts=a=~/a; b=~/b, c=~/c\n") << QStringList{u"Codex *"_s, u"Claude *"_s}
        << u"claude_accounts holds a \";\", which begins a comment in this file; separate with commas, or put "
           "the value in double quotes; using the one account"_s;
    QTest::newRow("a ; in quotes is the folder's") << QByteArray("codex_accounts=\"~/a;b, c=~/c\"\n")
                                                   << QStringList{u"Codex \u00B7 a;b ~/a;b*"_s, u"Codex \u00B7 c ~/c"_s,
                                                                  u"Claude *"_s}
                                                   << QString();
}

void TestSettings::accounts()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, accounts);
    QFETCH(QString, problem);
    const TemporaryHome home({"XDG_CONFIG_HOME", "CODEX_HOME", "CLAUDE_CONFIG_DIR"});
    const QString path = home.write(u"tidemarker.conf"_s, "[General]\n" + content);
    QStringList problems;
    const Settings settings = Settings::read(path, &problems);
    QStringList found;
    for (const Account &account : settings.accounts())
        found.append(account.displayName() + u' ' + QString(account.folder).replace(home.path(), u"~"_s)
                     + (account.first ? u"*"_s : QString()));
    QCOMPARE(found, accounts);
    QCOMPARE(problems, problem.isEmpty() ? QStringList() : QStringList{path + u": "_s + problem});
    // Written back as read.
    QVERIFY(settings.write(path) == std::nullopt);
    QVERIFY(Settings::read(path, &problems) == settings);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
