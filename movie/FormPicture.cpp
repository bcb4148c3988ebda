#include "FormPicture.h"

#include "PictureLoader.h"

#include <QFile>
#include <QtEndian>
#include <cstdlib>

namespace quillset {

namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kCoreHeaderSize = 12;
constexpr qsizetype kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

template <typename T> T Read(QByteArrayView data, qsizetype offset) {
    return qFromLittleEndian<T>(data.data() + offset);
}

} // namespace

bool BitmapDataIsComplete(QByteArrayView data) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M')
        return true;
    if (data.size() < kFileHeaderSize + kCoreHeaderSize)
        return false;
    const std::uint32_t pixelOffset = Read<std::uint32_t>(data, 10);
    const std::uint32_t headerSize = Read<std::uint32_t>(data, kFileHeaderSize);

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bitsPerPixel = 0;
    std::uint32_t compression = kUncompressed;
    std::int64_t declaredImageSize = 0;
    if (headerSize == kCoreHeaderSize) {
        width = Read<std::uint16_t>(data, 18);
        height = Read<std::uint16_t>(data, 20);
        bitsPerPixel = Read<std::uint16_t>(data, 24);
    } else {
        if (data.size() < kFileHeaderSize + kInfoHeaderSize)
            return false;
        width = Read<std::int32_t>(data, 18);
        height = std::llabs(Read<std::int32_t>(data, 22)); // negative: rows stored top-down
        bitsPerPixel = Read<std::uint16_t>(data, 28);
        compression = Read<std::uint32_t>(data, 30);
        declaredImageSize = Read<std::uint32_t>(data, 34);
    }
    // Run-length encoded rows have no fixed length: only the size the header states can be held
    // against the file.
    std::int64_t pixelBytes = declaredImageSize;
    if (compression == kUncompressed || compression == kBitFields) {
        const std::int64_t rowBytes = (std::llabs(width) * bitsPerPixel + 31) / 32 * 4;
        pixelBytes = rowBytes * height;
    }
    return std::int64_t(pixelOffset) + pixelBytes <= data.size();
}

std::optional<Picture> LoadFormPicture(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureBytes)
        return std::nullopt;
    const QByteArray data = file.read(kMaxPictureBytes + 1);
    if (data.size() > kMaxPictureBytes || !BitmapDataIsComplete(data))
        return std::nullopt;
    return DecodePicture(data);
}

} // namespace quillset
