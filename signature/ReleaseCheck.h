#pragma once

#include "platform/Result.h"
#include "signature/ReleaseSignatureFile.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quillset {

// What the agent knows about a release before it has any of the archive.
struct StatementExpectation {
    std::string_view publicKeyPem;
    std::string_view module;
    // True when the signed version text names the version the server announced, compared the
    // way the agent compares versions.
    std::function<bool(std::string_view versionText)> sameVersion;
};

// Reads a signature file's bytes and checks them: the file reads, its signature verifies under
// the key, and it names this module and version. The signed statement, to check the archive or
// its entries against; otherwise the reason, for the log.
Result<ReleaseStatement, std::string> CheckStatement(const StatementExpectation& expected,
                                                     std::string_view signatureFile);

// Fine when the archive has the statement's size and SHA-256 digest; otherwise the reason.
Result<void, std::string> CheckArchive(const ReleaseStatement& statement,
                                       const std::filesystem::path& archive);

// What the agent knows about the release it fetched whole, to hold the signed statement against.
struct ReleaseExpectation {
    std::string_view publicKeyPem;
    std::string_view module;
    std::function<bool(std::string_view versionText)> sameVersion;
    std::filesystem::path archive;
};

// CheckStatement, then CheckArchive on the fetched archive. Fine when the release may be
// installed; otherwise the reason, for the log.
Result<void, std::string> CheckRelease(const ReleaseExpectation& expected,
                                       std::string_view signatureFile);

} // namespace quillset
