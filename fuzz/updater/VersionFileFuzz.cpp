// The version-file reader on any bytes: the first item never reaches past the input, and its
// number is read without crashing.
#include "platform/CodePage.h"
#include "updater/NumericValue.h"
#include "updater/VersionFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QByteArray> item = quillset::FirstItem(bytes);
    if (!item)
        return 0;
    if (item->size() > bytes.size() || !bytes.contains(*item))
        std::abort();
    const float version =
        quillset::LeadingNumber(quillset::AnsiToString(item->constData(), item->size()));
    (void)version;
    return 0;
}
