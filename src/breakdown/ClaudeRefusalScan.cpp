#include "ClaudeRefusalScan.h"

#include "LogFolder.h"
#include "LogLineParser.h"
#include "LogLineReader.h"

#include <QDirIterator>
#include <QFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ClaudeRefusalScan {

namespace {

// A later outcome replaces an earlier one; of two at the same moment the last read counts.
void keepNewer(std::optional<ClaudeOutcome> &newest, const ClaudeOutcome &outcome, const QDateTime &since)
{
    if (outcome.kind != ClaudeOutcome::Kind::none && outcome.at >= since && (!newest || outcome.at >= newest->at))
        newest = outcome;
}

void readTail(const QString &path, const QDateTime &since, std::optional<ClaudeOutcome> &newest)
{
    QFile file(path);
    if (LogLineReader::open(file))
        return; // gone since it was listed, or no regular file
    // The first line read is likely cut at its start: it then parses as nothing.
    const qint64 start = std::max<qint64>(0, file.size() - tailBytes);
    LogLineReader::readPlain(file, start, [&newest, &since](QByteArrayView line, qint64) {
        keepNewer(newest, LogLineParser::claudeOutcome(line), since);
        return true;
    });
}

} // namespace

std::optional<LoggedRefusal> newest(Account account, QDateTime now)
{
    const QDateTime since = now.addSecs(-lookBackSeconds);
    std::optional<ClaudeOutcome> found;
    for (const LogFolder &folder : LogFolder::of({account})) {
        QDirIterator projects(folder.path, QDir::Dirs | QDir::NoDotAndDotDot);
        while (projects.hasNext()) {
            QDirIterator sessions(projects.next(), {u"*.jsonl"_s}, QDir::Files);
            while (sessions.hasNext()) {
                const QString path = sessions.next();
                if (sessions.fileInfo().lastModified() >= since)
                    readTail(path, since, found);
            }
        }
    }
    if (!found || found->kind != ClaudeOutcome::Kind::refused)
        return std::nullopt;
    return LoggedRefusal{found->text, found->at};
}

} // namespace ClaudeRefusalScan
