// Profile files that fight back: a full disk, a pipe, a link to an endless
// device, a read-only file, an over-size file and a single line of fifty
// megabytes.  Each must leave the old file byte for byte, report its failure
// once, and cost no more than one read and one write of the file.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <csignal>

#include <cerrno>
#include <functional>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "ProcessIo.h"
#include "QtPrinters.h"

#include "compiler/Text.h"
#include "platform/Profile.h"

namespace {

const QByteArray kOld = "[Window]\r\nleft= 100\r\ntop= 1980\r\n[Port]\r\nCOMMport= 3\r\n";

class ProfileFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qvv2::SetSystemCodePage("CP1252");
    }
    void TearDown() override {
        if (mounted_) ::umount2(QFile::encodeName(mountPoint_).constData(), MNT_DETACH);
        qvv2::SetSystemCodePage("");
    }

    QString Path(const char* name = "qvv2.ini") const { return dir_.filePath(QString::fromLatin1(name)); }
    QByteArray Native(const char* name = "qvv2.ini") const { return QFile::encodeName(Path(name)); }

    void Write(const QString& path, const QByteArray& bytes) const {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
        return f.readAll();
    }
    QStringList Listing(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    // Mounts a 64 KiB file system on a fresh folder; false where mounting is
    // not allowed.
    bool MountSmallDisk() {
        mountPoint_ = Path("disk");
        if (!QDir().mkpath(mountPoint_)) return false;
        mounted_ = ::mount("tmpfs", QFile::encodeName(mountPoint_).constData(), "tmpfs", 0, "size=64k") == 0;
        return mounted_;
    }

    // The settings written at exit: many keys in one batch.
    static int SaveManyKeys(const QString& file) {
        platform::ProfileBatch batch;
        for (int i = 0; i < 40; ++i) {
            platform::WriteProfileString("Window", QStringLiteral("key%1").arg(i), QStringLiteral(" %1").arg(i), file);
            platform::WriteProfileString("Port", QStringLiteral("port%1").arg(i), QStringLiteral("-%1").arg(i), file);
        }
        return batch.Finish();
    }

    QTemporaryDir dir_;
    QString mountPoint_;
    bool mounted_ = false;
};

TEST_F(ProfileFaultsTest, ABatchWritesEachChangedFileOnceAtItsEnd) {
    Write(Path(), kOld);
    platform::ProfileBatch batch;
    EXPECT_EQ(platform::WriteProfileString("Window", "left", " 200", Path()), 0);
    EXPECT_EQ(platform::WriteProfileString("Window", "width", " 300", Path()), 0);
    EXPECT_EQ(platform::WriteProfileString("Other", "k", "v", Path("other.ini")), 0);
    {
        platform::ProfileBatch inner;  // an inner batch adds to the outer one
        EXPECT_EQ(platform::WriteProfileString("Port", "COMMport", " 4", Path()), 0);
        EXPECT_EQ(inner.Finish(), 0);
    }
    // Nothing on disk yet, but reads see the batch's values.
    EXPECT_EQ(Read(Path()), kOld);
    EXPECT_EQ(Read(Path("other.ini")), QByteArray("<missing>"));
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "", Path()), "200");
    EXPECT_EQ(platform::GetPrivateProfileString("Port", "COMMport", "", Path()), "4");

    EXPECT_EQ(batch.Finish(), 0);
    EXPECT_EQ(Read(Path()),
              QByteArray("[Window]\r\nleft= 200\r\ntop= 1980\r\nwidth= 300\r\n[Port]\r\nCOMMport= 4\r\n"));
    EXPECT_EQ(Read(Path("other.ini")), QByteArray("[Other]\r\nk=v\r\n"));
    EXPECT_EQ(batch.Finish(), 0);  // a second end writes nothing more
}

TEST_F(ProfileFaultsTest, ChangesOnDiskAreSeenOutsideABatch) {
    // Same size, same second: only the stamp's finer parts or the recent-
    // change rule can tell the versions apart.
    Write(Path(), "[S]\r\nk=1\r\n");
    EXPECT_EQ(platform::GetPrivateProfileString("S", "k", "", Path()), "1");
    Write(Path(), "[S]\r\nk=2\r\n");
    EXPECT_EQ(platform::GetPrivateProfileString("S", "k", "", Path()), "2");
    ASSERT_TRUE(QFile::remove(Path()));
    EXPECT_EQ(platform::GetPrivateProfileString("S", "k", "gone", Path()), "gone");
    Write(Path(), "[S]\r\nk=3\r\n");
    EXPECT_TRUE(platform::WritePrivateProfileString("S", "j", "4", Path()));
    EXPECT_EQ(Read(Path()), QByteArray("[S]\r\nk=3\r\nj=4\r\n"));
}

TEST_F(ProfileFaultsTest, AHugeLineCostsOneReadAndOneWrite) {
    // One line of 50 MB between ordinary settings.
    const QByteArray blob = "\r\nblob=" + QByteArray(50 * 1024 * 1024, 'x') + "\r\n";
    const QByteArray big = "[Window]\r\nleft= 100\r\n[Junk]" + blob + "[Port]\r\nCOMMport= 3\r\n";
    Write(Path(), big);
    // An old file: outside a batch it is trusted while its stamp holds.
    const timeval past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes(Native().constData(), past), 0);

    const ProcessIo before = ProcessIo::Now();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "", Path()), "100");
        EXPECT_EQ(platform::GetPrivateProfileString("Port", "missing", "d", Path()), "d");
    }
    EXPECT_EQ(platform::GetPrivateProfileString("Junk", "blob", "", Path()), QString(254, u'x'));
    EXPECT_EQ(SaveManyKeys(Path()), 0);
    // Reading the file again for every key would move 81 copies of it; one
    // read and one write move one each.
    const ProcessIo io = ProcessIo::Now().Since(before);
    const int64_t size = big.size();
    ASSERT_GE(io.read, 0) << "the system does not count the bytes read";
    EXPECT_GE(io.read, size);
    EXPECT_LT(io.read, 2 * size);
    EXPECT_GE(io.written, size);
    EXPECT_LT(io.written, 2 * size);

    const QByteArray after = Read(Path());
    EXPECT_TRUE(after.startsWith("[Window]\r\nleft= 100\r\nkey0= 0\r\n"));
    EXPECT_TRUE(after.contains("[Junk]" + blob + "[Port]\r\nCOMMport= 3\r\nport0=-0"));  // byte for byte
    EXPECT_EQ(platform::GetPrivateProfileString("Port", "port39", "", Path()), "-39");
}

// Each hostile file: how to make it, and what a write reports.
struct Hostile {
    const char* name;
    std::function<void(ProfileFaultsTest&, const QByteArray& path)> make;
    int writeError;
};

TEST_F(ProfileFaultsTest, FilesThatAreNoOrdinaryFilesReadAsMissingAndAreNeverReplaced) {
    const Hostile cases[] = {
        {"pipe", [](ProfileFaultsTest&, const QByteArray& p) { ASSERT_EQ(::mkfifo(p.constData(), 0644), 0); }, ENODEV},
        {"endless device",
         [](ProfileFaultsTest&, const QByteArray& p) { ASSERT_EQ(::symlink("/dev/zero", p.constData()), 0); }, ENODEV},
        {"folder", [](ProfileFaultsTest&, const QByteArray& p) { ASSERT_EQ(::mkdir(p.constData(), 0755), 0); }, ENODEV},
        {"over the size limit",
         [](ProfileFaultsTest&, const QByteArray& p) {
             // A sparse file: large, yet it takes no room on the disk.
             const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::ftruncate(fd, platform::kMaxProfileBytes + 1), 0);
             ::close(fd);
         },
         ENODEV},
    };
    int n = 0;
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path() + QString::number(++n);
        const QByteArray native = QFile::encodeName(path);
        c.make(*this, native);
        struct stat before {};
        ASSERT_EQ(::lstat(native.constData(), &before), 0);

        {
            // No wait on the pipe, no endless read (the watchdog ends a test
            // that hangs).
            const hostile::Watchdog watchdog;
            EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "default", path), "default");
            EXPECT_EQ(SaveManyKeys(path), c.writeError);
            EXPECT_EQ(platform::WriteProfileString("Window", "left", " 1", path), c.writeError);
        }

        struct stat after {};
        ASSERT_EQ(::lstat(native.constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
    }
    EXPECT_EQ(Listing(dir_.path()).size(), 4);  // no temporary file left behind
}

TEST_F(ProfileFaultsTest, AReadOnlyFileStaysAndTheBatchReportsItOnce) {
    Write(Path(), kOld);
    ASSERT_EQ(::chmod(Native().constData(), 0444), 0);
    EXPECT_EQ(SaveManyKeys(Path()), EACCES);
    EXPECT_EQ(Read(Path()), kOld);
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "key1", "none", Path()), "none");
    EXPECT_EQ(Listing(dir_.path()), QStringList{"qvv2.ini"});
    ::chmod(Native().constData(), 0644);
}

TEST_F(ProfileFaultsTest, AFullDiskKeepsTheOldFile) {
    if (!MountSmallDisk()) GTEST_SKIP() << "mounting a small file system is not allowed here";
    const QString file = mountPoint_ + QStringLiteral("/qvv2.ini");
    Write(file, kOld);
    {
        // Fill the disk to the last byte.
        QFile filler(mountPoint_ + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray chunk(4096, 'f');
        while (filler.write(chunk) == chunk.size() && filler.flush()) {}
    }
    const QStringList before = Listing(mountPoint_);
    EXPECT_EQ(SaveManyKeys(file), ENOSPC);
    EXPECT_EQ(Read(file), kOld);
    EXPECT_EQ(Listing(mountPoint_), before);
    // The failed batch's values are gone; reads see the file as it is.
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "key1", "none", file), "none");
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "", file), "100");
}

TEST_F(ProfileFaultsTest, AWriteCutShortByTheFileSizeLimitKeepsTheOldFile) {
    Write(Path(), kOld);
    int err = 0;
    {
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lower = saved;
        lower.rlim_cur = 100;  // the old file fits, the new one does not
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
        err = SaveManyKeys(Path());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(err, EFBIG);
    EXPECT_EQ(Read(Path()), kOld);
    EXPECT_EQ(Listing(dir_.path()), QStringList{"qvv2.ini"});
}

}  // namespace
