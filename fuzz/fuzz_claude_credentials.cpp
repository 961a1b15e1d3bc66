// Claude's token file lines and Claude Code's credential record, read from real files.
#include "ClaudeUsageClient.h"
#include "FuzzChecks.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// The token file and the record live here; nothing else is looked at.
const QTemporaryDir &home()
{
    static const QTemporaryDir dir;
    return dir;
}

// A new file each time: ext4 flushes a file truncated in place to disk when it is closed.
void write(const QString &path, const QByteArray &content)
{
    QFile::remove(path);
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(content) == content.size(),
            "cannot write the fuzz input");
}

void requireTrimmedToken(const QString &token)
{
    require(!token.isEmpty(), "an empty token");
    require(token == token.trimmed(), "an untrimmed token");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qunsetenv("CLAUDE_CODE_OAUTH_TOKEN");
    qputenv("CLAUDE_CONFIG_DIR", QFile::encodeName(home().path()));
    qputenv("TIDEMARKER_CLAUDE_TOKEN_FILE", QFile::encodeName(home().filePath(u"claude-token"_s)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = inputWithSecret(data, size);
    const QString tokenFile = home().filePath(u"claude-token"_s);
    const QString record = home().filePath(u".credentials.json"_s);

    write(tokenFile, input);
    const auto fileToken = ClaudeUsageClient::tokenFromFile();
    if (const auto *error = std::get_if<PlainError>(&fileToken)) {
        requireNoSecret(error->description);
    } else if (const auto &token = std::get<std::optional<QString>>(fileToken)) {
        static const QRegularExpression lineBreak(u"[\\n\\r\\x{0B}\\x{0C}\\x{85}\\x{2028}\\x{2029}]"_s);
        requireTrimmedToken(*token);
        require(!token->contains(lineBreak), "a token file line with a line break");
        require(!token->startsWith(u'#'), "a comment taken for a token");
    }

    QFile::remove(tokenFile); // the record is read only when there is no token file
    write(record, input);
    const auto loaded = ClaudeUsageClient::loadCredential();
    if (const auto *credential = std::get_if<ClaudeCredential>(&loaded)) {
        // Inner line breaks are left to the request, which refuses them.
        requireTrimmedToken(credential->accessToken);
        if (credential->expiresAt)
            requireUtc(*credential->expiresAt);
    } else {
        requireNoSecret(ClaudeUsageClient::describe(std::get<ClaudeFailure>(loaded)));
    }
    return 0;
}
