// Opening and saving documents: document windows bound to files, the
// missing-file and overwrite questions, the Save As dialog, the recent-files
// list after opening files, and every failure ending with a message while
// the old file and the document's text stay as they were.
#include <QDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "documents/Documents.h"
#include "documents/Files.h"
#include "documents/RecentFiles.h"
#include "documents/modAPI.h"
#include "documents/modReg.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "document_files_fixture.h"
#include "files_helpers.h"
#include "platform/CodeEditor.h"

using namespace files_test;

namespace {

class FilesDocuments : public DocumentFilesTest {
protected:
    // Replaces the document's text as typing would (the document becomes
    // modified).
    static void Type(frmDoc* doc, const QString& text) {
        doc->rt->SetWholeText(text);
        ASSERT_TRUE(doc->Modified);
    }
};

TEST_F(FilesDocuments, OpeningSevenFilesLeavesTheLastSixInRecentRct) {
    LocaleScope korean(Korean());
    QDir(folder_.path()).mkdir(QStringLiteral("dance"));
    const QStringList seven = {
        "walk1.bas", "walk2.bas", "걷기.bas", "dance/turn.QSF", "인사 동작.qsf", "walk1.bas", "kick.bas",
    };
    for (const QString& name : seven) {
        if (!QFileInfo::exists(folder_.file(name)))
            WriteAll(folder_.file(name), modApp::IsScriptPath(name) ? QByteArray(55, ' ') + "DELAY 5" : "MAIN:\r\n");
    }
    // The Open command: open the file, then list it.
    for (const QString& name : seven) {
        ASSERT_TRUE(modApp::OpenDocument(name));
        modApp::AddRecentFile(name);
        EXPECT_EQ(Active()->FileName, name);
    }
    EXPECT_EQ(ReadAll(folder_.file(QStringLiteral("recent.rct"))), Fixture("files_recent.rct"));
    // walk1.bas was open already the second time: six windows.
    EXPECT_EQ(OpenWindows(), 6);
    EXPECT_EQ(modApp::Docs.UBound(), 6);
    EXPECT_EQ(modApp::Docs(4)->rt->WholeText(), QStringLiteral("DELAY 5"));
}

TEST_F(FilesDocuments, KoreanProgramOpensAndSavesByteForByte) {
    LocaleScope korean(Korean());
    const QString path = folder_.file(QStringLiteral("walk.bas"));
    WriteAll(path, Fixture("files_korean.bas"));

    ASSERT_TRUE(modApp::OpenDocument(path));
    frmDoc* doc = Active();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->HasFile);
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Tag, QStringLiteral("1"));
    EXPECT_EQ(doc->Caption(), modApp::DocumentCaption(path));
    EXPECT_EQ(doc->rt->LanguageName(), QStringLiteral("Quarvel"));
    EXPECT_TRUE(doc->rt->WholeText().startsWith(QStringLiteral("' 걷기 로봇 예제 프로그램 (확장 한글: 똠, 햏)\r\n")));
    EXPECT_FALSE(doc->rt->isUndoAvailable());  // opening is not an edit

    WriteAll(path, "changed on disk");
    modApp::SaveActiveDocument();
    EXPECT_EQ(ReadAll(path), Fixture("files_korean.bas"));
    EXPECT_FALSE(doc->Modified);
}

TEST_F(FilesDocuments, MotionScriptOpensAndSavesByteForByteInAnyLetterCase) {
    LocaleScope korean(Korean());
    for (const QString& name : {QStringLiteral("greet.qsf"), QStringLiteral("greet2.QsF")}) {
        const QString path = folder_.file(name);
        WriteAll(path, Fixture("files_greeting.qsf"));
        ASSERT_TRUE(modApp::OpenDocument(path));
        EXPECT_TRUE(Active()->rt->WholeText().startsWith(QStringLiteral("' 인사 동작\r\nMOVE G6A")));
        WriteAll(path, "changed on disk");
        modApp::SaveActiveDocument();
        EXPECT_EQ(ReadAll(path), Fixture("files_greeting.qsf")) << name.toStdString();
    }
    // ".qsfx" is a program: saved as plain text without the header.
    const QString program = folder_.file(QStringLiteral("greet.qsfx"));
    WriteAll(program, "A\r\n");
    ASSERT_TRUE(modApp::OpenDocument(program));
    modApp::SaveActiveDocument();
    EXPECT_EQ(ReadAll(program), QByteArray("A\r\n"));
}

TEST_F(FilesDocuments, AMissingFileIsOfferedForCreation) {
    const QString path = folder_.file(QStringLiteral("new.bas"));
    {
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbNo);
        EXPECT_TRUE(modApp::OpenDocument(path));
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].prompt, QStringLiteral("File : ") + path + QStringLiteral("\n is not exist. Do you create ?"));
        EXPECT_EQ(boxes.Calls()[0].style, platform::vbYesNo | platform::vbQuestion);
        EXPECT_EQ(OpenWindows(), 0);
    }
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbYes);
    ASSERT_TRUE(modApp::OpenDocument(path));
    frmDoc* doc = Active();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->HasFile);
    EXPECT_EQ(doc->rt->WholeText(), QString());
    EXPECT_FALSE(QFileInfo::exists(path));
    // Save writes it without asking for a name.
    ScriptedFileDialog noDialog;
    Type(doc, QStringLiteral("MAIN:\r\n"));
    modApp::SaveActiveDocument();
    EXPECT_EQ(ReadAll(path), QByteArray("MAIN:\r\n"));
    EXPECT_FALSE(doc->Modified);
}

TEST_F(FilesDocuments, AFileThatIsNotTextShowsAMessageAndOpensNothing) {
    const QString path = folder_.file(QStringLiteral("walk.obj"));
    const QByteArray binary("\0\0\0\x19\x02\xff\xfe\0", 8);
    WriteAll(path, binary);
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    EXPECT_FALSE(modApp::OpenDocument(path));
    ExpectErrorBox(boxes, 321, QStringLiteral("Invalid file format"));
    EXPECT_EQ(OpenWindows(), 0);
    EXPECT_EQ(ReadAll(path), binary);
}

TEST_F(FilesDocuments, AFileThatCannotBeReadShowsAMessageAndOpensNothing) {
    // A folder with a program's name: it exists, but it is no file to read,
    // nor one to create.
    QDir(folder_.path()).mkdir(QStringLiteral("folder.bas"));
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    EXPECT_FALSE(modApp::OpenDocument(folder_.file(QStringLiteral("folder.bas"))));
    ASSERT_EQ(boxes.Calls().size(), 1u);  // the error, no "create?"
    EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("Error : 75"));
    EXPECT_EQ(OpenWindows(), 0);
}

TEST_F(FilesDocuments, AnOpenFileIsOnlyBroughtForward) {
    const QString path = folder_.file(QStringLiteral("walk.bas"));
    WriteAll(path, "A\r\n");
    ASSERT_TRUE(modApp::OpenDocument(path));
    frmDoc* first = Active();
    Type(first, QStringLiteral("edited\r\n"));
    WriteAll(folder_.file(QStringLiteral("other.bas")), "B\r\n");
    ASSERT_TRUE(modApp::OpenDocument(folder_.file(QStringLiteral("other.bas"))));
    ASSERT_TRUE(modApp::OpenDocument(path));
    EXPECT_EQ(Active(), first);
    EXPECT_EQ(first->rt->WholeText(), QStringLiteral("edited\r\n"));  // not reloaded
    EXPECT_EQ(OpenWindows(), 2);

    // Another letter case is another file name.
    WriteAll(folder_.file(QStringLiteral("WALK.bas")), "C\r\n");
    ASSERT_TRUE(modApp::OpenDocument(folder_.file(QStringLiteral("WALK.bas"))));
    EXPECT_EQ(OpenWindows(), 3);
}

TEST_F(FilesDocuments, SaveFailuresShowAMessageAndLoseNothing) {
    WriteAll(folder_.file(QStringLiteral("notes.txt")), "a regular file");
    const QString existing = folder_.file(QStringLiteral("walk.bas"));
    const QByteArray old = "MAIN:\r\n\tGOTO MAIN\r\n";
    WriteAll(existing, old);

    struct Case {
        const char* name;
        QString path;
        QString text;
        rlim_t sizeLimit;  // 0: none
        int number;
        QString description;
    };
    const std::vector<Case> cases = {
        // A folder that cannot be written: its "folder" is a regular file.
        {"unwritable folder", folder_.file(QStringLiteral("notes.txt/walk.bas")), QStringLiteral("A\r\n"), 0, 76,
         QStringLiteral("Path not found")},
        // The disk fills up part way through the write.
        {"disk full", existing, QString(50000, u'A'), 4096, 61, QStringLiteral("Disk full")},
        // A character the code page (CP1252) has no code for.
        {"unencodable", existing, QStringLiteral("MAIN:\r\n' \u4e2d\r\n"), 0, 5,
         QStringLiteral("Invalid procedure call or argument: line 2 holds a character that code page CP1252 cannot store")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            ScriptedMsgBox boxes;
            if (!QFileInfo::exists(c.path)) boxes.Answer(platform::vbYes);  // create the missing file
            ASSERT_TRUE(modApp::OpenDocument(c.path));
        }
        frmDoc* doc = Active();
        ASSERT_NE(doc, nullptr);
        Type(doc, c.text);
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        {
            FileSizeLimit limit(c.sizeLimit ? c.sizeLimit : RLIM_INFINITY);
            modApp::SaveActiveDocument();
        }
        ExpectErrorBox(boxes, c.number, c.description);
        EXPECT_TRUE(doc->Modified);
        EXPECT_EQ(doc->rt->WholeText(), c.text);
        EXPECT_EQ(ReadAll(existing), old);
        EXPECT_EQ(ReadAll(folder_.file(QStringLiteral("notes.txt"))), QByteArray("a regular file"));
        EXPECT_EQ(Listing(folder_.path()), (QStringList{"notes.txt", "walk.bas"}));
    }
}

TEST_F(FilesDocuments, ClosingAfterAFailedSaveKeepsTheWindowAndItsText) {
    WriteAll(folder_.file(QStringLiteral("notes.txt")), "x");
    {
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbYes);
        ASSERT_TRUE(modApp::OpenDocument(folder_.file(QStringLiteral("notes.txt/walk.bas"))));
    }
    frmDoc* doc = Active();
    Type(doc, QStringLiteral("precious\r\n"));
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbYes).Answer(platform::vbOK);  // save? yes; then the error
    EXPECT_FALSE(doc->Unload());
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_EQ(boxes.Calls()[1].title, QStringLiteral("Error : 76"));
    ASSERT_EQ(modApp::Docs(1), doc);
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("precious\r\n"));
    modAPI::CloseCancelled = false;
}

TEST_F(FilesDocuments, SavingAnUntitledDocumentAsksForANameAndBindsIt) {
    modApp::NewDocument();
    frmDoc* doc = Active();
    ASSERT_NE(doc, nullptr);
    Type(doc, QStringLiteral("MAIN:\r\n"));
    const QString path = folder_.file(QStringLiteral("step1.bas"));
    int refreshes = 0;
    modApp::SetAssistFileListRefresher([&refreshes] { ++refreshes; });
    ScriptedFileDialog dialogs;
    dialogs.Choose(path);
    modApp::SaveActiveDocument();
    modApp::SetAssistFileListRefresher({});
    EXPECT_EQ(refreshes, 1);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    const platform::FileDialogCall& call = dialogs.Calls()[0];
    EXPECT_TRUE(call.save);
    EXPECT_EQ(call.title, QStringLiteral("Save Program File[Untitled1.bas]"));
    EXPECT_EQ(call.initDir, folder_.path());
    EXPECT_EQ(call.fileName, QString());
    EXPECT_EQ(call.filter, modAPI::DialogFilter);

    EXPECT_EQ(ReadAll(path), QByteArray("MAIN:\r\n"));
    EXPECT_TRUE(doc->HasFile);
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(doc->FileName, path);
    EXPECT_EQ(doc->Caption(), modApp::DocumentCaption(path));
    EXPECT_EQ(modApp::RecentFiles[1], path);
    EXPECT_EQ(modApp::ActiveDoc, 1);
}

TEST_F(FilesDocuments, SaveAsOverwriteQuestionAndCancel) {
    const QString taken = folder_.file(QStringLiteral("taken.bas"));
    const QString other = folder_.file(QStringLiteral("other.bas"));
    WriteAll(taken, "keep me");
    modApp::NewDocument();
    frmDoc* doc = Active();
    Type(doc, QStringLiteral("NEW\r\n"));

    {   // No, then cancel the second dialog: nothing at all happens.
        ScriptedFileDialog dialogs;
        dialogs.Choose(taken).Cancel();
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbNo);
        modApp::SaveDocumentAs();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].prompt, taken + QStringLiteral(" is exist already.\nDo you overwrite ?"));
        EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("Overwrite"));
        EXPECT_EQ(boxes.Calls()[0].style, platform::vbYesNo | platform::vbQuestion);
        EXPECT_EQ(dialogs.Calls().size(), 2u);
        EXPECT_EQ(dialogs.Calls()[0].title, QStringLiteral("Save As...[Untitled1.bas]"));
        EXPECT_EQ(ReadAll(taken), QByteArray("keep me"));
        EXPECT_FALSE(doc->HasFile);
        EXPECT_EQ(doc->Caption(), QStringLiteral("Untitled1.bas"));
        EXPECT_TRUE(doc->Modified);
        EXPECT_EQ(modApp::RecentFiles[1], QString());
        EXPECT_FALSE(QFileInfo::exists(folder_.file(QStringLiteral("recent.rct"))));
    }
    {   // No, then another name: saved once, under that name, listed once.
        ScriptedFileDialog dialogs;
        dialogs.Choose(taken).Choose(other);
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbNo);
        modApp::SaveDocumentAs();
        EXPECT_EQ(ReadAll(taken), QByteArray("keep me"));
        EXPECT_EQ(ReadAll(other), QByteArray("NEW\r\n"));
        EXPECT_EQ(doc->FileName, other);
        EXPECT_EQ(modApp::RecentFiles[1], other);
        EXPECT_EQ(modApp::RecentFiles[2], QString());
    }
    {   // Yes replaces the file.
        ScriptedFileDialog dialogs;
        dialogs.Choose(taken);
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbYes);
        modApp::SaveDocumentAs();
        EXPECT_EQ(ReadAll(taken), QByteArray("NEW\r\n"));
        EXPECT_EQ(doc->FileName, taken);
    }
    {   // A plain cancel shows nothing.
        ScriptedFileDialog dialogs;
        dialogs.Cancel();
        ScriptedMsgBox boxes;
        modApp::SaveDocumentAs();
        EXPECT_TRUE(boxes.Calls().empty());
        EXPECT_EQ(doc->FileName, taken);
    }
}

TEST_F(FilesDocuments, AFailedSaveAsKeepsTheDocumentAsItWas) {
    WriteAll(folder_.file(QStringLiteral("notes.txt")), "x");
    modApp::NewDocument();
    frmDoc* doc = Active();
    Type(doc, QStringLiteral("MAIN:\r\n"));
    ScriptedFileDialog dialogs;
    dialogs.Choose(folder_.file(QStringLiteral("notes.txt/walk.bas")));
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    modApp::SaveDocumentAs();
    ExpectErrorBox(boxes, 76, QStringLiteral("Path not found"));
    EXPECT_FALSE(doc->HasFile);
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(doc->FileName, QStringLiteral("Untitled1.bas"));
    EXPECT_EQ(doc->Caption(), QStringLiteral("Untitled1.bas"));
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("MAIN:\r\n"));
    EXPECT_EQ(modApp::RecentFiles[1], QString());
}

TEST_F(FilesDocuments, SaveAsAMotionScriptWritesTheScriptFormat) {
    modApp::NewDocument();
    frmDoc* doc = Active();
    Type(doc, QStringLiteral("DELAY 5\r\nDELAY 6"));
    const QString path = folder_.file(QStringLiteral("moves.QSF"));
    ScriptedFileDialog dialogs;
    dialogs.Choose(path);
    modApp::SaveDocumentAs();
    const QByteArray bytes = ReadAll(path);
    EXPECT_EQ(bytes.left(23), QByteArray("This is Quarscript file"));
    EXPECT_EQ(bytes.mid(55), QByteArray("DELAY 5\rDELAY 6"));
}

}  // namespace
