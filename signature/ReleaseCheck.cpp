#include "signature/ReleaseCheck.h"

#include "signature/ArchiveDigest.h"
#include "signature/Ed25519Signature.h"

namespace quillset {

Result<ReleaseStatement, std::string> CheckStatement(const StatementExpectation& expected,
                                                     std::string_view signatureFile) {
    Result<SignedRelease, std::string> reading = ReadReleaseSignatureFile(signatureFile);
    if (!reading)
        return Refuse("the signature file is malformed: " + reading.reason());
    SignedRelease& release = *reading;
    // Nothing the statement says is trusted before its signature is.
    if (auto verified =
            CheckEd25519Signature(expected.publicKeyPem, release.signedText, release.signature);
        !verified)
        return Refuse(verified.reason());
    const ReleaseStatement& statement = release.statement;
    if (statement.module != expected.module)
        return Refuse("the signature is for the module " + statement.module + ", not " +
                      std::string(expected.module));
    if (!expected.sameVersion(statement.version))
        return Refuse("the signature is for version " + statement.version +
                      ", not the version the version file names");
    return std::move(release.statement);
}

Result<void, std::string> CheckArchive(const ReleaseStatement& statement,
                                       const std::filesystem::path& archive) {
    const Result<ArchiveDigest, std::string> digest = DigestArchive(archive);
    if (!digest)
        return Refuse(digest.reason());
    if (digest->size != statement.size)
        return Refuse("the archive is " + std::to_string(digest->size) + " bytes, the signed one " +
                      std::to_string(statement.size));
    if (digest->sha256 != statement.sha256)
        return Refuse<std::string>("the archive's SHA-256 digest is not the signed one");
    return {};
}

Result<void, std::string> CheckRelease(const ReleaseExpectation& expected,
                                       std::string_view signatureFile) {
    const Result<ReleaseStatement, std::string> statement = CheckStatement(
        {expected.publicKeyPem, expected.module, expected.sameVersion}, signatureFile);
    if (!statement)
        return Refuse(statement.reason());
    return CheckArchive(*statement, expected.archive);
}

} // namespace quillset
