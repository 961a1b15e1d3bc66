#include "HistoryConnection.h"
#include "HistoryReader.h"
#include "HistoryWriter.h"
#include "Version7LogTables.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-3600);

// Claude's weekly window and a model's own weekly cap, fetched live minutes after start;
// Codex's 5h window from the last good fetch.
UsageStatus snapshot(int minutes, double used, qint64 resetShift = 0)
{
    const QDateTime now = start.addSecs(minutes * 60);
    const QDateTime reset = start.addSecs(86400 + resetShift);
    ProviderResult claude{Provider::claude, true, u"live"_s, std::nullopt,
                          {UsageWindow::make(Provider::claude, WindowSpeed::slow, used, reset, 604800, now)}, false};
    claude.extraWindows = {UsageWindow::makeExtra(Provider::claude, u"claude_scoped_fable"_s, u"Fable weekly"_s,
                                                  57, reset, 604800, now)};
    const ProviderResult codex{Provider::codex, true, u"cached"_s, u"offline"_s,
                               {UsageWindow::make(Provider::codex, WindowSpeed::fast, 10, reset, 18000, now)}, false};
    return {now, {codex, claude}};
}

QList<HistoryRow> rowsSince(const QString &path, const QDateTime &since)
{
    QList<HistoryRow> rows;
    HistoryReader::forEachRow(path, since, [&rows](const HistoryRow &row) {
        rows.append(row);
        return true;
    });
    return rows;
}

QStringList recorded(const QString &path)
{
    QStringList lines;
    for (const HistoryRow &row : rowsSince(path, start))
        lines.append(u"%1 %2 %3 %4"_s.arg(start.secsTo(row.fetchedAt) / 60).arg(row.windowId, row.name).arg(row.usedPercent));
    return lines;
}

// Another program's connection to the file that holds its write lock until released.
class WriteLock
{
public:
    explicit WriteLock(const QString &path)
        : m_database(QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other writer"_s))
    {
        m_database.setDatabaseName(path);
        m_held = m_database.open() && QSqlQuery(m_database).exec(u"BEGIN IMMEDIATE"_s);
    }
    ~WriteLock()
    {
        release();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"other writer"_s);
    }
    bool isHeld() const { return m_held; }
    void release()
    {
        if (std::exchange(m_held, false))
            QSqlQuery(m_database).exec(u"COMMIT"_s);
    }

private:
    QSqlDatabase m_database;
    bool m_held = false;
};

// What the alerts had given, as a writer opened afresh recalls it.
QList<RememberedAlert> recalledAlerts(const QString &path)
{
    HistoryWriter writer(path);
    QSignalSpy recalled(&writer, &HistoryWriter::ready);
    writer.open();
    return recalled.isEmpty() ? QList<RememberedAlert>() : recalled.first().first().value<QList<RememberedAlert>>();
}

} // namespace

class TestHistoryWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A row when the share or the reset changed, or a quarter of an hour after the last one.
    void rowsOfLiveWindowsWhenTheyChange()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"state/tidemarker/history.sqlite3"_s);
        {
            HistoryWriter writer(path);
            QSignalSpy ready(&writer, &HistoryWriter::ready);
            writer.open();
            QCOMPARE(ready.size(), 1);
            for (const UsageStatus &status : {snapshot(0, 20), snapshot(1, 20), snapshot(2, 21), snapshot(3, 21, 120),
                                              snapshot(18, 21, 120), snapshot(19, 0, 604800)})
                writer.write(HistoryRow::ofLiveResults(status));
        }
        QCOMPARE(recorded(path), (QStringList{u"0 claude_slow Weekly 20"_s, u"0 claude_scoped_fable Fable weekly 57"_s,
                                              u"2 claude_slow Weekly 21"_s, u"18 claude_slow Weekly 21"_s,
                                              u"18 claude_scoped_fable Fable weekly 57"_s, u"19 claude_slow Weekly 0"_s,
                                              u"19 claude_scoped_fable Fable weekly 57"_s}));
        QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFile::permissions(dir.filePath(u"state/tidemarker"_s)) & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // A restart goes on from the last rows, and recalls the alerts given.
        HistoryWriter again(path);
        QSignalSpy ready(&again, &HistoryWriter::ready);
        again.open();
        again.write(HistoryRow::ofLiveResults(snapshot(20, 0, 604800)));
        again.remember({u"claude_slow"_s, start.addDays(8), PaceForecast::Alert::nearlyUsed});
        QCOMPARE(recorded(path).size(), 7);
        const QList<RememberedAlert> alerts = recalledAlerts(path);
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts.first().given, PaceForecast::Alert::nearlyUsed);
        QCOMPARE(alerts.first().resetAt.toSecsSinceEpoch(), start.addDays(8).toSecsSinceEpoch());
    }

    void busyFileIsWaitedFor_data()
    {
        QTest::addColumn<bool>("heldAtOpening");
        QTest::newRow("held while writing") << false;
        QTest::newRow("held while opening") << true;
    }

    // Held longer than the busy timeout, the file gets every row and alert once it is free.
    void busyFileIsWaitedFor()
    {
        QFETCH(bool, heldAtOpening);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(path).open();
        HistoryWriter writer(path);
        QSignalSpy ready(&writer, &HistoryWriter::ready);
        QSignalSpy written(&writer, &HistoryWriter::written);
        if (!heldAtOpening)
            writer.open();
        {
            WriteLock other(path);
            QVERIFY(other.isHeld());
            if (heldAtOpening)
                writer.open();
            for (const UsageStatus &status : {snapshot(0, 20), snapshot(2, 21)})
                writer.write(HistoryRow::ofLiveResults(status));
            writer.remember({u"claude_slow"_s, start.addDays(8), PaceForecast::Alert::runout});
            QCOMPARE(ready.size(), heldAtOpening ? 0 : 1);
            QCOMPARE(written.size(), 0);
        }
        QVERIFY(written.wait(3 * HistoryWriter::retryInterval.count()));
        QCOMPARE(ready.size(), 1);
        QCOMPARE(recorded(path), (QStringList{u"0 claude_slow Weekly 20"_s, u"0 claude_scoped_fable Fable weekly 57"_s,
                                              u"2 claude_slow Weekly 21"_s}));
        const QList<RememberedAlert> alerts = recalledAlerts(path);
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts.first().given, PaceForecast::Alert::runout);
    }

    void laterVersionIsNeverTouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"history.sqlite3"_s);
        {
            QSqlDatabase later = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"later"_s);
            later.setDatabaseName(path);
            QVERIFY(later.open());
            QVERIFY(QSqlQuery(later).exec(u"PRAGMA user_version = %1"_s.arg(HistoryConnection::schemaVersion + 1)));
        }
        QSqlDatabase::removeDatabase(u"later"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();

        HistoryWriter writer(path);
        writer.open();
        writer.write(HistoryRow::ofLiveResults(snapshot(0, 20)));
        QVERIFY(file.seek(0));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(*HistoryReader::forEachRow(path, start, [](const HistoryRow &) { return true; }),
                 path + u" was written by a newer Tidemarker (history version %1, this one reads up to %2)"_s
                          .arg(HistoryConnection::schemaVersion + 1)
                          .arg(HistoryConnection::schemaVersion));
    }

    // Started with the clock a year ahead of the record, nothing of it is lost; what is older
    // than the retention before the newest row goes.
    // A record that named accounts by their labels (empty for a provider's first) gives its rows,
    // alerts and logs' counts to the folders of the accounts the settings list under those names;
    // those of a name no longer listed stay, shown by that name.
    void labelledRecordTakesFolders()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"history.sqlite3"_s);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        {
            HistoryWriter writer(path);
            writer.open();
            for (const QString &name : {u""_s, u"work"_s, u"gone"_s})
                writer.write({{now, Provider::claude, u"claude_slow"_s, u"Weekly"_s, 50, QDateTime(), 604800, name}});
            writer.remember({u"claude_slow"_s, now.addDays(1), PaceForecast::Alert::runout, u"work"_s});
        }
        {
            HistoryConnection earlier(path, HistoryConnection::Mode::readWrite);
            // The file as version 5 left it: no accounts, requests counted once, no hourly counts.
            QCOMPARE(earlier.execute(version7LogTables()), std::nullopt);
            QCOMPARE(earlier.execute({u"DROP TABLE accounts"_s, u"DROP TABLE breakdown_by_hour"_s,
                                      u"ALTER TABLE breakdown_requests DROP COLUMN holds"_s,
                                      u"INSERT INTO breakdown_files (id, path, provider, account) VALUES (1, '/a.jsonl', 'claude', 'work')"_s,
                                      u"INSERT INTO breakdown_minutes VALUES ('claude', 'work', 0, 'p', 'm', 1, 1, 2, 3, 4, 5)"_s,
                                      u"INSERT INTO breakdown_requests VALUES ('work', 'k', 1, 0, 'p', 'm', 1, 2, 3, 4)"_s,
                                      u"PRAGMA user_version = 5"_s}),
                     std::nullopt);
        }
        HistoryWriter writer(path, [] {
            return Account::listed(Provider::claude, {{u"/home/me/.claude"_s, u"personal"_s}, {u"/home/me/.claude-work"_s, u"work"_s}});
        });
        QSignalSpy ready(&writer, &HistoryWriter::ready);
        writer.open();
        QStringList rows;
        for (const HistoryRow &row : rowsSince(path, now.addSecs(-1)))
            rows.append(row.account + u' ' + row.label);
        rows.sort();
        QCOMPARE(rows, (QStringList{u"/home/me/.claude personal"_s, u"/home/me/.claude-work work"_s, u"gone gone"_s}));
        QCOMPARE(ready.first().first().value<QList<RememberedAlert>>().first().account, u"/home/me/.claude-work"_s);
        HistoryConnection migrated(path, HistoryConnection::Mode::readOnly);
        QSqlQuery counts(migrated.database());
        // The counts and the request follow their file, now the account's.
        QVERIFY(counts.exec(u"SELECT f.account, m.output, r.key = request_key(f.account, 'k') FROM breakdown_files f "
                            "JOIN breakdown_minutes m ON m.file = f.id JOIN breakdown_requests r ON r.file = f.id"_s));
        QVERIFY(counts.next());
        QCOMPARE(counts.value(0).toString(), u"/home/me/.claude-work"_s);
        QCOMPARE(counts.value(1).toLongLong(), 2);
        QVERIFY(counts.value(2).toBool());
    }

    void clockAheadOfTheRecordKeepsIt()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"history.sqlite3"_s);
        const QDateTime newest = QDateTime::currentDateTimeUtc().addYears(-1);
        {
            HistoryWriter writer(path);
            writer.open();
            for (int days : {HistoryWriter::retentionDays + 1, HistoryWriter::retentionDays - 1, 0})
                writer.write({{newest.addDays(-days), Provider::claude, u"claude_slow"_s, u"Weekly"_s, double(days),
                               QDateTime(), 604800}});
        }
        HistoryWriter restarted(path);
        restarted.open();
        QCOMPARE(rowsSince(path, newest.addYears(-1)).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestHistoryWriter)
#include "tst_historywriter.moc"
