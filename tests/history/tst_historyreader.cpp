#include "HistoryConnection.h"
#include "HistoryReader.h"
#include "HistorySchema.h"
#include "HistoryWriter.h"
#include "Version7LogTables.h"

#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace Qt::StringLiterals;

namespace {

const QDateTime end = QDateTime::currentDateTimeUtc();
const QDateTime start = end.addDays(-10);

HistoryRow row(const QString &id, double hoursAfterStart, double used)
{
    const Provider provider = id.startsWith(u"codex") ? Provider::codex : Provider::claude;
    return {start.addSecs(qint64(hoursAfterStart * 3600)), provider, id, id.section(u'_', 1), used, QDateTime(), 18000};
}

// Claude's 5h window spikes and falls within the first day; Codex's is seen between its rows.
QString recordedFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"history.sqlite3"_s);
    HistoryWriter writer(path);
    writer.open();
    for (const HistoryRow &written : {row(u"claude_fast"_s, 1, 10), row(u"codex_fast"_s, 2, 40), row(u"claude_fast"_s, 3, 90),
                                      row(u"claude_fast"_s, 5, 5), row(u"claude_fast"_s, 7, 50), row(u"codex_fast"_s, 80, 60)})
        writer.write({written});
    return path;
}

QStringList columnTexts(const HistoryReader::Lines &lines)
{
    QStringList texts;
    for (const HistoryReader::Line &line : lines.lines) {
        for (const HistoryReader::Column &column : line.columns)
            texts.append(u"%1 %2 %3 %4 %5 %6 %7 %8 %9"_s.arg(line.windowId, column.firstAt.toString(Qt::ISODateWithMs))
                             .arg(column.first)
                             .arg(column.lastAt.toString(Qt::ISODateWithMs))
                             .arg(column.last)
                             .arg(column.low)
                             .arg(column.high)
                             .arg(column.resetAt.toString(Qt::ISODate))
                             .arg(column.limitWindowSeconds));
    }
    return texts;
}

} // namespace

class TestHistoryReader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each window's rows merged in time order, from the moment asked for.
    void rowsInTimeOrder()
    {
        QTemporaryDir dir;
        const QString path = recordedFile(dir);
        QStringList seen;
        const auto take = [&seen](const HistoryRow &row) {
            seen.append(u"%1 %2"_s.arg(row.windowId).arg(row.usedPercent));
            return seen.size() < 4;
        };
        QCOMPARE(HistoryReader::forEachRow(path, start.addSecs(2 * 3600), take), std::nullopt);
        QCOMPARE(seen, (QStringList{u"codex_fast 40"_s, u"claude_fast 90"_s, u"claude_fast 5"_s, u"claude_fast 50"_s}));
    }

    // A day a column: the first day's four rows are one column, its spike and dip kept.
    void columnsKeepFirstLastLowAndHigh()
    {
        QTemporaryDir dir;
        const HistoryReader::Lines lines = HistoryReader::readLines(recordedFile(dir), start, end, 10);
        QVERIFY(lines.anything);
        QCOMPARE(lines.lines.size(), 2);
        const HistoryReader::Line &claude = lines.lines.first();
        QCOMPARE(claude.windowId, u"claude_fast"_s);
        QCOMPARE(claude.columns.size(), 1);
        const HistoryReader::Column &day = claude.columns.first();
        QCOMPARE(QList({day.first, day.last, day.low, day.high}), QList({10.0, 50.0, 5.0, 90.0}));
        QCOMPARE(day.firstAt.secsTo(day.lastAt), 6 * 3600);
        QCOMPARE(lines.lines.last().columns.size(), 2); // the Codex rows lie days apart
    }

    // Columns of hours come from the roll-up that the writer keeps, its prune trims and the
    // migration makes, and agree with those read from the samples of a file without it.
    void hoursAgreeWithSamples()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"history.sqlite3"_s);
        const qint64 hour = HistorySchema::hourMilliseconds;
        const QDateTime from = QDateTime::fromMSecsSinceEpoch(
            QDateTime::currentMSecsSinceEpoch() / hour * hour - 91 * 86'400'000LL, Qt::UTC);
        const QDateTime to = from.addDays(91).addMSecs(-1); // 728 columns of three hours
        {
            HistoryWriter writer(path);
            writer.open();
            std::mt19937 random(7);
            for (QDateTime at = from.addSecs(60); at <= to; at = at.addSecs(37 * 60)) {
                const QDateTime reset = QDateTime::fromSecsSinceEpoch((at.toSecsSinceEpoch() / 18000 + 1) * 18000, Qt::UTC);
                writer.write({{at, Provider::codex, u"codex_fast"_s, u"5h"_s, double(random() % 101), reset, 18000}});
            }
        }
        HistoryWriter(path).open(); // the oldest day goes, the hour of the cutoff in part
        const auto read = [&path, &from, &to] { return columnTexts(HistoryReader::readLines(path, from, to, 728)); };
        const QStringList byHours = read();
        QVERIFY(byHours.size() > 700);
        {
            // The file as version 3 left it: no roll-up, and the logs' counts by the hour.
            HistoryConnection earlier(path, HistoryConnection::Mode::readWrite);
            QStringList toVersion3 = version7LogTables();
            toVersion3 += {u"DROP TABLE sample_hours"_s, u"DROP TABLE breakdown_by_hour"_s,
                                   u"ALTER TABLE breakdown_minutes RENAME COLUMN minute TO hour"_s,
                                   u"ALTER TABLE breakdown_minutes RENAME TO breakdown_hours"_s,
                                   u"DROP INDEX breakdown_minutes_by_file"_s,
                                   u"CREATE INDEX breakdown_hours_by_file ON breakdown_hours (file)"_s,
                                   u"ALTER TABLE breakdown_requests RENAME COLUMN minute TO hour"_s,
                                   u"DROP INDEX breakdown_requests_by_minute"_s,
                                   u"CREATE INDEX breakdown_requests_by_hour ON breakdown_requests (hour)"_s};
            for (const char *column : {"described", "copied_until", "counted_input", "counted_cached", "counted_output"})
                toVersion3.append(u"ALTER TABLE breakdown_files DROP COLUMN "_s + QLatin1StringView(column));
            toVersion3.append(u"PRAGMA user_version = 3"_s);
            QCOMPARE(earlier.execute(toVersion3), std::nullopt);
        }
        QCOMPARE(read(), byHours);
        HistoryWriter(path).open();
        QCOMPARE(read(), byHours);
    }
};

QTEST_GUILESS_MAIN(TestHistoryReader)
#include "tst_historyreader.moc"
