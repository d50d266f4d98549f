// The recent-files list: six entries newest first in recent.rct, byte for
// byte, with lengths in bytes of the code page, the tail of an older file,
// and the menu items it fills.
#include <gtest/gtest.h>

#include <map>

#include "QtPrinters.h"
#include "documents/RecentFiles.h"
#include "files_helpers.h"
#include "platform/FileNames.h"

using namespace files_test;

namespace {

class FilesRecent : public ::testing::Test {
protected:
    void SetUp() override {
        modApp::RecentFiles = modApp::RecentFileList();
        modApp::SetRecentMenuSetter([this](int item, const QString& caption) {
            menu_[item] = caption;
            ++menuCalls_;
        });
    }
    void TearDown() override {
        modApp::SetRecentMenuSetter({});
        modApp::RecentFiles = modApp::RecentFileList();
    }

    QByteArray RctBytes() const { return ReadAll(folder_.file(QStringLiteral("recent.rct"))); }

    LocaleScope korean_{Korean()};
    ProgramFolder folder_;
    std::map<int, QString> menu_;
    int menuCalls_ = 0;
};

// The seven files opened one after the other in the fixture.
const QStringList kSeven = {
    "walk1.bas", "walk2.bas", "걷기.bas", "dance/turn.QSF", "인사 동작.qsf", "walk1.bas", "kick.bas",
};

TEST_F(FilesRecent, SevenFilesLeaveTheLastSixNewestFirst) {
    for (const QString& path : kSeven) ASSERT_TRUE(modApp::AddRecentFile(path).ok());
    EXPECT_EQ(RctBytes(), Fixture("files_recent.rct"));

    const QStringList expected = {"kick.bas", "walk1.bas", "인사 동작.qsf", "dance/turn.QSF", "걷기.bas", "walk2.bas"};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(modApp::RecentFiles[k], expected[k - 1]) << k;
    for (int item = 0; item <= 5; ++item) {
        EXPECT_EQ(menu_[item], expected[item]);
        EXPECT_EQ(modApp::RecentMenuPath(item), expected[item]);
    }
    EXPECT_EQ(modApp::RecentMenuPath(6), QString());
    EXPECT_EQ(modApp::RecentMenuPath(-1), QString());

    // Read back at the next start.
    modApp::RecentFiles = modApp::RecentFileList();
    menu_.clear();
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(modApp::RecentFiles[k], expected[k - 1]);
    EXPECT_EQ(menu_.size(), 6u);
}

TEST_F(FilesRecent, EntriesAreLengthPrefixedInBytesAndEmptyOnesAreTwoZeros) {
    ASSERT_TRUE(modApp::AddRecentFile(QStringLiteral("a.bas")).ok());
    ASSERT_TRUE(modApp::AddRecentFile(QStringLiteral("한.bas")).ok());
    EXPECT_EQ(RctBytes(), QByteArray("\x06\x00\xc7\xd1.bas\x05\x00" "a.bas", 15) + QByteArray(8, '\0'));
    // The same path twice stands twice.
    ASSERT_TRUE(modApp::AddRecentFile(QStringLiteral("한.bas")).ok());
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("한.bas"));
    EXPECT_EQ(modApp::RecentFiles[2], QStringLiteral("한.bas"));
    EXPECT_EQ(modApp::RecentFiles[3], QStringLiteral("a.bas"));
    // Items of empty entries are not touched.
    EXPECT_EQ(menu_.count(3), 0u);
}

TEST_F(FilesRecent, AShorterListLeavesTheOlderFilesTailWhichTheReaderIgnores) {
    const QByteArray older = Fixture("files_recent.rct");
    WriteAll(folder_.file(QStringLiteral("recent.rct")), older);
    ASSERT_TRUE(modApp::AddRecentFile(QStringLiteral("x.bas")).ok());
    const QByteArray head("\x05\x00x.bas\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 17);
    EXPECT_EQ(RctBytes(), head + older.mid(head.size()));

    modApp::RecentFiles = modApp::RecentFileList();
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("x.bas"));
    for (int k = 2; k <= 6; ++k) EXPECT_EQ(modApp::RecentFiles[k], QString()) << k;
}

TEST_F(FilesRecent, LoadingAMissingOrShortFile) {
    modApp::RecentFiles[1] = QStringLiteral("kept.bas");
    EXPECT_EQ(modApp::LoadRecentFiles().Number, modApp::errFileNotFound);
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("kept.bas"));
    EXPECT_EQ(menuCalls_, 0);  // the menu keeps its design-time state

    // Two entries, then the file ends (the second one in the middle).
    WriteAll(folder_.file(QStringLiteral("recent.rct")), QByteArray("\x05\x00" "a.bas\x09\x00" "b.b", 12));
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("a.bas"));
    for (int k = 2; k <= 6; ++k) EXPECT_EQ(modApp::RecentFiles[k], QString()) << k;
    EXPECT_EQ(menuCalls_, 1);
}

TEST_F(FilesRecent, InEnglishANameTheCodePageCannotHoldIsLeftOutAndTheOthersComeBack) {
    LocaleScope english(English());
    const struct {
        QString path;
        bool kept;
    } cases[] = {
        {QStringLiteral("/home/u/first.bas"), true},
        {QStringLiteral("/home/u/K_한글.bas"), false},  // CP1252 has no Hangul
        {QStringLiteral("/home/u/café €5?.bas"), true},  // all of it in CP1252, '?' too
        {platform::DecodeFileName("/home/u/k_bad\xFF.bas"), false},  // not valid UTF-8
        {QStringLiteral("/home/u/日本.qsf"), false},
        {QStringLiteral("/home/u/last.bas"), true},
    };
    QStringList kept;  // newest first
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const modApp::RecentFileList before = modApp::RecentFiles;
        const int calls = menuCalls_;
        const modApp::FileError e = modApp::AddRecentFile(c.path);
        if (c.kept) {
            EXPECT_TRUE(e.ok());
            kept.prepend(c.path);
        } else {
            // Nothing changes: the list, the file and the menu stay as they were.
            EXPECT_EQ(e.Number, modApp::errInvalidArgument);
            EXPECT_EQ(modApp::RecentFiles, before);
            EXPECT_EQ(menuCalls_, calls);
        }
    }
    EXPECT_EQ(RctBytes().left(18), QByteArray("\x10\x00/home/u/last.bas", 18));

    // The next start shows the same names, each as it was added.
    modApp::RecentFiles = modApp::RecentFileList();
    menu_.clear();
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(modApp::RecentFiles[k], k <= kept.size() ? kept[k - 1] : QString()) << k;
    ASSERT_EQ(menu_.size(), static_cast<size_t>(kept.size()));
    for (int item = 0; item < kept.size(); ++item) EXPECT_EQ(menu_[item], kept[item]);

    // The same Hangul name is kept where the code page holds it.
    LocaleScope korean(Korean());
    ASSERT_TRUE(modApp::AddRecentFile(QStringLiteral("/home/u/K_한글.bas")).ok());
    modApp::RecentFiles = modApp::RecentFileList();
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("/home/u/K_한글.bas"));
}

TEST_F(FilesRecent, AFailedWriteIsReportedAndTheListStillMoves) {
    // recent.rct's name is taken by a folder: the file cannot be written.
    QDir(folder_.path()).mkdir(QStringLiteral("recent.rct"));
    const modApp::FileError e = modApp::AddRecentFile(QStringLiteral("a.bas"));
    EXPECT_EQ(e.Number, modApp::errPathFileAccess);
    EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("a.bas"));
    EXPECT_EQ(menu_[0], QStringLiteral("a.bas"));
}

}  // namespace
