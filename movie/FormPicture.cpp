#include "movie/FormPicture.h"

#include "graphics/BitmapFormat.h"
#include "graphics/PictureLoader.h"

#include <QtEndian>
#include <cstdlib>

namespace quillset {

namespace {

template <typename T> T Read(QByteArrayView data, qsizetype offset) {
    return qFromLittleEndian<T>(data.data() + offset);
}

} // namespace

bool BitmapDataIsComplete(QByteArrayView data) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M')
        return true;
    if (data.size() < kBitmapFileHeaderBytes + kBitmapCoreHeaderBytes)
        return false;
    const std::uint32_t pixelOffset = Read<std::uint32_t>(data, 10);
    const std::uint32_t headerSize = Read<std::uint32_t>(data, kBitmapFileHeaderBytes);

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bitsPerPixel = 0;
    std::uint32_t compression = kBitmapUncompressed;
    std::int64_t declaredImageSize = 0;
    if (headerSize == kBitmapCoreHeaderBytes) {
        width = Read<std::uint16_t>(data, 18);
        height = Read<std::uint16_t>(data, 20);
        bitsPerPixel = Read<std::uint16_t>(data, 24);
    } else {
        if (data.size() < kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes)
            return false;
        width = Read<std::int32_t>(data, 18);
        height = std::llabs(Read<std::int32_t>(data, 22)); // negative: rows stored top-down
        bitsPerPixel = Read<std::uint16_t>(data, 28);
        compression = Read<std::uint32_t>(data, 30);
        declaredImageSize = Read<std::uint32_t>(data, 34);
    }
    const std::int64_t available = std::int64_t(data.size()) - pixelOffset;
    if (available < 0)
        return false;
    if (compression != kBitmapUncompressed && compression != kBitmapBitFields) {
        // Run-length encoded rows have no fixed length: only the size the header states can be
        // held against the file.
        return declaredImageSize <= available;
    }
    const std::int64_t rowBits = std::llabs(width) * bitsPerPixel;
    const std::int64_t paddedRow = (rowBits + 31) / 32 * 4;
    // Some writers leave out the padding of the last row.
    const std::int64_t lastRow = (rowBits + 7) / 8;
    if (height == 0 || paddedRow == 0)
        return true;
    // Divided rather than multiplied: declared sizes may be absurd.
    return available >= lastRow && height - 1 <= (available - lastRow) / paddedRow;
}

Result<Picture> LoadFormPicture(const std::filesystem::path& path) {
    const Result<QByteArray> data = ReadPictureFile(path);
    if (!data)
        return Refuse(data.reason());
    if (!BitmapDataIsComplete(*data))
        return Refuse(QStringLiteral("the bitmap ends before its rows do"));
    return DecodePicture(*data);
}

} // namespace quillset
