#pragma once

#include <QDateTime>
#include <QPalette>
#include <QRectF>

class QPainter;

// The time axis below a plot of the history chart: faint lines and labels on local whole hours
// or midnights, spaced for the period shown.
namespace HistoryTimeAxis {

// Labels may reach into the margins left and right of the plot by these widths.
void paint(QPainter &painter, const QRectF &plot, const QDateTime &start, const QDateTime &end, const QPalette &palette,
           qreal leftMargin, qreal rightMargin);

} // namespace HistoryTimeAxis
