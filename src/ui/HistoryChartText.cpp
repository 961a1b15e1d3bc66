#include "HistoryChartText.h"

#include "LocalNumberText.h"

#include <QCoreApplication>

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace HistoryChartText {

namespace {

constexpr qreal labelGap = 6; // between a text and the line or point it names
constexpr qreal dotRadius = 3;
constexpr qreal legendSpacing = 16; // after each name of the legend

QFont boldened(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

Metrics::Metrics(const QFont &font)
    : font(font)
    , boldFont(boldened(font))
    , lineHeight(QFontMetricsF(font).height())
    , axisWidth(lineHeight + labelGap + QFontMetricsF(font).horizontalAdvance(LocalNumberText::wholePercent(100)) + labelGap)
    , timeAxisHeight(4 + lineHeight + 2)
    , legendGap(std::max<qreal>(8, lineHeight / 2))
{
}

qreal Metrics::width(const QString &text, bool bold) const
{
    return QFontMetricsF(bold ? boldFont : font).horizontalAdvance(text);
}

Placed Metrics::fitted(const QString &text, QPointF topLeft, qreal room, bool bold) const
{
    const qreal full = width(text, bold);
    Placed placed{QRectF(topLeft, QSizeF(std::min(full, room), lineHeight)), text, false, false, bold};
    if (full > room) {
        placed.text = QFontMetricsF(bold ? boldFont : font).elidedText(text, Qt::ElideMiddle, room);
        placed.elided = true;
    }
    return placed;
}

QList<Placed> legend(const QString &title, const QStringList &names, const QRectF &box, const Metrics &metrics)
{
    QList<Placed> entries{metrics.fitted(title, box.topLeft(), box.width(), true)};
    qreal x = entries.constLast().rect.right() + legendSpacing;
    qreal top = box.top();
    for (const QString &name : names) {
        if (x + legendSwatch + metrics.width(name) > box.right() && x > box.left()) {
            x = box.left();
            top += metrics.lineHeight;
        }
        entries.append(metrics.fitted(name, QPointF(x + legendSwatch, top), box.right() - x - legendSwatch));
        x = entries.constLast().rect.right() + legendSpacing;
    }
    return entries;
}

QList<Placed> percentAxis(const QRectF &plot, const QRectF &panel, const Metrics &metrics)
{
    QList<Placed> texts;
    for (int percent : {0, 50, 100}) {
        // A plot lower than two rows has room for its ends only.
        if (percent == 50 && plot.height() / 2 < metrics.lineHeight)
            continue;
        const QString text = LocalNumberText::wholePercent(percent);
        const qreal width = metrics.width(text);
        const qreal y = plot.bottom() - plot.height() * percent / 100;
        texts.append({QRectF(plot.left() - labelGap - width, y - metrics.lineHeight / 2, width, metrics.lineHeight), text});
    }
    Placed name = metrics.fitted(QCoreApplication::translate("HistoryChart", "% used"), {}, panel.height());
    const qreal length = name.rect.width();
    const qreal top = std::max(panel.top(), std::min(plot.center().y() - length / 2, panel.bottom() - length));
    name.rect = QRectF(plot.left() - metrics.axisWidth, top, metrics.lineHeight, length);
    name.upright = true;
    texts.append(name);
    return texts;
}

QList<Placed> latestLabels(QList<Latest> latest, const QRectF &plot, qreal columnWidth, const Metrics &metrics)
{
    std::sort(latest.begin(), latest.end(), [](const Latest &a, const Latest &b) { return a.point.y() < b.point.y(); });
    const qreal height = metrics.lineHeight;
    // Down from the top, each below the one above; then up from the bottom, each above the one below.
    QList<qreal> tops;
    qreal lowest = plot.top();
    for (const Latest &label : latest) {
        tops.append(std::max(label.point.y() - height / 2, lowest));
        lowest = tops.last() + height;
    }
    qreal highest = plot.bottom();
    for (qsizetype i = tops.size() - 1; i >= 0; --i) {
        tops[i] = std::min(tops[i], highest - height);
        highest = tops[i];
    }
    QList<Placed> texts;
    for (qsizetype i = 0; i < latest.size(); ++i) {
        if (tops[i] < plot.top())
            continue; // no room left above
        const qreal left = latest[i].point.x() + dotRadius + labelGap;
        texts.append(metrics.fitted(latest[i].text, {left, tops[i]}, plot.right() + columnWidth - left));
    }
    return texts;
}

qreal latestColumnWidth(const QStringList &texts, qreal width, const Metrics &metrics)
{
    qreal widest = metrics.width(LocalNumberText::wholePercent(100));
    for (const QString &text : texts)
        widest = std::max(widest, metrics.width(text));
    return std::min(dotRadius + labelGap + widest + labelGap, width / 3);
}

void draw(QPainter &painter, const Placed &text, const Metrics &metrics)
{
    painter.setFont(text.bold ? metrics.boldFont : metrics.font);
    if (!text.upright) {
        painter.drawText(text.rect, Qt::AlignLeft | Qt::AlignVCenter, text.text);
        return;
    }
    painter.save();
    painter.translate(text.rect.left(), text.rect.bottom());
    painter.rotate(-90);
    painter.drawText(QRectF(0, 0, text.rect.height(), text.rect.width()), Qt::AlignCenter, text.text);
    painter.restore();
}

} // namespace HistoryChartText
