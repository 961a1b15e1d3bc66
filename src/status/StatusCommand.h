#pragma once

#include "HistoryExport.h"
#include "StatusFormat.h"

#include <QCoroTask>

class LineOutput;
class TidemarkerBusClient;

// tidemarker-status: prints the running Tidemarker's snapshot once, or on every change with
// --follow; asks for a refresh first with --refresh; fetches once itself with --fetch when
// Tidemarker is not running, the accounts its settings file lists; prints where the current
// windows' usage went with --breakdown.
class StatusCommand
{
public:
    struct Options {
        OutputFormat format = OutputFormat::text;
        bool follow = false;
        bool refresh = false;
        bool fetch = false;
        std::optional<HistoryExport::Request> history{};
        bool breakdown = false;
        QString account{}; // only the account of this label; empty: every account
    };

    static int run(int argc, char **argv);

private:
    StatusCommand(const Options &options, TidemarkerBusClient &client, LineOutput &output);

    QCoro::Task<void> runToExit();
    QCoro::Task<int> printOnce();
    QCoro::Task<int> follow();
    QCoro::Task<void> printCurrent();
    QCoro::Task<int> fetchDirectly();
    QCoro::Task<int> printBreakdown();
    bool print(const QByteArray &published);
    void printUnavailable(const QString &reason);

    Options m_options;
    TidemarkerBusClient &m_client;
    LineOutput &m_output;
};
