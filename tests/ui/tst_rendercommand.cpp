#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program as a user would on a machine without any display, with the variables given
// as NAME=value.
Outcome run(const QString &program, const QStringList &arguments, const QString &workingDirectory,
            const QStringList &variables = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Outcome runTidemarker(const QStringList &arguments, const QString &workingDirectory,
                      const QStringList &variables = {})
{
    return run(QStringLiteral(TIDEMARKER_BINARY), arguments, workingDirectory, variables);
}

} // namespace

class TestRenderCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheSheet_data();
    void writesTheSheet();
    void missingFolder();
    void pathNotText_data();
    void pathNotText();
    void trayModeWithoutDisplay_data();
    void trayModeWithoutDisplay();
    void helpAndVersionWithoutDisplay_data();
    void helpAndVersionWithoutDisplay();
};

void TestRenderCommand::writesTheSheet_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("default name") << QStringList{u"--render"_s} << u"tidemarker-preview.png"_s;
    QTest::newRow("path given") << QStringList{u"--render"_s, u"sheet.png"_s} << u"sheet.png"_s;
    QTest::newRow("path beyond ASCII") << QStringList{u"--render"_s, u"übersicht.png"_s} << u"übersicht.png"_s;
    QTest::newRow("switch as the path") << QStringList{u"--render"_s, u"--render"_s} << u"--render"_s;
    QTest::newRow("other arguments around") << QStringList{u"-v"_s, u"--render"_s, u"later.png"_s, u"--quiet"_s}
                                            << u"later.png"_s;
    QTest::newRow("qt options are no options here")
        << QStringList{u"--render"_s, u"-platform"_s, u"xcb"_s} << u"-platform"_s;
}

void TestRenderCommand::writesTheSheet()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const Outcome outcome = runTidemarker(arguments, dir.path());
    QCOMPARE(outcome.err, QByteArray());
    QCOMPARE(outcome.out, "wrote " + file.toUtf8() + "\n");
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{file});
    QImage sheet;
    QVERIFY(sheet.load(dir.filePath(file), "PNG"));
    QCOMPARE(sheet.size(), QSize(856, 620));
}

void TestRenderCommand::missingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const Outcome outcome = runTidemarker({u"--render"_s, u"missing/sheet.png"_s}, dir.path());
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out, QByteArray());
    QVERIFY2(outcome.err.startsWith("write failed: missing/sheet.png: "), outcome.err.constData());
    QVERIFY(outcome.err.endsWith('\n'));
    QCOMPARE(outcome.err.count('\n'), 1);
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestRenderCommand::pathNotText_data()
{
    QTest::addColumn<QString>("bytes"); // as printf writes them
    QTest::newRow("stray byte") << u"a\\377.png"_s;
    QTest::newRow("character cut short") << u"a\\303.png"_s;
}

// Such a path would be decoded into another name; only a shell hands its bytes over unchanged.
void TestRenderCommand::pathNotText()
{
    QFETCH(QString, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString script = u"exec \"$0\" --render \"$(printf '%1')\""_s.arg(bytes);
    const Outcome outcome = run(u"/bin/sh"_s, {u"-c"_s, script, QStringLiteral(TIDEMARKER_BINARY)}, dir.path());
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out, QByteArray());
    QCOMPARE(outcome.err, "write failed: the path is not valid text in the system's encoding\n");
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestRenderCommand::trayModeWithoutDisplay_data()
{
    const QByteArray noDisplay = "tidemarker: no display could be opened; start tidemarker in a desktop session "
                                 "(DISPLAY or WAYLAND_DISPLAY set), or use 'tidemarker --render PATH', which needs none\n";
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no display") << QStringList() << QStringList() << noDisplay;
    QTest::newRow("display refuses") << QStringList() << QStringList{u"DISPLAY=:4321"_s} << noDisplay;
    QTest::newRow("platform without its plugin") << QStringList() << QStringList{u"QT_QPA_PLATFORM=nowhere"_s}
                                                 << noDisplay;
    QTest::newRow("qt options are no options here") << QStringList{u"-platform"_s, u"offscreen"_s} << QStringList()
                                                    << noDisplay;
    QTest::newRow("platform without a tray")
        << QStringList() << QStringList{u"QT_QPA_PLATFORM=offscreen"_s}
        << QByteArray("tidemarker: Qt's \"offscreen\" platform has no system tray; start tidemarker in an X11 or "
                      "Wayland desktop session, or use 'tidemarker --render PATH', which needs none\n");
}

void TestRenderCommand::trayModeWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, variables);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const Outcome outcome = runTidemarker(arguments, dir.path(), variables);
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out, QByteArray());
    QCOMPARE(outcome.err, message);
}

void TestRenderCommand::helpAndVersionWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::newRow("help") << QStringList{u"--help"_s} << QByteArray("Usage: tidemarker [--render [PATH] | --render-history PATH [--days N] | --help | --version]");
    QTest::newRow("version") << QStringList{u"--version"_s} << QByteArray("tidemarker " TIDEMARKER_VERSION);
    QTest::newRow("others ignored") << QStringList{u"-x"_s, u"--version"_s, u"y"_s} << QByteArray("tidemarker " TIDEMARKER_VERSION);
}

// They start nothing: no display is needed, and no file is written.
void TestRenderCommand::helpAndVersionWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, firstLine);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const Outcome outcome = runTidemarker(arguments, dir.path(), {u"HOME="_s + dir.path()});
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.out.split('\n').first(), firstLine);
    QCOMPARE(outcome.err, QByteArray());
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestRenderCommand)
#include "tst_rendercommand.moc"
