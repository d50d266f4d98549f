// Profile access: the matching rules of reads and the byte layout of writes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "compiler/Text.h"
#include "platform/Profile.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qvv2::SetSystemCodePage("CP1252");
    }
    void TearDown() override { qvv2::SetSystemCodePage(""); }

    QString Path(const char* name = "test.ini") const { return dir_.filePath(QString::fromLatin1(name)); }

    void WriteBytes(const QByteArray& bytes, const char* name = "test.ini") const {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray ReadBytes(const char* name = "test.ini") const {
        QFile f(Path(name));
        if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
        return f.readAll();
    }

    QTemporaryDir dir_;
};

const QByteArray kSample =
    "; settings written by hand\r\n"
    "[Port]\r\n"
    "CommPort = 1\r\n"
    "COMMtimeout = 3000\r\n"
    "  spaced key   =   spaced value  \r\n"
    "quoted=\" a b \"\r\n"
    "single='x'\r\n"
    "unbalanced=\"abc'\r\n"
    "empty=\r\n"
    "novalue\r\n"
    "\r\n"
    "[Controller]\r\n"
    "ConType = 8\r\n"
    "[port]\r\n"
    "CommPort=99\r\n"
    "Later=found only in the second copy\r\n";

TEST_F(ProfileTest, ReadsValuesByTheMatchingRules) {
    WriteBytes(kSample);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Port", "CommPort", "1"},
        {"PORT", "commport", "1"},                // case of names does not matter
        {"  Port ", "COMMport  ", "1"},           // nor blanks around them
        {"Port", "COMMtimeout", "3000"},
        {"Port", "spaced key", "spaced value"},  // blanks around the value are not part of it
        {"Port", "quoted", " a b "},             // quotes around the whole value go
        {"Port", "single", "x"},
        {"Port", "unbalanced", "\"abc'"},        // unbalanced quotes stay
        {"Port", "empty", ""},                   // present but empty: not the default
        {"Port", "novalue", ""},
        {"Port", "missing", "<default>"},
        {"Port", "ConType", "<default>"},        // a key of another section
        {"Controller", "ConType", "8"},
        {"Missing", "CommPort", "<default>"},
        {"Port", "Later", "<default>"},          // only the first copy of a section counts
        {"Port", "", "<default>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::GetPrivateProfileString(QString::fromLatin1(c.section), QString::fromLatin1(c.key),
                                                    QStringLiteral("<default>"), Path()),
                  QString::fromLatin1(c.expected))
            << c.section << "/" << c.key;
    }
}

TEST_F(ProfileTest, ReadsFilesWithLineFeedsOnlyAndMissingFiles) {
    WriteBytes("[Window]\nleft = 120\ntop=7");
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "0", Path()), "120");
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "top", "0", Path()), "7");
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "top", "0", Path("nothing.ini")), "0");
}

TEST_F(ProfileTest, CutsLongValuesAndDefaultsToTheBuffer) {
    const QByteArray longValue(300, 'v');
    WriteBytes("[S]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(platform::GetPrivateProfileString("S", "k", "", Path()), QString(254, u'v'));
    EXPECT_EQ(platform::GetPrivateProfileString("S", "other", QString(300, u'd'), Path()), QString(254, u'd'));
}

TEST_F(ProfileTest, FirstWriteCreatesFileSectionAndKeyInWriteOrder) {
    ASSERT_TRUE(platform::WritePrivateProfileString("Window", "left", " 1980", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("Window", "top", "-1", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("Path", "JobDIR", "/home/robot", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("Window", "toolbar", "1", Path()));
    EXPECT_EQ(ReadBytes(),
              QByteArray("[Window]\r\nleft= 1980\r\ntop=-1\r\ntoolbar=1\r\n"
                         "[Path]\r\nJobDIR=/home/robot\r\n"));
    EXPECT_EQ(platform::GetPrivateProfileString("Window", "left", "", Path()), "1980");
}

TEST_F(ProfileTest, ReplacesInPlaceAndKeepsEveryOtherByte) {
    WriteBytes(kSample);
    ASSERT_TRUE(platform::WritePrivateProfileString("port", "COMMPORT", " 3", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("Port", "LPTnum", " 888", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("Controller", "ConID", " 2", Path()));
    QByteArray expected = kSample;
    // The stored spelling of the key stays; the line loses its blanks.
    expected.replace("CommPort = 1\r\n", "CommPort= 3\r\n");
    // A new key goes after the last non-blank line of its section.
    expected.replace("novalue\r\n\r\n", "novalue\r\nLPTnum= 888\r\n\r\n");
    expected.replace("ConType = 8\r\n", "ConType = 8\r\nConID= 2\r\n");
    EXPECT_EQ(ReadBytes(), expected);
}

TEST_F(ProfileTest, AppendsALineEndBeforeAddingToAFileThatLacksOne) {
    WriteBytes("[A]\nx=1");
    ASSERT_TRUE(platform::WritePrivateProfileString("A", "y", "2", Path()));
    ASSERT_TRUE(platform::WritePrivateProfileString("B", "z", "3", Path()));
    EXPECT_EQ(ReadBytes(), QByteArray("[A]\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"));
}

TEST_F(ProfileTest, StoresAndMatchesTextInTheSystemCodePage) {
    qvv2::SetSystemCodePage("CP949");
    const QString untitled = QStringLiteral("제목없음");
    ASSERT_TRUE(platform::WritePrivateProfileString("Names", "New", untitled, Path()));
    EXPECT_EQ(ReadBytes(), QByteArray("[Names]\r\nNew=\xC1\xA6\xB8\xF1\xBE\xF8\xC0\xBD\r\n"));
    EXPECT_EQ(platform::GetPrivateProfileString("NAMES", "new", "", Path()), untitled);

    // Lines the writer does not touch keep bytes that are no valid text.
    WriteBytes("[Bad]\r\nraw=\xFF\xFE\r\n");
    ASSERT_TRUE(platform::WritePrivateProfileString("Bad", "ok", "1", Path()));
    EXPECT_EQ(ReadBytes(), QByteArray("[Bad]\r\nraw=\xFF\xFE\r\nok=1\r\n"));
}

TEST_F(ProfileTest, LeavesReadOnlyFilesAndUnsafeWritesAlone) {
    WriteBytes(kSample);
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_FALSE(platform::WritePrivateProfileString("Port", "CommPort", " 2", Path()));
    EXPECT_EQ(ReadBytes(), kSample);
    QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A line break or a misplaced bracket or equals sign would change the
    // file's structure: nothing is written.
    EXPECT_FALSE(platform::WritePrivateProfileString("Port", "CommPort", "1\r\n[Evil]", Path()));
    EXPECT_FALSE(platform::WritePrivateProfileString("Port", "a=b", "1", Path()));
    EXPECT_FALSE(platform::WritePrivateProfileString("Po]rt", "k", "1", Path()));
    EXPECT_FALSE(platform::WritePrivateProfileString("", "k", "1", Path()));
    EXPECT_EQ(ReadBytes(), kSample);

    // A folder where the file should be is no file to write.
    QDir(dir_.path()).mkdir("folder.ini");
    EXPECT_FALSE(platform::WritePrivateProfileString("S", "k", "1", Path("folder.ini")));
}

}  // namespace
