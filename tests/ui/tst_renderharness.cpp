#include "GaugeProbe.h"
#include "RenderHarness.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    void bothRowsShowTheSameGauges();
    void samples();
    void replacesAnExistingFile();
    void writeFailure();

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
    QCOMPARE(m_sheet.pixelColor(left + 132, top + 2), tile); // above the gauge's disc
    QCOMPARE(m_sheet.pixelColor(left + 263, top + 132), tile);
    QCOMPARE(m_sheet.pixelColor(left, top), sheetColor);     // the rounded corner
    QCOMPARE(m_sheet.pixelColor(left - 8, top + 132), sheetColor);
    QCOMPARE(m_sheet.pixelColor(left + 132, top - 8), sheetColor);
    QCOMPARE(m_sheet.pixelColor(left + 132, top + 264 + 2), sheetColor); // between tile and label
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

void TestRenderHarness::samples()
{
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column)
            QVERIFY(isClose(gaugeIn(m_sheet, row, column).at(11, 11), hubColor));

        QVERIFY(isClose(gaugeIn(m_sheet, row, 1).atPosition(92, 8.9), codexColor)); // codex hot, in the red

        const GaugeProbe claudeOnly = gaugeIn(m_sheet, row, 2);
        QVERIFY(isClose(claudeOnly.atPosition(60, 8.9), claudeColor));
        QVERIFY(isClose(claudeOnly.atPosition(30, 5), claudeColor));
        for (double y = 0; y < 22; y += 1 / 12.0) {
            for (double x = 0; x < 22; x += 1 / 12.0)
                QVERIFY(!isClose(claudeOnly.at(x, y), codexColor, 40));
        }
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

void TestRenderHarness::writeFailure()
{
    const QString path = m_dir.filePath(u"missing/sheet.png"_s);
    QCOMPARE(RenderHarness::run(path), 1);
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestRenderHarness)
#include "tst_renderharness.moc"
