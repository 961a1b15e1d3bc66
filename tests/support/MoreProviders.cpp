#include "MoreProviders.h"

#include "FakeHttpServer.h"
#include "TemporaryHome.h"

#include <QDateTime>
#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString isoIn(qint64 seconds)
{
    return QDateTime::currentDateTimeUtc().addSecs(seconds).toString(Qt::ISODateWithMs);
}

} // namespace

QByteArray kimiAnswer()
{
    return R"({"usage": {"limit": "100", "remaining": "30", "resetTime": ")" + isoIn(302400).toLatin1()
        + R"("}, "limits": [{"window": {"duration": 300, "timeUnit": "TIME_UNIT_MINUTE"}, "detail": {"limit": "100",
        "used": "10", "resetTime": ")" + isoIn(9000).toLatin1() + R"("}}], "parallel": {"limit": "30"}})";
}

QByteArray zaiAnswer()
{
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    return R"({"code": 200, "msg": "Operation successful", "success": true, "data": {"level": "pro", "limits": [
        {"type": "CREDIT_LIMIT", "unit": 3, "number": 5, "percentage": 10, "nextResetTime": )"
        + QByteArray::number(nowMs + 9000000) + R"(}, {"type": "CREDIT_LIMIT", "unit": 6, "number": 1, "percentage": "70",
        "nextResetTime": )" + QByteArray::number(nowMs + 302400000) + "}]}}";
}

QByteArray copilotAnswer()
{
    return R"({"login": "octocat", "copilot_plan": "individual", "quota_reset_date_utc": "2027-01-01T00:00:00.000Z",
        "quota_snapshots": {"premium_interactions": {"entitlement": 300, "remaining": 186,
        "percent_remaining": 62.0, "unlimited": false}, "chat": {"unlimited": true, "percent_remaining": 100}}})";
}

void serveMoreProviders(FakeHttpServer &server)
{
    server.respond(kimiPath, FakeResponse::json(kimiAnswer()));
    server.respond(copilotPath, FakeResponse::json(copilotAnswer()));
    server.respond(zaiPath, FakeResponse::json(zaiAnswer()));
}

void askMoreProvidersAt(QProcessEnvironment &environment, const FakeHttpServer &server)
{
    for (const QString &variable : {u"GH_TOKEN"_s, u"GITHUB_TOKEN"_s, u"GH_CONFIG_DIR"_s, u"KIMI_CODE_HOME"_s})
        environment.remove(variable);
    environment.insert(u"TIDEMARKER_KIMI_USAGE_URL"_s, server.url(QString::fromLatin1(kimiPath)).toString());
    environment.insert(u"TIDEMARKER_COPILOT_USAGE_URL"_s, server.url(QString::fromLatin1(copilotPath)).toString());
    environment.insert(u"TIDEMARKER_ZAI_USAGE_URL"_s, server.url(QString::fromLatin1(zaiPath)).toString());
    environment.insert(u"ZAI_API_KEY"_s, QString::fromLatin1(zaiKey));
}

bool signInMoreProviders(const QString &home)
{
    const qint64 inAnHour = QDateTime::currentSecsSinceEpoch() + 3600;
    const QDir folder(home);
    return writeFile(folder.filePath(kimiCredentials),
                     R"({"access_token": ")" + kimiToken + R"(", "refresh_token": ")" + kimiRefreshToken
                         + R"(", "expires_at": )" + QByteArray::number(inAnHour) + ".5}")
        && writeFile(folder.filePath(u"config/gh/hosts.yml"_s),
                     "github.com:\n    user: octocat\n    oauth_token: " + gitHubToken + "\n    git_protocol: https\n");
}
