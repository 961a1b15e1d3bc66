#include "HistoryWindow.h"

#include "OutsideText.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <QCoroFuture>

using namespace Qt::StringLiterals;

namespace {

constexpr int rangeDays[] = {1, 7, 30, 90};
constexpr int viewButtonId = 0;

QString rangeText(int days)
{
    return days == 1 ? QCoreApplication::translate("HistoryWindow", "1 day")
                     : QCoreApplication::translate("HistoryWindow", "%n days", nullptr, days);
}

} // namespace

HistoryWindow::HistoryWindow(const QString &databasePath, QWidget *parent)
    : QWidget(parent)
    , m_path(databasePath)
    , m_rangeRow(new QWidget(this))
{
    setWindowTitle(tr("History"));
    setMouseTracking(true);
    resize(900, 620);
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    m_resized.setSingleShot(true);
    m_resized.setInterval(150);
    connect(&m_resized, &QTimer::timeout, this, &HistoryWindow::reload);

    auto *ranges = new QButtonGroup(this);
    auto *row = new QHBoxLayout(m_rangeRow);
    row->setContentsMargins(0, 0, 0, 0);
    for (int days : rangeDays) {
        auto *button = new QToolButton(m_rangeRow);
        button->setText(rangeText(days));
        button->setCheckable(true);
        // The style's checked look can be faint: the chosen period is in bold as well.
        connect(button, &QToolButton::toggled, button, [button](bool checked) {
            QFont font = button->font();
            font.setBold(checked);
            button->setFont(font);
        });
        button->setChecked(days == m_days);
        ranges->addButton(button, days);
        row->addWidget(button);
    }
    row->addStretch();
    connect(ranges, &QButtonGroup::idClicked, this, [this](int days) {
        if (m_view)
            m_view->setVisible(days == viewButtonId);
        if (days == viewButtonId)
            return update();
        m_days = days;
        load();
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_rangeRow);
    layout->addStretch();
}

void HistoryWindow::addView(const QString &name, QWidget *view)
{
    m_view = view;
    view->hide();
    auto *button = new QToolButton(m_rangeRow);
    button->setText(name);
    button->setCheckable(true);
    findChild<QButtonGroup *>()->addButton(button, viewButtonId);
    static_cast<QHBoxLayout *>(m_rangeRow->layout())->addWidget(button);
    static_cast<QVBoxLayout *>(layout())->insertWidget(1, view, 1);
}

void HistoryWindow::present(const std::optional<HistoryFocus> &focus)
{
    m_focus = focus;
    setWindowTitle(focus ? tr("History \u2014 %1").arg(OutsideText::plainLine(focus->name)) : tr("History"));
    if (focus && m_view && m_view->isVisible()) { // back to the chart the focus is on
        m_view->hide();
        findChild<QButtonGroup *>()->button(m_days)->setChecked(true);
    }
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    load();
}

void HistoryWindow::reload()
{
    if (isVisible())
        load();
}

QCoro::Task<void> HistoryWindow::load()
{
    QPointer<HistoryWindow> self(this);
    const quint64 ticket = ++m_loadsStarted;
    const QDateTime end = QDateTime::currentDateTimeUtc();
    const int days = m_days;
    const QSize size = chartArea().size().toSize();
    const qreal ratio = devicePixelRatioF();
    const std::optional<HistoryFocus> focus = m_focus;
    // Read and drawn off the GUI thread, which only shows the image when it is ready.
    // Made outside the co_await: GCC 12 destroys a lambda temporary there twice.
    QFuture<std::pair<HistoryChart, QImage>> drawing
        = QtConcurrent::run([path = m_path, end, days, size, ratio, focus, palette = palette()] {
              HistoryChart chart;
              chart.setFocus(focus);
              chart.setLines(HistoryReader::readLines(path, end.addDays(-days), end, HistoryChart::columnsFor(size, ratio)),
                             end, days);
              QImage image = chart.image(size, ratio, palette);
              return std::pair(std::move(chart), std::move(image));
          });
    std::pair<HistoryChart, QImage> drawn = co_await drawing;
    if (!self || ticket != m_loadsStarted)
        co_return;
    std::tie(m_chart, m_image) = std::move(drawn);
    m_loaded = true;
    update();
    // The window was resized, or its layout settled, while the chart was drawn.
    if (size != chartArea().size().toSize())
        m_resized.start();
    Q_EMIT loaded();
}

QRectF HistoryWindow::chartArea() const
{
    return QRectF(rect()).adjusted(0, m_rangeRow->geometry().bottom(), 0, 0);
}

void HistoryWindow::paintEvent(QPaintEvent *)
{
    if (!m_loaded || (m_view && m_view->isVisible()))
        return;
    QPainter painter(this);
    // Stretched for the moment after a resize, until the chart for the new size is drawn.
    painter.drawImage(chartArea(), m_image);
}

void HistoryWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isVisible())
        m_resized.start();
}

bool HistoryWindow::event(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        reload();
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    if (const std::optional<QString> text = m_chart.describe(help->pos(), chartArea()))
        QToolTip::showText(help->globalPos(), OutsideText::qtRichText(*text), this); // names may look like markup
    else
        QToolTip::hideText();
    return true;
}
