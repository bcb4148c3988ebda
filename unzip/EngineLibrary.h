#pragma once

#include "unzip32/unzip32.h"

#include <QString>

namespace quillset {

// libunzip32.so, opened with dlopen at the first unpack. Looked for as the file named by the
// environment variable QUILLSET_UNZIP32 when that is set, else beside the program, else by
// plain name through the loader's search path.
class EngineLibrary {
public:
    EngineLibrary() = default;
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;
    ~EngineLibrary();

    // Opens the library and finds both entry points, once; raises UnzipError when it cannot
    // (number 53 for a missing library, 453 for a missing entry point).
    void load();

    void UzpVersion2(UnzipVersionInfo* version) const { uzpVersion2_(version); }
    std::int32_t Wiz_SingleEntryUnzip(std::int32_t includeCount, const UnzipNameList* include,
                                      std::int32_t excludeCount, const UnzipNameList* exclude,
                                      const UnzipOptions* options,
                                      const UnzipCallbacks* callbacks) const {
        return singleEntryUnzip_(includeCount, include, excludeCount, exclude, options, callbacks);
    }

private:
    void* handle_ = nullptr;
    void (*uzpVersion2_)(UnzipVersionInfo*) = nullptr;
    std::int32_t (*singleEntryUnzip_)(std::int32_t, const UnzipNameList*, std::int32_t,
                                      const UnzipNameList*, const UnzipOptions*,
                                      const UnzipCallbacks*) = nullptr;
};

} // namespace quillset
