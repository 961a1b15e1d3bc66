#pragma once

#include <QString>

#include <optional>

// The history file before its writer opens it: made when missing, looked over read-only, and
// moved aside when damaged or short of the tables its version says, so that a new one starts.
namespace HistoryFile {

// Why the file cannot be written now: only for the moment, while another connection holds
// it, or for this run, said to the user in one line.
struct Hindrance {
    bool busy = false;
    QString reason;
};

std::optional<Hindrance> prepare(const QString &path);

} // namespace HistoryFile
