#include "LogIndexer.h"

#include "HistoryConnection.h"
#include "LogLineReader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Kept short, so that the history's own writer never waits long for the file.
constexpr qint64 bytesPerTransaction = qint64(4) << 20;
// What tells a file replaced by another from one that grew.
constexpr qint64 headBytes = 4096;

qint64 cutoffSeconds()
{
    return QDateTime::currentSecsSinceEpoch() - qint64(LogIndexer::retentionDays) * 86400;
}

bool isCompressed(const QString &path)
{
    return path.endsWith(u".zst"_s);
}

QByteArray headDigest(QFile &file, qint64 offset)
{
    if (!file.seek(0))
        return {};
    return QCryptographicHash::hash(file.read(std::min(offset, headBytes)), QCryptographicHash::Sha1);
}

// Claude keeps a project's sessions in a folder named after it: the project of lines that name none.
QString folderProject(const LogFolder &folder, const QString &path)
{
    return QDir(folder.path).relativeFilePath(path).section(u'/', 0, 0);
}

} // namespace

LogIndexer::LogIndexer(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_path(databasePath)
{
}

LogIndexer::~LogIndexer() = default;

bool LogIndexer::open()
{
    if (m_off || m_connection)
        return !m_off;
    m_connection = std::make_unique<HistoryConnection>(m_path, HistoryConnection::Mode::readWrite);
    // A history that could not be opened or brought up to date has said why already.
    if (m_connection->error() || m_connection->version() < HistoryConnection::schemaVersion) {
        m_connection.reset();
        m_off = true;
        return false;
    }
    // As the history's writer does: in WAL mode a crash may lose the last commit, never the file.
    if (const auto error = m_connection->execute({u"PRAGMA synchronous = NORMAL"_s})) {
        sayOff(m_connection->describe(*error));
        return false;
    }
    m_index = std::make_unique<BreakdownIndex>(*m_connection);
    return true;
}

void LogIndexer::scan(const QList<LogFolder> &folders)
{
    if (open()) {
        if (m_pruned != QDate::currentDate()) {
            if (const auto error = m_index->prune(cutoffSeconds()))
                sayOff(m_connection->describe(*error));
            m_pruned = QDate::currentDate();
        }
        QList<Candidate> changed = changedFiles(folders);
        m_totalBytes = 0;
        m_doneBytes = 0;
        m_percent = -1;
        for (const Candidate &candidate : std::as_const(changed))
            m_totalBytes += candidate.found.size - (candidate.fromStart ? 0 : candidate.stored.offset);
        for (qsizetype i = 0; i < changed.size() && m_index; ++i) {
            if (const std::optional<QString> fault = read(changed[i]))
                sayOnce(changed[i].path, *fault);
        }
    }
    Q_EMIT scanned();
}

QList<LogIndexer::Candidate> LogIndexer::changedFiles(const QList<LogFolder> &folders)
{
    QList<Candidate> changed;
    for (const LogFolder &folder : folders) {
        const QString root = QFileInfo(folder.path).canonicalFilePath();
        QHash<QString, LogFileState> stored;
        if (root.isEmpty() || !m_index)
            continue;
        if (const auto error = m_index->loadFiles(folder, stored)) {
            sayOff(m_connection->describe(*error));
            break;
        }
        QSet<QString> seen;
        QDirIterator entries(folder.path, {u"*.jsonl"_s, u"*.jsonl.zst"_s},
                             QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            QString path = entries.next();
            if (entries.fileInfo().isSymLink()) {
                path = entries.fileInfo().canonicalFilePath();
                if (path.isEmpty())
                    continue;
                if (!path.startsWith(root + u'/')) {
                    sayOnce(entries.filePath(), u"links out of "_s + folder.path + u", not followed"_s);
                    continue;
                }
            }
            if (seen.contains(path))
                continue;
            seen.insert(path);
            addIfChanged(folder, path, stored, changed);
        }
    }
    return changed;
}

void LogIndexer::addIfChanged(const LogFolder &folder, const QString &path,
                              const QHash<QString, LogFileState> &stored, QList<Candidate> &changed)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        sayOnce(path, u"cannot be read ("_s + QString::fromLocal8Bit(std::strerror(errno)) + u"), skipped"_s);
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        sayOnce(path, u"is no regular file (a FIFO or a device), skipped"_s);
        return;
    }
    const qint64 modifiedMs = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
    if (modifiedMs / 1000 < cutoffSeconds())
        return;
    const LogFileState last = stored.value(path);
    LogFileState found = last;
    found.size = status.st_size;
    found.modifiedMs = modifiedMs;
    found.inode = qint64(status.st_ino);
    if (last.id && last.size == found.size && last.modifiedMs == found.modifiedMs && last.inode == found.inode)
        return;
    const bool fromStart = isCompressed(path) || !last.id || last.inode != found.inode || found.size < last.offset;
    changed.append({folder, path, last, found, fromStart});
}

std::optional<QString> LogIndexer::read(Candidate &candidate)
{
    QFile file(candidate.path);
    if (!file.open(QIODevice::ReadOnly))
        return u"cannot be read ("_s + file.errorString() + u"), skipped"_s;
    if (!candidate.fromStart && headDigest(file, candidate.stored.offset) != candidate.stored.head) {
        m_totalBytes += candidate.stored.offset;
        candidate.fromStart = true;
    }
    if (candidate.fromStart) {
        candidate.found.offset = 0;
        candidate.found.session = {};
    }
    if (const auto error = m_index->begin(candidate.folder, candidate.path, candidate.found, candidate.fromStart)) {
        sayOff(m_connection->describe(*error));
        return std::nullopt;
    }
    const std::optional<QString> fault = readLines(candidate, file);
    LogFileState &state = candidate.found;
    if (fault && isCompressed(candidate.path)) {
        // Abandoned whole, and not tried again until the file changes.
        state.offset = 0;
        if (const auto error = m_index->begin(candidate.folder, candidate.path, state, true))
            sayOff(m_connection->describe(*error));
    }
    state.head = isCompressed(candidate.path) ? QByteArray() : headDigest(file, state.offset);
    if (m_index) {
        if (const auto error = m_index->commit(state))
            sayOff(m_connection->describe(*error));
    }
    return fault;
}

std::optional<QString> LogIndexer::readLines(Candidate &candidate, QFile &file)
{
    LogFileState &state = candidate.found;
    const bool compressed = isCompressed(candidate.path);
    const bool claude = candidate.folder.provider == Provider::claude;
    const QString fallbackProject = folderProject(candidate.folder, candidate.path);
    const qint64 cutoff = cutoffSeconds();
    const qint64 statSize = state.size;
    qsizetype malformed = 0;
    qint64 lastEnd = compressed ? 0 : state.offset;
    qint64 committedAt = lastEnd;
    std::optional<QSqlError> failure;
    const LogLineReader::LineHandler onLine = [&](QByteArrayView line, qint64 end) {
        if (failure)
            return;
        const LineReading reading =
            claude ? LogLineParser::claude(line, fallbackProject) : LogLineParser::codex(line, state.session);
        if (reading.kind == LineReading::Kind::malformed)
            ++malformed;
        else if (reading.kind == LineReading::Kind::usage && reading.entry.time >= cutoff)
            failure = m_index->add(reading.entry);
        if (!compressed) {
            noteProgress(end - lastEnd);
            state.offset = end;
        }
        lastEnd = end;
        if (end - committedAt >= bytesPerTransaction && !failure) {
            committedAt = end;
            // Marked unfinished: after a crash, a plain file goes on from here, a compressed one starts again.
            LogFileState unfinished = state;
            unfinished.size = -1;
            failure = m_index->commit(unfinished);
        }
    };
    const LogLineReader::Result result =
        compressed ? LogLineReader::readCompressed(file, onLine) : LogLineReader::readPlain(file, state.offset, onLine);
    if (compressed)
        noteProgress(statSize);
    if (failure) {
        m_index->rollback();
        sayOff(m_connection->describe(*failure));
        return std::nullopt;
    }
    state.offset = result.offset;
    state.size = statSize;
    const qsizetype skipped = malformed + result.overlongLines;
    // A file abandoned says only that.
    const QDate today = QDate::currentDate();
    if (skipped && !result.error && m_skippedLinesSaid.value(candidate.path) != today) {
        // Only today's are kept: the files said on earlier days may be said again.
        m_skippedLinesSaid.removeIf([today](const auto &said) { return said.value() != today; });
        m_skippedLinesSaid.insert(candidate.path, today);
        std::fprintf(stderr, "tidemarker: %s: %lld line%s skipped: not JSON, or over 1 MiB\n",
                     qUtf8Printable(candidate.path), qlonglong(skipped), skipped == 1 ? "" : "s");
    }
    return result.error;
}

void LogIndexer::noteProgress(qint64 bytes)
{
    m_doneBytes += bytes;
    if (m_totalBytes < progressFromBytes)
        return;
    const int percent = int(std::min<qint64>(100, m_doneBytes * 100 / m_totalBytes));
    if (percent != std::exchange(m_percent, percent))
        Q_EMIT progress(percent);
}

void LogIndexer::sayOnce(const QString &path, const QString &what)
{
    if (m_said.contains(path))
        return;
    m_said.insert(path);
    std::fprintf(stderr, "tidemarker: %s: %s\n", qUtf8Printable(path), qUtf8Printable(what));
}

void LogIndexer::sayOff(const QString &reason)
{
    std::fprintf(stderr, "tidemarker: the assistants' logs are not read for the rest of this run: %s\n",
                 qUtf8Printable(reason));
    m_index.reset();
    m_connection.reset();
    m_off = true;
}
