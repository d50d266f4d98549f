// Program files in the ANSI code page and the safe file writer: byte-exact
// round trips, line ends, files that are not text, text the code page cannot
// carry, and saves that fail part way without losing the old file.
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "documents/Files.h"
#include "files_helpers.h"

using namespace files_test;

namespace {

// ---- Program text ------------------------------------------------------------

TEST(FilesProgramText, KoreanProgramFromTheOriginalRoundTripsByteForByte) {
    LocaleScope korean(Korean());
    ProgramFolder folder;
    const QByteArray original = Fixture("files_korean.bas");

    QString text;
    ASSERT_TRUE(modApp::ReadProgramFile(FixturePath("files_korean.bas"), text).ok());
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 16);  // fifteen lines, each ended by CR LF
    EXPECT_EQ(lines[0], QStringLiteral("' 걷기 로봇 예제 프로그램 (확장 한글: 똠, 햏)"));
    EXPECT_EQ(lines[4], QStringLiteral("선언 COUNT AS 정수"));
    EXPECT_EQ(lines[9], QStringLiteral("\t\t걸음 = 걸음 + 1"));
    EXPECT_EQ(lines[15], QString());

    const QString copy = folder.file(QStringLiteral("walk.bas"));
    ASSERT_TRUE(modApp::WriteProgramFile(copy, text).ok());
    EXPECT_EQ(ReadAll(copy), original);
}

TEST(FilesProgramText, EachLanguageUsesItsCodePage) {
    struct Case {
        QLocale locale;
        QString text;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {English(), QStringLiteral("' caf\u00e9 \u20ac\r\n"), QByteArray("' caf\xe9 \x80\r\n")},
        {Korean(), QStringLiteral("' 제목없음\r\n"), QByteArray("' \xc1\xa6\xb8\xf1\xbe\xf8\xc0\xbd\r\n")},
        {QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("' 歩行\r\n"), QByteArray("' \x95\xe0\x8d\x73\r\n")},
        {QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("' 步行\r\n"), QByteArray("' \xb2\xbd\xd0\xd0\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        LocaleScope scope(c.locale);
        ProgramFolder folder;
        const QString path = folder.file(QStringLiteral("p.bas"));
        ASSERT_TRUE(modApp::WriteProgramFile(path, c.text).ok());
        EXPECT_EQ(ReadAll(path), c.bytes);
        QString back;
        ASSERT_TRUE(modApp::ReadProgramFile(path, back).ok());
        EXPECT_EQ(back, c.text);
    }
}

TEST(FilesProgramText, LineFeedsWithoutCarriageReturnBecomeCrLf) {
    LocaleScope english(English());
    ProgramFolder folder;
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"A\nB\n", "A\r\nB\r\n"},
        {"A\r\nB", "A\r\nB"},
        {"A\r\nB\nC", "A\r\nB\r\nC"},
        {"A\rB", "A\rB"},  // a lone CR stays
        {"\n\n", "\r\n\r\n"},
        {"", ""},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        const QString path = folder.file(QStringLiteral("lf.bas"));
        WriteAll(path, bytes);
        QString text = QStringLiteral("unchanged");
        ASSERT_TRUE(modApp::ReadProgramFile(path, text).ok());
        EXPECT_EQ(text, expected);
    }
}

TEST(FilesProgramText, DecodesPlainAndTwoByteLinesAlikeInEachCodePage) {
    // Lines of plain ASCII and lines with the code page's own characters,
    // mixed, with every kind of line end; a Shift-JIS character whose second
    // byte is a backslash; a text far longer than one read of the converter.
    QByteArray longText;
    QString longExpected;
    for (int i = 0; i < 3000; ++i) {
        longText += i % 7 == 3 ? QByteArray("' \xB9\xDD\xBA\xB9\r\n") : QByteArray("MOVE G6A, 100\r\n");
        longExpected += i % 7 == 3 ? QStringLiteral("' 반복\r\n") : QStringLiteral("MOVE G6A, 100\r\n");
    }
    struct Case {
        const char* codePage;
        QByteArray bytes;
        const char* expected;  // UTF-8; nullptr: not text in that code page
    };
    const Case cases[] = {
        {"CP949", "MAIN:\r\n' \xB9\xDD\xBA\xB9\r\nGOTO MAIN", "MAIN:\r\n' 반복\r\nGOTO MAIN"},
        {"CP949", "\xB9\xDD\xBA\xB9\n\xB9\xDD\rA\r\n\r\n", "반복\n반\rA\r\n\r\n"},
        {"CP949", "A\r\n\xB9\r\nB", nullptr},  // a first byte without its second one at the line's end
        {"CP949", "A\r\n\xB9", nullptr},
        {"CP949", "' \x80\x80", nullptr},
        {"CP932", "' \x83\x5C\x83\x5C\\\r\nOUT 1", "' ソソ\\\r\nOUT 1"},
        {"CP936", "PRINT \"\xD6\xD0\"\r\nEND", "PRINT \"中\"\r\nEND"},
        {"CP1252", "' \x80 5\r\nA = 1\n", "' € 5\r\nA = 1\n"},
        {"CP949", "plain ASCII only\r\n", "plain ASCII only\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.codePage) + ": " + c.bytes.toStdString());
        QString text = QStringLiteral("unchanged");
        EXPECT_EQ(modApp::DecodeFileText(c.bytes, c.codePage, text), c.expected != nullptr);
        if (c.expected) {
            EXPECT_EQ(text, QString::fromUtf8(c.expected));
        }
    }
    QString text;
    ASSERT_TRUE(modApp::DecodeFileText(longText, "CP949", text));
    EXPECT_EQ(text, longExpected);
}

TEST(FilesProgramText, AFileThatIsNotTextIsRefusedAndLeftAlone) {
    LocaleScope korean(Korean());
    ProgramFolder folder;
    const std::vector<QByteArray> cases = {
        QByteArray("MAIN:\r\n\0\0\x01\x02", 11),  // zero bytes: binary data
        QByteArray("' \x80\x80\r\n"),             // no CP949 character starts with 0x80
        QByteArray("' \xb0"),                      // a lead byte cut off at the end
        QByteArray("\xc4\x10\x00", 3),
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const QString path = folder.file(QStringLiteral("data.bas"));
        WriteAll(path, bytes);
        QString text = QStringLiteral("kept");
        const modApp::FileError e = modApp::ReadProgramFile(path, text);
        EXPECT_EQ(e.Number, modApp::errInvalidFileFormat);
        EXPECT_EQ(e.Description, QStringLiteral("파일 형식이 잘못되었습니다."));  // in the interface language
        EXPECT_EQ(text, QStringLiteral("kept"));
        EXPECT_EQ(ReadAll(path), bytes);
    }
}

TEST(FilesProgramText, ReadErrorsLeaveTheTextAlone) {
    ProgramFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("sub.bas"));
    WriteAll(folder.file(QStringLiteral("plain")), "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(QStringLiteral("pipe.bas"))).constData(), 0644), 0);
    const std::vector<std::pair<QString, int16_t>> cases = {
        {folder.file(QStringLiteral("missing.bas")), modApp::errFileNotFound},
        {folder.file(QStringLiteral("sub.bas")), modApp::errPathFileAccess},
        {folder.file(QStringLiteral("pipe.bas")), modApp::errPathFileAccess},  // must not block
        {folder.file(QStringLiteral("plain/under-a-file.bas")), modApp::errPathNotFound},
        {QString(), modApp::errBadFileName},
    };
    for (const auto& [path, number] : cases) {
        SCOPED_TRACE(path.toStdString());
        QString text = QStringLiteral("kept");
        EXPECT_EQ(modApp::ReadProgramFile(path, text).Number, number);
        EXPECT_EQ(text, QStringLiteral("kept"));
    }
}

TEST(FilesProgramText, TextTheCodePageCannotCarryIsNotWritten) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("old.bas"));
    WriteAll(path, "OLD CONTENT\r\n");
    const modApp::FileError e =
        modApp::WriteProgramFile(path, QStringLiteral("MAIN:\r\n' fine\r\n' \ud55c\uae00 here\r\nGOTO MAIN\r\n"));
    EXPECT_EQ(e.Number, modApp::errInvalidArgument);
    EXPECT_TRUE(e.Description.contains(QStringLiteral("line 3"))) << e.Description.toStdString();
    EXPECT_TRUE(e.Description.contains(QStringLiteral("CP1252")));
    EXPECT_EQ(ReadAll(path), QByteArray("OLD CONTENT\r\n"));
    EXPECT_EQ(Listing(folder.path()), QStringList{QStringLiteral("old.bas")});

    // The same text is fine where the code page has the characters.
    LocaleScope korean(Korean());
    EXPECT_TRUE(modApp::WriteProgramFile(path, QStringLiteral("' \ud55c\uae00\r\n")).ok());
    EXPECT_EQ(ReadAll(path), QByteArray("' \xc7\xd1\xb1\xdb\r\n"));
}

// ---- The safe writer ---------------------------------------------------------

TEST(FilesSafeWriter, ReplacesTheWholeFileAndKeepsItsPermissions) {
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("walk.bas"));
    WriteAll(path, QByteArray(5000, 'x'));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    ASSERT_TRUE(modApp::WriteFileSafely(path, "short\r\n").ok());
    EXPECT_EQ(ReadAll(path), QByteArray("short\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Listing(folder.path()), QStringList{QStringLiteral("walk.bas")});

    // A new file gets the permissions the creation mask allows.
    const mode_t mask = ::umask(022);
    const QString fresh = folder.file(QStringLiteral("new.bas"));
    ASSERT_TRUE(modApp::WriteFileSafely(fresh, "").ok());
    ::umask(mask);
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(ReadAll(fresh), QByteArray());
}

TEST(FilesSafeWriter, WritesThroughASymbolicLink) {
    ProgramFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("real"));
    const QString target = folder.file(QStringLiteral("real/walk.bas"));
    const QString link = folder.file(QStringLiteral("walk.bas"));
    WriteAll(target, "old");
    ASSERT_TRUE(QFile::link(target, link));

    ASSERT_TRUE(modApp::WriteFileSafely(link, "new").ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(target), QByteArray("new"));
    EXPECT_EQ(Listing(folder.file(QStringLiteral("real"))), QStringList{QStringLiteral("walk.bas")});
}

TEST(FilesSafeWriter, AFolderThatCannotBeWrittenKeepsEverything) {
    ProgramFolder folder;
    WriteAll(folder.file(QStringLiteral("notes.txt")), "a regular file");
    QDir(folder.path()).mkdir(QStringLiteral("walk.bas"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(QStringLiteral("pipe.bas"))).constData(), 0644), 0);
    const std::vector<std::pair<QString, int16_t>> cases = {
        // The parent "folder" is a regular file: nothing can be created there.
        {folder.file(QStringLiteral("notes.txt/walk.bas")), modApp::errPathNotFound},
        {folder.file(QStringLiteral("no/such/folder/walk.bas")), modApp::errPathNotFound},
        // The name is taken by a folder.
        {folder.file(QStringLiteral("walk.bas")), modApp::errPathFileAccess},
        // A pipe (or a device) is never replaced by a file.
        {folder.file(QStringLiteral("pipe.bas")), modApp::errPathFileAccess},
        {QString(), modApp::errBadFileName},
    };
    const QStringList before = Listing(folder.path());
    for (const auto& [path, number] : cases) {
        SCOPED_TRACE(path.toStdString());
        const modApp::FileError e = modApp::WriteFileSafely(path, "new text");
        EXPECT_EQ(e.Number, number);
        EXPECT_FALSE(e.Description.isEmpty());
    }
    EXPECT_EQ(Listing(folder.path()), before);
    EXPECT_EQ(ReadAll(folder.file(QStringLiteral("notes.txt"))), QByteArray("a regular file"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.file(QStringLiteral("pipe.bas"))).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(FilesSafeWriter, AWriteThatFailsPartWayKeepsTheOldFile) {
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("walk.bas"));
    const QByteArray old = "MAIN:\r\n\tGOTO MAIN\r\n";
    WriteAll(path, old);
    modApp::FileError e;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        e = modApp::WriteFileSafely(path, QByteArray(100000, 'A'));
    }
    EXPECT_EQ(e.Number, modApp::errDiskFull);
    EXPECT_EQ(e.Description, QStringLiteral("Disk full"));
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(Listing(folder.path()), QStringList{QStringLiteral("walk.bas")});

    // With room again the same save goes through.
    ASSERT_TRUE(modApp::WriteFileSafely(path, QByteArray(100000, 'A')).ok());
    EXPECT_EQ(ReadAll(path).size(), 100000);
}

TEST(FilesPaths, ScriptPathsAndCaptions) {
    const std::vector<std::pair<QString, bool>> scripts = {
        {"/a/walk.QSF", true}, {"/a/walk.qsf", true}, {"/a/walk.QsF", true}, {".qsf", true},
        {"/a/walk.qsfx", false}, {"/a/walk.bas", false}, {"qsf", false}, {"", false}, {"/a/walkqsf", false},
    };
    for (const auto& [path, script] : scripts) EXPECT_EQ(modApp::IsScriptPath(path), script) << path.toStdString();

    const std::vector<std::pair<QString, QString>> captions = {
        {"/home/robot/work/stepping1.bas", "/home/robot/work/stepping1.bas"},  // 30 characters
        {"/home/robot/work/stepping12.bas", "/home/../stepping12.bas"},        // 31 characters
        {"/home/robot/projects/walk/step1.bas", "/home/../step1.bas"},
        {"/tmp/quarvel-test-workspace/file.bas", "/tmp/../file.bas"},
        {"D:\\projects\\robots\\walk\\step1.bas", "D:\\..\\step1.bas"},
        {"projects/robots/walking/step1.bas", "projects/../step1.bas"},
        // Cutting would not make it shorter: the whole path.
        {"/a-very-long-folder-name-of-robots/x.bas", "/a-very-long-folder-name-of-robots/x.bas"},
        {"/a-file-name-longer-than-thirty-characters.bas", "/a-file-name-longer-than-thirty-characters.bas"},
        {"walk.bas", "walk.bas"},
    };
    for (const auto& [path, caption] : captions)
        EXPECT_EQ(modApp::DocumentCaption(path), caption) << path.toStdString();
}

}  // namespace
