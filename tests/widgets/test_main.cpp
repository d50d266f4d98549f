// main() of the servo widget tests: an offscreen QApplication, then gtest.
// The widget library is tested on its own, without the program's code.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Set before the QApplication exists: the tests also run where there is
    // no display (during the build, in CI).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
