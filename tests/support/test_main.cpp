// main() of every Qt-side test binary: an offscreen QApplication, then gtest.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Set before the QApplication exists: test binaries also run where there
    // is no display (during the build, in CI).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
