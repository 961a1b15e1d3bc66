#include "HistoryExport.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray exported(HistoryExport::Format format, const QList<HistoryRow> &rows)
{
    QByteArray text = HistoryExport::opening(format);
    for (qsizetype i = 0; i < rows.size(); ++i)
        text += HistoryExport::rowText(format, rows[i], i == 0);
    return text + HistoryExport::closing(format);
}

} // namespace

class TestHistoryExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A name with a comma or quotes is quoted; a missing reset is empty or null.
    void bothFormats()
    {
        const QDateTime fetched = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        const QList<HistoryRow> rows{
            {fetched, Provider::claude, u"claude_slow"_s, u"Weekly"_s, 80, fetched.addDays(3), 604800},
            {fetched.addSecs(60), Provider::codex, u"codex_extra_quill_30d"_s, u"Quill, \"preview\" 30-day"_s, 12.5,
             QDateTime(), 2592000}};
        QCOMPARE(exported(HistoryExport::Format::csv, rows),
                 "fetched_at,provider,id,name,used_percent,reset_at,limit_window_seconds\n"
                 "2027-01-15T08:00:00.000Z,claude,claude_slow,Weekly,80,2027-01-18T08:00:00.000Z,604800\n"
                 "2027-01-15T08:01:00.000Z,codex,codex_extra_quill_30d,\"Quill, \"\"preview\"\" 30-day\",12.5,,2592000\n");
        QCOMPARE(exported(HistoryExport::Format::json, rows.mid(1)),
                 "[{\"fetchedAt\":\"2027-01-15T08:01:00.000Z\",\"id\":\"codex_extra_quill_30d\","
                 "\"limitWindowSeconds\":2592000,\"name\":\"Quill, \\\"preview\\\" 30-day\",\"provider\":\"codex\","
                 "\"resetAt\":null,\"usedPercent\":12.5}]\n");
        QCOMPARE(exported(HistoryExport::Format::json, {}), "[]\n");
        QCOMPARE(exported(HistoryExport::Format::json, rows).count("},{"), 1);
    }
};

QTEST_GUILESS_MAIN(TestHistoryExport)
#include "tst_historyexport.moc"
