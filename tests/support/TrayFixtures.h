#pragma once

#include "TemporaryHome.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

class FakeHttpServer;
class FakePanel;
class StatusItemProbe;

// What the tray program's end-to-end test and benchmark share, and the small files that tests
// of the tray and the sign-in write: scripts standing in for a terminal, and their records.

inline const QByteArray codexUsagePath = "/backend-api/wham/usage";
inline const QByteArray claudeUsagePath = "/api/oauth/usage";
inline const QByteArray signedInCodexAuth
    = R"({"tokens": {"access_token": "fake-codex-token", "account_id": "acct"}})";

// Both answers have their windows half run. Codex: 5h 40% used, weekly 63% used (unless told
// otherwise). Claude: 5h 20% used, weekly 80% used (unless told otherwise).
QByteArray codexUsage(qint64 now, double weeklyUsed = 63, qint64 weeklySecondsLeft = 302400);
QByteArray claudeUsage(qint64 now, double weeklyUsed = 80);
// Answers both usage paths on the server, timed from now.
void serveUsage(FakeHttpServer &server);

// The environment in which the test build of the tray program asks the server for usage and
// keeps its files below home: Codex's in home/codex, its settings in home/config/tidemarker,
// Claude's token given in the environment, the history in home/.local/state.
// Pace alerts are off. The platform is the X display's, not the caller's offscreen one.
QProcessEnvironment trayProgramEnvironment(const QString &home, const FakeHttpServer &server);

// Starts the program in the environment where the panel runs (starting the panel), and reads
// its item as the panel does; null when the item is not registered within 20 seconds.
std::unique_ptr<StatusItemProbe> startUnderPanel(QProcess &program, const QString &programPath,
                                                 const QProcessEnvironment &environment, FakePanel &panel);

// One request ten minutes ago in the project's folder, as each assistant logs it; the
// Claude request's id is its own.
QByteArray claudeLog(const QString &project, const QString &requestId = QStringLiteral("r1"));
QByteArray codexLog(const QString &project);

// A shell script with the given body, made executable.
bool writeScript(const QString &path, const QString &body);
// A program that appends its arguments, one a line, to the file record.
bool writeRecorder(const QString &path, const QString &record);
// Empty when the file cannot be read.
QString readFile(const QString &path);
