// Module modReg: loading and saving the main-window, port, controller,
// Assist Window, motion-window and view settings of the settings file
// "qvv2.ini" in the program's folder.
//
// Numbers are written with a leading blank when not negative (vb::Str) and
// read with the leading-number scan (vb::Val); booleans are written "1" or
// "0" and read as true when their number is not 0.  A missing file, section
// or key gives the key's default; a value that reads as no number gives 0;
// a number that does not fit its target, or that its target refuses, leaves
// the target unchanged.
//
// Where the values live.  The modMain values are module variables of
// modMain (documents/modMain.h); the view options are modApp.ShowWhitespace and
// modApp.HighlightLine.  The values that belong to controls of the main
// window and to the link are kept in the two structs below, which are the
// hand-over point to those owners:
// - after LoadMainSettings the main window applies modReg::MainWindow to
//   itself (geometry, state, bar visibility, check marks) and its serial
//   control and time-out timer take modReg::Link.CommPort and CommTimeout;
//   the link's set-up takes the parallel-port values from modReg::Link;
// - before SaveMainSettings the main window writes its current state back
//   into modReg::MainWindow (geometry as the normal, restored geometry, in
//   twips); the Assist Window hands over its folder into AssistFolder
//   whenever it changes.
#pragma once

#include <QString>

#include <cstdint>

#include "protocol/LinkSettings.h"

namespace modReg {

// State of the main window's controls that the settings keep.
struct MainWindowSettings {
    // Normal-state geometry, twips, and the window state (0 normal, 1 shown
    // as an icon, 2 maximised).
    float Left = 1980;
    float Top = 1980;
    float Width = 10080;
    float Height = 5640;
    int16_t WindowState = 0;
    bool ToolbarVisible = true;    // file toolbar tBar; check of menu item "toolbar"
    bool StatusbarVisible = true;  // status bar stBar; check of menu item "statusbar2"
    bool RecentOpen = false;       // check of mnuRecent_Open (reopen the newest file)
    bool Tooltip = true;           // check of mnuTip
    bool AllFileList = false;      // check of mnuAllFileList
    bool QuickNav = true;          // check of quicknav (stored as FrmNav View)
    QString AssistFolder;          // folder of the Assist Window's folder list (JobDIR)
};
inline MainWindowSettings MainWindow;

// The port values (LinkSettings, modReg::Link) are the link's own: see
// protocol/LinkSettings.h.

// The working folder: the Assist Window's folder list's path, or the
// current folder while there is none.  The file dialogs start there and
// SaveMainSettings stores it as Path JobDIR (unless the settings file would
// give it back as another folder: then the JobDIR stored before stays).
QString WorkFolder();

// Full path of the settings file: the program's folder and "qvv2.ini".
QString SettingsFile();

// Reads every main setting (called once at start-up).  The Path JobDIR
// setting becomes the current folder when it names an existing one; the
// current folder then is modReg::MainWindow.AssistFolder.
void LoadMainSettings();
// Writes every main setting (called once at shut-down).
void SaveMainSettings();

// Reads and writes the view options whitespace and hlline
// (modApp.ShowWhitespace, modApp.HighlightLine).
void LoadViewOptions();
void SaveViewOptions();

}  // namespace modReg
