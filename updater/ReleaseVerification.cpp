#include "posix/Beneath.h"
#include "signature/ReleaseCheck.h"
#include "signature/ReleaseSignatureFile.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "updater/NumericValue.h"
#include "updater/SignedManifest.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// At most one byte more than a signature file may hold, so that an oversized one is refused
// without reading it all; read as it comes, so a small one costs little.
std::optional<std::string> ReadSignatureFile(int fd) {
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() <= kSignatureFileLimitV2) {
        const std::size_t wanted =
            std::min(sizeof buffer, kSignatureFileLimitV2 + 1 - bytes.size());
        const ssize_t got = ::read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, std::size_t(got));
    }
    return bytes;
}

} // namespace

Result<ReleaseStatement, std::string> Local::fetchStatement(const QString& address) {
    const QString name = state_.ModuleName + QStringLiteral(".SIG");
    try {
        deleteLocalCopy(name);
    } catch (const std::exception&) {
        return Refuse(std::string("a signature file left by an earlier run cannot be removed"));
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
    return CheckStatement({signingKey_, state_.ModuleName.toStdString(), sameVersion}, *bytes);
}

bool Local::checkWholeArchive() {
    if (!statement_)
        return true;
    const Result<void, std::string> verdict = CheckArchive(*statement_, archive_.path());
    if (!verdict)
        logFailedStep(QStringLiteral("signature"), QString::fromStdString(verdict.reason()));
    return bool(verdict);
}

StepOutcome Local::checkStagedEntries(int staging) const {
    if (!statement_ || fetchedEntries_.empty())
        return std::nullopt;
    const SignedManifest manifest(statement_->entries);
    for (const auto& [path, entry] : fetchedEntries_) {
        std::string problem;
        try {
            if (entry.isLink())
                problem = manifest.contentProblem(ReadLinkBeneath(staging, path), entry);
            else if (!manifest.sameAsSigned(OpenFileBeneath(staging, path).get(), entry))
                problem = "the fetched entry " + entry.name + " is not the one signed";
        } catch (const SystemError& error) {
            problem = error.what();
        }
        if (!problem.empty())
            return StepProblem{QStringLiteral("signature"), QString::fromStdString(problem)};
    }
    return std::nullopt;
}

} // namespace quillset
