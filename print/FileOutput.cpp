#include "print/FileOutput.h"

#include "print/PrintSurface.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

// The job's failures all read "cannot write WHAT: <reason>", whichever call it was.
template <typename Work> void AsPrintFailure(const std::string& what, Work work) {
    try {
        work();
    } catch (const SystemError& failure) {
        ThrowErrno<PrintFailure>("cannot write", what, failure.error());
    }
}

} // namespace

fs::path FollowLinks(const fs::path& path) {
    fs::path current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current;
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            ThrowErrno<PrintFailure>("cannot write", current.string(), error.value());
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    ThrowErrno<PrintFailure>("cannot write", path.string(), ELOOP);
}

void WriteAll(const Fd& file, const QByteArray& bytes, const std::string& what) {
    AsPrintFailure(what, [&] {
        quillset::WriteAll(file.get(), bytes.constData(), static_cast<std::size_t>(bytes.size()),
                           what);
    });
}

void SyncToDisk(const Fd& file, const std::string& what) {
    AsPrintFailure(what, [&] { Flush(file.get(), what); });
}

void SyncFolder(const fs::path& folder) {
    // Some file systems cannot flush a folder; the rename is then as durable as they make it.
    AsPrintFailure(folder.string(), [&] {
        const Fd handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!handle)
            ThrowSystemError("cannot open", folder.string());
        Flush(handle.get(), folder.string());
    });
}

void CloseFile(Fd& file, const std::string& what) {
    AsPrintFailure(what, [&] { file.close(what); });
}

} // namespace quillset
