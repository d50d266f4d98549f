// Documents, motion scripts and the recent-files list against files a hostile
// user leaves in their place: a named pipe, a link to /dev/zero, a folder, a
// file over the size limit, a read-only file.  Nothing blocks or reads
// without end, one clear message says why (where opening shows messages),
// and every such entry ends exactly as it was.
#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "ScriptedDialogs.h"
#include "documents/Documents.h"
#include "documents/Files.h"
#include "documents/MotionScript.h"
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

const QString kAccessError = QStringLiteral("Error : 75");

class HostileFiles : public DocumentFilesTest {
protected:
    // What the error box says about an entry of `kind` at `path`.
    static QString RefusalText(hostile::Kind kind, const QString& path) {
        if (kind == hostile::Kind::OverLimit)
            return QStringLiteral("Path/File access error: the file is larger than 16 MiB");
        return QStringLiteral("Path/File access error: ") + path + QStringLiteral(" is not a file");
    }
};

// ---- Opening ------------------------------------------------------------------

TEST_F(HostileFiles, OpeningWhatIsNoReadableDocumentShowsOneMessageAndOpensNothing) {
    for (const hostile::Kind kind : hostile::All()) {
        for (const char* extension : {".bas", ".qsf"}) {
            SCOPED_TRACE(std::string(hostile::Name(kind)) + extension);
            const QString path =
                folder_.file(QStringLiteral("entry") + QString::number(static_cast<int>(kind)) + extension);
            hostile::Make(kind, path, modApp::kDocumentSizeLimit);
            hostile::Watchdog watchdog;
            ScriptedMsgBox boxes;
            boxes.Answer(platform::vbOK);
            EXPECT_FALSE(modApp::OpenDocument(path));
            // No "is not exist. Do you create ?" question: only the error.
            ExpectErrorBox(boxes, 75, RefusalText(kind, path));
            EXPECT_EQ(OpenWindows(), 0);
            hostile::ExpectUnchanged(kind, path, modApp::kDocumentSizeLimit);
        }
    }
}

TEST_F(HostileFiles, ARecentEntryThatIsNoFileIsNotOfferedForCreation) {
    const QString pipe = folder_.file(QStringLiteral("pipe.bas"));
    const QString folder = folder_.file(QStringLiteral("folder.bas"));
    const QString missing = folder_.file(QStringLiteral("missing.bas"));
    hostile::Make(hostile::Kind::Fifo, pipe);
    hostile::Make(hostile::Kind::Folder, folder);
    modApp::RecentFileList list;
    list[1] = pipe;
    list[2] = folder;
    list[3] = missing;
    WriteAll(modApp::RecentFilePath(), modApp::RecentFileBytes(list, modApp::FileCodePage()));
    ASSERT_TRUE(modApp::LoadRecentFiles().ok());

    hostile::Watchdog watchdog;
    for (int item : {0, 1}) {
        SCOPED_TRACE(item);
        const QString path = modApp::RecentMenuPath(item);
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        EXPECT_FALSE(modApp::OpenDocument(path));
        ExpectErrorBox(boxes, 75,
                          QStringLiteral("Path/File access error: ") + path + QStringLiteral(" is not a file"));
    }
    // A missing file is still offered for creation.
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbNo);
    EXPECT_TRUE(modApp::OpenDocument(modApp::RecentMenuPath(2)));
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].prompt,
              QStringLiteral("File : ") + missing + QStringLiteral("\n is not exist. Do you create ?"));
    EXPECT_EQ(OpenWindows(), 0);
    hostile::ExpectUnchanged(hostile::Kind::Fifo, pipe);
    hostile::ExpectUnchanged(hostile::Kind::Folder, folder);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(HostileFiles, ReadersTreatNoReadableFileAsUnreadableAndKeepTheCallersText) {
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString path = folder_.file(QStringLiteral("entry") + QString::number(static_cast<int>(kind)));
        hostile::Make(kind, path, modApp::kDocumentSizeLimit);
        hostile::Watchdog watchdog;

        QString text = QStringLiteral("caller's text");
        modApp::ReadScriptFile(path, text);
        EXPECT_EQ(text, QStringLiteral("caller's text"));
        EXPECT_EQ(modApp::ReadScriptFileChecked(path, text).Number, 75);
        EXPECT_EQ(text, QStringLiteral("caller's text"));
        EXPECT_EQ(modApp::ReadProgramFile(path, text).Number, 75);
        EXPECT_EQ(text, QStringLiteral("caller's text"));
        hostile::ExpectUnchanged(kind, path, modApp::kDocumentSizeLimit);
    }
}

TEST_F(HostileFiles, AProgramFileOfExactlyTheLimitStillReads) {
    const QString path = folder_.file(QStringLiteral("big.bas"));
    const QByteArray bytes = hostile::TextOfSize(modApp::kDocumentSizeLimit);
    WriteAll(path, bytes);
    QString text;
    ASSERT_TRUE(modApp::ReadProgramFile(path, text).ok());
    EXPECT_EQ(text.size(), bytes.size());
    EXPECT_TRUE(text.startsWith(QStringLiteral("' a comment line of a long program\r\n")));
}

// ---- The recent-files list ----------------------------------------------------

TEST_F(HostileFiles, ARecentListFileThatIsNoReadableFileCountsAsMissingAndStaysAsItIs) {
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString rct = modApp::RecentFilePath();
        hostile::Make(kind, rct, modApp::kListSizeLimit);
        hostile::Watchdog watchdog;
        std::vector<std::pair<int, QString>> menu;
        modApp::SetRecentMenuSetter([&menu](int item, const QString& caption) { menu.emplace_back(item, caption); });

        modApp::RecentFiles = modApp::RecentFileList();
        EXPECT_FALSE(modApp::LoadRecentFiles().ok());
        EXPECT_EQ(modApp::RecentFiles, modApp::RecentFileList());
        EXPECT_TRUE(menu.empty());

        // Adding still moves the list and the menu, but leaves the entry in
        // recent.rct's place as it is.
        EXPECT_FALSE(modApp::AddRecentFile(QStringLiteral("walk.bas")).ok());
        EXPECT_EQ(modApp::RecentFiles[1], QStringLiteral("walk.bas"));
        EXPECT_EQ(menu, (std::vector<std::pair<int, QString>>{{0, QStringLiteral("walk.bas")}}));
        modApp::SetRecentMenuSetter({});
        hostile::ExpectUnchanged(kind, rct, modApp::kListSizeLimit);

        // Clear the place for the next kind.
        if (kind == hostile::Kind::Folder)
            ASSERT_TRUE(QDir(rct).removeRecursively());
        else
            ASSERT_TRUE(QFile::remove(rct));
    }
}

// ---- Read-only files ------------------------------------------------------------

TEST_F(HostileFiles, AReadOnlyFileIsNeverReplaced) {
    // As root too: the permissions alone would let root replace the file.
    struct Case {
        const char* name;
        QString file;
        QByteArray old;
        bool saveAs;  // Save As onto the file (answering Yes to overwrite) instead of Save
    };
    const std::vector<Case> cases = {
        {"program, Save", QStringLiteral("walk.bas"), "MAIN:\r\n\tGOTO MAIN\r\n", false},
        {"motion script, Save", QStringLiteral("dance.qsf"),
         modApp::ScriptFileHeader() + QByteArray("MOVE 1,2,3\rDELAY 5"), false},
        {"program, Save As over it", QStringLiteral("taken.bas"), "keep me\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder_.file(c.file);
        WriteAll(path, c.old);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        const QStringList listing = Listing(folder_.path());

        if (c.saveAs) {
            modApp::NewDocument();
        } else {
            ScriptedMsgBox none;
            ASSERT_TRUE(modApp::OpenDocument(path));
        }
        frmDoc* doc = Active();
        ASSERT_NE(doc, nullptr);
        const QString name = doc->FileName;
        const QString caption = doc->Caption();
        doc->rt->SetWholeText(QStringLiteral("NEW TEXT\r\n"));
        ASSERT_TRUE(doc->Modified);

        ScriptedMsgBox boxes;
        ScriptedFileDialog dialogs;
        if (c.saveAs) {
            dialogs.Choose(path);
            boxes.Answer(platform::vbYes);  // overwrite?
        }
        boxes.Answer(platform::vbOK);
        if (c.saveAs)
            modApp::SaveDocumentAs();
        else
            modApp::SaveActiveDocument();

        ASSERT_EQ(boxes.Calls().size(), c.saveAs ? 2u : 1u);
        const platform::MsgBoxCall& error = boxes.Calls().back();
        EXPECT_EQ(error.title, kAccessError);
        EXPECT_EQ(error.prompt, kAccessError + QStringLiteral("\nPath/File access error"));
        EXPECT_TRUE(doc->Modified);
        EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("NEW TEXT\r\n"));
        EXPECT_EQ(doc->FileName, name);
        EXPECT_EQ(doc->Caption(), caption);
        EXPECT_EQ(ReadAll(path), c.old);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u);
        EXPECT_EQ(Listing(folder_.path()), listing);  // no temporary file left behind
        EXPECT_EQ(modApp::RecentFiles[1], QString());
    }
}

}  // namespace
