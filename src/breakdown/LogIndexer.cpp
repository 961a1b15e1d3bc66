#include "LogIndexer.h"

#include "LogLineReader.h"
#include "OutsideText.h"
#include "ProviderTraits.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A transaction ends at this many bytes read, or at the requests its writer takes some 25 ms for:
// the history's own writer never waits long for the file. Fewer, larger ones write each page of
// the requests' index fewer times.
constexpr qint64 bytesPerBatch = qint64(16) << 20;
constexpr qsizetype fewestRequests = 16;
constexpr qsizetype mostRequests = 8192;
constexpr std::chrono::milliseconds batchTime{25};
// What tells a file replaced by another from one that grew.
constexpr qint64 headBytes = 4096;

constexpr qint64 retentionSeconds = qint64(LogIndexer::retentionDays) * 86400;
constexpr std::chrono::hours prunePeriod{24};

bool isCompressed(const QString &path)
{
    return path.endsWith(u".zst"_s);
}

// Read at its own place, so that a reading under way goes on where it was.
QByteArray headDigest(QFile &file, qint64 offset)
{
    QByteArray head(std::min(offset, headBytes), Qt::Uninitialized);
    const ssize_t got = ::pread(file.handle(), head.data(), size_t(head.size()), 0);
    if (got < 0)
        return {};
    head.truncate(got);
    return QCryptographicHash::hash(head, QCryptographicHash::Sha1);
}

// Claude keeps a project's sessions in a folder named after it: the project of lines that name none.
QString folderProject(const LogFolder &folder, const QString &path)
{
    return QDir(folder.path).relativeFilePath(path).section(u'/', 0, 0);
}

// A Codex rollout keeps its name when compressed or archived: what tells its requests apart from another's.
QString rolloutName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.left(name.indexOf(u".jsonl"_s));
}

} // namespace

LogIndexer::LogIndexer(std::shared_ptr<IndexWriter> writer, std::function<qint64()> wallClock, QObject *parent)
    : QObject(parent)
    , m_writer(std::move(writer))
    , m_wallClock(std::move(wallClock))
    , m_batchRequests(256)
{
}

LogIndexer::~LogIndexer() = default;

// How long the work took, once done; nothing once the writer is stopped, or the reading off.
std::optional<std::chrono::microseconds> LogIndexer::write(const IndexWriter::Work &work)
{
    if (m_off)
        return std::nullopt;
    const IndexWriter::Outcome outcome = m_writer->run(work);
    if (outcome.kind == IndexWriter::Outcome::Kind::off) {
        if (!outcome.reason.isEmpty())
            sayOff(outcome.reason);
        m_off = true;
    }
    if (outcome.kind != IndexWriter::Outcome::Kind::done)
        return std::nullopt;
    return outcome.took;
}

// The newest count in the index, read once: what the cutoff follows.
bool LogIndexer::knowNewest()
{
    if (m_newest)
        return true;
    qint64 newest = 0;
    const IndexWriter::Work read = [&newest](BreakdownIndex &index) { return index.newestCounted(newest); };
    if (!write(read))
        return false;
    m_newest = newest;
    return true;
}

// No clock is trusted to delete: counts go once they are the retention older than both the clock
// and the newest counted, and while this runs that limit moves on no faster than time passes. An
// index without counts goes by the newest file instead, so that a clock ahead of the logs still
// finds their last days.
void LogIndexer::moveCutoff(qint64 newestModified)
{
    const qint64 newest = *m_newest > 0 ? *m_newest : newestModified;
    const qint64 now = m_wallClock();
    qint64 cutoff = (newest > 0 ? std::min(now, newest) : now) - retentionSeconds;
    const ContinuousClock::time_point at = ContinuousClock::now();
    if (m_lastCutoff)
        cutoff = std::min(cutoff, m_lastCutoff->seconds
                              + std::chrono::duration_cast<std::chrono::seconds>(at - m_lastCutoff->at).count());
    m_lastCutoff = Cutoff{cutoff, at};
}

void LogIndexer::scan(const QList<LogFolder> &folders)
{
    if (!knowNewest()) {
        m_writer->rest();
        Q_EMIT scanned();
        return;
    }
    const QList<ListedFolder> listed = listFiles(folders);
    qint64 newestModified = 0;
    for (const ListedFolder &folder : listed) {
        for (const auto &[path, file] : folder.files)
            newestModified = std::max(newestModified, file.modifiedMs / 1000);
    }
    moveCutoff(newestModified);
    const ContinuousClock::time_point now = ContinuousClock::now();
    if (!m_prunedAt || now - *m_prunedAt >= prunePeriod) {
        const qint64 cutoff = m_lastCutoff->seconds;
        const IndexWriter::Work prune = [cutoff](BreakdownIndex &index) { return index.prune(cutoff); };
        if (write(prune))
            m_prunedAt = now;
    }
    QList<Candidate> changed = changedFiles(listed);
    m_totalBytes = 0;
    m_doneBytes = 0;
    m_percent = -1;
    for (const Candidate &candidate : std::as_const(changed))
        m_totalBytes += candidate.found.size - (candidate.fromStart ? 0 : candidate.stored.offset);
    for (qsizetype i = 0; i < changed.size() && !m_off && !m_writer->isStopped(); ++i) {
        if (const std::optional<QString> fault = read(changed[i]))
            sayOnce(changed[i].path, *fault);
    }
    if (!m_kept.isEmpty() && !m_off && !m_writer->isStopped())
        handOver(nullptr);
    // What a stop left unwritten is read again next time.
    m_kept = {};
    m_writer->rest();
    Q_EMIT scanned();
}

// A folder that cannot be listed, or a root that is no folder, is said once; one that is not
// there is an assistant not in use.
bool LogIndexer::isReadableFolder(const QString &path, bool root)
{
    const QFileInfo folder(path);
    if (root && !folder.exists())
        return false;
    if (!folder.isDir()) {
        sayOnce(path, u"is no folder, not read"_s);
        return false;
    }
    if (::access(QFile::encodeName(path).constData(), R_OK | X_OK) != 0) {
        sayOnce(path, LogLineReader::cannotBeRead(errno));
        return false;
    }
    return true;
}

// The log files below each folder as they are now, before the index is asked about them.
QList<LogIndexer::ListedFolder> LogIndexer::listFiles(const QList<LogFolder> &folders)
{
    QList<ListedFolder> listed;
    for (const LogFolder &folder : folders) {
        const QString root = QFileInfo(folder.path).canonicalFilePath();
        if (root.isEmpty() || !isReadableFolder(folder.path, true))
            continue;
        listed.append({folder, {}});
        QSet<QString> seen;
        // The folders are listed too, only to say which cannot be read.
        QDirIterator entries(folder.path, {u"*.jsonl"_s, u"*.jsonl.zst"_s},
                             QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (entries.hasNext() && !m_writer->isStopped()) {
            QString path = entries.next();
            if (entries.fileInfo().isDir()) {
                if (!entries.fileInfo().isSymLink())
                    isReadableFolder(path, false);
                continue;
            }
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
            struct stat status;
            if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
                sayOnce(path, LogLineReader::cannotBeRead(errno));
                continue;
            }
            LogFileState found;
            found.size = status.st_size;
            found.modifiedMs = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
            found.inode = qint64(status.st_ino);
            listed.last().files.append({path, found});
        }
    }
    return listed;
}

QList<LogIndexer::Candidate> LogIndexer::changedFiles(const QList<ListedFolder> &listed)
{
    QList<Candidate> changed;
    for (const ListedFolder &folder : listed) {
        QHash<QString, LogFileState> stored;
        const IndexWriter::Work load = [&folder, &stored](BreakdownIndex &index) {
            stored.clear();
            return index.loadFiles(folder.folder, stored);
        };
        if (!write(load))
            break;
        for (const auto &[path, now] : folder.files)
            addIfChanged(folder.folder, path, now, stored, changed);
    }
    return changed;
}

void LogIndexer::addIfChanged(const LogFolder &folder, const QString &path, const LogFileState &now,
                              const QHash<QString, LogFileState> &stored, QList<Candidate> &changed)
{
    if (now.modifiedMs / 1000 < m_lastCutoff->seconds)
        return;
    const LogFileState last = stored.value(path);
    LogFileState found = last;
    found.size = now.size;
    found.modifiedMs = now.modifiedMs;
    found.inode = now.inode;
    if (last.id && last.size == found.size && last.modifiedMs == found.modifiedMs && last.inode == found.inode)
        return;
    const bool fromStart = isCompressed(path) || !last.id || last.inode != found.inode || found.size < last.offset;
    changed.append({folder, path, last, found, fromStart});
}

std::optional<QString> LogIndexer::read(Candidate &candidate)
{
    QFile file(candidate.path);
    if (const std::optional<QString> fault = LogLineReader::open(file))
        return fault;
    if (!candidate.fromStart && headDigest(file, candidate.stored.offset) != candidate.stored.head) {
        m_totalBytes += candidate.stored.offset;
        candidate.fromStart = true;
    }
    if (candidate.fromStart) {
        candidate.found.offset = 0;
        candidate.found.session = {};
    }
    return readLines(candidate, file);
}

// Hands the batches kept and the current one, if any, to the writer in one transaction, and
// starts the next one after it; false when reading is to stop.
bool LogIndexer::handOver(IndexBatch *current)
{
    QList<IndexBatch *> batches;
    for (IndexBatch &kept : m_kept)
        batches.append(&kept);
    if (current)
        batches.append(current);
    const IndexWriter::Work work = [&batches](BreakdownIndex &index) { return index.write(batches); };
    const std::optional<std::chrono::microseconds> took = write(work);
    if (!took)
        return false;
    qsizetype requests = 0;
    for (const IndexBatch *batch : std::as_const(batches))
        requests += std::ranges::count_if(batch->entries, [](const LogEntry &entry) { return !entry.requestKey.isEmpty(); });
    // Requests looked up one by one are what takes the writer's time: as many next time as fit its share.
    if (requests >= fewestRequests && took->count() > 0)
        m_batchRequests = std::clamp<qsizetype>(requests * batchTime / *took, fewestRequests, mostRequests);
    m_kept.clear();
    m_keptBytes = 0;
    m_keptRequests = 0;
    if (current) {
        current->first = false;
        current->entries.clear();
    }
    return true;
}

// A file's last batch waits for the next files', so that many small files take one transaction.
bool LogIndexer::keep(IndexBatch &&batch, qint64 bytes, qsizetype requests)
{
    m_kept.append(std::move(batch));
    m_keptBytes += bytes;
    m_keptRequests += requests;
    return isBatchOpen(0, 0) || handOver(nullptr);
}

bool LogIndexer::isBatchOpen(qint64 bytes, qsizetype requests) const
{
    return m_keptBytes + bytes < bytesPerBatch && m_keptRequests + requests < m_batchRequests;
}

std::optional<QString> LogIndexer::readLines(Candidate &candidate, QFile &file)
{
    LogFileState &state = candidate.found;
    const bool compressed = isCompressed(candidate.path);
    const bool claude = ProviderTraits::of(candidate.folder.provider).logs == ProviderTraits::Logs::claudeCode;
    const QString fallbackProject = folderProject(candidate.folder, candidate.path);
    state.session.name = rolloutName(candidate.path);
    const qint64 cutoff = m_lastCutoff->seconds;
    const qint64 statSize = state.size;
    qsizetype malformed = 0;
    qint64 lastEnd = compressed ? 0 : state.offset;
    qint64 batchStart = lastEnd;
    qsizetype batchRequests = 0;
    IndexBatch batch{candidate.folder, candidate.path, state, true, candidate.fromStart, {}};
    const LogLineReader::LineHandler onLine = [&](QByteArrayView line, qint64 end) {
        if (m_writer->isStopped())
            return false;
        const LineReading reading =
            claude ? LogLineParser::claude(line, state.session, fallbackProject) : LogLineParser::codex(line, state.session);
        if (reading.kind == LineReading::Kind::malformed) {
            ++malformed;
        } else if (reading.kind == LineReading::Kind::usage && reading.entry.time >= cutoff) {
            batchRequests += reading.entry.requestKey.isEmpty() ? 0 : 1;
            m_newest = std::max(*m_newest, reading.entry.time);
            batch.entries.append(reading.entry);
        }
        if (!compressed) {
            noteProgress(end - lastEnd);
            state.offset = end;
        }
        lastEnd = end;
        if (isBatchOpen(end - batchStart, batchRequests))
            return true;
        batchStart = end;
        batchRequests = 0;
        // Marked unfinished: after a crash or Quit, a plain file goes on from here, a compressed one
        // starts again.
        batch.state = state;
        batch.state.size = -1;
        batch.state.head = compressed ? QByteArray() : headDigest(file, state.offset);
        if (!handOver(&batch))
            return false;
        state.id = batch.state.id;
        return true;
    };
    const LogLineReader::Result result =
        compressed ? LogLineReader::readCompressed(file, onLine) : LogLineReader::readPlain(file, state.offset, onLine);
    // What was handed over stays; the rest is read again next time.
    if (result.stopped || m_off)
        return std::nullopt;
    if (compressed)
        noteProgress(statSize);
    state.offset = result.offset;
    state.size = statSize;
    if (result.error && compressed) {
        // Abandoned whole, and not tried again until the file changes.
        state.offset = 0;
        batch.entries.clear();
        batch.first = batch.fromStart = true;
    }
    state.head = compressed ? QByteArray() : headDigest(file, state.offset);
    batch.state = state;
    if (!keep(std::move(batch), lastEnd - batchStart, batchRequests))
        return std::nullopt;
    saySkippedLines(candidate.path, malformed + result.overlongLines, result.error.has_value());
    return result.error;
}

void LogIndexer::saySkippedLines(const QString &path, qsizetype skipped, bool abandoned)
{
    // A file abandoned says only that.
    const QDate today = QDate::currentDate();
    if (!skipped || abandoned || m_skippedLinesSaid.value(path) == today)
        return;
    // Only today's are kept: the files said on earlier days may be said again.
    m_skippedLinesSaid.removeIf([today](const auto &said) { return said.value() != today; });
    m_skippedLinesSaid.insert(path, today);
    std::fprintf(stderr, "tidemarker: %s: %lld line%s skipped: not JSON, or over 1 MiB\n",
                 OutsideText::terminalLine(path).constData(), qlonglong(skipped), skipped == 1 ? "" : "s");
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
    // A file's name is the logs' to choose: it may hold a line break or a terminal's escape.
    std::fprintf(stderr, "tidemarker: %s: %s\n", OutsideText::terminalLine(path).constData(),
                 OutsideText::terminalLine(what).constData());
}

void LogIndexer::sayOff(const QString &reason)
{
    std::fprintf(stderr, "tidemarker: the assistants' logs are not read for the rest of this run: %s\n",
                 OutsideText::terminalLine(reason).constData());
    m_off = true;
}
