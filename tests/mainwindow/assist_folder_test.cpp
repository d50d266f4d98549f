// The Assist Window's folder as the working folder: the Open and Save As
// dialogs start in the folder list's path, and the shut-down stores it as
// Path JobDIR, unless the settings file would give it back as another folder.
#include <QDir>
#include <QTreeWidget>

#include <memory>

#include "HostileFiles.h"
#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "compiler/Text.h"
#include "documents/modIni.h"
#include "editor/frmNav.h"
#include "platform/FileNames.h"

namespace {

// Opens the sub-folder `name` of the folder list's current folder as a
// double click does.
void OpenSubFolder(frmNav& nav, const QString& name) {
    QTreeWidgetItem* current = nav.Dir1->currentItem();
    ASSERT_NE(current, nullptr);
    for (int i = 0; i < current->childCount(); ++i) {
        if (current->child(i)->text(0) != name) continue;
        emit nav.Dir1->itemActivated(current->child(i), 0);
        return;
    }
    ADD_FAILURE() << "no folder " << name.toStdString();
}

// The start folder of the Open and the Save As dialog, both cancelled.
QStringList DialogFolders(frmMain& w, ScriptedFileDialog& dialogs) {
    const size_t before = dialogs.Calls().size();
    dialogs.Cancel().Cancel();
    w.open_Click();
    w.saveas_Click();
    QStringList folders;
    for (size_t i = before; i < dialogs.Calls().size(); ++i) folders << dialogs.Calls()[i].initDir;
    return folders;
}

// The code page of the settings file for a scope.
class SettingsCodePage {
public:
    explicit SettingsCodePage(const char* codePage) { qvv2::SetSystemCodePage(codePage); }
    ~SettingsCodePage() { qvv2::SetSystemCodePage(""); }
    SettingsCodePage(const SettingsCodePage&) = delete;
    SettingsCodePage& operator=(const SettingsCodePage&) = delete;
};

}  // namespace

TEST_F(MainWindowTest, FileDialogsStartInTheFolderListsPathAndExitStoresItAsJobDir) {
    ASSERT_TRUE(QDir(Home()).mkpath("robots/walk"));
    const QString walk = Home() + "/robots/walk";
    {
        frmMain& w = Start();
        frmNav* nav = frmNav::Existing();
        ASSERT_NE(nav, nullptr);
        // Before the user picks a folder, the folder list shows the start folder.
        EXPECT_EQ(nav->Dir1Path(), Home());
        EXPECT_EQ(DialogFolders(w, Dialogs()), QStringList({Home(), Home()}));

        OpenSubFolder(*nav, "robots");
        OpenSubFolder(*nav, "walk");
        ASSERT_EQ(nav->Dir1Path(), walk);
        EXPECT_EQ(DialogFolders(w, Dialogs()), QStringList({walk, walk}));
        ASSERT_EQ(Dialogs().Calls().size(), 4u);
        EXPECT_FALSE(Dialogs().Calls()[2].save);
        EXPECT_TRUE(Dialogs().Calls()[3].save);

        EXPECT_TRUE(w.close());
        EXPECT_EQ(modIni::ReadIni("Path", "JobDIR", "", HomeFile("qvv2.ini")), walk);
    }
    // The next start begins there.
    ResetState();
    frmMain& w = Start();
    ASSERT_NE(frmNav::Existing(), nullptr);
    EXPECT_EQ(frmNav::Existing()->Dir1Path(), walk);
    EXPECT_EQ(DialogFolders(w, Dialogs()), QStringList({walk, walk}));
}

TEST_F(MainWindowTest, AFolderTheSettingsFileWouldGiveBackAsAnotherIsNotStoredAsJobDir) {
    ASSERT_TRUE(QDir(Home()).mkdir("start"));
    const QString start = Home() + "/start";
    const QString longName(100, u'n');
    ASSERT_TRUE(QDir(Home()).mkpath(longName + "/" + longName + "/" + longName.left(60)));
    for (const QString& name : {QStringLiteral("한글"), QStringLiteral("trail "), QStringLiteral("café")})
        ASSERT_TRUE(QDir(Home()).mkdir(name));
    const hostile::RawNamedFolder bad(Home(), "d_bad\xFF");
    ASSERT_TRUE(bad.Ok());

    const struct {
        bool korean;
        QString folder;  // as the program holds it
        bool stored;
    } cases[] = {
        {false, Home() + QStringLiteral("/한글"), false},      // CP1252 has no Hangul
        {false, platform::DecodeFileName(bad.Path()), false},  // not valid UTF-8
        {false, Home() + "/trail ", false},                    // read back without its blank
        {false, Home() + "/" + longName + "/" + longName + "/" + longName.left(60), false},  // cut at 254
        {false, Home() + QStringLiteral("/café"), true},
        {true, Home() + QStringLiteral("/한글"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        QLocale::setDefault(c.korean ? QLocale(QLocale::Korean, QLocale::SouthKorea)
                                     : QLocale(QLocale::English, QLocale::UnitedStates));
        const SettingsCodePage codePage(c.korean ? "CP949" : "CP1252");
        ResetState();
        modIni::WriteIni("Path", "JobDIR", start, HomeFile("qvv2.ini"));

        frmMain& w = Start();
        frmNav* nav = frmNav::Existing();
        ASSERT_NE(nav, nullptr);
        ASSERT_EQ(nav->Dir1Path(), start);
        nav->SetDir1Path(c.folder);
        ASSERT_EQ(platform::EncodeFileName(nav->Dir1Path()), platform::EncodeFileName(c.folder));
        EXPECT_EQ(DialogFolders(w, Dialogs()), QStringList({c.folder, c.folder}));
        EXPECT_TRUE(w.close());
        EXPECT_EQ(modIni::ReadIni("Path", "JobDIR", "", HomeFile("qvv2.ini")), c.stored ? c.folder : start);
    }
}
