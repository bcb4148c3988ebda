#include "updater/SwapJournal.h"

#include "updater/Durable.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "TLUPDATER-SWAP 1";
constexpr char kPlanned[] = "planned";
constexpr char kCommitted[] = "committed";
// Far above any real plan; a bigger file is not ours.
constexpr qint64 kMaxJournalBytes = 64 << 20;

// Names may hold any byte but "/" and NUL, line breaks included: they are written escaped.
QByteArray EncodePath(const std::string& path) {
    return QByteArray::fromStdString(path).toPercentEncoding("/");
}

void WriteAll(int fd, const QByteArray& bytes, const fs::path& path) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            ThrowErrno<SwapError>("cannot write", path);
        done += written;
    }
}

// A path the swap may act on: relative, without "." or ".." parts, not one of the agent's own.
bool IsSafeStepPath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.back() == '/' ||
        path.find("//") != std::string::npos)
        return false;
    const fs::path parts(path);
    for (const fs::path& part : parts)
        if (part.empty() || part == "." || part == "..")
            return false;
    return !IsReservedName(parts.begin()->string());
}

std::optional<SwapStep> ParseStep(const QByteArray& line) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 2)
        return std::nullopt;
    SwapStep step;
    if (fields[0] == "add")
        step.kind = SwapStep::Kind::Add;
    else if (fields[0] == "replace")
        step.kind = SwapStep::Kind::Replace;
    else
        return std::nullopt;
    step.path = QByteArray::fromPercentEncoding(fields[1]).toStdString();
    if (!IsSafeStepPath(step.path))
        return std::nullopt;
    return step;
}

} // namespace

void WriteJournal(const WorkingFolders& folders, const std::vector<SwapStep>& steps) {
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const SwapStep& step : steps)
        text +=
            (step.kind == SwapStep::Kind::Add ? "add " : "replace ") + EncodePath(step.path) + '\n';
    text += QByteArray(kPlanned) + '\n';

    // Written whole under a draft name first: a journal that exists is always complete.
    const fs::path draft = folders.journalDraft();
    const int fd =
        ::open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        ThrowErrno<SwapError>("cannot create", draft);
    try {
        WriteAll(fd, text, draft);
        if (::fsync(fd) != 0)
            ThrowErrno<SwapError>("cannot flush", draft);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    RenameEntry(draft, folders.journal());
    SyncPath(folders.module);
}

void MarkCommitted(const WorkingFolders& folders) {
    const fs::path journal = folders.journal();
    const int fd = ::open(journal.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno<SwapError>("cannot open", journal);
    try {
        WriteAll(fd, QByteArray(kCommitted) + '\n', journal);
        if (::fsync(fd) != 0)
            ThrowErrno<SwapError>("cannot flush", journal);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
}

std::optional<SwapJournal> ReadJournal(const WorkingFolders& folders) {
    const fs::path journal = folders.journal();
    if (!EntryExists(journal))
        return std::nullopt;
    QFile file(QString::fromStdString(journal.string()));
    if (fs::is_symlink(journal) || !file.open(QIODevice::ReadOnly) ||
        file.size() > kMaxJournalBytes)
        throw SwapError("cannot read the journal " + journal.string());
    QList<QByteArray> lines = file.readAll().split('\n');
    // A line cut short by a crash while committing counts as not committed.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    SwapJournal read;
    qsizetype at = 0;
    if (lines.value(at++) != kHeader)
        throw SwapError("the journal " + journal.string() + " is not one of ours");
    for (; at < lines.size() && lines[at] != kPlanned; ++at) {
        const std::optional<SwapStep> step = ParseStep(lines[at]);
        if (!step)
            throw SwapError("the journal " + journal.string() + " holds a malformed step");
        read.steps.push_back(*step);
    }
    if (at == lines.size())
        throw SwapError("the journal " + journal.string() + " ends before its plan does");
    read.committed = lines.value(at + 1) == kCommitted;
    return read;
}

} // namespace quillset
