#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

class QFile;

// The complete lines of a log file: a plain one from where the last reading stopped, a
// zstd-compressed one whole. A last line without its newline is being written and waits for the
// next reading. Memory stays within two chunks and the longest line, whatever the file's size.
namespace LogLineReader {

inline constexpr qsizetype longestLine = 1 << 20;
inline constexpr qint64 largestInflated = qint64(256) << 20;

// A line, and the offset after it: in the file, or in the inflated data of a compressed one.
// Returns whether to go on reading.
using LineHandler = std::function<bool(QByteArrayView line, qint64 endOffset)>;

struct Result {
    qint64 offset = 0;            // where the next reading starts: after the last complete line
    qsizetype overlongLines = 0;  // skipped, being over longestLine
    std::optional<QString> error; // why reading stopped early
    bool stopped = false;         // at the handler's word
};

// Opens a log without waiting for a writer, as opening a FIFO would, and keeps only a regular
// file: why not, as the one line said of the file, or nothing.
std::optional<QString> open(QFile &file);
// The line said of a file that cannot be read, by the error number.
QString cannotBeRead(int errorNumber);

Result readPlain(QFile &file, qint64 offset, const LineHandler &onLine);
Result readCompressed(QFile &file, const LineHandler &onLine);

} // namespace LogLineReader
