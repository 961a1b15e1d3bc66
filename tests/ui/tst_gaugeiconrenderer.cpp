#include "GaugeIconRenderer.h"
#include "GaugeProbe.h"
#include "ProviderTraits.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);

UsageWindow window(Provider provider, WindowSpeed speed, double usedPercent, double expectedRemainingPercent)
{
    UsageWindow w;
    w.provider = provider;
    w.speed = speed;
    w.usedPercent = usedPercent;
    w.remainingPercent = 100 - usedPercent;
    w.expectedRemainingPercent = expectedRemainingPercent;
    w.pressurePercent = w.remainingPercent - expectedRemainingPercent;
    return w;
}

// All windows in one result, so the list order is exactly the order given.
UsageStatus statusOf(const QList<UsageWindow> &windows)
{
    UsageStatus status{now, {}};
    for (Provider provider : ProviderTraits::all()) {
        ProviderResult result{provider, true, u"live"_s, std::nullopt, windows, false};
        result.windows.removeIf([provider](const UsageWindow &window) { return window.provider != provider; });
        status.results.append(result);
    }
    return status;
}

// Even pace at 50 % remaining, so each hand stands at its used share.
UsageStatus codexHot()
{
    return statusOf({window(Provider::codex, WindowSpeed::fast, 92, 50), window(Provider::codex, WindowSpeed::slow, 80, 50),
                     window(Provider::claude, WindowSpeed::fast, 12, 50), window(Provider::claude, WindowSpeed::slow, 40, 50)});
}

GaugeProbe probe(const UsageStatus &status, double scale)
{
    return GaugeProbe(GaugeIconRenderer::image(status, scale), QPoint(0, 0), scale);
}

#define VERIFY_COLOR(actual, expected)                                                                   \
    QVERIFY2(isClose(actual, expected), qPrintable(u"got "_s + (actual).name(QColor::HexArgb) + u", want "_s \
                                                   + (expected).name(QColor::HexArgb)))

void addScaleColumn()
{
    QTest::addColumn<double>("scale");
}

} // namespace

class TestGaugeIconRenderer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dialPosition_data();
    void dialPosition();
    void imageSize_data();
    void imageSize();
    void fillsFractionalSizes_data();
    void fillsFractionalSizes();
    void emptyDial_data();
    void emptyDial();
    void noHandsWithoutWindows_data();
    void noHandsWithoutWindows();
    void redOnlyInTheRedZone_data();
    void redOnlyInTheRedZone();
    void hands_data();
    void hands();
    void drawingOrder_data();
    void drawingOrder();
};

void TestGaugeIconRenderer::dialPosition_data()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::addColumn<double>("used");
    QTest::addColumn<double>("expectedRemaining");
    QTest::addColumn<double>("position");
    QTest::newRow("nothing used") << 0.0 << 30.0 << 0.0;
    QTest::newRow("negative use") << -5.0 << 30.0 << 0.0;
    QTest::newRow("use not a number") << nan << 30.0 << 0.0;
    QTest::newRow("all used") << 100.0 << 30.0 << 100.0;
    QTest::newRow("over the limit") << 150.0 << 100.0 << 100.0;
    QTest::newRow("on pace") << 30.0 << 70.0 << 50.0;
    QTest::newRow("just begun") << 40.0 << 100.0 << 70.0;
    QTest::newRow("more than a window left") << 40.0 << 150.0 << 70.0;
    QTest::newRow("expected not a number") << 40.0 << nan << 70.0;
    QTest::newRow("over by the clock") << 40.0 << 0.0 << 20.0;
    QTest::newRow("expected negative") << 40.0 << -20.0 << 20.0;
    QTest::newRow("behind pace") << 28.0 << 50.0 << 28.000000000000004;
    QTest::newRow("ahead, short of red") << 65.0 << 70.0 << 75.0;
    QTest::newRow("ahead, in the red") << 80.0 << 70.0 << 50 + 50.0 / 70 * 50;
}

void TestGaugeIconRenderer::dialPosition()
{
    QFETCH(double, used);
    QFETCH(double, expectedRemaining);
    QFETCH(double, position);
    const double actual = GaugeIconRenderer::dialPosition(used, expectedRemaining);
    QVERIFY2(actual == position, qPrintable(QString::number(actual, 'g', 17)));
}

void TestGaugeIconRenderer::imageSize_data()
{
    addScaleColumn();
    QTest::addColumn<int>("pixels");
    QTest::newRow("tray") << 1.0 << 22;
    QTest::newRow("double") << 2.0 << 44;
    QTest::newRow("preview") << 12.0 << 264;
    QTest::newRow("rounded up") << 1.25 << 28;
    QTest::newRow("rounded down") << 1.6 << 35;
}

void TestGaugeIconRenderer::imageSize()
{
    QFETCH(double, scale);
    QFETCH(int, pixels);
    const QImage image = GaugeIconRenderer::image(codexHot(), scale);
    QCOMPARE(image.size(), QSize(pixels, pixels));
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(pixels - 1, pixels - 1).alpha(), 0);
}

void TestGaugeIconRenderer::fillsFractionalSizes_data()
{
    addScaleColumn();
    QTest::newRow("27.5 pixels, rounded up") << 1.25;
    QTest::newRow("35.2 pixels, rounded down") << 1.6;
}

// The disc sits in the middle of the rounded square: its rim shows alike on opposite sides.
void TestGaugeIconRenderer::fillsFractionalSizes()
{
    QFETCH(double, scale);
    const QImage image = GaugeIconRenderer::image(UsageStatus{}, scale).convertToFormat(QImage::Format_ARGB32);
    const int last = image.width() - 1;
    for (int i = 0; i <= last; ++i) {
        const QString where = QString::number(i);
        QVERIFY2(std::abs(image.pixelColor(i, 0).alpha() - image.pixelColor(i, last).alpha()) <= 8, qPrintable(where));
        QVERIFY2(std::abs(image.pixelColor(0, i).alpha() - image.pixelColor(last, i).alpha()) <= 8, qPrintable(where));
    }
}

void TestGaugeIconRenderer::emptyDial_data()
{
    addScaleColumn();
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QColor>("color");

    const QPointF center(11, 11);
    const auto at = [&center](double position, double radius) {
        return GaugeProbe::pointOnRay(center, GaugeProbe::angleOf(position), radius);
    };
    for (double scale : {2.0, 12.0}) {
        const QByteArray suffix = scale == 2 ? " @2" : " @12";
        QTest::newRow("hub at the centre" + suffix) << scale << center << hubColor;
        QTest::newRow("disc inside the scale" + suffix) << scale << GaugeProbe::pointOnRay(center, 270, 6) << discColor;
        QTest::newRow("red zone" + suffix) << scale << at(89, 8.6) << redZoneColor;
    }

    // The finer rows need the preview's pixels, a twelfth of a unit.
    QTest::newRow("hub reaches 0.8") << 12.0 << GaugeProbe::pointOnRay(center, 200, 0.8) << hubColor;
    QTest::newRow("hub ends before 1.0") << 12.0 << GaugeProbe::pointOnRay(center, 200, 1.0) << discColor;
    for (int dot = 0; dot < 12; ++dot) {
        const double position = dot * 100 / 15.0;
        QTest::addRow("dot %d", dot) << 12.0 << at(position, 8.6) << dotColor;
        if (dot < 11)
            QTest::addRow("disc after dot %d", dot) << 12.0 << at(position + 50 / 15.0, 8.6) << discColor;
    }
    QTest::newRow("no dot in the red zone") << 12.0 << at(78 + 50 / 15.0, 8.6) << redZoneColor;
    for (int dot : {0, 11}) {
        for (double direction : {0, 90, 180, 270}) {
            const QPointF dotCenter = at(dot * 100 / 15.0, 8.6);
            QTest::addRow("dot %d reaches 0.55 at %g degrees", dot, direction)
                << 12.0 << GaugeProbe::pointOnRay(dotCenter, direction, 0.55) << dotColor;
            QTest::addRow("dot %d ends before 0.7 at %g degrees", dot, direction)
                << 12.0 << GaugeProbe::pointOnRay(dotCenter, direction, 0.7) << discColor;
        }
    }
    QTest::newRow("red zone reaches 1.05 inwards") << 12.0 << at(89, 8.6 - 1.05) << redZoneColor;
    QTest::newRow("red zone reaches 1.05 outwards") << 12.0 << at(89, 8.6 + 1.05) << redZoneColor;
    QTest::newRow("red zone ends before 1.3 inwards") << 12.0 << at(89, 8.6 - 1.3) << discColor;
    QTest::newRow("red zone ends before 1.3 outwards") << 12.0 << at(89, 8.6 + 1.3) << discColor;
}

void TestGaugeIconRenderer::emptyDial()
{
    QFETCH(double, scale);
    QFETCH(QPointF, point);
    QFETCH(QColor, color);
    VERIFY_COLOR(probe(UsageStatus{}, scale).at(point), color);
}

void TestGaugeIconRenderer::noHandsWithoutWindows_data()
{
    addScaleColumn();
    QTest::newRow("scale 2") << 2.0;
    QTest::newRow("scale 12") << 12.0;
}

void TestGaugeIconRenderer::noHandsWithoutWindows()
{
    QFETCH(double, scale);
    const QImage image = probe(UsageStatus{}, scale).image;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            QVERIFY(!isClose(pixel, codexColor, 40) && !isClose(pixel, claudeColor, 40));
            QVERIFY(!isClose(pixel, outlineColor));
        }
    }
}

void TestGaugeIconRenderer::redOnlyInTheRedZone_data()
{
    noHandsWithoutWindows_data();
}

// Catches an arc mirrored or swept the wrong way: every red pixel lies on the band from 11.6
// down to -50 degrees, allowing for the round caps and antialiasing.
void TestGaugeIconRenderer::redOnlyInTheRedZone()
{
    QFETCH(double, scale);
    const QImage image = GaugeIconRenderer::image(UsageStatus{}, scale).convertToFormat(QImage::Format_ARGB32);
    const double capDegrees = (1.15 + 1 / scale) / 8.6 * 180 / M_PI;
    int redPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() < 150 || pixel.green() > 90 || pixel.blue() > 90)
                continue;
            ++redPixels;
            const double dx = (x + 0.5) / scale - 11;
            const double dy = 11 - (y + 0.5) / scale;
            const double angle = std::atan2(dy, dx) * 180 / M_PI;
            const QString where = u"red at %1,%2 (angle %3)"_s.arg(x).arg(y).arg(angle);
            QVERIFY2(std::abs(std::hypot(dx, dy) - 8.6) <= 1.15 + 1 / scale, qPrintable(where));
            QVERIFY2(angle >= -50 - capDegrees && angle <= 11.6 + capDegrees, qPrintable(where));
        }
    }
    QVERIFY(redPixels > 0);
}

void TestGaugeIconRenderer::hands_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QColor>("color");

    const auto at = GaugeProbe::angleOf;
    for (double scale : {2.0, 12.0}) {
        const QByteArray suffix = scale == 2 ? " @2" : " @12";
        QTest::newRow("codex fast marker at 92, in the red" + suffix) << scale << at(92) << 8.9 << codexColor;
        QTest::newRow("codex fast marker stops short of the hub" + suffix) << scale << at(92) << 5.5 << discColor;
        QTest::newRow("codex slow needle at 80" + suffix) << scale << at(80) << 5.0 << codexColor;
        QTest::newRow("claude fast marker at 12" + suffix) << scale << at(12) << 8.9 << claudeColor;
        QTest::newRow("claude slow needle at 40" + suffix) << scale << at(40) << 5.0 << claudeColor;
    }
    QTest::newRow("slow needle reaches 9.4") << 12.0 << at(80) << 10.0 << codexColor;
    QTest::newRow("slow needle ends before the rim") << 12.0 << at(80) << 11.0 << QColor(Qt::transparent);
    QTest::newRow("slow needle starts behind the hub") << 12.0 << at(40) << -1.7 << claudeColor;
    QTest::newRow("slow needle outlined") << 12.0 << at(80) + std::atan(1.15 / 5) * 180 / M_PI << std::hypot(5, 1.15)
                                          << outlineColor;
    QTest::newRow("fast marker outlined at its tip") << 12.0 << at(92) << 11.55 << outlineColor;
}

void TestGaugeIconRenderer::hands()
{
    QFETCH(double, scale);
    QFETCH(double, angle);
    QFETCH(double, radius);
    QFETCH(QColor, color);
    const GaugeProbe gauge = probe(codexHot(), scale);
    const QColor actual = gauge.onRay(angle, radius);
    if (color.alpha() == 0)
        QCOMPARE(actual.alpha(), 0);
    else
        VERIFY_COLOR(actual, color);
}

void TestGaugeIconRenderer::drawingOrder_data()
{
    QTest::addColumn<QList<UsageWindow>>("windows");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QColor>("onTop");

    // Each pair stands at position 40 and overlaps between radius 7.5 and 9.4.
    QTest::newRow("fast marker over the slow needle listed before it")
        << QList{window(Provider::codex, WindowSpeed::slow, 40, 50), window(Provider::claude, WindowSpeed::fast, 40, 50)}
        << 8.5 << claudeColor;
    QTest::newRow("fast marker over the slow needle listed after it")
        << QList{window(Provider::codex, WindowSpeed::fast, 40, 50), window(Provider::claude, WindowSpeed::slow, 40, 50)}
        << 8.5 << codexColor;
    QTest::newRow("smaller pressure on top, listed last") // pressures 10 and 5
        << QList{window(Provider::codex, WindowSpeed::slow, 40, 50), window(Provider::claude, WindowSpeed::slow, 20, 75)}
        << 5.0 << claudeColor;
    QTest::newRow("smaller pressure on top, listed first")
        << QList{window(Provider::codex, WindowSpeed::slow, 20, 75), window(Provider::claude, WindowSpeed::slow, 40, 50)}
        << 5.0 << codexColor;
    QTest::newRow("equal pressures keep their order")
        << QList{window(Provider::codex, WindowSpeed::fast, 40, 50), window(Provider::claude, WindowSpeed::fast, 40, 50)}
        << 8.9 << claudeColor;
}

void TestGaugeIconRenderer::drawingOrder()
{
    QFETCH(QList<UsageWindow>, windows);
    QFETCH(double, radius);
    QFETCH(QColor, onTop);
    VERIFY_COLOR(probe(statusOf(windows), 12).atPosition(40, radius), onTop);
}

QTEST_MAIN(TestGaugeIconRenderer)
#include "tst_gaugeiconrenderer.moc"
