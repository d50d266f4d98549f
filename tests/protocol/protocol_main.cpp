// main() of the protocol tests: a QCoreApplication (the link's waits run its
// event queue), then gtest.  Nothing here needs a window system.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
