// The object file written after a compile: its exact layout for a compiled
// Korean program, its name beside the source, and the cases where nothing or
// no stale file may be left.
#include <gtest/gtest.h>

#include "compiler/QUARVELv2.h"
#include "QtPrinters.h"
#include "documents/Files.h"
#include "documents/ObjectFile.h"
#include "documents/modMain.h"
#include "files_helpers.h"

using namespace files_test;

namespace {

qvv2::ClockTime FixedClock() { return qvv2::ClockTime{2024, 3, 5, 14, 7, 9}; }

int16_t Int16At(const QByteArray& b, int offset) {
    return static_cast<int16_t>(static_cast<uint8_t>(b[offset]) | (static_cast<uint8_t>(b[offset + 1]) << 8));
}

class FilesObject : public ::testing::Test {
protected:
    void SetUp() override { modMain::CompiledOK = false; }
    void TearDown() override { modMain::CompiledOK = false; }

    // Compiles `text` as the file `source` with the fixed clock.
    void Compile(qvv2::QUARVELv2& c, const QString& source, const QString& text) {
        c.Clock = FixedClock;
        c.CodePage = modApp::FileCodePage();
        c.Filename = source.toStdU16String();
        std::u16string t = text.toStdU16String();
        c.Compile(t);
        ASSERT_EQ(c.Bas_Error, 0) << QString::fromStdU16String(c.Bas_Error_Msg).toStdString();
        modMain::CompiledOK = true;
    }

    LocaleScope korean_{Korean()};
    ProgramFolder folder_;
};

TEST_F(FilesObject, CompiledKoreanProgramGivesTheExactFile) {
    QString text;
    ASSERT_TRUE(modApp::ReadProgramFile(FixturePath("files_korean.bas"), text).ok());
    qvv2::QUARVELv2 c;
    Compile(c, folder_.file(QStringLiteral("walk.bas")), text);
    ASSERT_TRUE(modApp::WriteObjectFile(c));

    const QByteArray obj = ReadAll(folder_.file(QStringLiteral("walk.obj")));
    EXPECT_EQ(obj, Fixture("files_korean.obj"));

    // The layout, field by field, against the compiler's own result.
    ASSERT_EQ(obj.size(), 129 + 35 * c.TotalVars + c.TotalBytes);
    EXPECT_EQ(obj.left(25), QByteArray(25, '\0'));
    const QByteArray remark = QByteArray("\xb0\xc8\xb1\xe2 \xb7\xce\xba\xbf - \xb5\xce \xb9\xdf \xba\xb8\xc7\xe0");  // 걷기 로봇 - 두 발 보행
    EXPECT_EQ(obj.mid(25, 100), remark + QByteArray(100 - remark.size(), ' '));
    EXPECT_EQ(Int16At(obj, 125), c.TotalVars);
    EXPECT_EQ(Int16At(obj, 127), c.TotalBytes);
    bool sawKoreanName = false;
    for (int i = 1; i <= c.TotalVars; ++i) {
        const int at = 129 + 35 * (i - 1);
        const QByteArray name = QByteArray::fromStdString(qvv2::ToAnsi(c.VarNAME[i], "CP949"));
        EXPECT_EQ(obj.mid(at, 32), name + QByteArray(32 - name.size(), ' '));
        EXPECT_EQ(Int16At(obj, at + 32), c.VarPOS[i]);
        EXPECT_EQ(static_cast<uint8_t>(obj[at + 34]), c.VarTYPE[i]);
        sawKoreanName |= name == QByteArray("\xb0\xc9\xc0\xbd");  // 걸음
    }
    EXPECT_TRUE(sawKoreanName);
    const int code = 129 + 35 * c.TotalVars;
    EXPECT_EQ(obj.mid(code), QByteArray(reinterpret_cast<const char*>(c.ObjCode.data()) + 1, c.TotalBytes));
    EXPECT_EQ(obj.mid(code, 8), QByteArray("walk.bas"));  // the program header's name
}

TEST_F(FilesObject, NamesBesideTheSource) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"/p/walk.bas", "/p/walk.obj"},
        {"/p/walk.BAS", "/p/walk.obj"},
        {"/p/walk.basic", "/p/walk.obj"},
        {"/p/a.bas.bas", "/p/a.obj"},
        {"/my.basic/walk.bas", "/my.basic/walk.obj"},
        {"/p/walk.txt", "/p/walk.txt.obj"},
        {"/my.bas/walk", "/my.bas/walk.obj"},
        {"Untitled1.bas", "Untitled1.obj"},
        {"walk.QSF", "walk.QSF.obj"},
    };
    for (const auto& [source, obj] : cases) EXPECT_EQ(modApp::ObjectFileName(source), obj) << source.toStdString();
}

TEST_F(FilesObject, NothingIsWrittenOrRemovedAfterAFailedCompile) {
    const QString source = folder_.file(QStringLiteral("walk.bas"));
    qvv2::QUARVELv2 c;
    Compile(c, source, QStringLiteral("MAIN:\r\nGOTO MAIN\r\n"));
    WriteAll(folder_.file(QStringLiteral("walk.obj")), "previous object file");
    modMain::CompiledOK = false;
    EXPECT_FALSE(modApp::WriteObjectFile(c));
    EXPECT_EQ(ReadAll(folder_.file(QStringLiteral("walk.obj"))), QByteArray("previous object file"));
}

TEST_F(FilesObject, ReplacesAnOlderLongerFileAndPlacesCodeAfterTheHeaderWithoutVariables) {
    const QString source = folder_.file(QStringLiteral("walk.bas"));
    WriteAll(folder_.file(QStringLiteral("walk.obj")), QByteArray(4000, 'x'));
    qvv2::QUARVELv2 c;
    Compile(c, source, QStringLiteral("MAIN:\r\nGOTO MAIN\r\n"));
    ASSERT_EQ(c.TotalVars, 0);
    ASSERT_TRUE(modApp::WriteObjectFile(c));
    const QByteArray obj = ReadAll(folder_.file(QStringLiteral("walk.obj")));
    ASSERT_EQ(obj.size(), 129 + c.TotalBytes);
    EXPECT_EQ(obj.mid(25, 100), QByteArray(100, ' '));  // no remark: blanks, never zero bytes
    EXPECT_EQ(obj.mid(129, 8), QByteArray("walk.bas"));
    EXPECT_EQ(Listing(folder_.path()), QStringList{QStringLiteral("walk.obj")});
}

TEST_F(FilesObject, LongTextsAreCutAtWholeCharacters) {
    qvv2::QUARVELv2 c;
    c.Filename = folder_.file(QStringLiteral("cut.bas")).toStdU16String();
    c.TotalBytes = 1;
    c.ObjCode = {0, 0xC4};
    c.TotalVars = 3;
    c.VarNAME = {u"", std::u16string(40, u'N'), u"A" + std::u16string(16, u'한'), u"\uac00"};
    c.VarPOS = {0, 64, 65, 66};
    c.VarTYPE = {0, 2, 3, 2};
    c.Remark = std::u16string(120, u'R');
    modMain::CompiledOK = true;
    ASSERT_TRUE(modApp::WriteObjectFile(c));
    const QByteArray obj = ReadAll(folder_.file(QStringLiteral("cut.obj")));
    ASSERT_EQ(obj.size(), 129 + 3 * 35 + 1);
    EXPECT_EQ(obj.mid(25, 100), QByteArray(100, 'R'));
    EXPECT_EQ(obj.mid(129, 32), QByteArray(32, 'N'));
    // "A" and sixteen two-byte characters need 33 bytes: the last character
    // does not fit and is left out whole, a blank fills the field.
    QByteArray cut("A");
    for (int i = 0; i < 15; ++i) cut += "\xc7\xd1";
    EXPECT_EQ(obj.mid(164, 32), cut + ' ');
    EXPECT_EQ(obj.mid(199, 32), QByteArray("\xb0\xa1") + QByteArray(30, ' '));
    EXPECT_EQ(Int16At(obj, 199 + 32), 66);
    EXPECT_EQ(obj.right(1), QByteArray("\xc4"));
}

TEST_F(FilesObject, AResultTheFormatCannotHoldLeavesNoFileBehind) {
    const QString obj = folder_.file(QStringLiteral("big.obj"));
    qvv2::QUARVELv2 c;
    c.Filename = folder_.file(QStringLiteral("big.bas")).toStdU16String();
    c.TotalBytes = 40000;  // more than a signed 16-bit count holds
    c.ObjCode.assign(40001, 0);
    modMain::CompiledOK = true;
    WriteAll(obj, "object file of an older compile");
    EXPECT_FALSE(modApp::WriteObjectFile(c));
    EXPECT_FALSE(QFileInfo::exists(obj));

    // Tables shorter than their counts: nothing written, nothing read out of range.
    c.TotalBytes = 10;
    c.ObjCode.assign(5, 0);
    EXPECT_FALSE(modApp::WriteObjectFile(c));
    c.ObjCode.assign(11, 0);
    c.TotalVars = 2;
    c.VarNAME = {u"", u"A"};
    EXPECT_FALSE(modApp::WriteObjectFile(c));
    EXPECT_EQ(Listing(folder_.path()), QStringList());
}

TEST_F(FilesObject, AnUnwritableFolderEndsQuietly) {
    WriteAll(folder_.file(QStringLiteral("file")), "x");
    qvv2::QUARVELv2 c;
    Compile(c, folder_.file(QStringLiteral("file/walk.bas")), QStringLiteral("MAIN:\r\nGOTO MAIN\r\n"));
    EXPECT_FALSE(modApp::WriteObjectFile(c));
    EXPECT_EQ(Listing(folder_.path()), QStringList{QStringLiteral("file")});
}

TEST_F(FilesObject, UntitledDocumentsWriteIntoTheCurrentFolder) {
    qvv2::QUARVELv2 c;
    Compile(c, QStringLiteral("Untitled1.bas"), QStringLiteral("MAIN:\r\nGOTO MAIN\r\n"));
    ASSERT_TRUE(modApp::WriteObjectFile(c));
    EXPECT_TRUE(QFileInfo::exists(folder_.file(QStringLiteral("Untitled1.obj"))));
}

}  // namespace
