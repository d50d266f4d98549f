// The Assist Window on its own: the file list of a real folder (letter case
// of the extensions, a sub-folder, the all-files option, special files that
// must not be opened, file and folder names that are not valid UTF-8, links
// to folders and to devices), opening a file from it, the object-file
// clean-up, the splitter and the docked and free layouts.
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "DocTestHost.h"
#include "HostileFiles.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "documents/RecentFiles.h"
#include "documents/modReg.h"
#include "editor/frmNav.h"
#include "platform/FileNames.h"
#include "platform/Twips.h"

namespace {

void Touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QStringList Names(const QTreeWidget* list) {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    return names;
}

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

// A folder with program files in every letter case, other files, a
// sub-folder, a pipe, a dangling link, a link to a file elsewhere and a
// hidden program.
class AssistFolder {
public:
    AssistFolder() {
        const QString d = dir.path();
        for (const char* name :
             {"a.bas", "B.BAS", "c.Qsf", "d.QSF", "e.txt", "f.obj", "bas", "x.bas.txt", ".hidden.bas"})
            Touch(d + "/" + name, name);
        Touch(d + "/sized.bas", QByteArray(12345, 'z'));
        QDir(d).mkdir("sub.bas");
        mkfifo(QFile::encodeName(d + "/pipe.bas").constData(), 0600);
        QFile::link(d + "/nowhere", d + "/dead.bas");
        // A huge (sparse) file and one nobody may read: listed from the
        // folder entry alone.
        QFile huge(d + "/huge.bas");
        if (huge.open(QIODevice::WriteOnly)) huge.resize(kHugeSize);
        huge.close();
        Touch(d + "/locked.bas");
        QFile::setPermissions(d + "/locked.bas", QFileDevice::Permissions());
        Touch(outside.path() + "/target.bas");
        QFile::link(outside.path() + "/target.bas", d + "/link.bas");
    }
    QString Path() const { return dir.path(); }

    static constexpr qint64 kHugeSize = qint64(8) * 1024 * 1024 * 1024;

    QTemporaryDir dir;
    QTemporaryDir outside;
};

class AssistWindowTest : public DocWindowTest {
protected:
    void SetUp() override {
        DocWindowTest::SetUp();
        saved_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        nav_ = std::make_unique<frmNav>();
        nav_->SetAllFilesItem(&allFiles_);
        allFiles_.setCheckable(true);
    }
    void TearDown() override {
        nav_.reset();
        QDir::setCurrent(saved_);
        modApp::RecentFiles = {};
        DocWindowTest::TearDown();
    }

    QAction allFiles_;
    std::unique_ptr<frmNav> nav_;
    QString saved_;
};

TEST_F(AssistWindowTest, ListsProgramFilesInAnyCaseOrEveryFileWithTheOption) {
    AssistFolder folder;
    const QStringList programs = {"B.BAS",    "a.bas",    "c.Qsf",      "d.QSF",
                                  "huge.bas", "link.bas", "locked.bas", "sized.bas"};
    nav_->SetDir1Path(folder.Path());
    EXPECT_EQ(Sorted(Names(nav_->File1)), programs);

    allFiles_.setChecked(true);
    nav_->RefreshFileList();
    EXPECT_EQ(Sorted(Names(nav_->File1)), Sorted(programs + QStringList{"bas", "e.txt", "f.obj", "x.bas.txt"}));

    // The sub-folder is in the folder list under the current folder.
    QTreeWidgetItem* current = nav_->Dir1->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->data(0, Qt::UserRole).toString(), QDir(folder.Path()).absolutePath());
    ASSERT_EQ(current->childCount(), 1);
    EXPECT_EQ(current->child(0)->text(0), "sub.bas");
}

TEST_F(AssistWindowTest, ItemsCarryPathSizeDateAndIcon) {
    AssistFolder folder;
    nav_->SetDir1Path(folder.Path());
    const QLocale locale;
    for (int i = 0; i < nav_->File1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = nav_->File1->topLevelItem(i);
        SCOPED_TRACE(item->text(0).toStdString());
        const QString path = item->data(0, Qt::UserRole).toString();
        const QFileInfo info(path);
        EXPECT_EQ(path, folder.Path() + "/" + item->text(0));
        EXPECT_EQ(item->text(1), QString::number(info.size()));
        EXPECT_EQ(item->text(2), locale.toString(info.lastModified(), QLocale::ShortFormat));
        EXPECT_FALSE(item->icon(0).isNull());
    }
    const auto sized = nav_->File1->findItems("sized.bas", Qt::MatchExactly);
    ASSERT_EQ(sized.size(), 1);
    EXPECT_EQ(sized.front()->text(1), "12345");  // no separators
    const auto huge = nav_->File1->findItems("huge.bas", Qt::MatchExactly);
    ASSERT_EQ(huge.size(), 1);
    EXPECT_EQ(huge.front()->text(1), QString::number(AssistFolder::kHugeSize));
}

TEST_F(AssistWindowTest, FolderChangeClearsButAppendingTwiceListsTwice) {
    AssistFolder folder;
    nav_->SetDir1Path(folder.Path());
    nav_->SetDir1Path(folder.Path());
    const int once = nav_->File1->topLevelItemCount();
    EXPECT_EQ(once, 8);
    nav_->FillFile1WithFiles(folder.Path());
    EXPECT_EQ(nav_->File1->topLevelItemCount(), 2 * once);

    // A drive entry puts the folder list at its root.
    nav_->Drive1->setCurrentIndex(0);
    emit nav_->Drive1->activated(0);
    EXPECT_EQ(nav_->Dir1Path(), QDir::rootPath());
}

TEST_F(AssistWindowTest, DoubleClickOpensAnExistingFileAndPutsItFirstInTheRecentList) {
    AssistFolder folder;
    nav_->SetDir1Path(folder.Path());
    const auto items = nav_->File1->findItems("c.Qsf", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    nav_->File1->setCurrentItem(items.front());
    nav_->File1_DblClick();
    ASSERT_NE(modApp::Docs(1), nullptr);
    EXPECT_EQ(modApp::Docs(1)->FileName, folder.Path() + "/c.Qsf");
    EXPECT_EQ(modApp::RecentFiles[1], folder.Path() + "/c.Qsf");

    // A file gone since it was listed opens nothing and asks nothing.
    const auto gone = nav_->File1->findItems("a.bas", Qt::MatchExactly);
    ASSERT_EQ(gone.size(), 1);
    ASSERT_TRUE(QFile::remove(folder.Path() + "/a.bas"));
    nav_->File1->setCurrentItem(gone.front());
    nav_->File1_DblClick();
    EXPECT_EQ(modApp::Docs(2), nullptr);
    EXPECT_EQ(modApp::RecentFiles[1], folder.Path() + "/c.Qsf");
}

TEST_F(AssistWindowTest, ANameThatIsNotValidUtf8IsListedOpenedAndSavedByItsBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFile bad(dir.path(), "k_bad\xFF\xFE.bas", "PRINT 1\r\nEND");
    ASSERT_TRUE(bad.Ok());
    const QByteArray& native = bad.Path();
    Touch(dir.path() + "/good.bas");

    ScriptedMsgBox boxes;  // none expected: a box fails the test
    nav_->SetDir1Path(dir.path());
    const QString shown = QStringLiteral("k_bad\uFFFD\uFFFD.bas");
    EXPECT_EQ(Sorted(Names(nav_->File1)), Sorted({"good.bas", shown}));
    const auto items = nav_->File1->findItems(shown, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.front()->text(1), "12");

    nav_->File1->setCurrentItem(items.front());
    nav_->File1_DblClick();
    for (const auto& call : boxes.Calls()) ADD_FAILURE() << call.prompt.toStdString();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("PRINT 1\r\nEND"));
    EXPECT_EQ(host_->tabs->tabText(host_->tabs->IndexOfKey("key1")), shown);

    // A save goes back to the same file, not to one named after the shown
    // characters.
    doc->rt->SetWholeText(QStringLiteral("PRINT 2"));
    modApp::ActiveDoc = 1;
    modApp::SaveActiveDocument();
    QFile back(QFile::decodeName(native));  // Qt cannot name it: read by bytes
    const int rfd = ::open(native.constData(), O_RDONLY);
    ASSERT_GE(rfd, 0);
    char buf[64];
    const ssize_t n = ::read(rfd, buf, sizeof buf);
    ::close(rfd);
    EXPECT_EQ(QByteArray(buf, static_cast<int>(std::max<ssize_t>(n, 0))), "PRINT 2");
    EXPECT_FALSE(back.exists());

    // The object file beside it goes with the window, found by its bytes.
    const hostile::RawNamedFile objectFile(dir.path(), "k_bad\xFF\xFE.obj", "");
    ASSERT_TRUE(objectFile.Ok());
    const QByteArray& object = objectFile.Path();
    nav_.reset();
    struct stat st {};
    EXPECT_NE(::lstat(object.constData(), &st), 0);
    EXPECT_EQ(::lstat(native.constData(), &st), 0);
}

// The sub-folders under the folder list's current folder, as shown.
QStringList SubFolders(const QTreeWidget* dirs) {
    QStringList names;
    const QTreeWidgetItem* current = dirs->currentItem();
    for (int i = 0; current && i < current->childCount(); ++i) names << current->child(i)->text(0);
    return names;
}

// Opens the sub-folder shown as `shown` as a double click does.
void OpenSubFolder(QTreeWidget* dirs, const QString& shown) {
    QTreeWidgetItem* current = dirs->currentItem();
    ASSERT_NE(current, nullptr);
    for (int i = 0; i < current->childCount(); ++i) {
        if (current->child(i)->text(0) != shown) continue;
        emit dirs->itemActivated(current->child(i), 0);
        return;
    }
    ADD_FAILURE() << "no folder " << shown.toStdString();
}

TEST_F(AssistWindowTest, AFolderWhoseNameIsNotValidUtf8IsListedAndOpensByItsBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("good"));
    const hostile::RawNamedFolder bad(dir.path(), "d_bad\xFF");
    ASSERT_TRUE(bad.Ok());
    const hostile::RawNamedFolder deeper(bad.Path(), "deeper");
    ASSERT_TRUE(deeper.Ok());
    const hostile::RawNamedFile inner(bad.Path(), "inner.bas", "PRINT 3");
    const hostile::RawNamedFile badInner(bad.Path(), "k\xFE.bas", "x");
    ASSERT_TRUE(inner.Ok() && badInner.Ok());
    const QString shown = QStringLiteral("d_bad\uFFFD");

    ScriptedMsgBox boxes;  // none expected
    nav_->SetDir1Path(dir.path());
    EXPECT_EQ(SubFolders(nav_->Dir1), QStringList({shown, "good"}));

    // Opening it lists its files and its own sub-folder.
    OpenSubFolder(nav_->Dir1, shown);
    EXPECT_EQ(platform::EncodeFileName(nav_->Dir1Path()), bad.Path());
    EXPECT_EQ(nav_->Dir1->currentItem()->text(0), shown);
    EXPECT_EQ(Sorted(Names(nav_->File1)), Sorted({"inner.bas", QStringLiteral("k\uFFFD.bas")}));
    EXPECT_EQ(SubFolders(nav_->Dir1), QStringList{"deeper"});

    // Below it, it stands in the chain of folders and leads back to itself.
    OpenSubFolder(nav_->Dir1, "deeper");
    EXPECT_EQ(platform::EncodeFileName(nav_->Dir1Path()), deeper.Path());
    QTreeWidgetItem* up = nav_->Dir1->currentItem()->parent();
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->text(0), shown);
    emit nav_->Dir1->itemActivated(up, 0);
    EXPECT_EQ(platform::EncodeFileName(nav_->Dir1Path()), bad.Path());

    // A file in it opens by its bytes.
    const auto items = nav_->File1->findItems("inner.bas", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    nav_->File1->setCurrentItem(items.front());
    nav_->File1_DblClick();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->rt->WholeText(), "PRINT 3");
    EXPECT_EQ(platform::EncodeFileName(doc->FileName), inner.Path());
    for (const auto& call : boxes.Calls()) ADD_FAILURE() << call.prompt.toStdString();
    nav_.reset();  // the window's clean-up runs while the folder is there
}

TEST_F(AssistWindowTest, StartsInACurrentFolderWhoseNameIsNotValidUtf8) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFolder bad(dir.path(), "d_bad\xFF");
    ASSERT_TRUE(bad.Ok());
    const hostile::RawNamedFile inner(bad.Path(), "inner.bas", "PRINT 3");
    ASSERT_TRUE(inner.Ok());
    ASSERT_EQ(::chdir(bad.Path().constData()), 0);

    ScriptedMsgBox boxes;  // none expected
    nav_ = std::make_unique<frmNav>();  // it starts in the current folder
    EXPECT_EQ(platform::EncodeFileName(nav_->Dir1Path()), bad.Path());
    EXPECT_EQ(platform::EncodeFileName(modReg::MainWindow.AssistFolder), bad.Path());
    EXPECT_EQ(Names(nav_->File1), QStringList{"inner.bas"});
    for (const auto& call : boxes.Calls()) ADD_FAILURE() << call.prompt.toStdString();
    nav_.reset();  // the window's clean-up runs while the folder is there
}

TEST_F(AssistWindowTest, OnlyFoldersAndLinksToFoldersAreFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString d = dir.path();
    ASSERT_TRUE(QDir(d).mkdir("sub"));
    Touch(d + "/sub/inner.bas");
    Touch(d + "/top.bas");
    ASSERT_TRUE(QFile::link(d + "/sub", d + "/sublink"));
    for (const char* name : {"zero", "zero.bas", "null.bas"})
        ASSERT_TRUE(QFile::link(QString::fromLatin1(std::strcmp(name, "null.bas") ? "/dev/zero" : "/dev/null"),
                                d + "/" + name));
    ASSERT_EQ(mkfifo(QFile::encodeName(d + "/fifo").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(d + "/fifo", d + "/fifolink"));

    allFiles_.setChecked(true);
    nav_->SetDir1Path(d);
    QTreeWidgetItem* current = nav_->Dir1->currentItem();
    ASSERT_NE(current, nullptr);
    QStringList folders;
    for (int i = 0; i < current->childCount(); ++i) folders << current->child(i)->text(0);
    EXPECT_EQ(folders, QStringList({"sub", "sublink"}));
    EXPECT_EQ(Names(nav_->File1), QStringList{"top.bas"});

    // The link to a folder is one: choosing it lists that folder's files.
    nav_->Dir1->setCurrentItem(current->child(1));
    emit nav_->Dir1->itemActivated(current->child(1), 0);
    EXPECT_EQ(Names(nav_->File1), QStringList{"inner.bas"});
}

TEST_F(AssistWindowTest, UnloadDeletesOnlyTheObjectFileBesideEachListedProgram) {
    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "all files" : "programs");
        QTemporaryDir dir, outside;
        const QString d = dir.path();
        for (const char* name :
             {"prog.bas", "prog.obj", "UP.BAS", "UP.obj", "UP.OBJ", "move.qsf", "move.obj", "alone.bas", "data.txt",
              "data.obj", "keep.obj", "linked.bas", "pipe.bas", "folder.bas"})
            Touch(d + "/" + name);
        Touch(outside.path() + "/target.obj");
        ASSERT_TRUE(QFile::link(outside.path() + "/target.obj", d + "/linked.obj"));
        ASSERT_EQ(mkfifo(QFile::encodeName(d + "/pipe.obj").constData(), 0600), 0);
        ASSERT_TRUE(QDir(d).mkdir("folder.obj"));

        auto nav = std::make_unique<frmNav>();
        QAction item;
        item.setCheckable(true);
        item.setChecked(all);
        nav->SetAllFilesItem(&item);
        nav->SetDir1Path(d);
        nav.reset();  // the window goes

        QStringList left = QDir(d).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        EXPECT_EQ(left,
                  Sorted({"UP.BAS", "UP.OBJ", "alone.bas", "data.obj", "data.txt", "folder.bas", "folder.obj",
                          "keep.obj", "linked.bas", "linked.obj", "move.qsf", "pipe.bas", "pipe.obj", "prog.bas"}));
        EXPECT_TRUE(QFileInfo::exists(outside.path() + "/target.obj"));
    }
}

TEST_F(AssistWindowTest, SplitterStaysInsideThePageAndTheListsFollowIt) {
    nav_->resize(300, 600);
    nav_->Form_Resize();
    const int ph = nav_->Picture4->height();
    const int margin = platform::TwipsToPixels(800);
    const struct {
        int pointerY;  // relative to the grip
        int top;       // expected grip top
    } cases[] = {{-1000, margin}, {1000, ph - margin}, {0, -1}};
    for (const auto& c : cases) {
        const int expected = c.top >= 0 ? c.top : nav_->imgSize->y();
        nav_->imgSize_MouseDown();
        EXPECT_TRUE(nav_->picSize->isVisibleTo(nav_.get()));
        nav_->imgSize_MouseMove(Qt::LeftButton, c.pointerY);
        EXPECT_EQ(nav_->imgSize->y(), expected);
        nav_->imgSize_MouseUp();
        EXPECT_FALSE(nav_->picSize->isVisibleTo(nav_.get()));
        EXPECT_EQ(platform::TwipsToPixels(modMain::NavSplitTop), expected);
        // After the drop the folder list ends at the grip and the file list
        // starts below it and fills the page; the grip only moves up, to
        // keep room for the file list.
        EXPECT_LE(nav_->imgSize->y(), expected);
        EXPECT_EQ(nav_->Dir1->y() + nav_->Dir1->height(), nav_->imgSize->y());
        EXPECT_EQ(nav_->File1->y(), nav_->imgSize->y() + nav_->imgSize->height());
        EXPECT_EQ(nav_->File1->y() + nav_->File1->height(), ph);
    }
    // Without the left button the grip does not move.
    const int before = nav_->imgSize->y();
    nav_->imgSize_MouseMove(Qt::RightButton, 50);
    EXPECT_EQ(nav_->imgSize->y(), before);

    // A very short window keeps room for the file list.
    modMain::NavSplitTop = 30000;
    nav_->resize(300, 260);
    nav_->Form_Resize();
    EXPECT_LE(nav_->Dir1->height(), nav_->Picture4->height() - platform::TwipsToPixels(1500));
    modMain::NavSplitTop = 2000;
}

TEST_F(AssistWindowTest, DockedLayoutLeavesRoomAtTheTopAndFreeLayoutDoesNot) {
    nav_->resize(300, 500);
    for (const bool docked : {true, false}) {
        modMain::NavDocked = docked;
        nav_->Form_Resize();
        const int top = platform::TwipsToPixels(docked ? 350 : 30);
        EXPECT_EQ(nav_->Tbs->y(), top);
        EXPECT_EQ(nav_->Picture4->y() + nav_->Picture4->height(), 500 - platform::TwipsToPixels(30));
    }
    modMain::NavDocked = true;
}

TEST_F(AssistWindowTest, TabsShowOnePageAndClearingLabelsReturnsToFiles) {
    nav_->show();
    nav_->Tbs->setCurrentIndex(1);
    EXPECT_TRUE(nav_->Picture1->isVisible());
    EXPECT_FALSE(nav_->Picture4->isVisible());
    nav_->AddLabel("A", 1);
    nav_->AddLabel("A", 7);
    ASSERT_EQ(nav_->Label1->topLevelItemCount(), 2);
    EXPECT_EQ(nav_->Label1->topLevelItem(0)->data(0, Qt::UserRole).toString(), "A");
    EXPECT_FALSE(nav_->Label1->topLevelItem(1)->data(0, Qt::UserRole).isValid());  // key taken
    EXPECT_EQ(nav_->Label1->topLevelItem(1)->text(1), "7");
    nav_->ClearLabels();
    EXPECT_EQ(nav_->Label1->topLevelItemCount(), 0);
    EXPECT_EQ(nav_->Tbs->currentIndex(), 0);
    EXPECT_TRUE(nav_->Picture4->isVisible());
    EXPECT_FALSE(nav_->Picture1->isVisible());
}

}  // namespace
