#pragma once

#include "platform/Result.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quillset {

// What the agent knows about the release it fetched, to hold the signed statement against.
struct ReleaseExpectation {
    std::string_view publicKeyPem;
    std::string_view module;
    // True when the signed version text names the version the server announced, compared the
    // way the agent compares versions.
    std::function<bool(std::string_view versionText)> sameVersion;
    std::filesystem::path archive;
};

// Checks a signature file's bytes against the release: the file reads, its signature verifies
// under the key, and it names this module, this version and this archive's size and SHA-256
// digest. Fine when the release may be installed; otherwise the reason, for the log.
Result<void, std::string> CheckRelease(const ReleaseExpectation& expected,
                                       std::string_view signatureFile);

} // namespace quillset
