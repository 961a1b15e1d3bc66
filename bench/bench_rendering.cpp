#include "GaugeIconRenderer.h"
#include "RenderHarness.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class BenchRendering : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gauge_data();
    void gauge();
    void renderCommand();
};

void BenchRendering::gauge_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 12") << 12.0;
}

void BenchRendering::gauge()
{
    QFETCH(double, scale);
    const UsageStatus status = RenderHarness::sample(28, 55, 74, 18); // four hands, as with both providers
    QBENCHMARK {
        const QImage image = GaugeIconRenderer::image(status, scale);
        QVERIFY(!image.isNull());
    }
}

// The whole process: start-up, the sheet, PNG encoding and the file write.
void BenchRendering::renderCommand()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QBENCHMARK {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(TIDEMARKER_BINARY), {u"--render"_s});
        QVERIFY(process.waitForFinished(-1));
        QCOMPARE(process.exitCode(), 0);
    }
}

// Timings should not depend on whether a display happens to be around.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    BenchRendering bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_rendering.moc"
