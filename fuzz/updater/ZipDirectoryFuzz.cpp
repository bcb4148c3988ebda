// An archive's tail as a server may send it: its directory read, the entries chosen against an
// empty module, and their directory rebuilt. Nothing may point outside what was read, and every
// chosen piece must lie in the archive's data.
#include "posix/Beneath.h"
#include "updater/ChangedEntries.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillset;
    // An empty module: every entry is missing, so every one is chosen.
    static const Fd module = [] {
        char folder[] = "/tmp/zip-directory-fuzz-XXXXXX";
        return OpenFolder(::mkdtemp(folder));
    }();
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const auto place = zip::ReadDirectoryPlace(file, file.size());
    if (!place)
        return 0;
    if (place->start + place->size > file.size())
        std::abort();
    const std::string_view directory = file.substr(place->start, place->size);
    const auto entries = zip::ReadDirectory(directory, *place);
    if (!entries)
        return 0;
    const auto selection =
        SelectChangedEntries(*entries, *place, module.get(), "EDITOR.EXE", &SameSizeAndCrc);
    if (!selection)
        return 0;
    for (const ByteRange& piece : selection->pieces)
        if (piece.first > piece.last || piece.last >= place->start)
            std::abort();
    const auto rebuilt =
        zip::RebuiltDirectory(directory, PlacesInPieces(*selection), selection->bytes);
    (void)rebuilt;
    return 0;
}
