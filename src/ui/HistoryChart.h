#pragma once

#include "HistoryReader.h"

#include <QDateTime>
#include <QImage>
#include <QPalette>
#include <QRectF>

#include <optional>

class QPainter;

// The chart of the record, drawn with QPainter in logical units, so that it is sharp at any
// device pixel ratio: for each account a panel with each window's used share over time, the
// even pace of its current period as a thin diagonal, the resets as faint marks, gaps where
// nothing was recorded, and each window's name and latest share beside its last point. It draws
// what the record sums up per pixel column, never the rows themselves.
class HistoryChart
{
public:
    static constexpr int defaultDays = 7;
    // Rows further apart than this leave a gap: Tidemarker was not running in between.
    static constexpr qint64 gapSeconds = 20 * 60;

    // The columns worth reading for a chart of this size: one per device pixel of its plots.
    static int columnsFor(QSizeF size, qreal devicePixelRatio);
    // A window's colour: its provider's family, far enough apart to tell, dark enough on a
    // light palette and light enough on a dark one.
    static QColor lineColour(Provider provider, int shade, const QPalette &palette);

    void setLines(HistoryReader::Lines lines, const QDateTime &end, int days);

    void paint(QPainter &painter, const QRectF &area, const QPalette &palette) const;
    // The window, time and share of the point nearest to position, if one is near.
    std::optional<QString> describe(QPointF position, const QRectF &area) const;

    // The chart drawn into a new image of the given logical size.
    QImage image(QSize size, qreal devicePixelRatio, const QPalette &palette) const;

private:
    struct Series {
        qsizetype line; // in the lines read
        int shade; // the window's place among its account's
        bool extra; // a limit beside the 5-hour and weekly windows: drawn dashed
    };
    // One for each account the record has, and one for each provider it has none of.
    struct Panel {
        Account account;
        QRectF legend;
        QRectF plot;
    };

    QList<Panel> panels(const QRectF &area) const;
    QList<Account> panelAccounts() const;
    static Account accountOf(const HistoryReader::Line &line);
    QList<const Series *> seriesOf(const Account &account) const;
    QPointF pointAt(const QRectF &plot, const QDateTime &time, double percent) const;
    qreal xOf(const QRectF &plot, const QDateTime &time) const;
    QPen linePen(const Series &series, const QPalette &palette, qreal width) const;
    void paintPanel(QPainter &painter, const Panel &panel, const QPalette &palette) const;
    void paintPercentAxis(QPainter &painter, const QRectF &plot, const QPalette &palette) const;
    void paintPeriods(QPainter &painter, const QRectF &plot, const Series &series, const QPalette &palette) const;
    void paintSeries(QPainter &painter, const QRectF &plot, const Series &series, const QPalette &palette) const;
    // Lays the legend out in rows that wrap at the panel's width; paints it when given a painter.
    qreal legend(QPainter *painter, const Account &account, const QRectF &box, const QPalette &palette) const;

    HistoryReader::Lines m_lines;
    QList<Series> m_series;
    QDateTime m_start;
    QDateTime m_end;
};
