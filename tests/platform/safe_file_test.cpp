// The safe whole-file reader and writer against files that are not what they
// seem: pipes, devices, folders, read-only files, over-size files and a disk
// that fills up part way through a write.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "platform/SafeFile.h"

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QByteArray Native(const char* name) const { return QFile::encodeName(Path(name)); }

    void Write(const char* name, const QByteArray& bytes) const {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray Read(const char* name) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
        return f.readAll();
    }
    QStringList Listing() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir_;
};

TEST_F(SafeFileTest, ReadTakesOnlyOrdinaryFilesWithinTheLimit) {
    Write("plain", "abc\r\n");
    ASSERT_EQ(::mkfifo(Native("fifo").constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", Native("zero").constData()), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    Write("big", QByteArray(1025, 'x'));

    struct Case {
        const char* name;
        qsizetype limit;
        int err;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"plain", platform::kNoSizeLimit, 0, "abc\r\n"},
        {"plain", 5, 0, "abc\r\n"},  // exactly at the limit
        {"big", 1024, EFBIG, {}},
        {"big", platform::kNoSizeLimit, 0, QByteArray(1025, 'x')},
        {"missing", 100, ENOENT, {}},
        {"folder", 100, EISDIR, {}},
        {"fifo", 100, ENODEV, {}},                     // a pipe without a writer would block a read for ever
        {"zero", platform::kNoSizeLimit, ENODEV, {}},  // a device never ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray out("stale");
        {
            const hostile::Watchdog watchdog;  // a read that hangs ends the test
            EXPECT_EQ(platform::ReadRegularFile(Path(c.name), c.limit, out), c.err);
        }
        EXPECT_EQ(out, c.bytes);
    }
    QByteArray out;
    EXPECT_EQ(platform::ReadRegularFile(QString(), 10, out), EINVAL);
}

TEST_F(SafeFileTest, ReplaceRefusesTargetsItMustNotTouch) {
    Write("readonly", "keep me\r\n");
    ASSERT_EQ(::chmod(Native("readonly").constData(), 0444), 0);
    ASSERT_EQ(::mkfifo(Native("fifo").constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", Native("zero").constData()), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    const QStringList before = Listing();

    // A file without any write bit stays even for a user whom the
    // permissions alone would let write it.
    EXPECT_TRUE(platform::IsReadOnlyFile(Path("readonly")));
    EXPECT_EQ(platform::ReplaceFile(Path("readonly"), "new"), EACCES);
    EXPECT_EQ(Read("readonly"), QByteArray("keep me\r\n"));
    EXPECT_EQ(platform::ReplaceFile(Path("fifo"), "new"), ENODEV);
    EXPECT_EQ(platform::ReplaceFile(Path("zero"), "new"), ENODEV);
    EXPECT_EQ(platform::ReplaceFile(Path("folder"), "new"), EISDIR);
    EXPECT_EQ(platform::ReplaceFile(QString(), "new"), EINVAL);

    struct stat st {};
    ASSERT_EQ(::stat(Native("fifo").constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::lstat(Native("zero").constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Listing(), before);  // no temporary file left behind
}

TEST_F(SafeFileTest, ReplaceKeepsTheOldFileWhenTheDiskFills) {
    const QByteArray old("[Window]\r\nleft= 1980\r\ntop= 1980\r\nwidth= 10080\r\n");
    Write("settings", old);
    const QStringList before = Listing();
    int err = 0;
    {
        // A file-size limit makes the write fail part way, as a full disk does.
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lower = saved;
        lower.rlim_cur = 16;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
        err = platform::ReplaceFile(Path("settings"), QByteArray(100, 'n'));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(Read("settings"), old);
    EXPECT_EQ(Listing(), before);
}

TEST_F(SafeFileTest, ReplaceWritesThroughALinkAndKeepsPermissions) {
    Write("target", "old");
    ASSERT_EQ(::chmod(Native("target").constData(), 0640), 0);
    ASSERT_EQ(::symlink("target", Native("link").constData()), 0);
    EXPECT_EQ(platform::ReplaceFile(Path("link"), "new content"), 0);
    EXPECT_EQ(Read("target"), QByteArray("new content"));
    struct stat st {};
    ASSERT_EQ(::lstat(Native("link").constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(Native("target").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    EXPECT_EQ(platform::ReplaceFile(Path("fresh"), "made"), 0);
    EXPECT_EQ(Read("fresh"), QByteArray("made"));
}

}  // namespace
