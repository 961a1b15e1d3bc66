#pragma once

#include "BreakdownQuery.h"

#include <QJsonObject>
#include <QScrollArea>

#include <QCoroTask>

#include <functional>

class BreakdownSheet;
class UsageBreakdown;

// "Where it went": the current windows' breakdown on a sheet that scrolls with the wheel and the
// keys (Home and End too) and fills the width. Read again whenever it is shown and whenever the
// logs have been read; while a long reading runs, only how far it has come.
class BreakdownView : public QScrollArea
{
    Q_OBJECT
public:
    BreakdownView(UsageBreakdown &breakdown, std::function<QList<BreakdownWindow>()> windows,
                  QWidget *parent = nullptr);

Q_SIGNALS:
    void loaded();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QCoro::Task<void> load();
    void showContent();
    QString note() const;

    UsageBreakdown &m_breakdown;
    std::function<QList<BreakdownWindow>()> m_windows;
    BreakdownSheet *m_sheet;
    QJsonObject m_answer;
    QString m_error;
    quint64 m_loadsStarted = 0;
};
