#include "updater/SignedManifest.h"

#include "signature/ArchiveDigest.h"

#include <openssl/evp.h>
#include <sys/stat.h>

namespace quillset {

SignedManifest::SignedManifest(const std::vector<SignedEntry>& entries) : entries_(entries) {
    for (const SignedEntry& entry : entries)
        byName_.emplace(entry.name, &entry);
}

Result<void, std::string>
SignedManifest::checkDirectory(const std::vector<zip::DirectoryEntry>& entries) const {
    if (entries.size() != entries_.size())
        return Refuse("the archive's directory lists " + std::to_string(entries.size()) +
                      " entries, the signed statement " + std::to_string(entries_.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SignedEntry& signedEntry = entries_[i];
        if (entries[i].name != signedEntry.name || entries[i].size != signedEntry.size ||
            entries[i].unixMode != signedEntry.mode)
            return Refuse("the archive's directory entry " + std::to_string(i + 1) + " (" +
                          entries[i].name + ") is not the one signed");
    }
    return {};
}

bool SignedManifest::sameAsSigned(int fd, const zip::DirectoryEntry& entry) const {
    const auto found = byName_.find(entry.name);
    struct stat info {};
    if (found == byName_.end() || ::fstat(fd, &info) != 0 ||
        std::uint64_t(info.st_size) != found->second->size)
        return false;
    const std::uint32_t permissions = found->second->mode & 0777;
    if (permissions != 0 && (info.st_mode & 0777) != permissions)
        return false;
    const Result<std::array<std::uint8_t, 32>, std::string> digest = Sha256OfFile(fd);
    return digest && *digest == found->second->sha256;
}

Result<void, std::string> SignedManifest::checkContent(std::string_view content,
                                                       const zip::DirectoryEntry& entry) const {
    const auto found = byName_.find(entry.name);
    std::array<std::uint8_t, 32> digest{};
    unsigned int length = 0;
    if (found == byName_.end() || content.size() != found->second->size ||
        EVP_Digest(content.data(), content.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
            1 ||
        digest != found->second->sha256)
        return Refuse("the fetched entry " + entry.name + " is not the one signed");
    return {};
}

} // namespace quillset
