// The servo widget library as the program loads it: a shared library whose
// reported version is the major version its file name carries.
#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <string>

#include "vxServoCommon.h"

namespace {

TEST(ServoLibrary, ReportsTheMajorVersionOfTheSharedLibraryItIsLoadedFrom) {
    EXPECT_EQ(vxServoSlide2Library::version(), QUARVEL_VERSION_MAJOR);

    // The function comes from the shared library (not a copy linked into the
    // test), and that library's file is the one of this major version.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&vxServoSlide2Library::version), &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    const std::string file = info.dli_fname;
    const std::string expected = "libvxServoSlide2.so." + std::to_string(QUARVEL_VERSION_MAJOR);
    ASSERT_GE(file.size(), expected.size()) << file;
    EXPECT_EQ(file.substr(file.size() - expected.size()), expected) << file;
}

TEST(ServoLibrary, TestsRunInAnOffscreenApplicationThatCanShowWidgets) {
    ASSERT_NE(qApp, nullptr);
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QWidget host;
    host.resize(120, 40);
    host.show();
    EXPECT_TRUE(host.isVisible());
}

}  // namespace
