#pragma once

#include "HistoryChartText.h"

#include <QDateTime>
#include <QPalette>
#include <QRectF>

class QPainter;

// The time axis below a plot of the history chart: faint lines and labels on local whole hours
// or midnights, spaced for the period shown.
namespace HistoryTimeAxis {

// The faint lines across the plot.
void paintLines(QPainter &painter, const QRectF &plot, const QDateTime &start, const QDateTime &end,
                const QPalette &palette);

// The labels below the plot, each centred under its line; one that would reach past the plot's
// ends, or come too near the one before, is left out.
QList<HistoryChartText::Placed> labels(const QRectF &plot, const QDateTime &start, const QDateTime &end,
                                       const HistoryChartText::Metrics &metrics);

} // namespace HistoryTimeAxis
