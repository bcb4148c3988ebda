#include "graphics/PictureLoader.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(PictureLoader, LoadsTheSampleBitmapsAtTheirPixelSize) {
    struct Case {
        const char* file;
        QSize size;
    };
    for (const Case& c : {Case{"FORMATED TEXT/SAMPLE1.BMP", {198, 189}},
                          Case{"FORMATED TEXT/SAMPLE2.BMP", {224, 226}}}) {
        const Result<Picture> picture = LoadPicture(Demo(c.file));
        ASSERT_TRUE(picture) << c.file << ": " << picture.reason().toStdString();
        EXPECT_FALSE(picture->isVector());
        EXPECT_EQ(picture->naturalSize(), c.size);
        ASSERT_NE(picture->bitmap(), nullptr);
        EXPECT_EQ(picture->bitmap()->size(), c.size);
    }
}

TEST(PictureLoader, TellsMetafilesFromBitmapsByContentNotByName) {
    QTemporaryDir folder;
    const std::filesystem::path disguised = (folder.path() + "/GLOBE.BMP").toStdString();
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Demo("QUOTATION/GLOBE.WMF").string()),
                            QString::fromStdString(disguised.string())));
    const Result<Picture> picture = LoadPicture(disguised);
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->isVector());
}

TEST(PictureLoader, MissingAndEmptyFilesFailWithAReason) {
    QTemporaryDir folder;
    QFile empty(folder.path() + "/EMPTY.BMP");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    for (const QString& path : {folder.path() + "/MISSING.WMF", empty.fileName(), folder.path()}) {
        const Result<Picture> picture = LoadPicture(path.toStdString());
        EXPECT_FALSE(picture) << path.toStdString();
        const QString error = picture ? QString() : picture.reason();
        EXPECT_FALSE(error.isEmpty()) << path.toStdString();
    }
}

} // namespace
} // namespace quillset::test
