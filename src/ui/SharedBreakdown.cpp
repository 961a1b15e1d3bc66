#include "SharedBreakdown.h"

#include "Diagnostics.h"
#include "NextEmission.h"
#include "UsageBreakdown.h"

#include <QJsonDocument>
#include <QPointer>


using namespace Qt::StringLiterals;

SharedBreakdown::SharedBreakdown(UsageBreakdown &breakdown, QObject *parent)
    : QObject(parent)
    , m_breakdown(breakdown)
{
    connect(&breakdown, &UsageBreakdown::scanned, this, &SharedBreakdown::forget);
    // While a long reading runs, the answer is how far it has come.
    connect(&breakdown, &UsageBreakdown::progressChanged, this, &SharedBreakdown::forget);
}

void SharedBreakdown::forget()
{
    ++m_readings;
    m_answer.reset();
}

QCoro::Task<SharedBreakdown::Answer> SharedBreakdown::answer(QList<BreakdownWindow> windows)
{
    // Turned off is said at once, and not kept: turning on again reads the logs first.
    if (!m_breakdown.isEnabled())
        co_return Answer{{}, UsageBreakdown::offText()};
    QPointer<SharedBreakdown> self(this);
    while (!m_answer || m_windows != windows) {
        if (m_making) {
            NextEmission made(this, &SharedBreakdown::made);
            co_await made;
        } else
            co_await make(windows);
        if (!self)
            co_return Answer{{}, tr("Tidemarker is quitting")};
    }
    // A copy: QCoro moves from what co_return names, and the kept answer is for the next call too.
    Answer shared = *m_answer;
    co_return shared;
}

QCoro::Task<void> SharedBreakdown::make(QList<BreakdownWindow> windows)
{
    QPointer<SharedBreakdown> self(this);
    m_making = true;
    // The reading that ends meanwhile is the one the answer is for, not one that makes it stale.
    co_await m_breakdown.shortReadingDone();
    if (!self)
        co_return;
    const quint64 readings = m_readings;
    qCDebug(lcUi) << "making the Breakdown answer for" << windows.size() << "windows";
    const std::variant<QJsonObject, QString> breakdownOrError = co_await m_breakdown.breakdown(windows);
    if (!self)
        co_return;
    m_making = false;
    if (readings == m_readings) {
        m_windows = std::move(windows);
        if (const auto *breakdown = std::get_if<QJsonObject>(&breakdownOrError))
            m_answer = Answer{QString::fromUtf8(QJsonDocument(*breakdown).toJson(QJsonDocument::Compact)), {}};
        else
            m_answer = Answer{{}, std::get<QString>(breakdownOrError)};
        qCDebug(lcUi) << "Breakdown answer made:" << m_answer->json.size() << "characters";
    }
    Q_EMIT made();
}
