#include "RenderHarness.h"

#include "GaugeIconRenderer.h"
#include "UsageModels.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int sheetWidth = 856;
constexpr int sheetHeight = 620;
constexpr qreal gaugeScale = 12;
constexpr qreal tileSize = 22 * gaugeScale;

struct Sample {
    QString label;
    UsageStatus status;
};

struct Appearance {
    QString name;
    QColor tileColor;
};

UsageWindow sampleWindow(Provider provider, WindowSpeed speed, double usedPercent, const QDateTime &now)
{
    const qint64 length = speed == WindowSpeed::fast ? 18000 : 604800;
    // Resetting half-way puts even pace at 50 % remaining, so a hand stands at its used share.
    return UsageWindow::make(provider, speed, usedPercent, now.addSecs(length / 2), length, now);
}


QList<Sample> samples()
{
    using RenderHarness::sample;
    return {{u"typical"_s, sample(28, 55, 74, 18)},
            {u"codex hot"_s, sample(92, 80, 12, 40)},
            {u"claude only"_s, sample(std::nullopt, std::nullopt, 60, 30)}};
}

// The gauge draws fixed colours, so the settings differ only in their tiles and labels.
QList<Appearance> appearances()
{
    return {{u"light"_s, GaugeIconRenderer::white(0.95, 1)}, {u"dark"_s, GaugeIconRenderer::white(0.12, 1)}};
}

// The layout is measured from the lower left of the sheet; QImage counts from the upper left.
QRectF fromBottomLeft(qreal x, qreal y, qreal width, qreal height)
{
    return QRectF(x, sheetHeight - y - height, width, height);
}

// Tile above, label on the base line below it.
void drawTile(QPainter &painter, QPointF labelOrigin, const Appearance &appearance, const Sample &sample)
{
    const QRectF tile = fromBottomLeft(labelOrigin.x(), labelOrigin.y() + 22, tileSize, tileSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(appearance.tileColor);
    painter.drawRoundedRect(tile, 10, 10);
    painter.drawImage(tile, GaugeIconRenderer::image(sample.status, gaugeScale));

    const qreal baseline = sheetHeight - labelOrigin.y() - QFontMetricsF(painter.font()).descent();
    painter.setPen(Qt::white);
    painter.drawText(QPointF(labelOrigin.x(), baseline), sample.label + u" · "_s + appearance.name);
}

QImage renderSheet()
{
    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB32);
    if (sheet.isNull())
        return sheet;
    sheet.fill(GaugeIconRenderer::white(0.3, 1));

    QPainter painter(&sheet);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(12);
    painter.setFont(font);

    const QList<Sample> columns = samples();
    const QList<Appearance> rows = appearances();
    for (qsizetype row = 0; row < rows.size(); ++row) {
        for (qsizetype column = 0; column < columns.size(); ++column)
            drawTile(painter, QPointF(column * 280 + 16, row * 302 + 16), rows[row], columns[column]);
    }
    painter.end();
    return sheet;
}

std::optional<QByteArray> encodePng(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

// Replaces an existing file in place. Returns why the write failed, or nothing.
std::optional<QString> writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size() && file.flush())
        return std::nullopt;
    return path + u": "_s + file.errorString();
}

void print(std::FILE *stream, const QString &line)
{
    std::fputs(qUtf8Printable(line + u'\n'), stream);
    std::fflush(stream);
}

int reportWriteFailure(const QString &reason)
{
    print(stderr, u"write failed: "_s + reason);
    return 1;
}

int writeImage(const QImage &image, const QString &outputPath)
{
    const std::optional<QByteArray> png = encodePng(image);
    if (!png) {
        print(stderr, u"render failed"_s);
        return 1;
    }
    if (const std::optional<QString> failure = writeFile(outputPath, *png))
        return reportWriteFailure(*failure);
    print(stdout, u"wrote "_s + outputPath);
    return 0;
}

} // namespace

std::optional<QString> RenderHarness::outputPathFromArguments(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(u"--render"_s);
    if (at < 0)
        return std::nullopt;
    return arguments.value(at + 1, u"tidemarker-preview.png"_s);
}

UsageStatus RenderHarness::sample(std::optional<double> codexFast, std::optional<double> codexSlow,
                                  std::optional<double> claudeFast, std::optional<double> claudeSlow)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return {now,
            {sampleResult(Provider::codex, codexFast, codexSlow, now),
             sampleResult(Provider::claude, claudeFast, claudeSlow, now)}};
}

ProviderResult RenderHarness::sampleResult(Provider provider, std::optional<double> fast, std::optional<double> slow,
                            const QDateTime &now)
{
    ProviderResult result{provider, false, u"sample"_s, std::nullopt, {}, false};
    if (fast)
        result.windows.append(sampleWindow(provider, WindowSpeed::fast, *fast, now));
    if (slow)
        result.windows.append(sampleWindow(provider, WindowSpeed::slow, *slow, now));
    result.ok = !result.windows.isEmpty();
    if (!result.ok)
        result.error = u"sample"_s;
    return result;
}

int RenderHarness::run(const QString &outputPath)
{
    return writeImage(renderSheet(), outputPath);
}

int RenderHarness::writePng(const QImage &image, const QByteArray &outputPath)
{
    const QString path = QFile::decodeName(outputPath);
    if (QFile::encodeName(path) != outputPath)
        return reportWriteFailure(u"the path is not valid text in the system's encoding"_s);
    return writeImage(image, path);
}

int RenderHarness::runWithEncodedPath(const QByteArray &outputPath)
{
    return writePng(renderSheet(), outputPath);
}
