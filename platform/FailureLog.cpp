#include "platform/FailureLog.h"

#include "posix/FileDescriptor.h"

#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// One line, no line breaks inside: a reason that carries them would forge further entries.
QString Flatten(QString text) {
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return text;
}

QString FormatLine(const FailureRecord& record) {
    return QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + Flatten(record.program) +
           u' ' + Flatten(record.subject) + u' ' + Flatten(record.step) + QStringLiteral(": ") +
           Flatten(record.reason) + u'\n';
}

// O_NOFOLLOW: a link planted at the log's name must not redirect our writes elsewhere. O_NONBLOCK:
// a FIFO there must not hold the program; only a regular file is written.
Fd OpenLog(const fs::path& log) {
    Fd fd(::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                 0600));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return Fd();
    return fd;
}

void AppendToLog(const fs::path& log, const QByteArray& line, std::uintmax_t maxBytes) {
    const Fd fd = OpenLog(log);
    if (!fd)
        return;
    // Several programs may log at once; the lock keeps the size check and the move together.
    ::flock(fd.get(), LOCK_EX);
    struct stat info {};
    Fd moved;
    int target = fd.get();
    if (::fstat(fd.get(), &info) == 0 &&
        static_cast<std::uintmax_t>(info.st_size) + line.size() > maxBytes && info.st_size > 0) {
        fs::path older = log;
        older += ".1";
        std::error_code ignored;
        fs::rename(log, older, ignored);
        moved = OpenLog(log);
        target = moved.get();
    }
    if (target >= 0) {
        try {
            WriteAll(target, line.constData(), static_cast<std::size_t>(line.size()), log.string());
        } catch (const SystemError&) {
            // The line went to standard error as well; a log that cannot take it loses it.
        }
    }
    ::flock(fd.get(), LOCK_UN);
}

} // namespace

fs::path FailureLogFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state && fs::path(state).is_absolute())
        return fs::path(state) / "quillset";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "state" / "quillset";
}

fs::path FailureLogFile(const QString& program) {
    return FailureLogFolder() / (program.toStdString() + ".log");
}

void LogFailure(const FailureRecord& record, std::uintmax_t maxBytes) {
    const QByteArray line = FormatLine(record).toUtf8();
    std::fwrite(line.constData(), 1, line.size(), stderr);
    std::fflush(stderr);

    std::error_code error;
    fs::create_directories(FailureLogFolder(), error);
    if (error)
        return;
    AppendToLog(FailureLogFile(record.program), line, maxBytes);
}

} // namespace quillset
