// frmNav: the Assist Window, a tool window the main window keeps docked at
// its side (panel "frmNav" of its DockPanels) or floating.  Two pages,
// chosen by the tab strip `Tbs`:
//
// - Files (`Picture4`): the drive list `Drive1`, the folder list `Dir1`, a
//   splitter grip `imgSize` and the file list `File1` with the columns File,
//   Size and Date.  It lists the folder's program and motion-script files
//   (".bas" and ".qsf" in any letter case), or every file while the main
//   window's "Display All File Format" item is checked.  Double-clicking a
//   file opens it and puts it first in the recent-files list.
// - Labels (`Picture1`): the label list `Label1` (Label, Line) that program
//   alignment fills; double-clicking a label moves the caret to its line.
//
// Listing a folder never opens a file: names, sizes and dates come from the
// folder entries, icons from the desktop's icon theme by the file's name.
// Pipes, devices, sockets and hidden files are not listed.  The folder list
// holds folders and links to folders only.  Both lists read the folder by its
// bytes: a file or folder name that is not valid UTF-8 is listed with
// replacement characters and opened by its own bytes (platform/FileNames.h).
//
// The folder list's path is where the file dialogs start and what the
// settings keep as the working folder: every folder change hands it to
// modReg::MainWindow.AssistFolder.
//
// When the window goes away, the object file beside each listed program
// ("name.bas" -> "name.obj") is deleted; see Form_Unload.
//
// Layout values are the twips of modMain (NavSplitTop and the column
// widths); the window works in pixels and converts at the edges.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "editor/ProgramAlign.h"

class QAction;
class QComboBox;
class QFrame;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class DockPanels;

namespace modMain {
// True while the main window's docking control holds the Assist Window
// docked; the docked layout leaves room at the top of the window.
inline bool NavDocked = true;
}  // namespace modMain

class frmNav : public QWidget {
    Q_OBJECT

public:
    explicit frmNav(QWidget* parent = nullptr);
    ~frmNav() override;

    // The Assist Window that exists, or nullptr.
    static frmNav* Existing();

    // ---- Controls ----------------------------------------------------------------
    QTabBar* Tbs = nullptr;         // tabs "file" and "label"
    QWidget* Picture4 = nullptr;    // file page
    QWidget* Picture1 = nullptr;    // label page
    QComboBox* Drive1 = nullptr;    // the roots: the file system's root and the home folder
    QTreeWidget* Dir1 = nullptr;    // the folder's ancestors and its sub-folders
    QFrame* imgSize = nullptr;      // splitter grip between Dir1 and File1
    QFrame* picSize = nullptr;      // the bar shown while the grip is dragged
    QTreeWidget* File1 = nullptr;   // File, Size, Date; item data: the full path
    QTreeWidget* Label1 = nullptr;  // Label, Line

    // The main window's "Display All File Format" item: while it is
    // checked, every file is listed.  Without one only program files are.
    void SetAllFilesItem(QAction* item) { allFiles_ = item; }
    // Connects the window to the docking control's notices for the panel
    // "frmNav" and keeps `quicknav` (the "View Assist Window" item) in step
    // with the panel's visibility.
    void AttachToDock(DockPanels& dock, QAction* quicknav);

    // ---- Folder and files ----------------------------------------------------------
    // The folder the folder list shows.
    QString Dir1Path() const { return dirPath_; }
    // Shows `path` in the folder list and runs the folder change: the file
    // list is cleared and filled from the folder.  A path that is no folder
    // changes nothing.
    void SetDir1Path(const QString& path);
    // Appends the folder's files to File1 (without clearing it first).
    void FillFile1WithFiles(QString path);
    // Fetches an icon for every listed file, by its name.
    void GetAllIcons();
    // Gives every listed file its icon.
    void ShowIcons();
    // Empties File1 and the icons.
    void ClearFileList();
    // The folder's files again: ClearFileList, FillFile1WithFiles with the
    // folder list's path, GetAllIcons, ShowIcons.
    void RefreshFileList();

    // ---- Labels --------------------------------------------------------------------
    // Adds a label with its 1-based line number.  A second label of the
    // same name is listed too, without a key.
    void AddLabel(const QString& name, int32_t line);
    // The same for many labels, in their order, put into the list at once.
    void AddLabels(const std::vector<ProgramAlign::Label>& labels);
    // Empties the label list and selects the file page.
    void ClearLabels();
    // Empties the label list and its keys, leaving the page as it is.
    void ClearLabelList();

    // ---- Events --------------------------------------------------------------------
    void Form_Load();
    void Form_Resize();
    void Resize();
    void Tbs_Click();
    // Opens the selected file of File1 (as a double click does).
    void File1_DblClick();
    // Moves the active document's caret to the selected label's line.
    void Label1_DblClick();
    // Splitter grip: pointer positions are pixels relative to the grip.
    void imgSize_MouseDown();
    void imgSize_MouseMove(Qt::MouseButtons buttons, int y);
    void imgSize_MouseUp();
    // Deletes the object file beside each listed program.  Runs once; the
    // destructor runs it when it has not run.
    void Form_Unload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillDirList();
    QIcon FileIcon(const QString& path) const;

    QPointer<QAction> allFiles_;
    QString dirPath_;
    QSet<QString> labelKeys_;   // the keys given to Label1's items
    std::vector<QIcon> icons_;  // one per File1 item, in list order (large and small in one icon)
    bool loaded_ = false;
    bool unloaded_ = false;
};
