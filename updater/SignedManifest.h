#pragma once

#include "platform/Result.h"
#include "signature/ReleaseSignatureFile.h"
#include "zipdir/ZipDirectory.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillset {

// A signed statement's entries, to hold a release's directory, the installed files it keeps and
// the entries it fetches against, without the whole archive.
class SignedManifest {
public:
    explicit SignedManifest(const std::vector<SignedEntry>& entries);

    // Whether the archive's directory is the one signed: the same entries, in the same order,
    // with the same names, sizes and modes; else why not.
    Result<void, std::string> checkDirectory(const std::vector<zip::DirectoryEntry>& entries) const;
    // Whether the open regular file `fd` holds what was signed for `entry`: its size, its
    // permissions where the entry has any, and its SHA-256 digest.
    bool sameAsSigned(int fd, const zip::DirectoryEntry& entry) const;
    // Whether `content` (a link's target) is what was signed for `entry`; else why not.
    Result<void, std::string> checkContent(std::string_view content,
                                           const zip::DirectoryEntry& entry) const;

private:
    std::map<std::string, const SignedEntry*, std::less<>> byName_;
    const std::vector<SignedEntry>& entries_;
};

} // namespace quillset
