#include "BreakdownView.h"
#include "HistoryWriter.h"
#include "TemporaryHome.h"
#include "UsageBreakdown.h"

#include <QApplication>
#include <QDateTime>
#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

// "Where it went" with more windows and projects than its window shows at once.
namespace {

// Project p's one request, p × 10 minutes ago, in a session of its own.
QByteArray request(int project)
{
    const QString time = QDateTime::currentDateTimeUtc().addSecs(-600 * project - 60).toString(Qt::ISODate);
    return u"{\"timestamp\":\"%1\",\"cwd\":\"/home/me/src/p%2\",\"message\":{\"id\":\"m%2\",\"model\":\"claude-sonnet-4-5\","
           "\"usage\":{\"input_tokens\":20,\"output_tokens\":900,\"cache_creation_input_tokens\":0,\"cache_read_input_tokens\":0}}}\n"_s
        .arg(time, QString::number(project))
        .toUtf8();
}

// The text of the lowest bar the view shows, hovered over.
QString lowestHover(BreakdownView &view)
{
    QWidget *sheet = view.widget();
    QToolTip::hideText(); // after a moment
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return {};
    for (int y = view.viewport()->height() - 1; y >= 0; y -= 4) {
        const QPoint at = sheet->mapFrom(view.viewport(), QPoint(view.viewport()->width() / 2, y));
        QHelpEvent hover(QEvent::ToolTip, at, sheet->mapToGlobal(at));
        QApplication::sendEvent(sheet, &hover);
        if (QToolTip::isVisible() && !QToolTip::text().isEmpty())
            return QToolTip::text();
    }
    return {};
}

} // namespace

class TestBreakdownView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lastWindowIsReachedByScrolling_data();
    void lastWindowIsReachedByScrolling();
};

void TestBreakdownView::lastWindowIsReachedByScrolling_data()
{
    QTest::addColumn<QString>("by");
    QTest::newRow("wheel") << u"wheel"_s;
    QTest::newRow("page down") << u"page down"_s;
    QTest::newRow("end") << u"end"_s;
}

void TestBreakdownView::lastWindowIsReachedByScrolling()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(u"history.sqlite3"_s);
    HistoryWriter(database).open();
    for (int project = 0; project < 24; ++project)
        QVERIFY(writeFile(dir.filePath(u"projects/p%1/s.jsonl"_s.arg(project)), request(project)));
    // Window k spans the last k + 1 hours: 6, 12, 18 and 24 projects.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const Account account = Account::only(Provider::claude);
    QList<BreakdownWindow> windows;
    for (int k = 0; k < 4; ++k)
        windows.append({Provider::claude, account, u"w%1"_s.arg(k), u"%1h"_s.arg(k + 1), now.addSecs(-3600 * (k + 1)), now.addSecs(60), 50});
    UsageBreakdown breakdown(database, {{Provider::claude, dir.filePath(u"projects"_s), account.key()}});
    QSignalSpy scanned(&breakdown, &UsageBreakdown::scanned);
    breakdown.start();
    QVERIFY(scanned.wait(30000));
    BreakdownView view(breakdown, [windows] { return windows; });
    QSignalSpy loaded(&view, &BreakdownView::loaded);
    view.resize(900, 620);
    view.show();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
    QTRY_VERIFY(view.verticalScrollBar()->maximum() > 0);
    QVERIFY(view.widget()->width() >= view.viewport()->width() - 1); // the width is the bars'
    QVERIFY(!lowestHover(view).startsWith(u"16 more projects"_s));

    QFETCH(QString, by);
    for (int step = 0; step < 100 && view.verticalScrollBar()->value() < view.verticalScrollBar()->maximum(); ++step) {
        if (by == u"wheel"_s) {
            const QPointF middle = QRectF(view.viewport()->rect()).center();
            QWheelEvent wheel(middle, view.viewport()->mapToGlobal(middle), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(view.viewport(), &wheel);
        } else
            QTest::keyClick(&view, by == u"end"_s ? Qt::Key_End : Qt::Key_PageDown);
    }
    QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    QCOMPARE(lowestHover(view).section(u'\n', 0, 0), u"16 more projects"_s);
}

QTEST_MAIN(TestBreakdownView)
#include "tst_breakdownview.moc"
