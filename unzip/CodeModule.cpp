#include "unzip/CodeModule.h"

#include "platform/AgentTitle.h"
#include "platform/CodePage.h"
#include "platform/StopPoint.h"
#include "platform/TrimSpaces.h"
#include "platform/WindowsPath.h"
#include "unzip/ListingLine.h"
#include "unzip/UnzipError.h"

#include <cstring>
#include <new>

namespace quillset {

namespace {

constexpr std::size_t kLongestName = 256;
const QString kCallUnzipEngine = QStringLiteral("CodeModule::CallUnzipEngine");

// The module whose unpack is running; the engine's callbacks are routed to it.
CodeModule* activeModule = nullptr;

QString NameText(const char* name) {
    return name ? AnsiToString(name, static_cast<qsizetype>(strnlen(name, kLongestName)))
                : QString();
}

// The host path's own bytes: a folder named in any script reaches the engine unchanged.
QByteArray PathText(const QString& windowsPath) {
    if (windowsPath.isEmpty())
        return {};
    return QByteArray(ResolveWindowsPath(windowsPath).c_str());
}

// The callbacks never raise: whatever goes wrong inside one answers `fallback`.
template <typename Result, typename Body> Result Guarded(Result fallback, Body body) {
    if (!activeModule)
        return fallback;
    try {
        return body(*activeModule);
    } catch (...) {
        return fallback;
    }
}

extern "C" {

static std::int32_t PrintThunk(const char* buffer, std::uint32_t length) {
    return Guarded<std::int32_t>(
        0, [&](CodeModule& module) { return module.UnzipPrintCallback(buffer, length); });
}

static std::int32_t ReplaceThunk(const char* name) {
    return Guarded<std::int32_t>(
        UZ_REPLACE_NO, [&](CodeModule& module) { return module.UnzipReplaceCallback(name); });
}

static std::int32_t PasswordThunk(char* buffer, std::int32_t size, const char* prompt,
                                  const char* entryName) {
    return Guarded<std::int32_t>(UZ_PASSWORD_NONE, [&](CodeModule& module) {
        return module.UnzipPasswordCallback(buffer, size, prompt, entryName);
    });
}

static void ListingThunk(std::uint32_t uncompressedSize, std::uint32_t, std::uint16_t,
                         std::uint16_t month, std::uint16_t day, std::uint16_t year,
                         std::uint16_t hour, std::uint16_t minute, char, const char* name,
                         const char*, std::uint16_t, std::uint16_t) {
    Guarded<int>(0, [&](CodeModule& module) {
        module.UnzipListingCallback(uncompressedSize, month, day, year, hour, minute, name);
        return 0;
    });
}

static std::int32_t ServiceThunk(const char* name, std::uint32_t length) {
    return Guarded<std::int32_t>(
        0, [&](CodeModule& module) { return module.UnzipServiceCallback(name, length); });
}

} // extern "C"

// Marks the module as the one the callbacks reach for as long as its unpack runs.
class ActiveUnpack {
public:
    explicit ActiveUnpack(CodeModule& module) {
        if (activeModule) {
            throw UnzipError(UnzipError::kUnzipAlreadyRunning,
                             QStringLiteral("Another unpack is running"), kCallUnzipEngine);
        }
        activeModule = &module;
    }
    ~ActiveUnpack() { activeModule = nullptr; }
    ActiveUnpack(const ActiveUnpack&) = delete;
    ActiveUnpack& operator=(const ActiveUnpack&) = delete;
};

void FillVersionText(char* field, std::size_t size) {
    std::memset(field, ' ', size - 1);
    field[size - 1] = '\0';
}

} // namespace

CodeModule::CodeModule(Dialogs& dialogs, QString& archivePassword)
    : dialogs_(dialogs), archivePassword_(archivePassword) {}

CodeModule::~CodeModule() {
    if (activeModule == this)
        activeModule = nullptr;
}

void CodeModule::resetState() {
    unzipListing_.clear();
    unzipMessages_.clear();
    lastOutcome_ = {};
    listingLineCount_ = 0;
    passwordGivenUp_ = false;
}

std::int32_t CodeModule::CallUnzipEngine(const QString& zipFileName, const QString& extractDir,
                                         const UnzipSettings& settings) {
    try {
        // First, so that a setting out of range changes nothing of the module state.
        UnzipOptions options = ToUnzipOptions(settings);
        resetState();
        const UnzipNameList includeNames{};
        const UnzipNameList excludeNames{};

        const QByteArray zipPath = PathText(zipFileName);
        const QByteArray folderPath = PathText(extractDir);
        options.ZipFileName = zipPath.constData();
        options.ExtractDir = folderPath.constData();

        UnzipCallbacks callbacks{};
        callbacks.Print = &PrintThunk;
        callbacks.Sound = nullptr;
        callbacks.Replace = &ReplaceThunk;
        callbacks.Password = &PasswordThunk;
        callbacks.Message = &ListingThunk;
        callbacks.Service = &ServiceThunk;

        UnzipVersionInfo version{};
        version.StructLength = sizeof(UnzipVersionInfo);
        version.Flag = 0;
        FillVersionText(version.Release, sizeof(version.Release));
        FillVersionText(version.BuildDate, sizeof(version.BuildDate));
        FillVersionText(version.LibArchive, sizeof(version.LibArchive));
        engine_.load();
        engine_.UzpVersion2(&version);

        ActiveUnpack active(*this);
        lastOutcome_.result =
            engine_.Wiz_SingleEntryUnzip(0, &includeNames, 0, &excludeNames, &options, &callbacks);
        return lastOutcome_.result;
    } catch (const UnzipError& error) {
        throw error.from(kCallUnzipEngine);
    } catch (const std::bad_alloc&) {
        throw UnzipError(UnzipError::kOutOfMemory, QStringLiteral("Out of memory"),
                         kCallUnzipEngine);
    }
}

std::int32_t CodeModule::UnzipPrintCallback(const char* buffer, std::uint32_t length) {
    if (!buffer)
        return 0;
    if (std::optional<UnzipProblem> problem = ReadProblemPiece(buffer, length))
        lastOutcome_.problems.append(std::move(*problem));
    QString piece = AnsiToString(buffer, static_cast<qsizetype>(strnlen(buffer, length)));
    if (piece.startsWith(QLatin1Char('\n')))
        piece = QStringLiteral("\r\n");
    unzipMessages_ += piece;
    return 0;
}

std::int32_t CodeModule::UnzipReplaceCallback(const char* name) {
    MessageBoxRequest question;
    question.title = QStringLiteral("Unzip - File Already Exists!");
    question.text = QStringLiteral("Overwrite ") + NameText(name) + QLatin1Char('?');
    question.icon = MessageIcon::Warning;
    question.buttons = MessageButtons::YesNoCancel;
    question.defaultAnswer = MessageAnswer::Yes;
    switch (dialogs_.showMessage(question)) {
    case MessageAnswer::No:
        return UZ_REPLACE_NO;
    case MessageAnswer::Cancel:
        return UZ_REPLACE_CANCEL;
    default:
        return UZ_REPLACE_YES;
    }
}

std::int32_t CodeModule::UnzipPasswordCallback(char* buffer, std::int32_t size,
                                               const char* /*prompt*/, const char* /*entryName*/) {
    if (passwordGivenUp_)
        return UZ_PASSWORD_NONE;
    if (TrimSpaces(archivePassword_).isEmpty()) {
        archivePassword_ = dialogs_.inputBox(InputBoxRequest{
            QLatin1String(kAgentTitle), QStringLiteral("Ingrese la contraseña!"), {}});
    }
    if (archivePassword_.isEmpty()) {
        passwordGivenUp_ = true;
        return UZ_PASSWORD_NONE;
    }
    if (!buffer || size <= 0)
        return UZ_PASSWORD_NONE;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    const QByteArray bytes = StringToAnsi(archivePassword_);
    const auto count = std::min<qsizetype>(bytes.size(), size - 1);
    std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(count));
    return UZ_PASSWORD_GIVEN;
}

void CodeModule::UnzipListingCallback(std::uint32_t uncompressedSize, std::uint16_t month,
                                      std::uint16_t day, std::uint16_t year, std::uint16_t hour,
                                      std::uint16_t minute, const char* name) {
    if (listingLineCount_ == 0)
        unzipListing_ = ListingHeaderLine() + QStringLiteral("\r\n");
    unzipListing_ +=
        ListingEntryLine(NameText(name), uncompressedSize, month, day, year, hour, minute) +
        QStringLiteral("\r\n");
    // A 16-bit count; it stops at its top rather than wrapping round to a second header.
    if (listingLineCount_ < INT16_MAX)
        ++listingLineCount_;
}

std::int32_t CodeModule::UnzipServiceCallback(const char* /*name*/, std::uint32_t /*length*/) {
    StopPoint("unpack-entry");
    return 0;
}

} // namespace quillset
