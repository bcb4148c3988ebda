#include "signature/ReleaseCheck.h"
#include "signature/ReleaseSignatureFile.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "updater/NumericValue.h"

#include <fstream>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// At most one byte more than a signature file may hold, so that an oversized one is refused
// without reading it all.
std::optional<std::string> ReadSignatureFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(kSignatureFileLimit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace

bool Local::VerifyRelease(const QString& address) {
    if (signingKey_.empty())
        return true;
    const QString name = state_.ModuleName + QStringLiteral(".SIG");
    const auto verdict = [&]() -> Result<void, std::string> {
        try {
            DeleteLocalCopy(name);
        } catch (const std::exception&) {
            return Refuse("a signature file left by an earlier run cannot be removed");
        }
        if (!TransferFile(transfer_, address, name, state_.ModuleFolder) ||
            !FileExists(state_.ModuleFolder + name)) {
            const QString why = transfer_.lastError();
            return Refuse(name.toStdString() + " could not be fetched" +
                          (why.isEmpty() ? std::string() : ": " + why.toStdString()));
        }
        const std::optional<std::string> bytes = ReadSignatureFile(LocalPath(name));
        std::error_code ignored;
        fs::remove(LocalPath(name), ignored);
        if (!bytes)
            return Refuse("the fetched " + name.toStdString() + " cannot be read");
        const auto sameVersion = [this](std::string_view text) {
            return LeadingNumber(QString::fromLatin1(text.data(), qsizetype(text.size()))) ==
                   state_.ServerVersion;
        };
        return CheckRelease({signingKey_, state_.ModuleName.toStdString(), sameVersion,
                             LocalPath(state_.ArchiveFileName)},
                            *bytes);
    }();
    if (verdict)
        return true;
    LogFailedStep(QStringLiteral("signature"), QString::fromStdString(verdict.reason()));
    return false;
}

} // namespace quillset
