#include "graphics/PictureLoader.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

// The corpus names each file after what must happen to it: good-* load, bad-* are refused with
// a reason, any-* only must not crash. Some bad files also name the reason we expect.
const std::map<QString, QString> kExpectedReasons = {
    {"bad-checksum.wmf", "checksum"},
    {"bad-empty-frame.wmf", "empty picture frame"},
    {"bad-zero-units-per-inch.wmf", "empty picture frame"},
    {"bad-header-size.wmf", "metafile header"},
    {"bad-version.wmf", "metafile header"},
    {"bad-declared-size-too-big.wmf", "shorter than its header"},
    {"bad-record-size-zero.wmf", "record's size"},
    {"bad-record-overruns-file.wmf", "record's size"},
    {"bad-no-eof.wmf", "end-of-file"},
    {"bad-object-index.wmf", "does not exist"},
    {"bad-selects-deleted-object.wmf", "does not exist"},
    {"bad-too-many-objects.wmf", "more objects"},
    {"bad-restore-unsaved.wmf", "never saved"},
    {"bad-restore-zero.wmf", "never saved"},
    {"bad-window-extent-zero.wmf", "extent is zero"},
    {"bad-polygon-count.wmf", "point list"},
    {"bad-polyline-negative-count.wmf", "point list"},
    {"bad-polypolygon-count.wmf", "point list"},
    {"bad-text-length.wmf", "shorter than its contents"},
    {"bad-text-negative-length.wmf", "negative length"},
    {"bad-exttext-length.wmf", "shorter than its contents"},
    {"bad-short-pen.wmf", "shorter than its contents"},
    {"bad-short-font.wmf", "shorter than its contents"},
    {"bad-short-rectangle.wmf", "shorter than its contents"},
    {"bad-deep-savedc.wmf", "drawing states"},
    {"bad-dib-too-large.wmf", "larger than allowed"},
    {"bad-dib-palette-past-record.wmf", "shorter than its header"},
    {"bad-scale-zero-denominator.wmf", "zero denominator"},
    {"bad-region-odd-edges.wmf", "odd number of edges"},
    {"bad-bmp-20000-square.bmp", "size"},
    {"bad-bmp-300-megabytes.bmp", "9000 x 9000"},
};

TEST(PictureCorpus, EveryFileHasTheOutcomeItsNameStates) {
    const QDir corpus(qEnvironmentVariable("QUILLSET_PICTURE_CORPUS"));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 30) << corpus.path().toStdString();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const Result<Picture> picture = LoadPicture(corpus.filePath(name).toStdString());
        const QString error = picture ? QString() : picture.reason();
        if (name.startsWith("good-")) {
            ASSERT_TRUE(picture) << error.toStdString();
            QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            picture->drawInto(painter, QRectF(0, 0, 64, 64));
            painter.end();
            int inked = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    inked += qAlpha(image.pixel(x, y)) != 0;
            EXPECT_GT(inked, 0) << "draws nothing";
        } else if (name.startsWith("bad-")) {
            EXPECT_FALSE(picture);
            EXPECT_FALSE(error.isEmpty());
            const auto reason = kExpectedReasons.find(name);
            if (reason != kExpectedReasons.end()) {
                EXPECT_TRUE(error.contains(reason->second)) << error.toStdString();
            }
        }
    }
    for (const auto& [name, reason] : kExpectedReasons)
        EXPECT_TRUE(names.contains(name)) << "corpus lacks " << name.toStdString();
}

} // namespace
} // namespace quillset::test
