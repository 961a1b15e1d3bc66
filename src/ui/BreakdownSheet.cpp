#include "BreakdownSheet.h"

#include "BreakdownText.h"
#include "GaugeIconRenderer.h"
#include "LocalNumberText.h"
#include "OutsideText.h"
#include "StoredText.h"
#include "UsageModels.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QJsonArray>
#include <QMap>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int margin = 12;
constexpr int legendSwatch = 10;
constexpr qreal widestLabels = 0.4; // of the width, at most

QString tokensText(qint64 weighted)
{
    if (weighted >= 1000000)
        return QCoreApplication::translate("BreakdownSheet", "%1 M", "millions of tokens")
            .arg(LocalNumberText::decimal(weighted / 1e6, 1));
    if (weighted >= 1000)
        return QCoreApplication::translate("BreakdownSheet", "%1 k", "thousands of tokens")
            .arg(LocalNumberText::decimal(weighted / 1e3, 1));
    return LocalNumberText::whole(weighted);
}

// In points of the window's limit where its used share is known, else in percent of its use.
QString amountText(const QJsonObject &entry, bool named)
{
    const QJsonValue points = entry.value(u"points"_s);
    if (points.isDouble()) {
        const int whole = int(std::lround(points.toDouble()));
        return named ? QCoreApplication::translate("BreakdownSheet", "%n points", nullptr, whole) : LocalNumberText::whole(whole);
    }
    const qint64 share = std::lround(entry.value(u"share"_s).toDouble());
    return QCoreApplication::translate("BreakdownSheet", "%1 %", "a share in percent").arg(LocalNumberText::whole(share));
}

// Sums a member over entries; null when any of them has none.
QJsonValue summed(const QJsonValue &sum, const QJsonValue &part)
{
    if (!sum.isDouble() || !part.isDouble())
        return QJsonValue();
    return sum.toDouble() + part.toDouble();
}

QJsonObject merged(const QJsonObject &into, const QJsonObject &entry)
{
    QJsonObject sum = into;
    sum[u"share"_s] = into.value(u"share"_s).toDouble() + entry.value(u"share"_s).toDouble();
    sum[u"points"_s] = summed(into.value(u"points"_s), entry.value(u"points"_s));
    sum[u"weighted"_s] = into.value(u"weighted"_s).toInteger() + entry.value(u"weighted"_s).toInteger();
    return sum;
}

QJsonObject nothingYet()
{
    return {{u"share"_s, 0}, {u"points"_s, 0}, {u"weighted"_s, 0}};
}

// The projects past the largest few, added up as one.
QJsonArray shownRows(const QJsonArray &projects)
{
    if (projects.size() <= BreakdownSheet::shownProjects)
        return projects;
    QJsonArray rows;
    QJsonObject others = nothingYet();
    QMap<QString, QJsonObject> models; // one segment a model, however many projects used it
    for (qsizetype i = 0; i < projects.size(); ++i) {
        const QJsonObject project = projects.at(i).toObject();
        if (i < BreakdownSheet::shownProjects) {
            rows.append(project);
            continue;
        }
        others = merged(others, project);
        for (const QJsonValue &value : project.value(u"models"_s).toArray()) {
            const QJsonObject model = value.toObject();
            const QString name = model.value(u"model"_s).toString();
            QJsonObject &sum = models[name];
            sum = merged(sum.isEmpty() ? nothingYet() : sum, model);
            sum[u"model"_s] = name;
        }
    }
    QJsonArray othersModels;
    for (const QJsonObject &model : std::as_const(models))
        othersModels.append(model);
    others[u"name"_s] = QCoreApplication::translate("BreakdownSheet", "others");
    const int unshown = int(projects.size() - BreakdownSheet::shownProjects);
    others[u"project"_s] = QCoreApplication::translate("BreakdownSheet", "%n more projects", nullptr, unshown);
    others[u"models"_s] = othersModels;
    rows.append(others);
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

// Darker and lighter in turn, so that neighbours differ; on a dark background lighter first, so
// that none fades into it.
QColor shade(const QColor &colour, qsizetype model, bool darkBackground)
{
    const int step = int(model % 6 + 1) / 2;
    return (model % 2 != 0) != darkBackground ? colour.darker(100 + 40 * step) : colour.lighter(100 + 25 * step);
}

QString capitalised(const QString &text)
{
    return text.left(1).toUpper() + text.mid(1);
}

} // namespace

// Places the pieces of one answer, top to bottom, at one width.
class BreakdownSheet::Builder
{
public:
    Builder(const QWidget &sheet, int width, const QJsonObject &answer)
        : m_metrics(sheet.font())
        , m_width(width)
        , m_rowHeight(std::max<qreal>(22, m_metrics.height() + 8))
        , m_darkBackground(sheet.palette().color(QPalette::Window).lightness() < 128)
        , m_answer(answer)
    {
        QFont bold = sheet.font();
        bold.setBold(true);
        m_boldMetrics = QFontMetricsF(bold);
        m_layout.width = width;
        m_labelWidth = labelsWidth();
    }

    void note(const QString &text)
    {
        const QRectF area(margin, m_y, m_width - 2 * margin, 0);
        const qreal height = m_metrics.boundingRect(area, Qt::TextWordWrap, text).height();
        addText(QRectF(area.topLeft(), QSizeF(area.width(), height)), text, Qt::TextWordWrap);
        m_y += height + m_rowHeight / 2;
    }

    void windows()
    {
        for (const QJsonValue &providerValue : m_answer.value(u"providers"_s).toArray()) {
            const QJsonObject provider = providerValue.toObject();
            const std::optional<Provider> known = providerFromRawValue(provider.value(u"provider"_s).toString());
            const QColor colour = GaugeIconRenderer::providerColor(known.value_or(Provider::claude));
            for (const QJsonValue &window : provider.value(u"windows"_s).toArray())
                this->window(provider, window.toObject(), colour);
        }
    }

    Layout finished()
    {
        m_layout.height = m_y + margin;
        return std::move(m_layout);
    }

private:
    void window(const QJsonObject &provider, const QJsonObject &window, const QColor &colour)
    {
        const QJsonArray rows = shownRows(window.value(u"projects"_s).toArray());
        const QStringList models = modelsOf(rows);
        heading(provider, window, models, colour);
        if (const QString unknown = BreakdownText::keepsNoLogsText(provider); !unknown.isEmpty())
            note(unknown + u'.');
        else if (rows.isEmpty())
            line(QCoreApplication::translate("BreakdownSheet", "No logged use"));
        qreal largest = 0;
        for (const QJsonValue &row : rows)
            largest = std::max(largest, row[u"share"_s].toDouble());
        for (qsizetype i = 0; i < rows.size() && largest > 0; ++i)
            bar(rows.at(i).toObject(), i == 0, models, colour, largest);
        m_y += m_rowHeight / 2;
    }

    static QString label(const QJsonObject &row, bool first)
    {
        return OutsideText::name(row.value(u"name"_s).toString()) + u' ' + amountText(row, first);
    }

    // The widest row label of every window, so that all bars start at one edge.
    qreal labelsWidth() const
    {
        qreal widest = 0;
        for (const QJsonValue &provider : m_answer.value(u"providers"_s).toArray()) {
            for (const QJsonValue &window : provider[u"windows"_s].toArray()) {
                const QJsonArray rows = shownRows(window[u"projects"_s].toArray());
                for (qsizetype i = 0; i < rows.size(); ++i)
                    widest = std::max(widest, m_metrics.horizontalAdvance(label(rows.at(i).toObject(), i == 0)));
            }
        }
        return std::min(widest + 16, (m_width - 2 * margin) * widestLabels);
    }

    // "Claude Weekly · 62 % used", then a swatch per model, wrapping below.
    void heading(const QJsonObject &provider, const QJsonObject &window, const QStringList &models, const QColor &colour)
    {
        const qreal legendStart = margin + m_labelWidth;
        QString text = BreakdownText::providerName(provider) + u' ' + StoredText::shown(OutsideText::name(window.value(u"label"_s).toString()));
        if (const QJsonValue used = window.value(u"usedPercent"_s); used.isDouble())
            text += u" · "_s + QCoreApplication::translate("BreakdownSheet", "%1 % used")
                                       .arg(LocalNumberText::whole(std::lround(used.toDouble())));
        const qreal headingWidth = m_boldMetrics.horizontalAdvance(text);
        addText(QRectF(margin, m_y, headingWidth + 1, m_rowHeight), text, Qt::AlignVCenter, true);
        qreal x = std::max(legendStart, margin + headingWidth + 16);
        for (qsizetype i = 0; i < models.size(); ++i) {
            const QString name = OutsideText::name(models[i]);
            const qreal itemWidth = legendSwatch + 4 + m_metrics.horizontalAdvance(name);
            if (x + itemWidth > m_width - margin && x > legendStart) {
                m_y += m_rowHeight;
                x = legendStart;
            }
            const qreal swatchTop = m_y + (m_rowHeight - legendSwatch) / 2;
            addFill(QRectF(x, swatchTop, legendSwatch, legendSwatch), shade(colour, i, m_darkBackground));
            addText(QRectF(x + legendSwatch + 4, m_y, itemWidth, m_rowHeight), name, Qt::AlignVCenter);
            x += itemWidth + 16;
        }
        m_y += m_rowHeight;
    }

    void line(const QString &text)
    {
        addText(QRectF(margin, m_y, m_width - 2 * margin, m_rowHeight), text, Qt::AlignVCenter);
        m_y += m_rowHeight;
    }

    // The label, then a segment per model: the window's largest row spans the width.
    void bar(const QJsonObject &row, bool first, const QStringList &models, const QColor &colour, qreal largest)
    {
        const qreal textWidth = m_labelWidth - 8;
        addText(QRectF(margin, m_y, textWidth, m_rowHeight), m_metrics.elidedText(label(row, first), Qt::ElideMiddle, textWidth),
                Qt::AlignVCenter);
        const qreal barWidth = std::max<qreal>(40, m_width - 2 * margin - m_labelWidth);
        qreal x = margin + m_labelWidth;
        QStringList hover{OutsideText::plainLine(row.value(u"project"_s).toString())};
        for (const QJsonValue &value : row.value(u"models"_s).toArray()) {
            const QJsonObject model = value.toObject();
            const QString name = model.value(u"model"_s).toString();
            const qreal length = barWidth * model.value(u"share"_s).toDouble() / largest;
            addFill(QRectF(x, m_y + 4, length, m_rowHeight - 8), shade(colour, models.indexOf(name), m_darkBackground));
            x += length;
            hover.append(OutsideText::name(name) + u": "_s + amountText(model, true) + u" \u00b7 "_s
                         + tokensText(model.value(u"weighted"_s).toInteger()));
        }
        m_layout.bars.append({QRectF(margin, m_y, m_width - 2 * margin, m_rowHeight), hover.join(u'\n')});
        m_y += m_rowHeight;
    }

    void addText(const QRectF &area, const QString &text, int flags, bool bold = false)
    {
        m_layout.pieces.append({area, text, flags, bold, QColor()});
    }

    void addFill(const QRectF &area, const QColor &colour) { m_layout.pieces.append({area, {}, 0, false, colour}); }

    QFontMetricsF m_metrics;
    QFontMetricsF m_boldMetrics{QFont()};
    int m_width;
    qreal m_rowHeight;
    bool m_darkBackground;
    QJsonObject m_answer;
    qreal m_labelWidth = 0;
    qreal m_y = margin;
    Layout m_layout;
};

BreakdownSheet::BreakdownSheet(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void BreakdownSheet::setContent(const QString &note, const QJsonObject &answer)
{
    m_note = note;
    m_answer = answer;
    m_layout.reset();
    updateGeometry();
    update();
}

const BreakdownSheet::Layout &BreakdownSheet::layout(int width) const
{
    if (!m_layout || m_layout->width != width) {
        Builder builder(*this, width, m_answer);
        if (!m_note.isEmpty())
            builder.note(capitalised(OutsideText::plainLine(m_note))); // an error may quote a path
        builder.windows();
        m_layout = builder.finished();
    }
    return *m_layout;
}

int BreakdownSheet::heightForWidth(int width) const
{
    return int(std::ceil(layout(width).height));
}

QSize BreakdownSheet::sizeHint() const
{
    const int width = 720;
    return {width, heightForWidth(width)};
}

void BreakdownSheet::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QFont bold = font();
    bold.setBold(true);
    for (const Piece &piece : layout(width()).pieces) {
        if (piece.fill.isValid()) {
            painter.fillRect(piece.area, piece.fill);
            continue;
        }
        painter.setFont(piece.bold ? bold : font());
        painter.drawText(piece.area, piece.flags, piece.text); // plain text, whatever it holds
    }
}

bool BreakdownSheet::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    for (const Bar &bar : layout(width()).bars) {
        if (bar.area.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), OutsideText::qtRichText(bar.hover), this); // folders may look like markup
            return true;
        }
    }
    QToolTip::hideText();
    return true;
}

// The shades follow the background, the rows the font.
void BreakdownSheet::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        m_layout.reset();
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}
