#pragma once

#include "BreakdownQuery.h"

#include <QJsonObject>
#include <QWidget>

#include <QCoroTask>

#include <functional>

class UsageBreakdown;

// "Where it went": for each provider's current windows, a bar per project (the largest eight,
// then "others"), split by model, with its share and weighted tokens; the folder in the hover
// text. Read again whenever it is shown and whenever the logs have been read.
class BreakdownView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int shownProjects = 8;

    BreakdownView(UsageBreakdown &breakdown, std::function<QList<BreakdownWindow>()> windows,
                  QWidget *parent = nullptr);

    // "tidemarker 61 % · 1.2 M"
    static QString projectText(const QString &name, double share, qint64 weighted);

Q_SIGNALS:
    void loaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Bar {
        QRectF area;
        QString hover;
    };

    QCoro::Task<void> load();
    QString note() const;

    UsageBreakdown &m_breakdown;
    std::function<QList<BreakdownWindow>()> m_windows;
    QJsonObject m_answer;
    QString m_error;
    QList<Bar> m_bars; // as last painted
    quint64 m_loadsStarted = 0;
};
