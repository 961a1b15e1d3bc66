#include "HistoryTimeAxis.h"

#include <QLocale>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

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

QColor faint(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

// Each tick's time, in order.
QList<QDateTime> ticks(const QDateTime &start, const QDateTime &end, const TickRule &rule)
{
    QList<QDateTime> found;
    for (QDateTime tick = firstTick(start, rule); tick <= end;
         tick = rule.stepHours ? tick.addSecs(rule.stepHours * 3600) : tick.addDays(rule.stepDays))
        found.append(tick);
    return found;
}

qreal xOf(const QRectF &plot, const QDateTime &start, const QDateTime &end, const QDateTime &tick)
{
    const double span = double(start.msecsTo(end));
    return plot.left() + plot.width() * (span > 0 ? double(start.msecsTo(tick)) / span : 1);
}

} // namespace

void HistoryTimeAxis::paintLines(QPainter &painter, const QRectF &plot, const QDateTime &start, const QDateTime &end,
                                 const QPalette &palette)
{
    painter.setPen(QPen(faint(palette.color(QPalette::Text), 0.08), 1));
    for (const QDateTime &tick : ticks(start, end, tickRule(start.secsTo(end)))) {
        const qreal x = xOf(plot, start, end, tick);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
}

QList<HistoryChartText::Placed> HistoryTimeAxis::labels(const QRectF &plot, const QDateTime &start, const QDateTime &end,
                                                        const HistoryChartText::Metrics &metrics)
{
    const TickRule rule = tickRule(start.secsTo(end));
    const QLocale locale;
    QList<HistoryChartText::Placed> placed;
    const qreal gap = metrics.width(u"  "_s);
    for (const QDateTime &tick : ticks(start, end, rule)) {
        const QString text = locale.toString(tick.toLocalTime(), rule.format);
        const qreal width = metrics.width(text);
        const qreal left = xOf(plot, start, end, tick) - width / 2;
        // A larger font or a narrower plot leaves out every label that would touch the one before.
        if (left < plot.left() || left + width > plot.right()
            || (!placed.isEmpty() && left < placed.constLast().rect.right() + gap))
            continue;
        placed.append({QRectF(left, plot.bottom() + 4, width, metrics.lineHeight), text});
    }
    return placed;
}
