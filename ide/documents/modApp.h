// Module modApp: the program's folder, path building and the view options
// that document windows read.  Document handling joins this module in its
// own files.
#pragma once

#include <QString>

namespace modApp {

// Appends the path separator to a folder path unless it already ends in
// one; an empty path becomes the root.  On this platform the separator is
// "/", so paths built with it name real files.
QString AddBackslash(const QString& path);

// The program's own folder (where the settings file and the program's data
// files live): the executable's folder unless SetAppPath chose another.
QString AppPath();
// Points AppPath at another folder (tests, portable installs); an empty
// path returns to the executable's folder.
void SetAppPath(const QString& folder);

// The folder the program was started from: the executable's folder, or the
// one SetProgramFolder chose (tests); empty without an application object.
QString ProgramFolder();
// Points ProgramFolder at another folder; an empty path returns to the
// executable's folder.
void SetProgramFolder(const QString& folder);

// The program's data folder `name` ("user", "firmware"), with the path
// separator appended: the one in AppPath when AppPath has such a folder,
// else the one beside the program (ProgramFolder) when that exists, so that
// a folder chosen with QUARVEL_HOME without a folder of its own uses the
// files shipped with the program; else the one in AppPath.
QString DataFolder(const QString& name);

// View options, loaded and saved with the settings.  The main window keeps
// the check marks of its menu items "whitespace" and "hlline" equal to them.
inline bool ShowWhitespace = false;
inline bool HighlightLine = true;

}  // namespace modApp
