// Command-set files: the statement keywords that the selected controller
// model accepts, handed to the compiler control.
//
// "vx21.cmd" (Korean user interface) and "vx21e.cmd" (every other language)
// live in the program's own folder.  They hold command keywords, normally one
// a line, read as sequential-input fields: a field ends at a comma or a line
// end, leading blanks are skipped, a field in double quotes is taken without
// its quotes; empty fields are ignored.  Each field goes to the compiler's
// CommandUse after one CommandUnuseAll.  The compiler enables every command
// again at the start of each compile, so the set restricts the compiler until
// its next compile.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// The fields of a command-set file's bytes, in the code page `codePage`
// (iconv name), in file order.  Reading ends quietly before the first line
// that cannot be read as text in that code page (a zero byte, or a sequence
// the code page does not define); the fields before it count.
QStringList ReadCommandSetFields(const QByteArray& bytes, const std::string& codePage);

// Loads the command-set file at `path` into `basic`: when no ordinary file of
// that path exists, or it cannot be read, or it is larger than
// modApp::kListSizeLimit, nothing happens (the compiler's set stays as it
// was) and false comes back; otherwise CommandUnuseAll, then
// CommandUse with every field that is not empty once trimmed, and true.
bool LoadCommandSetFile(const QString& path, qvv2::QUARVELv2& basic);

// The same with a file name in the program's own folder (modApp::AppPath).
void LoadCommandSet(const QString& fileName, qvv2::QUARVELv2& basic);

// The same on the main window's compiler control (modMain::Basic()).
void LoadCommandSet(const QString& fileName);

// The command-set file of the user-interface language: "vx21.cmd" when
// string 1 of the string table has the numeric value 1 (Korean), else
// "vx21e.cmd".
QString CommandSetFileName();

// Selector of the motion windows' line inserts; always 0.
int16_t HeaderSelector();

}  // namespace modMain
