#include "GaugeProbe.h"
#include "RenderHarness.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int sheetHeight = 620;
const QColor sheetColor(77, 77, 77);
const QColor lightTile(242, 242, 242);
const QColor darkTile(31, 31, 31);

// Rows and columns as laid out from the lower left: "light" is row 0, at the bottom.
int columnX(int column)
{
    return column * 280 + 16;
}

int labelBottom(int row) // in image rows, counted from the top
{
    return sheetHeight - (row * 302 + 16);
}

int tileTop(int row)
{
    return labelBottom(row) - 22 - 264;
}

GaugeProbe gaugeIn(const QImage &sheet, int row, int column)
{
    return GaugeProbe(sheet, QPoint(columnX(column), tileTop(row)), 12);
}

QRect labelBand(int row, int column)
{
    return QRect(columnX(column), labelBottom(row) - 18, 264, 18);
}

// The pixels of white text on the sheet's grey inside the rectangle, relative to its corner.
QList<QPoint> textPixels(const QImage &image, const QRect &rect)
{
    QList<QPoint> points;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y).red() > 150)
                points.append(QPoint(x, y) - rect.topLeft());
        }
    }
    return points;
}

} // namespace

class TestRenderHarness : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void outputPathFromArguments_data();
    void outputPathFromArguments();
    void sheetSize();
    void tiles_data();
    void tiles();
    void labels();
    void labelSize();
    void bothRowsShowTheSameGauges();
    void samples_data();
    void samples();
    void claudeOnlyHasNoCodexHand();
    void replacesAnExistingFile();

private:
    QTemporaryDir m_dir;
    QImage m_sheet;
};

void TestRenderHarness::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(u"sheet.png"_s);
    QCOMPARE(RenderHarness::run(path), 0);
    QVERIFY(m_sheet.load(path, "PNG"));
}

void TestRenderHarness::outputPathFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<std::optional<QString>>("path");
    const QString program = u"/usr/bin/tidemarker"_s;
    QTest::newRow("no arguments") << QStringList{program} << std::optional<QString>();
    QTest::newRow("switch last") << QStringList{program, u"--render"_s} << std::optional(u"tidemarker-preview.png"_s);
    QTest::newRow("switch and path") << QStringList{program, u"--render"_s, u"out.png"_s} << std::optional(u"out.png"_s);
    QTest::newRow("switch anywhere") << QStringList{program, u"-v"_s, u"--render"_s, u"a b.png"_s, u"x"_s}
                                     << std::optional(u"a b.png"_s);
    QTest::newRow("switch as the path") << QStringList{program, u"--render"_s, u"--render"_s} << std::optional(u"--render"_s);
    QTest::newRow("option as the path") << QStringList{program, u"--render"_s, u"--help"_s} << std::optional(u"--help"_s);
    QTest::newRow("first switch counts") << QStringList{program, u"--render"_s, u"a.png"_s, u"--render"_s, u"b.png"_s}
                                         << std::optional(u"a.png"_s);
    QTest::newRow("empty path") << QStringList{program, u"--render"_s, QString()} << std::optional(QString());
    QTest::newRow("single dash") << QStringList{program, u"-render"_s, u"out.png"_s} << std::optional<QString>();
    QTest::newRow("other case") << QStringList{program, u"--Render"_s, u"out.png"_s} << std::optional<QString>();
    QTest::newRow("path joined with =") << QStringList{program, u"--render=out.png"_s} << std::optional<QString>();
    QTest::newRow("trailing space") << QStringList{program, u"--render "_s} << std::optional<QString>();
}

void TestRenderHarness::outputPathFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(std::optional<QString>, path);
    QCOMPARE(RenderHarness::outputPathFromArguments(arguments), path);
}

void TestRenderHarness::sheetSize()
{
    QCOMPARE(m_sheet.size(), QSize(856, 620));
}

void TestRenderHarness::tiles_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QColor>("tile");
    for (int column = 0; column < 3; ++column) {
        QTest::addRow("light %d", column) << 0 << column << lightTile;
        QTest::addRow("dark %d", column) << 1 << column << darkTile;
    }
}

void TestRenderHarness::tiles()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QColor, tile);
    const int left = columnX(column);
    const int top = tileTop(row);
    const auto colorAt = [this, left, top](int x, int y) { return m_sheet.pixelColor(left + x, top + y); };

    // 264 pixels square, edges on whole pixels; the gauge leaves the tile's rim clear.
    QCOMPARE(colorAt(132, -1), sheetColor);
    QCOMPARE(colorAt(132, 0), tile);
    QCOMPARE(colorAt(132, 263), tile);
    QCOMPARE(colorAt(132, 264), sheetColor);
    QCOMPARE(colorAt(-1, 132), sheetColor);
    QCOMPARE(colorAt(0, 132), tile);
    QCOMPARE(colorAt(263, 132), tile);
    QCOMPARE(colorAt(264, 132), sheetColor);
    QVERIFY(isClose(colorAt(2, 2), sheetColor, 4)); // cut off by a corner radius of 10
}

// White text on the base line of each row, starting at the column's edge; the rows' labels
// differ (light, dark), and so do the samples'.
void TestRenderHarness::labels()
{
    QList<QList<QPoint>> seen;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRect band = labelBand(row, column);
            const QList<QPoint> text = textPixels(m_sheet, band);
            const QString where = u"row %1 column %2"_s.arg(row).arg(column);
            QVERIFY2(text.size() > 30, qPrintable(where));
            int leftmost = band.width();
            int lowest = 0;
            for (const QPoint &point : text) {
                leftmost = std::min(leftmost, point.x());
                lowest = std::max(lowest, point.y());
            }
            QVERIFY2(leftmost <= 2, qPrintable(where));
            QVERIFY2(lowest >= band.height() - 6, qPrintable(where)); // sits on the row's base line
            QVERIFY2(!seen.contains(text), qPrintable(where));
            seen.append(text);
        }
    }
    QVERIFY(textPixels(m_sheet, QRect(0, 0, 856, 16)).isEmpty());
    QVERIFY(textPixels(m_sheet, QRect(0, labelBottom(0), 856, 16)).isEmpty());
}

// "codex hot · dark" has no descenders, so its ink is as tall as "d", "h" and "k": about 10 rows
// in a 12 pixel font, 11 in a 14 pixel one.
void TestRenderHarness::labelSize()
{
    QList<int> rows;
    for (const QPoint &point : textPixels(m_sheet, labelBand(1, 1)))
        rows.append(point.y());
    QVERIFY(!rows.isEmpty());
    const auto [top, bottom] = std::ranges::minmax(rows);
    const int height = bottom - top + 1;
    QVERIFY2(height >= 9 && height <= 10, qPrintable(QString::number(height)));
}

// The appearance is no input to the gauge: inside the dial the rows differ only by what shows
// through the disc's slight transparency.
void TestRenderHarness::bothRowsShowTheSameGauges()
{
    for (int column = 0; column < 3; ++column) {
        const GaugeProbe light = gaugeIn(m_sheet, 0, column);
        const GaugeProbe dark = gaugeIn(m_sheet, 1, column);
        for (double y = 1.5; y < 21; y += 0.25) {
            for (double x = 1.5; x < 21; x += 0.25) {
                if (std::hypot(x - 11, y - 11) > 9.8)
                    continue;
                QVERIFY2(isClose(light.at(x, y), dark.at(x, y), 12),
                         qPrintable(u"column %1 at %2,%3"_s.arg(column).arg(x).arg(y)));
            }
        }
    }
}

void TestRenderHarness::samples_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QColor>("color");
    // Every sample window is half-way through, so each hand stands at its used percentage.
    const double fast = 8.9;
    const double slow = 5;
    QTest::newRow("typical, codex fast at 28") << 0 << 28.0 << fast << codexColor;
    QTest::newRow("typical, codex slow at 55") << 0 << 55.0 << slow << codexColor;
    QTest::newRow("typical, claude fast at 74") << 0 << 74.0 << fast << claudeColor;
    QTest::newRow("typical, claude slow at 18") << 0 << 18.0 << slow << claudeColor;
    QTest::newRow("codex hot, codex fast at 92") << 1 << 92.0 << fast << codexColor;
    QTest::newRow("codex hot, codex slow at 80") << 1 << 80.0 << slow << codexColor;
    QTest::newRow("codex hot, claude fast at 12") << 1 << 12.0 << fast << claudeColor;
    QTest::newRow("codex hot, claude slow at 40") << 1 << 40.0 << slow << claudeColor;
    QTest::newRow("claude only, claude fast at 60") << 2 << 60.0 << fast << claudeColor;
    QTest::newRow("claude only, claude slow at 30") << 2 << 30.0 << slow << claudeColor;
}

// One check per hand; the dark row shows the same gauges.
void TestRenderHarness::samples()
{
    QFETCH(int, column);
    QFETCH(double, position);
    QFETCH(double, radius);
    QFETCH(QColor, color);
    QVERIFY(isClose(gaugeIn(m_sheet, 0, column).atPosition(position, radius), color));
}

void TestRenderHarness::claudeOnlyHasNoCodexHand()
{
    const GaugeProbe claudeOnly = gaugeIn(m_sheet, 0, 2);
    for (double y = 0; y < 22; y += 1 / 12.0) {
        for (double x = 0; x < 22; x += 1 / 12.0)
            QVERIFY(!isClose(claudeOnly.at(x, y), codexColor, 40));
    }
}

void TestRenderHarness::replacesAnExistingFile()
{
    const QString path = m_dir.filePath(u"existing.png"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(200000, 'x'));
    file.close();

    QCOMPARE(RenderHarness::run(path), 0);
    QCOMPARE(QImage(path).size(), QSize(856, 620));
}

QTEST_MAIN(TestRenderHarness)
#include "tst_renderharness.moc"
