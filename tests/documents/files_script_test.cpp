// Motion-script files: the fixed header, single carriage returns in the file
// and CR LF in the editor, blank texts, short files, and a Korean script
// written by the original program coming back byte for byte.
#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "documents/MotionScript.h"
#include "files_helpers.h"

using namespace files_test;

namespace {

const QByteArray kHeader("This is Quarscript file\r\nDo not edit this contents !\x90\x00\x03", 55);

TEST(FilesMotionScript, HeaderIsFiftyFiveFixedBytes) {
    const QByteArray header = modApp::ScriptFileHeader();
    ASSERT_EQ(header.size(), modApp::kScriptHeaderSize);
    EXPECT_EQ(header, kHeader);
    EXPECT_EQ(static_cast<uint8_t>(header[52]), 144);
    EXPECT_EQ(static_cast<uint8_t>(header[53]), 0);
    EXPECT_EQ(static_cast<uint8_t>(header[54]), 3);
}

TEST(FilesMotionScript, LineBreaksAreSingleCarriageReturnsInTheFile) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("s.qsf"));
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {"A\r\nB", "A\rB"},
        {"A\r\nB\r\n", "A\rB\r"},
        {"A\r\n\r\n", "A\r\r"},
        {"MOVE G6A, 100\r\nDELAY 50", "MOVE G6A, 100\rDELAY 50"},
        {" A ", " A "},
    };
    for (const auto& [text, body] : cases) {
        SCOPED_TRACE(text.toStdString());
        ASSERT_TRUE(modApp::WriteScriptFile(path, text).ok());
        EXPECT_EQ(ReadAll(path), kHeader + body);
        QString back = QStringLiteral("old");
        modApp::ReadScriptFile(path, back);
        EXPECT_EQ(back, text);
    }
}

TEST(FilesMotionScript, ReadingTurnsEveryCarriageReturnIntoCrLf) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("s.qsf"));
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"A\rB", "A\r\nB"},
        {"A\r\nB", "A\r\n\nB"},  // a line feed in the file stays a character
        {"\r", "\r\n"},
        {"", ""},
    };
    for (const auto& [body, text] : cases) {
        SCOPED_TRACE(testing::PrintToString(body));
        WriteAll(path, kHeader + body);
        QString back = QStringLiteral("old");
        modApp::ReadScriptFile(path, back);
        EXPECT_EQ(back, text);
        // Written back, the file is what it was.
        if (back.isEmpty()) continue;
        ASSERT_TRUE(modApp::WriteScriptFile(path, back).ok());
        EXPECT_EQ(ReadAll(path), kHeader + body);
    }
}

TEST(FilesMotionScript, KoreanScriptFromTheOriginalRoundTripsByteForByte) {
    LocaleScope korean(Korean());
    ProgramFolder folder;
    QString text;
    ASSERT_TRUE(modApp::ReadScriptFileChecked(FixturePath("files_greeting.qsf"), text).ok());
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("' 인사 동작"));
    EXPECT_EQ(lines[3], QStringLiteral("DELAY 500"));
    EXPECT_EQ(lines[4], QString());
    EXPECT_EQ(lines[5], QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));

    const QString copy = folder.file(QStringLiteral("greeting.QSF"));
    ASSERT_TRUE(modApp::WriteScriptFile(copy, text).ok());
    EXPECT_EQ(ReadAll(copy), Fixture("files_greeting.qsf"));
}

TEST(FilesMotionScript, BlankTextWritesNothingAndKeepsTheFile) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString existing = folder.file(QStringLiteral("keep.qsf"));
    WriteAll(existing, kHeader + "A\rB");
    for (const QString& blank : {QString(), QStringLiteral("   ")}) {
        EXPECT_TRUE(modApp::WriteScriptFile(existing, blank).ok());
        EXPECT_EQ(ReadAll(existing), kHeader + "A\rB");
        EXPECT_TRUE(modApp::WriteScriptFile(folder.file(QStringLiteral("new.qsf")), blank).ok());
    }
    EXPECT_EQ(Listing(folder.path()), QStringList{QStringLiteral("keep.qsf")});
}

TEST(FilesMotionScript, ShortFilesAndMissingFiles) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("s.qsf"));
    for (const QByteArray& bytes : {kHeader, kHeader.left(10), QByteArray()}) {
        WriteAll(path, bytes);
        QString text = QStringLiteral("old");
        EXPECT_TRUE(modApp::ReadScriptFileChecked(path, text).ok());
        EXPECT_EQ(text, QString());
    }
    // The header is not checked: any 55 bytes are dropped.
    WriteAll(path, QByteArray(55, 'Z') + "A\rB");
    QString text;
    modApp::ReadScriptFile(path, text);
    EXPECT_EQ(text, QStringLiteral("A\r\nB"));

    text = QStringLiteral("caller's text");
    modApp::ReadScriptFile(folder.file(QStringLiteral("missing.qsf")), text);
    EXPECT_EQ(text, QStringLiteral("caller's text"));
    EXPECT_EQ(modApp::ReadScriptFileChecked(folder.file(QStringLiteral("missing.qsf")), text).Number,
              modApp::errFileNotFound);
}

TEST(FilesMotionScript, TheHeaderByteDoesNotSwallowAKoreanCharacter) {
    // 144 is a lead byte in CP949; dropped before decoding, it cannot pair
    // with the text's first byte.
    LocaleScope korean(Korean());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("k.qsf"));
    ASSERT_TRUE(modApp::WriteScriptFile(path, QStringLiteral("한\r\n글")).ok());
    EXPECT_EQ(ReadAll(path), kHeader + "\xc7\xd1\r\xb1\xdb");
    QString text;
    modApp::ReadScriptFile(path, text);
    EXPECT_EQ(text, QStringLiteral("한\r\n글"));
}

TEST(FilesMotionScript, ABinaryBodyIsNotText) {
    LocaleScope english(English());
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("s.qsf"));
    WriteAll(path, kHeader + QByteArray("A\0B", 3));
    QString text = QStringLiteral("kept");
    EXPECT_EQ(modApp::ReadScriptFileChecked(path, text).Number, modApp::errInvalidFileFormat);
    EXPECT_EQ(text, QStringLiteral("kept"));
}

}  // namespace
