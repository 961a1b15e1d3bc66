#include "HistoryChart.h"

#include "HistoryTimeAxis.h"
#include "LocalNumberText.h"
#include "ProviderTraits.h"
#include "StoredText.h"

#include <QCoreApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal outerMargin = 12;
constexpr qreal panelSpacing = 14;
constexpr qreal hoverReach = 8; // pixels from a point within which hovering names it
constexpr qreal minimumPeriodWidth = 6;
constexpr qsizetype polylinePiece = 8;

const char *const noHistoryText
    = QT_TRANSLATE_NOOP("HistoryChart", "No history yet: Tidemarker records each refresh from now on");

// Each provider's family: its own hue first, then three far from it and from each other; a
// fifth window and on take the same hues again, a step further from the background.

QColor faint(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightness() < 128;
}

QString percentText(double percent)
{
    return LocalNumberText::wholePercent(std::lround(percent));
}

bool isExtraWindow(const HistoryReader::Line &line)
{
    return line.windowId != rawValue(line.provider) + u"_fast"_s && line.windowId != rawValue(line.provider) + u"_slow"_s;
}

} // namespace

int HistoryChart::columnsFor(QSizeF size, qreal devicePixelRatio)
{
    // The labels' column is left out: a column or two more than pixels costs little.
    const qreal plotWidth = size.width() - 2 * outerMargin - HistoryChartText::Metrics(QFont()).axisWidth;
    return std::max(1, int(std::ceil(plotWidth * devicePixelRatio)));
}

QColor HistoryChart::lineColour(Provider provider, int shade, const QPalette &palette)
{
    const QList<int> &hues = ProviderTraits::of(provider).chartHues;
    const int count = int(std::size(hues));
    const bool again = (shade / count) % 2;
    const qreal lightness = isDark(palette) ? (again ? 0.80 : 0.64) : (again ? 0.20 : 0.32);
    return QColor::fromHslF(hues[shade % count] / 360.0, 0.75, lightness);
}

void HistoryChart::setFocus(const std::optional<HistoryFocus> &focus)
{
    m_focus = focus;
}

void HistoryChart::setLines(HistoryReader::Lines lines, const QDateTime &end, int days)
{
    m_lines = std::move(lines);
    m_end = end;
    m_start = end.addDays(-days);
    m_series.clear();
    for (qsizetype i = 0; i < m_lines.lines.size(); ++i) {
        const HistoryReader::Line &line = m_lines.lines[i];
        m_series.append({i, int(seriesOf(accountOf(line)).size()), isExtraWindow(line)});
    }
}

QList<const HistoryChart::Series *> HistoryChart::seriesOf(const Account &account) const
{
    QList<const Series *> found;
    for (const Series &series : m_series) {
        if (accountOf(m_lines.lines[series.line]) == account)
            found.append(&series);
    }
    return found;
}

// As the record knows it: by its folder, shown with the label it was last seen with.
Account HistoryChart::accountOf(const HistoryReader::Line &line)
{
    return {line.provider, line.account, line.label};
}

// Each provider's accounts the record holds, in the order first seen; Codex and Claude without
// any still have their panels.
QList<Account> HistoryChart::panelAccounts() const
{
    QList<Account> accounts;
    for (Provider provider : ProviderTraits::all()) {
        const qsizetype before = accounts.size();
        for (const HistoryReader::Line &line : m_lines.lines) {
            if (line.provider == provider && !accounts.contains(accountOf(line)))
                accounts.append(accountOf(line));
        }
        if (accounts.size() == before && ProviderTraits::of(provider).shownByDefault)
            accounts.append(Account::only(provider));
    }
    return accounts;
}

QImage HistoryChart::image(QSize size, qreal devicePixelRatio, const QPalette &palette) const
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(palette.color(QPalette::Window));
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), size), palette);
    return image;
}

void HistoryChart::paint(QPainter &painter, const QRectF &area, const QPalette &palette) const
{
    painter.save();
    const HistoryChartText::Metrics metrics{QFont()};
    painter.setFont(metrics.font);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (m_lines.error || !m_lines.anything) {
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(area.adjusted(outerMargin, outerMargin, -outerMargin, -outerMargin),
                         Qt::AlignCenter | Qt::TextWordWrap, m_lines.error.value_or(QCoreApplication::translate("HistoryChart", noHistoryText)));
    } else {
        for (const Panel &panel : panels(area, metrics))
            paintPanel(painter, panel, metrics, palette);
    }
    painter.restore();
}

QList<HistoryChart::Panel> HistoryChart::panels(const QRectF &area, const HistoryChartText::Metrics &metrics) const
{
    QList<Panel> found;
    const QList<Account> accounts = panelAccounts();
    const qreal count = accounts.size();
    const qreal height = (area.height() - 2 * outerMargin - panelSpacing * (count - 1)) / count;
    const qreal column = HistoryChartText::latestColumnWidth(latestTexts(), area.width() - 2 * outerMargin, metrics);
    qreal top = area.top() + outerMargin;
    for (const Account &account : accounts) {
        const QRectF box(area.left() + outerMargin, top, area.width() - 2 * outerMargin, height);
        const QRectF legendBox(box.left() + metrics.axisWidth, box.top(), box.width() - metrics.axisWidth, 0);
        QList<PlacedText> entries = HistoryChartText::legend(account.displayName(), legendNames(account), legendBox, metrics);
        const qreal legendHeight = entries.constLast().rect.bottom() - box.top();
        found.append({account, box, std::move(entries), column,
                      box.adjusted(metrics.axisWidth, legendHeight + metrics.legendGap, -column, -metrics.timeAxisHeight)});
        top += height + panelSpacing;
    }
    return found;
}

QList<HistoryChart::PlacedText> HistoryChart::texts(const QRectF &area) const
{
    const HistoryChartText::Metrics metrics{QFont()};
    QList<PlacedText> found;
    if (m_lines.error || !m_lines.anything)
        return found;
    for (const Panel &panel : panels(area, metrics))
        found += panelTexts(panel, metrics);
    return found;
}

QList<HistoryChart::PlacedText> HistoryChart::panelTexts(const Panel &panel, const HistoryChartText::Metrics &metrics) const
{
    QList<PlacedText> found = axisLabels(panel, metrics);
    return found + panel.legend + HistoryChartText::latestLabels(latest(panel, QPalette()), panel.plot, panel.column, metrics);
}

QList<HistoryChart::PlacedText> HistoryChart::axisLabels(const Panel &panel, const HistoryChartText::Metrics &metrics) const
{
    return HistoryChartText::percentAxis(panel.plot, panel.box, metrics)
        + HistoryTimeAxis::labels(panel.plot, m_start, m_end, metrics);
}

// Each window's name and latest share, as its label says them.
QStringList HistoryChart::latestTexts() const
{
    QStringList found;
    for (const HistoryReader::Line &line : m_lines.lines) {
        if (!line.columns.isEmpty())
            found.append(StoredText::shown(line.name) + u' ' + percentText(line.columns.last().last));
    }
    return found;
}

QList<HistoryChartText::Latest> HistoryChart::latest(const Panel &panel, const QPalette &palette) const
{
    QList<HistoryChartText::Latest> found;
    for (const Series *series : seriesOf(panel.account)) {
        const HistoryReader::Line &line = m_lines.lines[series->line];
        if (line.columns.isEmpty())
            continue;
        const HistoryReader::Column &last = line.columns.last();
        found.append({pointAt(panel.plot, last.lastAt, last.last), StoredText::shown(line.name) + u' ' + percentText(last.last),
                      linePen(*series, palette, 1).color()});
    }
    return found;
}

qreal HistoryChart::xOf(const QRectF &plot, const QDateTime &time) const
{
    const double span = double(m_start.msecsTo(m_end));
    return plot.left() + plot.width() * (span > 0 ? double(m_start.msecsTo(time)) / span : 1);
}

QPointF HistoryChart::pointAt(const QRectF &plot, const QDateTime &time, double percent) const
{
    return {xOf(plot, time), plot.bottom() - plot.height() * std::clamp(percent, 0.0, 100.0) / 100};
}

// With a focus, what it is on draws as ever, a window of its own wider, and the rest faintly.
QPen HistoryChart::linePen(const Series &series, const QPalette &palette, qreal width) const
{
    const HistoryReader::Line &line = m_lines.lines[series.line];
    QColor colour = lineColour(line.provider, series.shade, palette);
    const bool inFocus = m_focus && line.provider == m_focus->provider && line.account == m_focus->account
        && (m_focus->windowId.isEmpty() || line.windowId == m_focus->windowId);
    if (m_focus && !inFocus)
        colour.setAlphaF(0.3);
    if (inFocus && !m_focus->windowId.isEmpty())
        width *= 1.6;
    return QPen(colour, width, series.extra ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
}

void HistoryChart::paintPanel(QPainter &painter, const Panel &panel, const HistoryChartText::Metrics &metrics,
                              const QPalette &palette) const
{
    const QRectF &plot = panel.plot;
    painter.fillRect(plot, palette.color(QPalette::Base));
    paintGrid(painter, plot, palette);
    HistoryTimeAxis::paintLines(painter, plot, m_start, m_end, palette);
    const QList<const Series *> series = seriesOf(panel.account);
    for (qsizetype i = 0; i < series.size(); ++i) { // the legend's names follow the account's
        const QRectF &name = panel.legend[i + 1].rect;
        const qreal left = name.left() - HistoryChartText::legendSwatch;
        painter.setPen(linePen(*series[i], palette, 2.5));
        painter.drawLine(QPointF(left, name.center().y()), QPointF(left + HistoryChartText::legendSwatch - 4, name.center().y()));
    }
    for (const Series *series : seriesOf(panel.account)) {
        painter.save();
        painter.setClipRect(plot.adjusted(0, -2, 0, 2));
        paintPeriods(painter, plot, *series, palette);
        paintSeries(painter, plot, *series, palette);
        painter.restore();
    }
    const QList<HistoryChartText::Latest> latestShares = latest(panel, palette);
    for (const HistoryChartText::Latest &label : latestShares) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(label.colour);
        painter.drawEllipse(label.point, 3, 3);
    }
    painter.setPen(faint(palette.color(QPalette::WindowText), 0.7));
    for (const PlacedText &text : axisLabels(panel, metrics))
        HistoryChartText::draw(painter, text, metrics);
    painter.setPen(palette.color(QPalette::WindowText));
    for (const PlacedText &text : panel.legend)
        HistoryChartText::draw(painter, text, metrics);
    for (const PlacedText &text : HistoryChartText::latestLabels(latestShares, plot, panel.column, metrics))
        HistoryChartText::draw(painter, text, metrics);
}

void HistoryChart::paintGrid(QPainter &painter, const QRectF &plot, const QPalette &palette) const
{
    painter.setPen(QPen(faint(palette.color(QPalette::Text), 0.12), 1));
    for (int percent = 0; percent <= 100; percent += 25) {
        const qreal y = plot.bottom() - plot.height() * percent / 100;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
}

// A faint mark where a period ended (the reset moved by more than half a window), and the even
// pace of the current period only: diagonals of past periods would hatch the chart.
void HistoryChart::paintPeriods(QPainter &painter, const QRectF &plot, const Series &series,
                                const QPalette &palette) const
{
    const QList<HistoryReader::Column> &columns = m_lines.lines[series.line].columns;
    painter.setPen(QPen(faint(palette.color(QPalette::Text), 0.18), 1));
    for (qsizetype i = 1; i < columns.size(); ++i) {
        const HistoryReader::Column &before = columns[i - 1];
        const HistoryReader::Column &after = columns[i];
        if (!before.resetAt.isValid() || before.resetAt > m_end)
            continue;
        if (!after.resetAt.isValid() || std::abs(before.resetAt.secsTo(after.resetAt)) > before.limitWindowSeconds / 2) {
            const qreal x = xOf(plot, before.resetAt);
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
    }
    if (columns.isEmpty() || !columns.last().resetAt.isValid())
        return;
    const HistoryReader::Column &current = columns.last();
    const QDateTime start = current.resetAt.addMSecs(qint64(-current.limitWindowSeconds * 1000));
    const QRectF box(QPointF(xOf(plot, start), plot.top()), QPointF(xOf(plot, current.resetAt), plot.bottom()));
    if (box.width() < minimumPeriodWidth)
        return;
    QPen pace = linePen(series, palette, 1);
    pace.setColor(faint(pace.color(), 0.55));
    pace.setStyle(Qt::DotLine);
    painter.setPen(pace);
    painter.drawLine(box.bottomLeft(), box.topRight());
}

void HistoryChart::paintSeries(QPainter &painter, const QRectF &plot, const Series &series,
                               const QPalette &palette) const
{
    QPen pen = linePen(series, palette, 1.75);
    painter.setPen(pen);
    QPolygonF points;
    const auto flush = [&] {
        if (points.size() == 1)
            painter.drawPoint(points.first());
        // The raster engine fills a stroked polyline as one polygon, whose cost grows with its
        // edges times its height: a long line goes in short pieces that share their ends, each
        // dashed on from where the one before stopped.
        qreal dashedSoFar = 0; // in pen widths
        for (qsizetype start = 0; start + 1 < points.size(); start += polylinePiece - 1) {
            const QPolygonF piece(points.mid(start, polylinePiece));
            if (series.extra) {
                pen.setDashOffset(dashedSoFar);
                painter.setPen(pen);
                for (qsizetype i = 1; i < piece.size(); ++i)
                    dashedSoFar += QLineF(piece[i - 1], piece[i]).length() / pen.widthF();
            }
            painter.drawPolyline(piece);
        }
        points.clear();
    };
    const QList<HistoryReader::Column> &columns = m_lines.lines[series.line].columns;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const HistoryReader::Column &column = columns[i];
        if (i > 0 && columns[i - 1].lastAt.secsTo(column.firstAt) > gapSeconds)
            flush();
        points.append(pointAt(plot, column.firstAt, column.first));
        // The column's span, drawn in the direction it went.
        const qreal middle = (xOf(plot, column.firstAt) + xOf(plot, column.lastAt)) / 2;
        const bool rising = column.last >= column.first;
        for (double percent : {rising ? column.low : column.high, rising ? column.high : column.low}) {
            if (percent != column.first && percent != column.last)
                points.append(QPointF(middle, pointAt(plot, column.firstAt, percent).y()));
        }
        points.append(pointAt(plot, column.lastAt, column.last));
    }
    flush();
}

QStringList HistoryChart::legendNames(const Account &account) const
{
    QStringList names;
    for (const Series *series : seriesOf(account))
        names.append(StoredText::shown(m_lines.lines[series->line].name));
    return names;
}

std::optional<QString> HistoryChart::describe(QPointF position, const QRectF &area) const
{
    if (m_lines.error || !m_lines.anything)
        return std::nullopt;
    std::optional<QString> nearest;
    qreal nearestDistance = hoverReach * hoverReach;
    for (const Panel &panel : panels(area, HistoryChartText::Metrics(QFont()))) {
        if (!panel.plot.adjusted(-hoverReach, -hoverReach, hoverReach, hoverReach).contains(position))
            continue;
        for (const Series *series : seriesOf(panel.account)) {
            const HistoryReader::Line &line = m_lines.lines[series->line];
            for (const HistoryReader::Column &column : line.columns) {
                for (const auto &[time, percent] : {std::pair(column.firstAt, column.first), std::pair(column.lastAt, column.last)}) {
                    const QPointF offset = pointAt(panel.plot, time, percent) - position;
                    const qreal distance = QPointF::dotProduct(offset, offset);
                    if (distance > nearestDistance)
                        continue;
                    nearestDistance = distance;
                    nearest = accountOf(line).displayName() + u' ' + StoredText::shown(line.name) + u" · "_s
                        + QLocale().toString(time.toLocalTime(), u"ddd d MMM HH:mm"_s) + u" · "_s
                        + QCoreApplication::translate("HistoryChart", "%1 used").arg(percentText(percent));
                }
            }
        }
    }
    return nearest;
}
