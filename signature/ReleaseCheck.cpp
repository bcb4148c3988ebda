#include "signature/ReleaseCheck.h"

#include "signature/ArchiveDigest.h"
#include "signature/Ed25519Signature.h"
#include "signature/ReleaseSignatureFile.h"

namespace quillset {

std::optional<std::string> CheckRelease(const ReleaseExpectation& expected,
                                        std::string_view signatureFile) {
    const SignatureFileReading reading = ReadReleaseSignatureFile(signatureFile);
    if (!reading.release)
        return "the signature file is malformed: " + reading.error;
    const SignedRelease& release = *reading.release;
    // Nothing the statement says is trusted before its signature is.
    if (auto refusal =
            CheckEd25519Signature(expected.publicKeyPem, release.signedText, release.signature))
        return refusal;
    const ReleaseStatement& statement = release.statement;
    if (statement.module != expected.module)
        return "the signature is for the module " + statement.module + ", not " +
               std::string(expected.module);
    if (!expected.sameVersion(statement.version))
        return "the signature is for version " + statement.version +
               ", not the version the version file names";
    const ArchiveDigest archive = DigestArchive(expected.archive);
    if (!archive.error.empty())
        return archive.error;
    if (archive.size != statement.size)
        return "the archive is " + std::to_string(archive.size) + " bytes, the signed one " +
               std::to_string(statement.size);
    if (archive.sha256 != statement.sha256)
        return "the archive's SHA-256 digest is not the signed one";
    return std::nullopt;
}

} // namespace quillset
