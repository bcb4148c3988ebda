#include "signature/ReleaseCheck.h"

#include "signature/ArchiveDigest.h"
#include "signature/Ed25519Signature.h"
#include "signature/ReleaseSignatureFile.h"

namespace quillset {

Result<void, std::string> CheckRelease(const ReleaseExpectation& expected,
                                       std::string_view signatureFile) {
    const Result<SignedRelease, std::string> reading = ReadReleaseSignatureFile(signatureFile);
    if (!reading)
        return Refuse("the signature file is malformed: " + reading.reason());
    const SignedRelease& release = *reading;
    // Nothing the statement says is trusted before its signature is.
    if (auto verified =
            CheckEd25519Signature(expected.publicKeyPem, release.signedText, release.signature);
        !verified)
        return verified;
    const ReleaseStatement& statement = release.statement;
    if (statement.module != expected.module)
        return Refuse("the signature is for the module " + statement.module + ", not " +
                      std::string(expected.module));
    if (!expected.sameVersion(statement.version))
        return Refuse("the signature is for version " + statement.version +
                      ", not the version the version file names");
    const Result<ArchiveDigest, std::string> archive = DigestArchive(expected.archive);
    if (!archive)
        return Refuse(archive.reason());
    if (archive->size != statement.size)
        return Refuse("the archive is " + std::to_string(archive->size) +
                      " bytes, the signed one " + std::to_string(statement.size));
    if (archive->sha256 != statement.sha256)
        return Refuse<std::string>("the archive's SHA-256 digest is not the signed one");
    return {};
}

} // namespace quillset
