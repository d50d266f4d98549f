// The program's start: what main() does between creating the QApplication
// and running its event loop.  The start-up benchmark runs the same code.
//
// The program's folder (modApp::AppPath: settings file "qvv2.ini", help
// file, "recent.rct", command-set files) is the executable's folder, unless
// the environment variable QUARVEL_HOME names another folder: then that one
// is used.  Tests and portable set-ups point it at a folder of their own.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;
class frmMain;

namespace ProgramStart {

// Name of the environment variable that overrides the program's folder.
inline constexpr const char* kHomeVariable = "QUARVEL_HOME";

// Points modApp::AppPath at $QUARVEL_HOME when it is set and not empty.
void ApplyProgramHome();

// The command line as the main window reads it: the arguments after the
// program's name, joined by single blanks ("" when there are none).
QString CommandLineOf(const QStringList& arguments);

// The program's arguments as main() has them after the QApplication took
// its own options out, each held by its bytes (platform/FileNames.h): a
// file name that is not valid UTF-8 still names its file.
QStringList ArgumentsOf(int argc, const char* const* argv);

// Loads Qt's own translations for the user-interface language, so that the
// standard buttons and dialogs speak it too.  False when there are none
// (English, or the translation files are not installed).
bool InstallQtTranslations(QApplication& app);

// Gives the application the program's name (string 1001, "Quarvel"), which
// message boxes without a title of their own show.  No display name is set:
// the windowing system would append it to every window title, and the
// titles are the windows' captions alone.
void NameTheApplication();

// Everything before the event loop: program folder, ANSI code page,
// application name, translations, then the main window with the command
// line of `arguments` (ArgumentsOf), its start-up (MDIForm_Load) and its
// first showing.  Returns the window, owned by the caller.
frmMain* Start(QApplication& app, const QStringList& arguments);

}  // namespace ProgramStart
