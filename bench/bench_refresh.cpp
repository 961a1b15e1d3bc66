// Refresh wall time over the endpoints' delay: near 1 when both fetches overlap, near 2 when
// they run one after the other. build/bench/bench_refresh [delay-ms] [rounds]
#include "ClaudeUsageClient.h"
#include "CodexUsageClient.h"
#include "FakeHttpServer.h"
#include "TemporaryHome.h"
#include "UsageStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int delayMs = argc > 1 ? QByteArray(argv[1]).toInt() : 300;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 10;

    TemporaryHome home({"CODEX_HOME", "TIDEMARKER_CLAUDE_TOKEN_FILE", "CLAUDE_CONFIG_DIR"});
    home.write(u".codex/auth.json"_s, R"({"tokens": {"access_token": "codex-token"}})");
    qputenv("CLAUDE_CODE_OAUTH_TOKEN", "claude-token");

    FakeHttpServer server;
    if (!server.listen())
        return 1;
    FakeResponse codex = FakeResponse::json(R"({"rate_limit": {"primary_window":
        {"used_percent": 10, "reset_at": 1796000000, "limit_window_seconds": 18000}}})");
    FakeResponse claude = FakeResponse::json(R"({"five_hour": {"utilization": 20}})");
    codex.delayMs = claude.delayMs = delayMs;
    server.respond("/codex", codex);
    server.respond("/claude", claude);
    qputenv("TIDEMARKER_CLAUDE_USAGE_URL", server.url(u"/claude"_s).toEncoded());

    double total = 0;
    for (int round = 0; round < rounds; ++round) {
        // A new store each round, so that its Claude gate is open.
        UsageStore store({[] { return QDateTime::currentDateTimeUtc(); }},
                         [client = CodexUsageClient(server.url(u"/codex"_s))](QDateTime now) { return client.result(now); },
                         [client = ClaudeUsageClient()](QDateTime now) { return client.result(now); });
        QElapsedTimer timer;
        timer.start();
        QCoro::waitFor(store.refresh());
        total += double(timer.nsecsElapsed()) / 1e6;
        if (!store.status().result(Provider::claude)->ok || !store.status().result(Provider::codex)->ok)
            return 1;
    }
    const double mean = total / rounds;
    std::printf("refresh: %.1f ms mean over %d rounds with both endpoints answering after %d ms; ratio %.2f\n",
                mean, rounds, delayMs, mean / delayMs);
    return 0;
}
