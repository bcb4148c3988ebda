// The main of every test executable that shows nothing and brings no main of its own: a core
// application, so that Qt's event loop, processes and timers work.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
