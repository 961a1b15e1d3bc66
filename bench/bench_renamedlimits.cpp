// The tray program against limits renamed on every refresh (100 new names each time): its
// resident memory and the history's windows table after each batch of refreshes should level
// off. Run under Xvfb and a private bus:
//
//   xvfb-run -a dbus-run-session --config-file=tests/support/session-bus.conf -- build/bench/bench_renamedlimits [refreshes, default 300]

#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "ProcessFigures.h"
#include "TrayFixtures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QByteArray renamedLimits(qint64 now, int round)
{
    QJsonObject answer = QJsonDocument::fromJson(codexUsage(now)).object();
    QJsonArray limits;
    for (int i = 0; i < 100; ++i) {
        const QJsonObject window{{u"used_percent"_s, i}, {u"reset_at"_s, double(now + 9000)},
                                 {u"limit_window_seconds"_s, 18000}};
        limits.append(QJsonObject{{u"limit_name"_s, u"Model %1-%2"_s.arg(round).arg(i)},
                                  {u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window}}}});
    }
    answer.insert(u"additional_rate_limits"_s, limits);
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

bool refresh()
{
    const QDBusMessage call = QDBusMessage::createMethodCall(u"org.tidemarker.Tidemarker"_s, u"/org/tidemarker/Tidemarker"_s,
                                                             u"org.tidemarker.Tidemarker1"_s, u"Refresh"_s);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::BlockWithGui, 30000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        std::fprintf(stderr, "refresh: %s\n", qPrintable(reply.errorMessage()));
    return reply.type() == QDBusMessage::ReplyMessage;
}

qint64 windowRows(const QString &path)
{
    qint64 rows = -1;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"bench"_s);
        database.setDatabaseName(path);
        database.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlQuery query(database);
        if (database.open() && query.exec(u"SELECT count(*) FROM windows"_s) && query.next())
            rows = query.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(u"bench"_s);
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int refreshes = argc > 1 ? QByteArray(argv[1]).toInt() : 300;
    FakeHttpServer server;
    QTemporaryDir home;
    FakePanel panel;
    if (!server.listen() || !home.isValid() || !panel.start())
        return 1;
    serveUsage(server);
    writeFile(home.filePath(u"codex/auth.json"_s), signedInCodexAuth);
    QProcess tray;
    tray.setProcessEnvironment(trayProgramEnvironment(home.path(), server));
    tray.start(QStringLiteral(TIDEMARKER_E2E_PROGRAM), {});
    if (!tray.waitForStarted() || !QTest::qWaitFor([] { return refresh(); }, 30000))
        return 1;

    const QString history = home.filePath(u".local/state/tidemarker/history.sqlite3"_s);
    std::printf("refreshes  resident MiB  windows rows\n");
    for (int round = 1; round <= refreshes; ++round) {
        server.respond(codexUsagePath, FakeResponse::json(renamedLimits(QDateTime::currentSecsSinceEpoch(), round)));
        if (!refresh())
            return 1;
        if (round == 1 || round % 50 == 0)
            std::printf("%9d  %12.1f  %12lld\n", round, residentKiB(tray.processId()) / 1024.0, windowRows(history));
    }
    tray.kill();
    tray.waitForFinished();
    return 0;
}
