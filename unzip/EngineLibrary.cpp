#include "unzip/EngineLibrary.h"

#include "platform/WindowsPath.h"
#include "unzip/UnzipError.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

namespace quillset {

namespace {

constexpr const char* kLibraryName = "libunzip32.so";

} // namespace

EngineLibrary::~EngineLibrary() {
    if (handle_)
        dlclose(handle_);
}

void EngineLibrary::load() {
    if (handle_)
        return;
    const QString source = QStringLiteral("CodeModule::CallUnzipEngine");
    std::string name = kLibraryName;
    if (const char* chosen = std::getenv("QUILLSET_UNZIP32"); chosen && *chosen) {
        name = chosen;
        handle_ = dlopen(chosen, RTLD_NOW | RTLD_LOCAL);
    } else {
        std::error_code error;
        const std::filesystem::path beside = ProgramFolder() / kLibraryName;
        if (std::filesystem::exists(beside, error))
            handle_ = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_)
            handle_ = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle_) {
        throw UnzipError(UnzipError::kFileNotFound,
                         QStringLiteral("File not found: ") + QString::fromStdString(name), source);
    }
    uzpVersion2_ = reinterpret_cast<decltype(uzpVersion2_)>(dlsym(handle_, "UzpVersion2"));
    singleEntryUnzip_ =
        reinterpret_cast<decltype(singleEntryUnzip_)>(dlsym(handle_, "Wiz_SingleEntryUnzip"));
    if (!uzpVersion2_ || !singleEntryUnzip_) {
        const char* missing = !uzpVersion2_ ? "UzpVersion2" : "Wiz_SingleEntryUnzip";
        dlclose(handle_);
        handle_ = nullptr;
        throw UnzipError(UnzipError::kEntryPointNotFound,
                         QStringLiteral("Can't find DLL entry point %1 in %2")
                             .arg(QLatin1String(missing), QString::fromStdString(name)),
                         source);
    }
}

} // namespace quillset
