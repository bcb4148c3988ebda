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

namespace {

// At most one byte more than a signature file may hold, so that an oversized one is refused
// without reading it all; read as it comes, so a small one costs little.
SystemResult<std::string> ReadSignatureFile(int fd, const std::string& subject) {
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() <= kSignatureFileLimitV2) {
        const std::size_t wanted =
            std::min(sizeof buffer, kSignatureFileLimitV2 + 1 - bytes.size());
        const ssize_t got = ::read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return SystemRefusal("cannot read", subject);
        if (got == 0)
            break;
        bytes.append(buffer, std::size_t(got));
    }
    return bytes;
}

} // namespace

Step<ReleaseStatement> Local::fetchStatement(const QString& address) {
    const QString name = state_.ModuleName + QStringLiteral(".SIG");
    const auto refused = [](const QString& reason) {
        return StepFailed(QStringLiteral("signature"), reason);
    };
    if (const SystemResult<> removed = change_.removeFile(localName(name)); !removed)
        return refused(
            QStringLiteral("a signature file left by an earlier run cannot be removed: %1")
                .arg(QString::fromUtf8(removed.reason().what())));
    if (const Step<> copy = fetchLocalCopy(address, name); !copy)
        return refused(name + QStringLiteral(" could not be fetched: ") + copy.reason().reason);
    const SystemResult<Fd> file = change_.openFile(localName(name));
    const SystemResult<std::string> bytes = file
                                                ? ReadSignatureFile(file->get(), name.toStdString())
                                                : SystemResult<std::string>(Refuse(file.reason()));
    // One that stays is removed by the next run's check before it fetches again.
    static_cast<void>(change_.removeFile(localName(name)));
    if (!bytes)
        return refused(QStringLiteral("the fetched %1 cannot be read: %2")
                           .arg(name, QString::fromUtf8(bytes.reason().what())));
    const auto sameVersion = [this](std::string_view text) {
        return LeadingNumber(QString::fromLatin1(text.data(), qsizetype(text.size()))) ==
               state_.ServerVersion;
    };
    Result<ReleaseStatement, std::string> statement =
        CheckStatement({signingKey_, state_.ModuleName.toStdString(), sameVersion}, *bytes);
    if (!statement)
        return StepFailed(QStringLiteral("signature"), statement.reason());
    return *std::move(statement);
}

Step<> Local::checkWholeArchive() {
    if (!statement_)
        return {};
    const Result<void, std::string> verdict = CheckArchive(*statement_, archive_.path());
    if (!verdict)
        return StepFailed(QStringLiteral("signature"), verdict.reason());
    return {};
}

Step<> Local::checkStagedEntries(int staging) const {
    if (!statement_ || fetchedEntries_.empty())
        return {};
    const SignedManifest manifest(statement_->entries);
    for (const auto& fetched : fetchedEntries_) {
        // Named rather than bound: clang before 16 cannot capture a structured binding.
        const auto& path = fetched.first;
        const auto& entry = fetched.second;
        Result<void, std::string> signedOne;
        const Step<> read = Attempt(QStringLiteral("signature"), [&] {
            if (entry.isLink())
                signedOne = manifest.checkContent(ReadLinkBeneath(staging, path), entry);
            else if (!manifest.sameAsSigned(OpenFileBeneath(staging, path).get(), entry))
                signedOne = Refuse("the fetched entry " + entry.name + " is not the one signed");
        });
        if (!read)
            return read;
        if (!signedOne)
            return StepFailed(QStringLiteral("signature"), signedOne.reason());
    }
    return {};
}

} // namespace quillset
