#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;

// Where the history chart's texts go, all sized from the font's own metrics so that a larger
// font gets the room it needs rather than overlapping or cut names.
namespace HistoryChartText {

// A text and the room it takes on the chart.
struct Placed {
    QRectF rect;
    QString text; // as shown: shortened with "…" where it did not fit
    bool elided = false;
    bool upright = false; // read from bottom to top; rect is the room it takes so
    bool bold = false;
};

// The room around each plot, for the chart's font.
struct Metrics {
    explicit Metrics(const QFont &font);

    QFont font;
    QFont boldFont;
    qreal lineHeight;     // a row of text: a legend row, a label
    qreal axisWidth;      // left of a plot: the upright axis name, then "100%"
    qreal timeAxisHeight; // below a plot
    qreal legendGap;      // between the legend and the plot

    qreal width(const QString &text, bool bold = false) const;
    // The text at its width, or shortened in the middle to fit the width given.
    Placed fitted(const QString &text, QPointF topLeft, qreal width, bool bold = false) const;
};

constexpr qreal legendSwatch = 20; // before each name of the legend: its window's line, and a gap

// The title in bold, then each name after room for its swatch, in rows that wrap at the box's width.
QList<Placed> legend(const QString &title, const QStringList &names, const QRectF &box, const Metrics &metrics);

// A window's latest share, to be named beside its last point.
struct Latest {
    QPointF point;
    QString text;
    QColor colour;
};

// "0%", "50%" and "100%" left of their grid lines, and the axis's name upright at the column's
// left edge, within the panel's height.
QList<Placed> percentAxis(const QRectF &plot, const QRectF &panel, const Metrics &metrics);

// Each label right of its point, as near its height as the others let it be, all within the
// plot's height; those for which there is no room are left out.
QList<Placed> latestLabels(QList<Latest> latest, const QRectF &plot, qreal columnWidth, const Metrics &metrics);

// The column right of the plots that the widest label needs, though no more than a third of
// the width.
qreal latestColumnWidth(const QStringList &texts, qreal width, const Metrics &metrics);

void draw(QPainter &painter, const Placed &text, const Metrics &metrics);

} // namespace HistoryChartText
