#include "graphics/PictureLoader.h"

#include "graphics/PlaceableMetafile.h"
#include "posix/FileDescriptor.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

namespace {

Result<Picture> DecodeBitmap(QByteArrayView data) {
    // The reader must not copy the bytes it reads: the view stays alive for the whole call.
    const QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // A Windows bitmap goes straight to Qt's own reader; only other contents are offered to the
    // image plugins, each of which would be loaded to ask whether it can read them.
    const bool windowsBitmap = data.size() >= 2 && data[0] == 'B' && data[1] == 'M';
    QImageReader reader(&buffer, windowsBitmap ? QByteArrayLiteral("bmp") : QByteArray());
    reader.setDecideFormatFromContent(!windowsBitmap);
    reader.setAutoDetectImageFormat(!windowsBitmap);
    if (!reader.canRead())
        return Refuse(QStringLiteral("the file is not a picture"));
    const QSize declared = reader.size();
    if (!declared.isValid())
        return Refuse(QStringLiteral("the picture declares no usable size"));
    if (declared.width() > kMaxPictureSide || declared.height() > kMaxPictureSide ||
        qint64(declared.width()) * declared.height() * 4 > kMaxPictureBytes)
        return Refuse(QStringLiteral("the picture declares a size of %1 x %2 pixels, which "
                                     "is not allowed")
                          .arg(declared.width())
                          .arg(declared.height()));
    // A second guard inside the decoder, for formats whose header size can lie.
    QImageReader::setAllocationLimit(int(kMaxPictureBytes / (1024 * 1024)));
    QImage image = reader.read();
    if (image.isNull())
        return Refuse(
            QStringLiteral("the picture could not be read: %1").arg(reader.errorString()));
    return Picture(std::move(image));
}

} // namespace

Result<Picture> DecodePicture(QByteArrayView data) {
    if (LooksLikePlaceableMetafile(data))
        return ReadPlaceableMetafile(data);
    return DecodeBitmap(data);
}

Result<QByteArray> ReadPictureFile(const std::filesystem::path& path) {
    // Opened without waiting, so that a FIFO with no writer or a device answers at once; only a
    // regular file is read.
    SystemResult<Fd> opened = TryOpenRegularFile(path.string());
    if (!opened)
        return Refuse(opened.reason().error() == EINVAL
                          ? QStringLiteral("the picture is not a regular file")
                          : QString::fromLocal8Bit(std::strerror(opened.reason().error())));
    const int fd = opened->release();
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Refuse(file.errorString());
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return Refuse(file.errorString());
    if (status.st_size > kMaxPictureBytes)
        return Refuse(QStringLiteral("the file is too large for a picture"));
    // As many bytes as the file holds (Qt sets aside all it is asked for), and past the end only
    // when the file grew meanwhile.
    QByteArray data = file.read(std::min<qint64>(status.st_size, kMaxPictureBytes) + 1);
    if (data.size() > status.st_size && data.size() <= kMaxPictureBytes)
        data += file.read(kMaxPictureBytes + 1 - data.size());
    if (data.size() > kMaxPictureBytes)
        return Refuse(QStringLiteral("the file is too large for a picture"));
    return data;
}

Result<Picture> LoadPicture(const std::filesystem::path& path) {
    const Result<QByteArray> data = ReadPictureFile(path);
    if (!data)
        return Refuse(data.reason());
    return DecodePicture(*data);
}

} // namespace quillset
