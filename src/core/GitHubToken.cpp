#include "GitHubToken.h"

#include "ProviderInput.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString host = u"github.com"_s;

std::optional<QString> environmentToken()
{
    for (const char *variable : {"GH_TOKEN", "GITHUB_TOKEN"}) {
        const QString token = qEnvironmentVariable(variable).trimmed();
        if (!token.isEmpty())
            return token;
    }
    return std::nullopt;
}

// gh would print the environment's token whatever folder it is given.
QProcessEnvironment ghEnvironment(const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : {u"GH_TOKEN"_s, u"GITHUB_TOKEN"_s, u"GH_ENTERPRISE_TOKEN"_s,
                                    u"GITHUB_ENTERPRISE_TOKEN"_s, u"GH_HOST"_s})
        environment.remove(variable);
    environment.insert(u"GH_CONFIG_DIR"_s, folder);
    environment.insert(u"GH_PROMPT_DISABLED"_s, u"1"_s);
    return environment;
}

// The child's standard output when it ends well within the deadline and says no more than
// maxBytes; otherwise none, and a child still running is killed.
std::optional<QByteArray> boundedOutput(QProcess &process, QDeadlineTimer deadline, qsizetype maxBytes)
{
    if (!process.waitForStarted(int(deadline.remainingTime())))
        return std::nullopt;
    QByteArray output;
    for (;;) {
        output += readAtMost(process, maxBytes + 1 - output.size());
        if (output.size() > maxBytes || deadline.hasExpired())
            break;
        if (process.state() == QProcess::NotRunning) {
            output += readAtMost(process, maxBytes + 1 - output.size());
            const bool fine = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
            return fine && output.size() <= maxBytes ? std::optional(output) : std::nullopt;
        }
        // No more to read while it runs: gh closed its output, and only its end is left to wait for.
        if (!process.waitForReadyRead(int(deadline.remainingTime())) && process.state() != QProcess::NotRunning)
            process.waitForFinished(int(deadline.remainingTime()));
    }
    process.kill();
    process.waitForFinished(-1);
    return std::nullopt;
}

QString unquoted(QString value)
{
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front();
    return quoted ? value.sliced(1, value.size() - 2) : value;
}

// Each "key: value" line by its path of keys, indentation telling a child from its parent:
// enough for the plain mappings gh writes.
QHash<QStringList, QString> valuesByPath(const QString &text)
{
    static const QRegularExpression entry(
        uR"(^(\s*)("[^"]*"|'[^']*'|[^\s#"'][^:#]*?)\s*:(?:\s+([^#]*?))?\s*(?:\s#.*)?$)"_s);
    QHash<QStringList, QString> values;
    QList<std::pair<qsizetype, QString>> parents; // indentation and key
    for (const QString &line : text.split(u'\n')) {
        const QRegularExpressionMatch found = entry.match(line);
        if (!found.hasMatch())
            continue;
        const qsizetype indent = found.capturedLength(1);
        while (!parents.isEmpty() && parents.last().first >= indent)
            parents.removeLast();
        QStringList path;
        for (const auto &parent : parents)
            path.append(parent.second);
        path.append(unquoted(found.captured(2)));
        const QString value = unquoted(found.captured(3).trimmed());
        if (value.isEmpty())
            parents.append({indent, path.last()});
        else
            values.insert(path, value);
    }
    return values;
}

std::variant<std::optional<QString>, PlainError> fromHostsFile(const QString &folder)
{
    const QString path = QDir(folder).filePath(u"hosts.yml"_s);
    const auto bytes = readSmallFile(path, homeRelative(path));
    if (const auto *error = std::get_if<FileReadError>(&bytes)) {
        if (error->missing)
            return std::nullopt;
        return PlainError(*error);
    }
    return GitHubToken::fromHostsText(QString::fromUtf8(std::get<QByteArray>(bytes)));
}

} // namespace

namespace GitHubToken {

QString defaultFolder()
{
    const QString configured = qEnvironmentVariable("GH_CONFIG_DIR");
    if (!configured.isEmpty())
        return configured;
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir(configHome.isEmpty() ? QDir::home().filePath(u".config"_s) : configHome).filePath(u"gh"_s);
}

std::variant<std::optional<QString>, PlainError> find(const Account &account)
{
    if (account.first) {
        if (const auto token = environmentToken())
            return token;
    }
    const QString folder = account.folder.isEmpty() ? defaultFolder() : account.folder;
    if (const auto token = fromGh(folder))
        return token;
    return fromHostsFile(folder);
}

std::optional<QString> fromGh(const QString &folder)
{
    const QString program = QStandardPaths::findExecutable(u"gh"_s);
    if (program.isEmpty())
        return std::nullopt;
    QProcess gh;
    gh.setProcessEnvironment(ghEnvironment(folder));
    gh.setStandardInputFile(QProcess::nullDevice());
    gh.setStandardErrorFile(QProcess::nullDevice());
    gh.start(program, {u"auth"_s, u"token"_s, u"--hostname"_s, host});
    const auto output = boundedOutput(gh, QDeadlineTimer(ghTimeout), maxGhOutputBytes);
    if (!output)
        return std::nullopt;
    const QString token = QString::fromUtf8(*output).section(u'\n', 0, 0).trimmed();
    return token.isEmpty() ? std::nullopt : std::optional(token);
}

std::optional<QString> fromHostsText(const QString &text)
{
    const QHash<QStringList, QString> values = valuesByPath(text);
    QString token = values.value({host, u"oauth_token"_s});
    const QString user = values.value({host, u"user"_s});
    if (token.isEmpty() && !user.isEmpty())
        token = values.value({host, u"users"_s, user, u"oauth_token"_s});
    return token.isEmpty() ? std::nullopt : std::optional(token);
}

} // namespace GitHubToken
