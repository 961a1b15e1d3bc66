#include "BreakdownQuery.h"
#include "HistoryWriter.h"
#include "IndexWriter.h"
#include "LogIndexer.h"
#include "TemporaryHome.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Claude Code's transcripts also log the models of other providers it is pointed at: each
// provider's window counts its own models' lines, from every Claude account's transcripts.
namespace {

// The index as the version before left it: the lines of models without "claude" never counted.
bool forgetOtherServicesLines(const QString &database)
{
    bool done = false;
    {
        QSqlDatabase file = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"older"_s);
        file.setDatabaseName(database);
        QSqlQuery query(file);
        done = file.open();
        for (const QString &table : {u"breakdown_minutes"_s, u"breakdown_by_hour"_s, u"breakdown_requests"_s})
            done = done && query.exec(u"DELETE FROM %1 WHERE model NOT LIKE 'claude%'"_s.arg(table));
        done = done && query.exec(u"PRAGMA user_version = 8"_s);
    }
    QSqlDatabase::removeDatabase(u"older"_s);
    return done;
}

} // namespace

class TestBreakdownQuery : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void countsEachModelTowardItsProvider_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<bool>("readBefore"); // by a version that passed other services' lines over
        QTest::addColumn<QStringList>("counted"); // "model output weighted"
        for (const bool readBefore : {false, true}) {
            const char *index = readBefore ? ", the index read before" : "";
            QTest::addRow("Claude, its account's own models%s", index) << u"claude"_s << readBefore
                                                                       << QStringList{u"claude-sonnet-4-5 2 11"_s};
            QTest::addRow("z.ai, both accounts' lines%s", index) << u"zai"_s << readBefore << QStringList{u"glm-4.6 10 52"_s};
            QTest::addRow("Kimi Code, whatever the case%s", index) << u"kimi"_s << readBefore
                                                                  << QStringList{u"Kimi-K2-Instruct 5 26"_s};
        }
    }

    void countsEachModelTowardItsProvider()
    {
        QFETCH(QString, provider);
        QFETCH(bool, readBefore);
        QFETCH(QStringList, counted);
        QTemporaryDir dir;
        const QString database = dir.filePath(u"history.sqlite3"_s);
        HistoryWriter(database).open();
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const auto line = [&now](const QString &id, const QString &model, int output) {
            return (u"{\"type\":\"assistant\",\"timestamp\":\"%1\",\"cwd\":\"/home/me/src/harbour\",\"requestId\":\"req_%2\","
                    "\"message\":{\"id\":\"msg_%2\",\"model\":\"%3\",\"usage\":{\"input_tokens\":1,\"output_tokens\":%4}}}\n"_s)
                .arg(now.addSecs(-600).toString(Qt::ISODate), id, model, QString::number(output))
                .toUtf8();
        };
        const Account work{Provider::claude, dir.filePath(u"work"_s), u"work"_s, true};
        const Account home{Provider::claude, dir.filePath(u"home"_s), u"home"_s, false};
        QVERIFY(writeFile(work.folder + u"/projects/-home-me-src-harbour/one.jsonl"_s,
                          line(u"A"_s, u"claude-sonnet-4-5"_s, 2) + line(u"B"_s, u"glm-4.6"_s, 3)
                              + line(u"C"_s, u"Kimi-K2-Instruct"_s, 5)));
        QVERIFY(writeFile(home.folder + u"/projects/-home-me-src-harbour/two.jsonl"_s,
                          line(u"D"_s, u"glm-4.6"_s, 7) + line(u"E"_s, u"claude-opus-4-5"_s, 11)));
        const QList<LogFolder> folders = LogFolder::of({work, home});
        LogIndexer(std::make_shared<IndexWriter>(database)).scan(folders);
        if (readBefore) {
            QVERIFY(forgetOtherServicesLines(database));
            HistoryWriter(database).open();
            LogIndexer(std::make_shared<IndexWriter>(database)).scan(folders);
        }

        const Provider windowProvider = *providerFromRawValue(provider);
        const Account account = windowProvider == Provider::claude ? work : Account::only(windowProvider);
        const BreakdownWindow window{windowProvider, account, u"fast"_s, u"5h"_s, now.addSecs(-3600), now.addSecs(3600), 10};
        const auto answer = BreakdownQuery::read(database, {window}, folders, now);
        QStringList found;
        for (const QJsonValue &project : std::get<QJsonObject>(answer)[u"providers"_s][0][u"windows"_s][0][u"projects"_s].toArray()) {
            for (const QJsonValue &model : project[u"models"_s].toArray())
                found.append(u"%1 %2 %3"_s.arg(model[u"model"_s].toString(), QString::number(model[u"output"_s].toInteger()),
                                               QString::number(model[u"weighted"_s].toInteger())));
        }
        QCOMPARE(found, counted);
    }
};

QTEST_GUILESS_MAIN(TestBreakdownQuery)
#include "tst_breakdownquery.moc"
