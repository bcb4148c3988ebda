#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>

namespace quillset {

// Where a failure happened and why, for an operator reading the log later.
struct FailureRecord {
    QString program; // "quotation", "movie", "TLUPDATER"
    QString subject; // the module, the document or the file the run was about
    QString step;    // what was being done: "transfer", "unpack", "print"...
    QString reason;  // why it failed, in plain words
};

// The log folder: $XDG_STATE_HOME/quillset, or ~/.local/state/quillset when that is unset or not
// an absolute path.
std::filesystem::path FailureLogFolder();
// The log file of one program in that folder: PROGRAM.log.
std::filesystem::path FailureLogFile(const QString& program);

// Writes one line "TIME PROGRAM SUBJECT STEP: REASON" to standard error and appends it to
// FailureLogFolder()/PROGRAM.log. The log keeps at most about `maxBytes`: when a line would pass
// that, the file moves to PROGRAM.log.1 (replacing an older one) and a new file starts. A log
// that cannot be written is no reason to fail twice: standard error still has the line.
void LogFailure(const FailureRecord& record, std::uintmax_t maxBytes = 1 << 20);

} // namespace quillset
