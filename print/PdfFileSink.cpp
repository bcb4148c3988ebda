#include "print/PdfFileSink.h"

#include "print/PrintSurface.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// How long a FIFO may stay without a reader before the job gives up on it.
constexpr auto kReaderWait = std::chrono::seconds(10);
constexpr auto kReaderPoll = std::chrono::milliseconds(20);

fs::path FolderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Moves `from` to `to` unless something is already there (EEXIST then).
int RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a hard link fails as well when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

} // namespace

PdfFileSink::PdfFileSink(QString path, bool chosenForUser)
    : path_(std::move(path)), chosenForUser_(chosenForUser) {}

PdfFileSink::~PdfFileSink() {
    discard();
}

void PdfFileSink::open() {
    target_ = FollowLinks(fs::path(path_.toStdString()));
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode))
            ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), EISDIR);
        writeThrough_ = true;
        openWriteThrough();
    } else {
        openTemporary();
    }
}

void PdfFileSink::openWriteThrough() {
    // Without O_NONBLOCK a FIFO nobody reads would hold the job forever.
    const auto giveUp = std::chrono::steady_clock::now() + kReaderWait;
    int fd = -1;
    while ((fd = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) < 0 &&
           errno == ENXIO && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(kReaderPoll);
    if (fd < 0) {
        if (errno == ENXIO)
            throw PrintFailure("cannot write " + path_.toStdString() + ": no program reads it");
        ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), errno);
    }
    output_ = Fd(fd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), errno);
}

void PdfFileSink::openTemporary() {
    std::string pattern =
        (FolderOf(target_) / ("." + target_.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), errno);
    output_ = Fd(fd);
    temporary_ = pattern;
    // The new file gets the old one's permissions, or those of any new file.
    struct stat old {};
    const mode_t mode = ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    if (::fchmod(fd, mode) != 0)
        ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), errno);
}

void PdfFileSink::deliver(const QByteArray& pdf) {
    const std::string what = path_.toStdString();
    try {
        if (!output_)
            open();
        WriteAll(output_, pdf, what);
        if (writeThrough_) {
            CloseFile(output_, what);
            deliveredTo_ = QFileInfo(path_).absoluteFilePath();
            return;
        }
        SyncToDisk(output_, what);
        CloseFile(output_, what);
        publishTemporary();
    } catch (...) {
        discard();
        throw;
    }
}

void PdfFileSink::publishTemporary() {
    if (!chosenForUser_) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            ThrowErrno<PrintFailure>("cannot write", path_.toStdString(), errno);
        temporary_.clear();
        SyncFolder(FolderOf(target_));
        deliveredTo_ = QFileInfo(path_).absoluteFilePath();
        return;
    }
    // Another job may have taken the name since it was chosen: take the next free one.
    for (int number = 1;; ++number) {
        const QString candidate = NumberedPdfPath(QString::fromStdString(target_.string()), number);
        const int error = RenameNoReplace(temporary_, fs::path(candidate.toStdString()));
        if (error == EEXIST)
            continue;
        if (error != 0)
            ThrowErrno<PrintFailure>("cannot write", candidate.toStdString(), error);
        temporary_.clear();
        SyncFolder(FolderOf(target_));
        deliveredTo_ = QFileInfo(candidate).absoluteFilePath();
        return;
    }
}

void PdfFileSink::discard() {
    output_ = Fd();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace quillset
