// File names as bytes: every name, valid UTF-8 or not, comes back to its
// exact bytes, shows its undecodable bytes as replacement characters, and
// reaches the file system under its own bytes.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

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

}  // namespace
