#include "updater/SwapJournal.h"

#include "posix/Beneath.h"
#include "updater/Durable.h"

#include <QByteArray>
#include <QList>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "TLUPDATER-SWAP 1";
constexpr char kPlanned[] = "planned";
constexpr char kCommitted[] = "committed";
// Far above any real plan (a 2,000-file module's is 60 kB); a bigger file is not ours.
constexpr off_t kMaxJournalBytes = 1 << 20;

// Names may hold any byte but "/" and NUL, line breaks included: they are written escaped.
QByteArray EncodePath(const std::string& path) {
    return QByteArray::fromStdString(path).toPercentEncoding("/");
}

void WriteAll(int fd, const QByteArray& bytes, const std::string& subject) {
    quillset::WriteAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()), subject);
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
    const std::string draft = folders.shown(kJournalDraftName).string();
    AsSwap([&] {
        if (StatBeneath(folders.handle, kJournalDraftName))
            RemoveBeneath(folders.handle, kJournalDraftName);
        const Fd fd =
            OpenBeneath(folders.handle, kJournalDraftName, O_WRONLY | O_CREAT | O_EXCL, 0600);
        try {
            WriteAll(fd.get(), text, draft);
            Flush(fd.get(), draft);
        } catch (const Failure&) {
            // Nothing was moved on its word: the swap fails with no trace of it left.
            RemoveBeneath(folders.handle, kJournalDraftName);
            throw;
        }
        RenameBeneath(folders.handle, kJournalDraftName, folders.handle, kJournalName);
        Flush(folders.handle, folders.module.string());
    });
}

void MarkCommitted(const WorkingFolders& folders) {
    const std::string journal = folders.shown(kJournalName).string();
    AsSwap([&] {
        const Fd fd = OpenFileBeneath(folders.handle, kJournalName, O_WRONLY | O_APPEND);
        WriteAll(fd.get(), QByteArray(kCommitted) + '\n', journal);
        Flush(fd.get(), journal);
    });
}

std::optional<SwapJournal> ReadJournal(const WorkingFolders& folders) {
    const std::string journal = folders.shown(kJournalName).string();
    // Anyone who may write the module folder may have put something here: it is read only when it
    // is a plain file of ours of a journal's size, and never waited on.
    SystemResult<Fd> opened = TryOpenFileBeneath(folders.handle, kJournalName);
    if (!opened && opened.reason().error() == ENOENT)
        return std::nullopt;
    if (!opened)
        throw SwapError("cannot read the journal: " + std::string(opened.reason().what()));
    const Fd fd = *std::move(opened);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid() ||
        info.st_size > kMaxJournalBytes)
        throw SwapError("the journal " + journal + " is not one the agent wrote");
    QByteArray bytes;
    char buffer[16384];
    for (ssize_t got; (got = ::read(fd.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || bytes.size() + got > kMaxJournalBytes)
            throw SwapError("cannot read the journal " + journal);
        bytes.append(buffer, got);
    }
    QList<QByteArray> lines = bytes.split('\n');
    // A line cut short by a crash while committing counts as not committed.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    SwapJournal read;
    qsizetype at = 0;
    if (lines.value(at++) != kHeader)
        throw SwapError("the journal " + journal + " is not one of ours");
    for (; at < lines.size() && lines[at] != kPlanned; ++at) {
        const std::optional<SwapStep> step = ParseStep(lines[at]);
        if (!step)
            throw SwapError("the journal " + journal + " holds a malformed step");
        read.steps.push_back(*step);
    }
    if (at == lines.size())
        throw SwapError("the journal " + journal + " ends before its plan does");
    read.committed = lines.value(at + 1) == kCommitted;
    return read;
}

} // namespace quillset
