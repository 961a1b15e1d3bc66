#include "BreakdownView.h"

#include "BreakdownText.h"
#include "GaugeIconRenderer.h"
#include "OutsideText.h"
#include "UsageBreakdown.h"

#include <QHelpEvent>
#include <QJsonArray>
#include <QMap>
#include <QPainter>
#include <QPointer>
#include <QToolTip>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int margin = 12;
constexpr int labelWidth = 260;
constexpr int rowHeight = 22;

QString tokensText(qint64 weighted)
{
    if (weighted >= 1000000)
        return QString::number(weighted / 1e6, 'f', 1) + u" M"_s;
    if (weighted >= 1000)
        return QString::number(weighted / 1e3, 'f', 1) + u" k"_s;
    return QString::number(weighted);
}

// The projects past the largest few, added up as one.
QJsonArray shownRows(const QJsonArray &projects)
{
    if (projects.size() <= BreakdownView::shownProjects)
        return projects;
    QJsonArray rows;
    double share = 0;
    qint64 weighted = 0;
    QMap<QString, QJsonObject> models; // one segment a model, however many projects used it
    for (qsizetype i = 0; i < projects.size(); ++i) {
        const QJsonObject project = projects.at(i).toObject();
        if (i < BreakdownView::shownProjects) {
            rows.append(project);
            continue;
        }
        share += project.value(u"share"_s).toDouble();
        weighted += project.value(u"weighted"_s).toInteger();
        for (const QJsonValue &value : project.value(u"models"_s).toArray()) {
            const QJsonObject model = value.toObject();
            QJsonObject &merged = models[model.value(u"model"_s).toString()];
            merged = {{u"model"_s, model.value(u"model"_s)},
                      {u"share"_s, merged.value(u"share"_s).toDouble() + model.value(u"share"_s).toDouble()},
                      {u"weighted"_s, merged.value(u"weighted"_s).toInteger() + model.value(u"weighted"_s).toInteger()}};
        }
    }
    QJsonArray othersModels;
    for (const QJsonObject &model : std::as_const(models))
        othersModels.append(model);
    rows.append(QJsonObject{{u"name"_s, u"others"_s}, {u"project"_s, u"%1 more projects"_s.arg(projects.size() - BreakdownView::shownProjects)},
                            {u"share"_s, share}, {u"weighted"_s, weighted}, {u"models"_s, othersModels}});
    return rows;
}

// The window's models, the largest project's first: each keeps its shade in every bar.
QStringList modelsOf(const QJsonArray &projects)
{
    QStringList models;
    for (const QJsonValue &project : projects) {
        for (const QJsonValue &model : project[u"models"_s].toArray()) {
            if (!models.contains(model[u"model"_s].toString()))
                models.append(model[u"model"_s].toString());
        }
    }
    return models;
}

// Darker and lighter in turn, so that neighbours differ and none fades into the background.
QColor shade(const QColor &colour, qsizetype model)
{
    const int step = int(model % 6 + 1) / 2;
    return model % 2 ? colour.darker(100 + 40 * step) : colour.lighter(100 + 25 * step);
}

} // namespace

BreakdownView::BreakdownView(UsageBreakdown &breakdown, std::function<QList<BreakdownWindow>()> windows,
                             QWidget *parent)
    : QWidget(parent)
    , m_breakdown(breakdown)
    , m_windows(std::move(windows))
{
    setMouseTracking(true);
    connect(&breakdown, &UsageBreakdown::scanned, this, [this] {
        if (isVisible())
            load();
    });
    connect(&breakdown, &UsageBreakdown::progressChanged, this, qOverload<>(&QWidget::update));
}

QString BreakdownView::projectText(const QString &name, double share, qint64 weighted)
{
    // One arg() call: a second one would read a "%2" in a folder's name as its own.
    return u"%1 %2 % \u00b7 %3"_s.arg(OutsideText::name(name), QString::number(std::lround(share)), tokensText(weighted));
}

void BreakdownView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    load();
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
    update();
    Q_EMIT loaded();
}

QString BreakdownView::note() const
{
    if (m_breakdown.progress() >= 0)
        return u"Reading the assistants' logs: %1 %"_s.arg(m_breakdown.progress());
    if (!m_error.isEmpty())
        return m_error.left(1).toUpper() + m_error.mid(1) + u'.';
    if (m_answer.value(u"providers"_s).toArray().isEmpty())
        return u"No windows to show yet."_s;
    return {};
}

void BreakdownView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_bars.clear();
    const QFontMetrics metrics(font());
    qreal y = margin;
    const qreal barWidth = std::max(40, width() - 2 * margin - labelWidth);
    if (const QString text = note(); !text.isEmpty()) {
        painter.drawText(QRectF(margin, y, width() - 2 * margin, rowHeight), Qt::AlignVCenter, text);
        y += rowHeight * 1.5;
    }
    for (const QJsonValue &providerValue : m_answer.value(u"providers"_s).toArray()) {
        const QJsonObject provider = providerValue.toObject();
        const std::optional<Provider> known = providerFromRawValue(provider.value(u"provider"_s).toString());
        const QColor colour = GaugeIconRenderer::providerColor(known.value_or(Provider::claude));
        for (const QJsonValue &windowValue : provider.value(u"windows"_s).toArray()) {
            const QJsonObject window = windowValue.toObject();
            QFont bold = font();
            bold.setBold(true);
            painter.setFont(bold);
            const QString heading = BreakdownText::providerName(provider) + u' ' + window.value(u"label"_s).toString();
            painter.drawText(QRectF(margin, y, labelWidth, rowHeight), Qt::AlignVCenter, heading);
            painter.setFont(font());
            const QStringList models = modelsOf(window.value(u"projects"_s).toArray());
            qreal legendX = margin + labelWidth;
            for (qsizetype i = 0; i < models.size(); ++i) {
                painter.fillRect(QRectF(legendX, y + 7, 10, 10), shade(colour, i));
                painter.drawText(QPointF(legendX + 14, y + rowHeight / 2 + metrics.ascent() / 2 - 1), models[i]);
                legendX += 30 + metrics.horizontalAdvance(models[i]);
            }
            y += rowHeight;
            const QJsonArray rows = shownRows(window.value(u"projects"_s).toArray());
            if (rows.isEmpty()) {
                painter.drawText(QRectF(margin, y, labelWidth, rowHeight), Qt::AlignVCenter, u"No logged use"_s);
                y += rowHeight;
            }
            for (const QJsonValue &rowValue : rows) {
                const QJsonObject row = rowValue.toObject();
                const QString label = projectText(row.value(u"name"_s).toString(), row.value(u"share"_s).toDouble(),
                                                  row.value(u"weighted"_s).toInteger());
                painter.drawText(QRectF(margin, y, labelWidth - 8, rowHeight), Qt::AlignVCenter,
                                 metrics.elidedText(label, Qt::ElideMiddle, labelWidth - 8));
                qreal x = margin + labelWidth;
                QStringList hover{row.value(u"project"_s).toString()};
                for (const QJsonValue &modelValue : row.value(u"models"_s).toArray()) {
                    const QJsonObject model = modelValue.toObject();
                    const qreal length = barWidth * model.value(u"share"_s).toDouble() / 100;
                    const QRectF segment(x, y + 4, length, rowHeight - 8);
                    painter.fillRect(segment, shade(colour, models.indexOf(model.value(u"model"_s).toString())));
                    x += length;
                    hover.append(u"%1: %2 % \u00b7 %3"_s.arg(model.value(u"model"_s).toString(),
                                                             QString::number(model.value(u"share"_s).toDouble()),
                                                             tokensText(model.value(u"weighted"_s).toInteger())));
                }
                m_bars.append({QRectF(margin, y, width() - 2 * margin, rowHeight), hover.join(u'\n')});
                y += rowHeight;
            }
            y += rowHeight / 2;
        }
    }
}

bool BreakdownView::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    for (const Bar &bar : std::as_const(m_bars)) {
        if (bar.area.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), OutsideText::qtRichText(bar.hover), this); // folders may look like markup
            return true;
        }
    }
    QToolTip::hideText();
    return true;
}
