#include "signature/ArchiveDigest.h"

#include "posix/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>

namespace quillset {

namespace {

// Large enough that the system calls cost nothing beside the hashing; left unfilled until read
// into, so a small file touches only the pages it needs.
constexpr std::size_t kChunk = 1 << 20;

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// `what` names the file in the reasons: "the archive", "the file".
Result<ArchiveDigest, std::string> DigestContent(int fd, const std::string& what) {
    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return Refuse<std::string>("SHA-256 is not available");

    ArchiveDigest digest;
    const auto chunk = std::make_unique_for_overwrite<unsigned char[]>(kChunk);
    for (;;) {
        const ssize_t got = ::pread(fd, chunk.get(), kChunk, static_cast<off_t>(digest.size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Refuse(what + " cannot be read: " + std::string(std::strerror(errno)));
        if (got == 0)
            break;
        if (EVP_DigestUpdate(context.get(), chunk.get(), static_cast<std::size_t>(got)) != 1)
            return Refuse<std::string>("the SHA-256 digest cannot be computed");
        digest.size += static_cast<std::uint64_t>(got);
    }
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.sha256.data(), &length) != 1 ||
        length != digest.sha256.size())
        return Refuse<std::string>("the SHA-256 digest cannot be completed");
    return digest;
}

} // namespace

Result<ArchiveDigest, std::string> DigestArchive(const std::filesystem::path& file) {
    const SystemResult<Fd> handle = TryOpenRegularFile(file.string());
    if (!handle)
        return Refuse<std::string>(handle.reason().error() == EINVAL
                                       ? std::string("the archive is not a regular file")
                                       : "the archive cannot be opened: " +
                                             std::string(std::strerror(handle.reason().error())));
    return DigestContent(handle->get(), "the archive");
}

Result<std::array<std::uint8_t, 32>, std::string> Sha256OfFile(int fd) {
    const Result<ArchiveDigest, std::string> digest = DigestContent(fd, "the file");
    if (!digest)
        return Refuse(digest.reason());
    return digest->sha256;
}

} // namespace quillset
