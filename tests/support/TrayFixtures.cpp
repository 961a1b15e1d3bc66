#include "TrayFixtures.h"

#include "FakeHttpServer.h"
#include "FakePanel.h"
#include "StatusItemProbe.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray codexUsage(qint64 now, double weeklyUsed, qint64 weeklySecondsLeft)
{
    const auto window = [now](double used, qint64 secondsLeft, double length) {
        return QJsonObject{{u"used_percent"_s, used}, {u"reset_at"_s, double(now + secondsLeft)},
                           {u"limit_window_seconds"_s, length}};
    };
    return json({{u"rate_limit"_s, QJsonObject{{u"primary_window"_s, window(40, 9000, 18000)},
                                               {u"secondary_window"_s, window(weeklyUsed, weeklySecondsLeft, 604800)}}}});
}

QByteArray claudeUsage(qint64 now, double weeklyUsed)
{
    return json({{u"five_hour"_s, QJsonObject{{u"utilization"_s, 20}, {u"resets_at"_s, double(now + 9000)}}},
                 {u"seven_day"_s, QJsonObject{{u"utilization"_s, weeklyUsed}, {u"resets_at"_s, double(now + 302400)}}}});
}

void serveUsage(FakeHttpServer &server)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    server.respond(codexUsagePath, FakeResponse::json(codexUsage(now)));
    server.respond(claudeUsagePath, FakeResponse::json(claudeUsage(now)));
}

QProcessEnvironment trayProgramEnvironment(const QString &home, const FakeHttpServer &server)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"QT_QPA_PLATFORM"_s);
    // Without it Qt has something to say on standard error, which the program must keep quiet.
    environment.remove(u"XDG_RUNTIME_DIR"_s);
    environment.insert(u"HOME"_s, home);
    environment.remove(u"XDG_STATE_HOME"_s); // the history goes below home too
    environment.insert(u"XDG_CONFIG_HOME"_s, home + u"/config"_s);
    environment.insert(u"CODEX_HOME"_s, home + u"/codex"_s);
    environment.insert(u"CLAUDE_CODE_OAUTH_TOKEN"_s, u"fake-claude-token"_s);
    environment.insert(u"TIDEMARKER_CLAUDE_USAGE_URL"_s,
                       server.url(QString::fromLatin1(claudeUsagePath)).toString());
    environment.insert(u"TIDEMARKER_E2E_CODEX_URL"_s,
                       server.url(QString::fromLatin1(codexUsagePath)).toString());
    // The served Claude weekly window runs ahead of pace: only tests of alerts want its bubble.
    environment.insert(u"TIDEMARKER_NOTIFY"_s, u"0"_s);
    return environment;
}

std::unique_ptr<StatusItemProbe> startUnderPanel(QProcess &program, const QString &programPath,
                                                 const QProcessEnvironment &environment, FakePanel &panel)
{
    if (!panel.start())
        return nullptr;
    QSignalSpy registered(&panel, &FakePanel::StatusNotifierItemRegistered);
    program.setProcessEnvironment(environment);
    program.start(programPath, {});
    if (!registered.wait(20000))
        return nullptr;
    return std::make_unique<StatusItemProbe>(registered.first().first().toString());
}

QByteArray claudeLog(const QString &project, const QString &requestId)
{
    return u"{\"timestamp\":\"%1\",\"cwd\":\"%2\",\"requestId\":\"%3\",\"message\":{\"id\":\"m-%3\","
           "\"model\":\"claude-sonnet-4-5\",\"usage\":{\"input_tokens\":10,\"output_tokens\":100}}}\n"_s
        .arg(QDateTime::currentDateTimeUtc().addSecs(-600).toString(Qt::ISODate), project, requestId)
        .toUtf8();
}

QByteArray codexLog(const QString &project)
{
    const QString time = QDateTime::currentDateTimeUtc().addSecs(-600).toString(Qt::ISODate);
    return u"{\"timestamp\":\"%1\",\"type\":\"turn_context\",\"payload\":{\"cwd\":\"%2\",\"model\":\"gpt-5.2-codex\"}}\n"
           "{\"timestamp\":\"%1\",\"type\":\"event_msg\",\"payload\":{\"type\":\"token_count\",\"info\":"
           "{\"last_token_usage\":{\"input_tokens\":100,\"cached_input_tokens\":0,\"output_tokens\":10}}}}\n"_s
        .arg(time, project)
        .toUtf8();
}

bool writeScript(const QString &path, const QString &body)
{
    return writeFile(path, (u"#!/bin/sh\n"_s + body).toUtf8())
        && QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

bool writeRecorder(const QString &path, const QString &record)
{
    return writeScript(path, u"printf '%s\\n' \"$@\" >> '%1'\n"_s.arg(record));
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
