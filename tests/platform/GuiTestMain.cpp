#include "Fonts.h"

#include <QApplication>
#include <gtest/gtest.h>

// Pictures and fonts need the application object; tests run on the offscreen platform.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillset::InstallFontSubstitutions();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
