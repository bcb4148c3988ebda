#include "graphics/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(SystemColors, PlainColoursAreStoredBlueGreenRed) {
    EXPECT_EQ(PaperColor(0x808000), QColor(0, 128, 128));
    EXPECT_EQ(PaperColor(0), QColor(0, 0, 0));
    EXPECT_EQ(PaperColor(0x0000FF), QColor(255, 0, 0));
}

// Paper keeps the classic colours whatever palette the desktop gives the application.
TEST(SystemColors, SystemIndicesPrintInTheClassicColoursWithAnyTheme) {
    QPalette dark(QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::WindowText, QColor(0xF0, 0xF0, 0xF0));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    const QPalette before = QGuiApplication::palette();
    for (const QPalette& palette : {before, dark}) {
        QGuiApplication::setPalette(palette);
        EXPECT_EQ(PaperColor(0x80000008), QColor(Qt::black)) << "window text";
        EXPECT_EQ(PaperColor(0x80000005), QColor(Qt::white)) << "window";
        EXPECT_EQ(PaperColor(0x80000012), QColor(Qt::black)) << "button text";
        EXPECT_EQ(PaperColor(0x80000018), QColor(0xFF, 0xFF, 0xE1)) << "tooltip background";
        EXPECT_EQ(PaperColor(0x80000019), QColor(Qt::black)) << "past the palette: as text";
    }
    QGuiApplication::setPalette(before);
}

} // namespace
} // namespace quillset::test
