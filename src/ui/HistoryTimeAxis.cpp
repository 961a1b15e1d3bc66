#include "HistoryTimeAxis.h"

#include <QFontMetricsF>
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

} // namespace

void HistoryTimeAxis::paint(QPainter &painter, const QRectF &plot, const QDateTime &start, const QDateTime &end,
                            const QPalette &palette, qreal leftMargin, qreal rightMargin)
{
    const TickRule rule = tickRule(start.secsTo(end));
    const QLocale locale;
    const QFontMetricsF metrics(painter.font());
    const double span = double(start.msecsTo(end));
    for (QDateTime tick = firstTick(start, rule); tick <= end;
         tick = rule.stepHours ? tick.addSecs(rule.stepHours * 3600) : tick.addDays(rule.stepDays)) {
        const qreal x = plot.left() + plot.width() * (span > 0 ? double(start.msecsTo(tick)) / span : 1);
        painter.setPen(QPen(faint(palette.color(QPalette::Text), 0.08), 1));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const QString text = locale.toString(tick.toLocalTime(), rule.format);
        const qreal width = metrics.horizontalAdvance(text);
        if (x - width / 2 < plot.left() - leftMargin / 2 || x + width / 2 > plot.right() + rightMargin)
            continue;
        painter.setPen(faint(palette.color(QPalette::WindowText), 0.7));
        painter.drawText(QPointF(x - width / 2, plot.bottom() + 4 + metrics.ascent()), text);
    }
}
