#include "signature/ReleaseCheck.h"
#include "signature/ReleaseSignatureFile.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "updater/NumericValue.h"

#include <cerrno>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// At most one byte more than a signature file may hold, so that an oversized one is refused
// without reading it all.
std::optional<std::string> ReadSignatureFile(int fd) {
    std::string bytes(kSignatureFileLimit + 1, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace

bool Local::verifyRelease(const QString& address) {
    if (signingKey_.empty())
        return true;
    const QString name = state_.ModuleName + QStringLiteral(".SIG");
    const auto verdict = [&]() -> Result<void, std::string> {
        try {
            deleteLocalCopy(name);
        } catch (const std::exception&) {
            return Refuse("a signature file left by an earlier run cannot be removed");
        }
        if (!TransferFile(transfer_, address, name, state_.ModuleFolder) ||
            !FileExists(state_.ModuleFolder + name)) {
            const QString why = transfer_.lastError();
            return Refuse(name.toStdString() + " could not be fetched" +
                          (why.isEmpty() ? std::string() : ": " + why.toStdString()));
        }
        std::optional<std::string> bytes;
        try {
            bytes = ReadSignatureFile(change_.openFile(localName(name)).get());
        } catch (const SystemError&) {
        }
        try {
            change_.removeFile(localName(name));
        } catch (const SystemError&) {
            // Removed by the next run's check before it fetches again.
        }
        if (!bytes)
            return Refuse("the fetched " + name.toStdString() + " cannot be read");
        const auto sameVersion = [this](std::string_view text) {
            return LeadingNumber(QString::fromLatin1(text.data(), qsizetype(text.size()))) ==
                   state_.ServerVersion;
        };
        return CheckRelease(
            {signingKey_, state_.ModuleName.toStdString(), sameVersion, archive_.path()}, *bytes);
    }();
    if (verdict)
        return true;
    logFailedStep(QStringLiteral("signature"), QString::fromStdString(verdict.reason()));
    return false;
}

} // namespace quillset
