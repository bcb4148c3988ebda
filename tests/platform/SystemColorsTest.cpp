#include "graphics/SystemColors.h"
#include "platform/DateText.h"

#include <QPalette>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(SystemColors, PlainColoursAreStoredBlueGreenRed) {
    EXPECT_EQ(ToQColor(0x808000), QColor(0, 128, 128));
    EXPECT_EQ(ToQColor(0), QColor(0, 0, 0));
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
}

TEST(SystemColors, SystemIndicesFollowThePalette) {
    const QPalette palette;
    EXPECT_EQ(ToQColor(0x80000008), palette.color(QPalette::Active, QPalette::WindowText));
    EXPECT_EQ(ToQColor(0x80000005), palette.color(QPalette::Active, QPalette::Base));
}

TEST(DateText, GeneralDateOmitsMidnightAndTheTimeZone) {
    const QDate day(2003, 3, 7);
    EXPECT_EQ(GeneralDateText(QDateTime(day, QTime(0, 0))),
              QLocale::system().toString(day, QLocale::ShortFormat));
    const QString withTime = GeneralDateText(QDateTime(day, QTime(9, 5, 7)));
    EXPECT_TRUE(withTime.contains("05:07") || withTime.contains("5:07")) << withTime.toStdString();
    EXPECT_FALSE(withTime.contains("UTC")) << withTime.toStdString();
}

} // namespace
} // namespace quillset::test
