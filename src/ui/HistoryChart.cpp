#include "HistoryChart.h"

#include "GaugeIconRenderer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal outerMargin = 12;
constexpr qreal panelSpacing = 14;
constexpr qreal yAxisWidth = 40;
constexpr qreal latestLabelWidth = 44;
constexpr qreal titleHeight = 26;
constexpr qreal timeAxisHeight = 22;
constexpr qreal hoverReach = 8; // pixels from a point within which hovering names it
constexpr qreal minimumPeriodWidth = 6;
constexpr qsizetype polylinePiece = 32;

const QString noHistoryText = u"No history yet: Tidemarker records each refresh from now on"_s;

// Lighter and darker kin of the provider's colour, one for each of its windows.
QColor windowColour(Provider provider, int shade)
{
    const QColor base = GaugeIconRenderer::providerColor(provider);
    if (shade == 0)
        return base;
    const int step = (shade + 1) / 2;
    return shade % 2 ? base.darker(100 + 40 * step) : base.lighter(100 + 25 * step);
}

QColor faint(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

struct TickRule {
    qint64 stepHours; // within a day
    int stepDays;
    QString format;
};

TickRule tickRule(qint64 rangeSeconds)
{
    const qint64 day = 86400;
    if (rangeSeconds <= day)
        return {3, 0, u"HH:mm"_s};
    if (rangeSeconds <= 7 * day)
        return {0, 1, u"ddd d"_s};
    if (rangeSeconds <= 30 * day)
        return {0, 7, u"d MMM"_s};
    return {0, 14, u"d MMM"_s};
}

// The first tick at or after start, on a local whole hour or midnight.
QDateTime firstTick(const QDateTime &start, const TickRule &rule)
{
    const QDateTime local = start.toLocalTime();
    QDateTime tick = rule.stepHours
        ? QDateTime(local.date(), QTime(int(local.time().hour() / rule.stepHours * rule.stepHours), 0))
        : QDateTime(local.date(), QTime(0, 0));
    while (tick < start)
        tick = rule.stepHours ? tick.addSecs(rule.stepHours * 3600) : tick.addDays(1);
    return tick;
}

struct LatestLabel {
    QPointF point;
    QString text;
    QColor colour;
};

// Labels of close shares would overlap: each goes at least a line below the one above it.
void paintLatestLabels(QPainter &painter, QList<LatestLabel> labels, const QPalette &palette)
{
    std::sort(labels.begin(), labels.end(),
              [](const LatestLabel &a, const LatestLabel &b) { return a.point.y() < b.point.y(); });
    const QFontMetricsF metrics(painter.font());
    qreal lowestBaseline = -1e9;
    for (const LatestLabel &label : labels) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(label.colour);
        painter.drawEllipse(label.point, 3, 3);
        const qreal baseline = std::max(label.point.y() + metrics.capHeight() / 2, lowestBaseline + metrics.height());
        painter.setPen(palette.color(QPalette::Text));
        painter.drawText(QPointF(label.point.x() + 6, baseline), label.text);
        lowestBaseline = baseline;
    }
}

// Ninety days hold tens of thousands of rows per window, most of them within the same pixel
// column: each column keeps its first, lowest, highest and last point, which draws the same line.
class ColumnReducer
{
public:
    void add(QPointF point)
    {
        const qint64 column = qint64(std::floor(point.x()));
        if (m_column && *m_column != column)
            closeColumn();
        if (!m_column) {
            m_column = column;
            m_first = m_low = m_high = m_last = point;
            return;
        }
        if (point.y() < m_low.y())
            m_low = point;
        if (point.y() > m_high.y())
            m_high = point;
        m_last = point;
    }

    QPolygonF take()
    {
        if (m_column)
            closeColumn();
        return std::exchange(m_points, {});
    }

private:
    void closeColumn()
    {
        const bool lowFirst = m_low.x() <= m_high.x();
        for (QPointF point : {m_first, lowFirst ? m_low : m_high, lowFirst ? m_high : m_low, m_last}) {
            if (m_points.isEmpty() || m_points.last() != point)
                m_points.append(point);
        }
        m_column.reset();
    }

    QPolygonF m_points;
    std::optional<qint64> m_column;
    QPointF m_first, m_low, m_high, m_last;
};

QString percentText(double percent)
{
    return QString::number(std::lround(percent)) + u'%';
}

} // namespace

void HistoryChart::setRecord(HistoryReader::Record record, const QDateTime &end, int days)
{
    m_record = std::move(record);
    m_end = end;
    m_start = end.addDays(-days);
    m_series.clear();
    const QList<HistoryRow> &rows = m_record.rows;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].windowId == rows[i - 1].windowId && rows[i].account == rows[i - 1].account) {
            ++m_series.last().count;
            continue;
        }
        const auto sameAccount = std::count_if(m_series.cbegin(), m_series.cend(), [&](const Series &series) {
            return series.provider == rows[i].provider && series.account == rows[i].account;
        });
        m_series.append({rows[i].provider, rows[i].account, i, 1, int(sameAccount)});
    }
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
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (m_record.error || !m_record.anything) {
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(area.adjusted(outerMargin, outerMargin, -outerMargin, -outerMargin),
                         Qt::AlignCenter | Qt::TextWordWrap, m_record.error.value_or(noHistoryText));
    } else {
        for (const Panel &panel : panels(area))
            paintPanel(painter, panel, palette);
    }
    painter.restore();
}

QString HistoryChart::Panel::title() const
{
    return Account{provider, {}, account}.displayName();
}

QList<HistoryChart::Panel> HistoryChart::panels(const QRectF &area) const
{
    QList<Panel> found;
    for (Provider provider : allProviders) {
        found.append({provider, {}, {}});
        for (const Series &series : m_series) {
            if (series.provider == provider && !std::ranges::any_of(found, [&series](const Panel &panel) { return panel.shows(series); }))
                found.append({provider, series.account, {}});
        }
    }
    const qreal count = found.size();
    const qreal height = (area.height() - 2 * outerMargin - panelSpacing * (count - 1)) / count;
    qreal top = area.top() + outerMargin;
    for (Panel &panel : found) {
        const QRectF box(area.left() + outerMargin, top, area.width() - 2 * outerMargin, height);
        panel.plot = box.adjusted(yAxisWidth, titleHeight, -latestLabelWidth, -timeAxisHeight);
        top += height + panelSpacing;
    }
    return found;
}

qreal HistoryChart::xOf(const QRectF &plot, const QDateTime &time) const
{
    const double span = double(m_start.msecsTo(m_end));
    return plot.left() + plot.width() * (span > 0 ? double(m_start.msecsTo(time)) / span : 1);
}

QPointF HistoryChart::pointOf(const QRectF &plot, const HistoryRow &row) const
{
    return {xOf(plot, row.fetchedAt), plot.bottom() - plot.height() * std::clamp(row.usedPercent, 0.0, 100.0) / 100};
}

void HistoryChart::paintPanel(QPainter &painter, const Panel &panel, const QPalette &palette) const
{
    const QRectF &plot = panel.plot;
    painter.fillRect(plot, palette.color(QPalette::Base));
    const QColor gridColour = faint(palette.color(QPalette::Text), 0.12);
    const QColor labelColour = faint(palette.color(QPalette::WindowText), 0.7);
    for (int percent = 0; percent <= 100; percent += 25) {
        const qreal y = plot.bottom() - plot.height() * percent / 100;
        painter.setPen(QPen(gridColour, 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        if (percent % 50)
            continue;
        painter.setPen(labelColour);
        painter.drawText(QRectF(plot.left() - yAxisWidth, y - 10, yAxisWidth - 6, 20),
                         Qt::AlignRight | Qt::AlignVCenter, percentText(percent));
    }
    paintTimeAxis(painter, plot, palette);
    paintLegend(painter, panel, palette);

    QList<LatestLabel> latest;
    for (const Series &series : m_series) {
        if (!panel.shows(series))
            continue;
        painter.save();
        painter.setClipRect(plot.adjusted(0, -2, 0, 2));
        paintPeriods(painter, plot, series, palette);
        paintSeries(painter, plot, series);
        painter.restore();
        const HistoryRow &last = m_record.rows[series.first + series.count - 1];
        if (last.fetchedAt >= m_start)
            latest.append({pointOf(plot, last), percentText(last.usedPercent), windowColour(series.provider, series.shade)});
    }
    paintLatestLabels(painter, latest, palette);
}

void HistoryChart::paintTimeAxis(QPainter &painter, const QRectF &plot, const QPalette &palette) const
{
    const TickRule rule = tickRule(m_start.secsTo(m_end));
    const QLocale locale;
    const QFontMetricsF metrics(painter.font());
    for (QDateTime tick = firstTick(m_start, rule); tick <= m_end;
         tick = rule.stepHours ? tick.addSecs(rule.stepHours * 3600) : tick.addDays(rule.stepDays)) {
        const qreal x = xOf(plot, tick);
        painter.setPen(QPen(faint(palette.color(QPalette::Text), 0.08), 1));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const QString text = locale.toString(tick.toLocalTime(), rule.format);
        const qreal width = metrics.horizontalAdvance(text);
        if (x - width / 2 < plot.left() - yAxisWidth / 2 || x + width / 2 > plot.right() + latestLabelWidth)
            continue;
        painter.setPen(faint(palette.color(QPalette::WindowText), 0.7));
        painter.drawText(QPointF(x - width / 2, plot.bottom() + 4 + metrics.ascent()), text);
    }
}

// A period runs as long as the reset stays put; a real reset moves it by about a window.
void HistoryChart::paintPeriods(QPainter &painter, const QRectF &plot, const Series &series,
                                const QPalette &palette) const
{
    const QPen pacePen(faint(windowColour(series.provider, series.shade), 0.45), 1);
    const QPen resetPen(faint(palette.color(QPalette::Text), 0.18), 1);
    const auto paintPeriod = [&](const HistoryRow &row, bool hasEnded) {
        if (!row.resetAt.isValid())
            return;
        const QDateTime start = row.resetAt.addMSecs(qint64(-row.limitWindowSeconds * 1000));
        const QRectF box(QPointF(xOf(plot, start), plot.top()), QPointF(xOf(plot, row.resetAt), plot.bottom()));
        // Periods a few pixels wide (5 hours in 90 days) would only blur the chart.
        if (box.width() < minimumPeriodWidth)
            return;
        painter.setPen(pacePen);
        painter.drawLine(box.bottomLeft(), box.topRight());
        if (!hasEnded)
            return;
        painter.setPen(resetPen);
        painter.drawLine(QPointF(box.right(), plot.top()), QPointF(box.right(), plot.bottom()));
    };
    const qsizetype end = series.first + series.count;
    for (qsizetype i = series.first; i < end; ++i) {
        const HistoryRow &row = m_record.rows[i];
        if (i + 1 == end) {
            paintPeriod(row, row.resetAt.isValid() && row.resetAt <= m_end);
            break;
        }
        const HistoryRow &next = m_record.rows[i + 1];
        const bool moved = row.resetAt.isValid() != next.resetAt.isValid()
            || std::abs(row.resetAt.secsTo(next.resetAt)) > row.limitWindowSeconds / 2;
        if (moved)
            paintPeriod(row, true);
    }
}

void HistoryChart::paintSeries(QPainter &painter, const QRectF &plot, const Series &series) const
{
    painter.setPen(QPen(windowColour(series.provider, series.shade), 1.75, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    ColumnReducer run;
    const auto flush = [&] {
        const QPolygonF points = run.take();
        if (points.size() == 1)
            painter.drawPoint(points.first());
        // The raster engine fills a stroked polyline as one polygon, whose cost grows with its
        // edges times its height: a dense line goes in short pieces that share their ends.
        for (qsizetype start = 0; start + 1 < points.size(); start += polylinePiece - 1)
            painter.drawPolyline(points.constData() + start, int(std::min(polylinePiece, points.size() - start)));
    };
    const qsizetype end = series.first + series.count;
    for (qsizetype i = series.first; i < end; ++i) {
        const HistoryRow &row = m_record.rows[i];
        if (i > series.first && m_record.rows[i - 1].fetchedAt.secsTo(row.fetchedAt) > gapSeconds)
            flush();
        run.add(pointOf(plot, row));
    }
    flush();
}

void HistoryChart::paintLegend(QPainter &painter, const Panel &panel, const QPalette &palette) const
{
    QFont bold = painter.font();
    bold.setBold(true);
    const QFont plain = painter.font();
    const qreal baseline = panel.plot.top() - 8;
    qreal x = panel.plot.left();
    painter.setFont(bold);
    painter.setPen(palette.color(QPalette::WindowText));
    const QString title = panel.title();
    painter.drawText(QPointF(x, baseline), title);
    x += QFontMetricsF(bold).horizontalAdvance(title) + 16;
    painter.setFont(plain);
    for (const Series &series : m_series) {
        if (!panel.shows(series))
            continue;
        const qreal middle = baseline - QFontMetricsF(plain).capHeight() / 2;
        painter.setPen(QPen(windowColour(series.provider, series.shade), 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(x, middle), QPointF(x + 14, middle));
        painter.setPen(palette.color(QPalette::WindowText));
        const QString name = m_record.rows[series.first].name;
        painter.drawText(QPointF(x + 20, baseline), name);
        x += 20 + QFontMetricsF(plain).horizontalAdvance(name) + 16;
    }
}

std::optional<QString> HistoryChart::describe(QPointF position, const QRectF &area) const
{
    if (m_record.error || !m_record.anything)
        return std::nullopt;
    const HistoryRow *nearest = nullptr;
    qreal nearestDistance = hoverReach * hoverReach;
    for (const Panel &panel : panels(area)) {
        if (!panel.plot.adjusted(-hoverReach, -hoverReach, hoverReach, hoverReach).contains(position))
            continue;
        for (const Series &series : m_series) {
            if (!panel.shows(series))
                continue;
            for (qsizetype i = series.first; i < series.first + series.count; ++i) {
                const QPointF offset = pointOf(panel.plot, m_record.rows[i]) - position;
                const qreal distance = QPointF::dotProduct(offset, offset);
                if (distance <= nearestDistance) {
                    nearestDistance = distance;
                    nearest = &m_record.rows[i];
                }
            }
        }
    }
    if (!nearest)
        return std::nullopt;
    return Account{nearest->provider, {}, nearest->account}.displayName() + u' ' + nearest->name + u" \u00B7 "_s
        + QLocale().toString(nearest->fetchedAt.toLocalTime(), u"ddd d MMM HH:mm"_s) + u" \u00B7 "_s
        + percentText(nearest->usedPercent) + u" used"_s;
}
