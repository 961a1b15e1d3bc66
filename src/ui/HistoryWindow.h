#pragma once

#include "HistoryChart.h"
#include "HistoryFocus.h"

#include <QTimer>
#include <QWidget>

#include <QCoroTask>

class QButtonGroup;

// The window that "History…" opens: a choice of period above the chart, read from the record
// and drawn off the GUI thread each time the period or the size changes or new rows are written.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryWindow(const QString &databasePath, QWidget *parent = nullptr);

    // Shows the window, or brings it back to the front when it is open, minimised or hidden;
    // with a focus, the chart stands out that window or account and the title names it.
    void present(const std::optional<HistoryFocus> &focus = std::nullopt);
    // A view shown instead of the chart while its button, at the end of the periods, is down.
    void addView(const QString &name, QWidget *view);

public Q_SLOTS:
    // Reads the record again, while the window is shown.
    void reload();

Q_SIGNALS:
    // A record has been read and the chart is to be drawn from it.
    void loaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QCoro::Task<void> load();
    QRectF chartArea() const;

    QString m_path;
    int m_days = HistoryChart::defaultDays;
    HistoryChart m_chart; // what the image shows, for the tooltips
    QImage m_image;
    QWidget *m_rangeRow;
    std::optional<HistoryFocus> m_focus;
    QTimer m_resized; // a drag resizes in many steps: read again once it rests
    QWidget *m_view = nullptr; // shown instead of the chart
    bool m_loaded = false;
    quint64 m_loadsStarted = 0; // only the latest load's record is shown
};
