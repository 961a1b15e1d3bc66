#include "GaugeIconRenderer.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Four hands, as with both providers signed in.
UsageStatus busyStatus()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto window = [&now](Provider provider, WindowSpeed speed, double used) {
        const qint64 length = speed == WindowSpeed::fast ? 18000 : 604800;
        return UsageWindow::make(provider, speed, used, now.addSecs(length / 2), length, now);
    };
    return {now,
            {{Provider::codex, true, u"live"_s, std::nullopt,
              {window(Provider::codex, WindowSpeed::fast, 28), window(Provider::codex, WindowSpeed::slow, 55)}, false},
             {Provider::claude, true, u"live"_s, std::nullopt,
              {window(Provider::claude, WindowSpeed::fast, 74), window(Provider::claude, WindowSpeed::slow, 18)}, false}}};
}

} // namespace

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
    const UsageStatus status = busyStatus();
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
