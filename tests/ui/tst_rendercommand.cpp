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

// Runs the program as a user would on a machine without any display.
Outcome runTidemarker(const QStringList &arguments, const QString &workingDirectory)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(TIDEMARKER_BINARY), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestRenderCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheSheet_data();
    void writesTheSheet();
    void missingFolder();
};

void TestRenderCommand::writesTheSheet_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("default name") << QStringList{u"--render"_s} << u"tidemarker-preview.png"_s;
    QTest::newRow("path given") << QStringList{u"--render"_s, u"sheet.png"_s} << u"sheet.png"_s;
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

QTEST_GUILESS_MAIN(TestRenderCommand)
#include "tst_rendercommand.moc"
