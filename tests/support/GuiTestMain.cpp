// The main of every test executable that draws or shows something and brings no main of its own:
// a headless QApplication, so fonts, pictures and widgets work, and the fonts the programs ask for.
#include "graphics/Fonts.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    quillset::InstallFontSubstitutions();
    return RUN_ALL_TESTS();
}
