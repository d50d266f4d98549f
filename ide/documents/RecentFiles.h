// The recent-files list: the six most recently used files, newest first,
// kept in "recent.rct" in the program's folder and shown by the main window's
// File menu items mnuRec(0) to mnuRec(5).
//
// recent.rct holds the six entries in order, each as a 16-bit length (low
// byte first) and that many bytes of text in the ANSI code page; an empty
// entry is two zero bytes.  The list is written over the start of the file:
// whatever an older, longer file held behind the six entries stays there,
// and the reader ignores it.
//
// A name the code page cannot hold (a Korean name in English, say, or a file
// name that is not valid UTF-8) would come back from the file as another
// name, one that names no file or the wrong one.  Such a name is left out of
// the list: opening or saving that file leaves the list as it was.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <string>

#include "documents/Files.h"

namespace modApp {

// Entries 1 (newest) to 6 (oldest); element 0 is not used.  An empty text is
// an empty entry; the same path may stand in several entries.
using RecentFileList = std::array<QString, 7>;
inline RecentFileList RecentFiles;

// Full path of recent.rct in the program's folder.
QString RecentFilePath();

// The six entries as stored (without any old tail).
QByteArray RecentFileBytes(const RecentFileList& list, const std::string& codePage);
// Reads six entries from the start of `bytes`; entries the bytes end before
// (or that are cut off) are empty.
RecentFileList ParseRecentFileBytes(const QByteArray& bytes, const std::string& codePage);

// Puts `path` first (the others move down one place, the sixth is dropped),
// writes recent.rct and refreshes the menu.  Returns the error of the write;
// the list in memory and the menu change either way.  Something in
// recent.rct's place that cannot be read (a folder, a pipe, a device, a file
// over kListSizeLimit) is not written over: its read error is returned.  A
// path that recent.rct would not give back as itself changes nothing and
// returns "Invalid procedure call or argument".
FileError AddRecentFile(const QString& path);

// Reads recent.rct into the list and refreshes the menu.  A missing file
// changes nothing and is no error for the user (the result says so); so does
// anything that is not an ordinary file of at most kListSizeLimit bytes.
FileError LoadRecentFiles();

// ---- The menu ----------------------------------------------------------------

// Sets one recent-file menu item: item k (0 to 5) shows `caption` and is
// made visible.  The main window installs it (an empty one removes it).
using RecentMenuSetter = std::function<void(int item, const QString& caption)>;
void SetRecentMenuSetter(RecentMenuSetter setter);

// For k = 0 to 5: when entry k + 1 is not empty, hands it to the menu setter
// as item k's caption.  Items of empty entries are left as they are.
void RefreshRecentMenu();

// The path of entry k + 1 for menu item k (empty outside 0 to 5): what a
// click on the item opens.
QString RecentMenuPath(int item);

}  // namespace modApp
