#include "ProviderTraits.h"

#include "ClaudeUsageClient.h"
#include "CodexEndpoint.h"
#include "CodexUsageClient.h"
#include "CopilotUsageClient.h"
#include "GitHubToken.h"
#include "KimiUsageClient.h"
#include "ProviderInput.h"
#include "RequestSpacing.h"
#include "StoredText.h"
#include "ZaiUsageClient.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString codexFolder()
{
    return folderFromEnvironment("CODEX_HOME", u".codex"_s);
}

QString claudeFolder()
{
    return folderFromEnvironment("CLAUDE_CONFIG_DIR", u".claude"_s);
}

// The client lives in the coroutine's frame for as long as its request runs.
template <typename Client>
QCoro::Task<ProviderResult> ask(Account account, QDateTime now)
{
    const Client client(account);
    co_return co_await client.result(now);
}

QCoro::Task<ProviderResult> askCodex(Account account, QDateTime now)
{
    const CodexUsageClient client(codexUsageUrl(), account.folder);
    co_return co_await client.result(now);
}

const QList<ProviderTraits> &registry()
{
    using Credential = ProviderTraits::Credential;
    using Logs = ProviderTraits::Logs;
    // One entry a provider, in the order the menu and the snapshot list them.
    static const QList<ProviderTraits> providers{
        {.provider = Provider::codex, .rawValue = u"codex"_s, .displayName = u"Codex"_s, .colour = 0x29D1D6,
         .chartHues = {183, 228, 140, 275}, .defaultFolder = codexFolder, .folderVariable = u"CODEX_HOME"_s,
         .signInCommand = u"codex login"_s, .credentialFile = u"auth.json"_s, .shownByDefault = true,
         .logs = Logs::codex, .fetch = askCodex},
        {.provider = Provider::claude, .rawValue = u"claude"_s, .displayName = u"Claude"_s, .colour = 0xFF8C57,
         .chartHues = {19, 330, 50, 285}, .hollowHands = true, .defaultFolder = claudeFolder,
         .folderVariable = u"CLAUDE_CONFIG_DIR"_s, .signInCommand = u"claude auth login"_s,
         .credentialFile = u".credentials.json"_s, .spaced = true, .minimumInterval = RequestSpacing::claudeInterval,
         .shownByDefault = true, .logs = Logs::claudeCode, .fetch = ask<ClaudeUsageClient>},
        {.provider = Provider::zai, .rawValue = u"zai"_s, .displayName = u"z.ai"_s, .colour = 0x9E80FF,
         .chartHues = {254, 300, 215, 160}, .credential = Credential::key, .defaultFolder = ZaiUsageClient::defaultFolder,
         .folderVariable = u"ZAI_API_KEY"_s, .spaced = true, .transcriptModels = {u"glm-"_s},
         .fetch = ZaiUsageClient::fetch},
        {.provider = Provider::kimi, .rawValue = u"kimi"_s, .displayName = u"Kimi Code"_s, .colour = 0x66CC59,
         .chartHues = {113, 165, 60, 215}, .hollowHands = true, .defaultFolder = KimiUsageClient::defaultFolder,
         .folderVariable = u"KIMI_CODE_HOME"_s, .signInCommand = u"kimi login"_s,
         .credentialFile = u"credentials/kimi-code.json"_s, .spaced = true, .transcriptModels = {u"kimi-"_s},
         .fetch = ask<KimiUsageClient>},
        {.provider = Provider::copilot, .rawValue = u"copilot"_s, .displayName = u"Copilot"_s, .colour = 0xED66B8,
         .chartHues = {324, 15, 265, 200}, .defaultFolder = GitHubToken::defaultFolder,
         .folderVariable = u"GH_CONFIG_DIR"_s, .signInCommand = u"gh auth login"_s, .credentialFile = u"hosts.yml"_s,
         .spaced = true, .fetch = ask<CopilotUsageClient>},
    };
    return providers;
}

} // namespace

const QList<Provider> &ProviderTraits::all()
{
    static const QList<Provider> providers = [] {
        QList<Provider> list;
        for (const ProviderTraits &traits : registry())
            list.append(traits.provider);
        return list;
    }();
    return providers;
}

const ProviderTraits &ProviderTraits::of(Provider provider)
{
    const QList<ProviderTraits> &providers = registry();
    return *std::ranges::find(providers, provider, &ProviderTraits::provider);
}

QList<Provider> ProviderTraits::shownByDefaultList()
{
    QList<Provider> shown;
    for (const ProviderTraits &traits : registry()) {
        if (traits.shownByDefault)
            shown.append(traits.provider);
    }
    return shown;
}
