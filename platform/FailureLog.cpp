#include "platform/FailureLog.h"

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

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

void AppendToLog(const fs::path& log, const QByteArray& line, std::uintmax_t maxBytes) {
    // O_NOFOLLOW: a link planted at the log's name must not redirect our writes elsewhere.
    const int fd =
        ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    // Several programs may log at once; the lock keeps the size check and the move together.
    ::flock(fd, LOCK_EX);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        int target = fd;
        if (static_cast<std::uintmax_t>(info.st_size) + line.size() > maxBytes &&
            info.st_size > 0) {
            fs::path older = log;
            older += ".1";
            std::error_code ignored;
            fs::rename(log, older, ignored);
            target =
                ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
        }
        if (target >= 0) {
            WriteAll(target, line);
            if (target != fd)
                ::close(target);
        }
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
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
