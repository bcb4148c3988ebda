// The two C entry points of libunzip32.so; everything else stays hidden.
#include "unzip32/Cp1252.h"
#include "unzip32/Engine.h"
#include "unzip32/unzip32.h"

#include <algorithm>
#include <archive.h>
#include <cstring>
#include <exception>

namespace {

using quillset::unzip32::Cp1252ToUtf8;

constexpr std::int32_t kNameListSize = 100;

// Copies `text` into a fixed field: space-padded, NUL in the last byte.
template <std::size_t N> void FillField(char (&field)[N], const char* text) {
    std::memset(field, ' ', N - 1);
    field[N - 1] = '\0';
    std::memcpy(field, text, std::min(std::strlen(text), N - 1));
}

std::vector<std::string> Patterns(std::int32_t count, const UnzipNameList* list) {
    std::vector<std::string> result;
    for (std::int32_t i = 0; list && i < std::clamp(count, 0, kNameListSize); ++i) {
        if (list->Names[i])
            result.push_back(Cp1252ToUtf8(list->Names[i]));
    }
    return result;
}

} // namespace

extern "C" UZ_EXPORT void UzpVersion2(UnzipVersionInfo* version) {
    if (!version || version->StructLength < sizeof(UnzipVersionInfo))
        return;
    FillField(version->Release, "1.0");
    FillField(version->BuildDate, __DATE__);
    const char* libarchive = archive_version_string(); // "libarchive 3.6.2"
    const char* number = std::strchr(libarchive, ' ');
    FillField(version->LibArchive, number ? number + 1 : libarchive);
}

extern "C" UZ_EXPORT int32_t Wiz_SingleEntryUnzip(
    int32_t includeCount, const UnzipNameList* include, int32_t excludeCount,
    const UnzipNameList* exclude, const UnzipOptions* options, const UnzipCallbacks* callbacks) {
    if (!options || (includeCount > 0 && !include) || (excludeCount > 0 && !exclude))
        return UZ_ARGUMENT;
    const UnzipCallbacks none{};
    try {
        quillset::unzip32::NameFilter filter(Patterns(includeCount, include),
                                             Patterns(excludeCount, exclude),
                                             options->CaseSensitive != 0);
        quillset::unzip32::Engine engine(*options, callbacks ? *callbacks : none,
                                         std::move(filter));
        return engine.run();
    } catch (const std::exception&) {
        // Out of memory or the like: nothing may cross back into C.
        return UZ_DISK_ERROR;
    }
}
