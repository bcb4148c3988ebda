#include "graphics/SystemColors.h"

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

} // namespace
} // namespace quillset::test
