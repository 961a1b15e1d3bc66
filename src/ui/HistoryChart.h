#pragma once

#include "HistoryReader.h"

#include <QDateTime>
#include <QImage>
#include <QPalette>
#include <QRectF>

#include <optional>

class QPainter;

// The chart of the record, drawn with QPainter in logical units, so that it is sharp at any
// device pixel ratio: for each provider a panel with each window's used share over time in the
// provider's colours, the even pace of each period as a thin diagonal, the resets as faint
// marks, gaps where nothing was recorded, and the latest share written beside its point.
class HistoryChart
{
public:
    static constexpr int defaultDays = 7;
    // Rows further apart than this leave a gap: Tidemarker was not running in between.
    static constexpr qint64 gapSeconds = 20 * 60;

    void setRecord(HistoryReader::Record record, const QDateTime &end, int days);

    void paint(QPainter &painter, const QRectF &area, const QPalette &palette) const;
    // The window, time and share of the point nearest to position, if one is near.
    std::optional<QString> describe(QPointF position, const QRectF &area) const;

    // The chart drawn into a new image of the given logical size.
    QImage image(QSize size, qreal devicePixelRatio, const QPalette &palette) const;

private:
    struct Series {
        Provider provider;
        QString account; // the record's name of it: empty for the provider's first
        qsizetype first; // the range of the record's rows that are this window's
        qsizetype count;
        int shade; // the window's place among its account's
    };
    // One for each account: the first accounts' always, the others' when the record has them.
    struct Panel {
        Provider provider;
        QString account;
        QRectF plot;

        bool shows(const Series &series) const { return series.provider == provider && series.account == account; }
        // "Claude", "Claude · work".
        QString title() const;
    };

    QList<Panel> panels(const QRectF &area) const;
    QPointF pointOf(const QRectF &plot, const HistoryRow &row) const;
    qreal xOf(const QRectF &plot, const QDateTime &time) const;
    void paintPanel(QPainter &painter, const Panel &panel, const QPalette &palette) const;
    void paintTimeAxis(QPainter &painter, const QRectF &plot, const QPalette &palette) const;
    void paintPeriods(QPainter &painter, const QRectF &plot, const Series &series, const QPalette &palette) const;
    void paintSeries(QPainter &painter, const QRectF &plot, const Series &series) const;
    void paintLegend(QPainter &painter, const Panel &panel, const QPalette &palette) const;

    HistoryReader::Record m_record;
    QList<Series> m_series;
    QDateTime m_start;
    QDateTime m_end;
};
