#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

class FakeHttpServer;

// z.ai, Kimi Code and Copilot as the tray program's end-to-end tests serve them on the loopback:
// their paths, the secrets each signs in with, and answers with their windows half run.

inline const QByteArray kimiPath = "/coding/v1/usages";
inline const QByteArray copilotPath = "/copilot_internal/user";
inline const QByteArray zaiPath = "/api/monitor/usage/quota/limit";
inline const QByteArray zaiKey = "zai-secret-key.abc";
inline const QByteArray kimiToken = "kimi-secret-access";
inline const QByteArray kimiRefreshToken = "kimi-secret-refresh";
inline const QByteArray gitHubToken = "gho_secret-github";
inline const QString kimiCredentials = QStringLiteral(".kimi-code/credentials/kimi-code.json"); // below home

// Kimi: weekly 70% used, 5h 10% used, counts as text. z.ai: the same as percentages of its two
// model windows. Copilot: its month 62% left.
QByteArray kimiAnswer();
QByteArray zaiAnswer();
QByteArray copilotAnswer();
// Serves all three answers.
void serveMoreProviders(FakeHttpServer &server);

// The environment with all three asked at the server: z.ai's key in $ZAI_API_KEY (no keyring),
// no GitHub token or folder of the caller's.
void askMoreProvidersAt(QProcessEnvironment &environment, const FakeHttpServer &server);
// Kimi's credential file and gh's hosts.yml below home, as each CLI leaves them.
bool signInMoreProviders(const QString &home);
