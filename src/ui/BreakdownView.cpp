#include "BreakdownView.h"

#include "BreakdownSheet.h"
#include "BreakdownText.h"
#include "UsageBreakdown.h"

#include <QJsonArray>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>

using namespace Qt::StringLiterals;

BreakdownView::BreakdownView(UsageBreakdown &breakdown, std::function<QList<BreakdownWindow>()> windows,
                             QWidget *parent)
    : QScrollArea(parent)
    , m_breakdown(breakdown)
    , m_windows(std::move(windows))
    , m_sheet(new BreakdownSheet)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(m_sheet);
    setFocusPolicy(Qt::StrongFocus);
    connect(&breakdown, &UsageBreakdown::scanned, this, [this] {
        if (isVisible())
            load();
    });
    connect(&breakdown, &UsageBreakdown::progressChanged, this, &BreakdownView::showContent);
}

void BreakdownView::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    load();
}

void BreakdownView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)
        bar->setValue(event->key() == Qt::Key_Home ? bar->minimum() : bar->maximum());
    else
        QScrollArea::keyPressEvent(event);
}

QCoro::Task<void> BreakdownView::load()
{
    QPointer<BreakdownView> self(this);
    const quint64 ticket = ++m_loadsStarted;
    const std::variant<QJsonObject, QString> answer = co_await m_breakdown.breakdown(m_windows());
    if (!self || ticket != m_loadsStarted)
        co_return;
    m_answer = std::holds_alternative<QJsonObject>(answer) ? std::get<QJsonObject>(answer) : QJsonObject();
    m_error = std::holds_alternative<QString>(answer) ? std::get<QString>(answer) : QString();
    showContent();
    Q_EMIT loaded();
}

// While a long reading runs, the figures so far are not shown: they would pass for the whole.
void BreakdownView::showContent()
{
    m_sheet->setContent(note(), m_breakdown.progress() >= 0 ? QJsonObject() : m_answer);
}

QString BreakdownView::note() const
{
    if (m_breakdown.progress() >= 0)
        return BreakdownText::readingText(m_breakdown.progress());
    if (!m_error.isEmpty())
        return m_error + u'.';
    if (m_answer.value(u"providers"_s).toArray().isEmpty())
        return tr("No windows to show yet.");
    return {};
}
