// File names as bytes: every name, valid UTF-8 or not, comes back to its
// exact bytes, shows its undecodable bytes as replacement characters, and
// reaches the file system under its own bytes.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"

namespace {

TEST(FileNamesTest, EveryNameComesBackToItsBytes) {
    const QString fffd(QChar::ReplacementCharacter);
    const struct {
        QByteArray bytes;
        QString shown;
    } cases[] = {
        {"prog.bas", "prog.bas"},
        {"\xEC\xA0\x9C\xEB\xAA\xA9.bas", QStringLiteral("제목.bas")},       // valid Korean
        {"\xF0\x9F\x98\x80.bas", QString::fromUtf8("\xF0\x9F\x98\x80.bas")},  // beyond U+FFFF
        {"k_bad\xFF\xFE.bas", "k_bad" + fffd + fffd + ".bas"},
        {"\xC0\xAF", fffd + fffd},                      // overlong '/'
        {"\xE0\x80\xAF", fffd + fffd + fffd},           // overlong, three bytes
        {"\xED\xA0\x80x", fffd + fffd + fffd + "x"},    // an encoded surrogate
        {"a\xE2\x82", "a" + fffd + fffd},               // cut short at the end
        {"\xE2\x82x\xE2\x82\xAC", fffd + fffd + "x€"},  // cut short, then valid
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // beyond U+10FFFF
        {"\x80\xBF\xF5", fffd + fffd + fffd},           // stray bytes
        {"\xCC", fffd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex(' ').toStdString());
        const QString held = platform::DecodeFileName(c.bytes);
        EXPECT_EQ(platform::EncodeFileName(held), c.bytes);
        EXPECT_EQ(platform::DisplayFileName(held), c.shown);
        // A valid name is held as its characters, as Qt holds it.
        if (QFile::encodeName(QFile::decodeName(c.bytes)) == c.bytes) {
            EXPECT_EQ(held, QFile::decodeName(c.bytes));
        }
    }
    // A low surrogate that completes a pair is a character, not a byte.
    const QString pair = QString::fromUtf8("\xF0\x90\x82\x80");  // U+10080: D800 DC80
    ASSERT_EQ(pair.size(), 2);
    EXPECT_EQ(platform::EncodeFileName(pair), QByteArray("\xF0\x90\x82\x80"));
    EXPECT_EQ(platform::DisplayFileName(pair), pair);
}

TEST(FileNamesTest, RelativeNamesAreMadeAbsoluteAgainstAFolder) {
    const QString bad = platform::DecodeFileName("/home/u/k\xFF");
    const struct {
        QString name;
        QString folder;
        QString absolute;
    } cases[] = {
        {"walk.bas", "/home/u", "/home/u/walk.bas"},
        {"walk.bas", "/", "/walk.bas"},
        {"-walk.bas", "/home/u", "/home/u/-walk.bas"},
        {"./walk.bas", "/home/u", "/home/u/walk.bas"},
        {".//./sub/walk.bas", "/home/u", "/home/u/sub/walk.bas"},
        {"../walk.bas", "/home/u", "/home/u/../walk.bas"},
        {".walk.bas", "/home/u", "/home/u/.walk.bas"},
        {"walk.bas", bad, bad + "/walk.bas"},
        {"/tmp/walk.bas", "/home/u", "/tmp/walk.bas"},
        {"", "/home/u", ""},
        {"walk.bas", "", "walk.bas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.name + " in " + c.folder).toStdString());
        EXPECT_EQ(platform::AbsoluteFileName(c.name, c.folder), c.absolute);
    }
}

TEST(FileNamesTest, ReadAndReplaceReachTheFileOfTheRealName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFile bad(dir.path(), "k_bad\xFF\xFE.bas", "OLD");
    ASSERT_TRUE(bad.Ok());
    const QByteArray& native = bad.Path();

    const QString held = platform::DecodeFileName(native);
    QByteArray bytes;
    ASSERT_EQ(platform::ReadRegularFile(held, platform::kNoSizeLimit, bytes), 0);
    EXPECT_EQ(bytes, "OLD");
    ASSERT_EQ(platform::ReplaceFile(held, "NEW"), 0);
    ASSERT_EQ(platform::ReadRegularFile(held, platform::kNoSizeLimit, bytes), 0);
    EXPECT_EQ(bytes, "NEW");
    // The write went to that file: the folder holds it alone.
    QList<QByteArray> names;
    DIR* d = ::opendir(QFile::encodeName(dir.path()).constData());
    ASSERT_NE(d, nullptr);
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') names << QByteArray(e->d_name);
    ::closedir(d);
    EXPECT_EQ(names, QList<QByteArray>{"k_bad\xFF\xFE.bas"});
}

TEST(FileNamesTest, EntriesAreLookedAtListedAndRemovedByTheirBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path()) + "/";
    const hostile::RawNamedFile file(dir.path(), "f_\xFF.bas", "X");
    const hostile::RawNamedFile hidden(dir.path(), ".h_\xFA", "");
    const hostile::RawNamedFolder folder(dir.path(), "d_\xFE");
    ASSERT_TRUE(file.Ok() && hidden.Ok() && folder.Ok());
    ASSERT_EQ(::mkfifo((root + "p_\xFD").constData(), 0600), 0);
    ASSERT_EQ(::symlink("nowhere", (root + "l_\xFC").constData()), 0);
    ASSERT_EQ(::symlink("f_\xFF.bas", (root + "k_\xFB").constData()), 0);
    const auto held = [&](const QByteArray& name) { return platform::DecodeFileName(root + name); };

    // Looked at without opening: the pipe makes nothing wait.
    const hostile::Watchdog watchdog;
    using Kind = platform::EntryKind;
    const struct {
        QByteArray name;
        bool exists, isFile, isFolder;
        Kind kind, ownKind;
    } cases[] = {
        {"f_\xFF.bas", true, true, false, Kind::File, Kind::File},
        {"d_\xFE", true, false, true, Kind::Folder, Kind::Folder},
        {"p_\xFD", true, false, false, Kind::Other, Kind::Other},     // a pipe
        {"l_\xFC", false, false, false, Kind::Nothing, Kind::Link},  // a dangling link
        {"k_\xFB", true, true, false, Kind::File, Kind::Link},       // a link to the file
        {"m_\xF9", false, false, false, Kind::Nothing, Kind::Nothing},  // missing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toHex(' ').toStdString());
        EXPECT_EQ(platform::FileExists(held(c.name)), c.exists);
        EXPECT_EQ(platform::IsFile(held(c.name)), c.isFile);
        EXPECT_EQ(platform::IsFolder(held(c.name)), c.isFolder);
        EXPECT_EQ(platform::StatusOf(held(c.name)).kind, c.kind);
        EXPECT_EQ(platform::OwnStatusOf(held(c.name)).kind, c.ownKind);
        EXPECT_EQ(platform::StatusOf(held(c.name)).Exists(), c.exists);
    }
    EXPECT_FALSE(platform::FileExists(QString()));
    EXPECT_EQ(platform::StatusOf(QString()).kind, Kind::Nothing);
    EXPECT_EQ(platform::OwnStatusOf(QString()).kind, Kind::Nothing);

    // Every entry is listed, hidden ones and dangling links too.
    QList<QByteArray> names;
    for (const QString& name : platform::ListFolder(dir.path())) names << platform::EncodeFileName(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (QList<QByteArray>{".h_\xFA", "d_\xFE", "f_\xFF.bas", "k_\xFB", "l_\xFC", "p_\xFD"}));
    EXPECT_TRUE(platform::ListFolder(held("m_\xF9")).isEmpty());

    // A link is removed itself, not its target; a folder is never removed.
    EXPECT_TRUE(platform::RemoveFile(held("k_\xFB")));
    EXPECT_FALSE(platform::FileExists(held("k_\xFB")));
    EXPECT_TRUE(platform::IsFile(held("f_\xFF.bas")));
    EXPECT_FALSE(platform::RemoveFile(held("d_\xFE")));
    EXPECT_TRUE(platform::IsFolder(held("d_\xFE")));
    EXPECT_TRUE(platform::RemoveFile(held("p_\xFD")));
    EXPECT_FALSE(platform::RemoveFile(held("m_\xF9")));
}

TEST(FileNamesTest, StatusTellsTheFileItsSizeAndTimesApart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFile file(dir.path(), "s_\xFF.ini", "12345");
    ASSERT_TRUE(file.Ok());
    const QString held = platform::DecodeFileName(file.Path());
    const QByteArray link = QFile::encodeName(dir.path()) + "/link";
    ASSERT_EQ(::symlink(file.Path().constData(), link.constData()), 0);
    // A time stamp of its own, to the nanosecond, for the content's change.
    const timespec times[2] = {{1234567890, 5}, {1234567890, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.Path().constData(), times, 0), 0);
    struct stat st {};
    ASSERT_EQ(::stat(file.Path().constData(), &st), 0);

    const platform::EntryStatus status = platform::StatusOf(held);
    EXPECT_EQ(status.kind, platform::EntryKind::File);
    EXPECT_EQ(status.size, 5);
    EXPECT_EQ(status.device, static_cast<uint64_t>(st.st_dev));
    EXPECT_EQ(status.inode, static_cast<uint64_t>(st.st_ino));
    EXPECT_EQ(status.modifiedNs, INT64_C(1234567890123456789));
    EXPECT_EQ(status.changedNs, static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec);
    // Through the link it is the same file; the link itself is another entry.
    EXPECT_EQ(platform::StatusOf(platform::DecodeFileName(link)), status);
    EXPECT_NE(platform::OwnStatusOf(platform::DecodeFileName(link)).inode, status.inode);
    EXPECT_EQ(platform::OwnStatusOf(held), status);

    // A replaced file is another file, whatever its times and size.
    ASSERT_EQ(platform::ReplaceFile(held, "54321"), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, file.Path().constData(), times, 0), 0);
    const platform::EntryStatus replaced = platform::StatusOf(held);
    EXPECT_EQ(replaced.size, 5);
    EXPECT_EQ(replaced.modifiedNs, status.modifiedNs);
    EXPECT_NE(replaced.inode, status.inode);
    EXPECT_NE(replaced, status);
    ::unlink(link.constData());
}

TEST(FileNamesTest, CurrentAbsoluteCanonicalAndHomeFoldersKeepTheirBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFolder folder(dir.path(), "d_\xFE");
    ASSERT_TRUE(folder.Ok());
    const hostile::RawNamedFile file(folder.Path(), "f.bas", "X");
    ASSERT_TRUE(file.Ok());
    const QByteArray link = QFile::encodeName(dir.path()) + "/link";
    ASSERT_EQ(::symlink(folder.Path().constData(), link.constData()), 0);
    const QByteArray canonicalFolder = platform::EncodeFileName(platform::CanonicalPath(dir.path())) + "/d_\xFE";

    const QString saved = platform::CurrentFolder();
    ASSERT_TRUE(platform::SetCurrentFolder(platform::DecodeFileName(folder.Path())));
    EXPECT_EQ(platform::EncodeFileName(platform::CurrentFolder()), folder.Path());
    const struct {
        QString path;
        QByteArray absolute;
    } cases[] = {
        {"f.bas", folder.Path() + "/f.bas"},
        {"./sub/../f.bas", folder.Path() + "/f.bas"},
        {"sub/", folder.Path() + "/sub"},
        {"", folder.Path()},
        {"/a//b/./c/../d", "/a/b/d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::EncodeFileName(platform::AbsolutePath(c.path)), c.absolute) << c.path.toStdString();
    EXPECT_EQ(platform::EncodeFileName(platform::CanonicalPath("f.bas")), canonicalFolder + "/f.bas");
    EXPECT_EQ(platform::EncodeFileName(platform::CanonicalPath(platform::DecodeFileName(link + "/f.bas"))),
              canonicalFolder + "/f.bas");
    EXPECT_TRUE(platform::CanonicalPath("missing.bas").isEmpty());
    EXPECT_FALSE(platform::SetCurrentFolder("f.bas"));  // a file is no folder
    ASSERT_TRUE(platform::SetCurrentFolder(saved));

    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", folder.Path() + "/");
    EXPECT_EQ(platform::EncodeFileName(platform::HomeFolder()), folder.Path());
    qunsetenv("HOME");
    EXPECT_EQ(platform::HomeFolder(), QStringLiteral("/"));
    qputenv("HOME", home);
    ::unlink(link.constData());
}

TEST(FileNamesTest, ReplaceWritesThroughALinkWhoseNameIsNotUtf8) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFile target(dir.path(), "target.bas", "OLD");
    ASSERT_TRUE(target.Ok());
    const QByteArray link = QFile::encodeName(dir.path()) + "/w_\xFF.bas";
    ASSERT_EQ(::symlink("target.bas", link.constData()), 0);

    ASSERT_EQ(platform::ReplaceFile(platform::DecodeFileName(link), "NEW"), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(link.constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
    QByteArray bytes;
    ASSERT_EQ(platform::ReadRegularFile(dir.filePath("target.bas"), platform::kNoSizeLimit, bytes), 0);
    EXPECT_EQ(bytes, "NEW");
    ::unlink(link.constData());
}

}  // namespace
