#include "graphics/PictureLoader.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>
#include <iostream>

namespace quillset::test {
namespace {

// Metafiles written by a vector drawing program and an office suite, each beside an independent
// reader's rendering of it (tools/metafiles/make_reference_corpus.sh). That reader fits the drawn
// content to its image rather than the header's frame, so both renderings are cut to their ink
// before they are compared, cell by cell, on a coarse grid.
constexpr int kGridColumns = 16;
// A cell differs when one colour channel of its average differs by more than this.
constexpr int kCellTolerance = 64;
// Fonts, anti-aliasing and dash patterns differ between readers; whole shapes must not.
constexpr double kMostDifferingCells = 0.15;

QImage OnWhite(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

QRect InkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(row[x]) < 235 || qGreen(row[x]) < 235 || qBlue(row[x]) < 235)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

QImage Grid(const QImage& image, QSize cells) {
    return image.copy(InkBounds(image))
        .scaled(cells, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

int ChannelDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QDir Corpus() {
    return QDir(QStringLiteral(QUILLSET_SOURCE_DIR "/tests/graphics/metafiles"));
}

TEST(RealToolMetafiles, DrawLikeAnIndependentReaderOnACoarseGrid) {
    const QStringList files = Corpus().entryList({"*.wmf"}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 7) << Corpus().path().toStdString();
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QImage reference = OnWhite(QImage(Corpus().filePath(file.chopped(4) + ".png")));
        ASSERT_FALSE(reference.isNull()) << "no reference rendering";
        const Result<Picture> picture = LoadPicture(Corpus().filePath(file).toStdString());
        ASSERT_TRUE(picture) << picture.reason().toStdString();
        QImage ours(reference.size(), QImage::Format_RGB32);
        ours.fill(Qt::white);
        QPainter painter(&ours);
        picture->drawInto(painter, QRectF(ours.rect()));
        painter.end();

        const QRect referenceInk = InkBounds(reference);
        ASSERT_FALSE(InkBounds(ours).isEmpty()) << "draws nothing";
        const int rows = std::clamp(
            int(std::lround(kGridColumns * double(referenceInk.height()) / referenceInk.width())),
            4, 3 * kGridColumns);
        const QSize cells(kGridColumns, rows);
        const QImage expected = Grid(reference, cells), actual = Grid(ours, cells);
        int differing = 0;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < kGridColumns; ++x)
                differing +=
                    ChannelDifference(expected.pixel(x, y), actual.pixel(x, y)) > kCellTolerance;
        const double share = double(differing) / (rows * kGridColumns);
        std::cout << file.toStdString() << ": " << differing << " of " << rows * kGridColumns
                  << " cells differ\n";
        EXPECT_LE(share, kMostDifferingCells);
    }
}

} // namespace
} // namespace quillset::test
