// Program files: reading and writing them in the ANSI code page of the
// user-interface language, and the safe file writer every save goes through.
// Needs nothing but Qt Core: the procedures that bind document windows to
// files (open, save, Save As) are in editor/DocumentFiles.h.
//
// Text inside the program is Unicode; a file holds the bytes of the ANSI
// code page (CP1252, CP949, CP932 or CP936), so files made by earlier
// versions of the program open unchanged, and a file that was opened and
// saved without edits comes back byte for byte.
//
// No save ever loses the file it replaces: the new content goes into a
// temporary file in the same folder, which takes the old file's place only
// once it is completely written and flushed.  When anything fails, the old
// file stays as it was, the temporary file is removed and the caller gets the
// error.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

#include "platform/SafeFile.h"

namespace modApp {

// ---- Errors ----------------------------------------------------------------

// The outcome of a file operation: Number 0 for success, otherwise a run-time
// error number with its description, as the error message shows them.
struct FileError {
    int16_t Number = 0;
    QString Description;
    bool ok() const { return Number == 0; }
};

// Run-time error numbers of file operations.
enum FileErrorNumber : int16_t {
    errInvalidArgument = 5,      // text the code page cannot carry
    errBadFileName = 52,
    errFileNotFound = 53,
    errDeviceIO = 57,
    errDiskFull = 61,
    errPermissionDenied = 70,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errInvalidFileFormat = 321,  // not a text file
};

// The error of number `number` with its standard description.
FileError MakeFileError(int16_t number);
// The error for a failed system call: errno `err` while reading (a missing
// file is "File not found") or while creating a file (a missing folder is
// "Path not found").
FileError FileErrorFromErrno(int err, bool creating);

// ---- Bytes -----------------------------------------------------------------

// Size limits of the files the program reads whole: documents, motion
// scripts and include files (far more than the editor and the compiler
// handle), and the small lists (recent.rct, command-set files).
constexpr qsizetype kDocumentSizeLimit = platform::kTextFileSizeLimit;
constexpr qsizetype kListSizeLimit = 1024 * 1024;

// Reads a whole ordinary file of at most `maxBytes` bytes.  A missing file, a
// folder, a pipe, a device or an unreadable file is an error and leaves
// `bytes` empty; a larger file is not read: "Path/File access error" saying
// that the file is larger than the limit.
FileError ReadFileBytes(const QString& path, qsizetype maxBytes, QByteArray& bytes);

// Writes `bytes` as the whole content of the file at `path` without ever
// leaving a half-written file: the bytes go into a new temporary file in the
// file's folder, which is flushed to the disk and then renamed over the old
// file.  The new file keeps the old one's permissions (a new file gets the
// usual ones); a symbolic link is written through to its target.  On any
// failure the old file is untouched and the temporary file removed.
FileError WriteFileSafely(const QString& path, const QByteArray& bytes);

// ---- Text in the ANSI code page ---------------------------------------------

// The code page (iconv name) of files: that of the user-interface language.
std::string FileCodePage();

// Decodes file bytes.  Fails (returning false and leaving `text` alone) when
// the bytes are not text in the code page: a zero byte, or a sequence the
// code page does not define.  Such a file could not be kept intact by the
// editor, so it is not opened.
bool DecodeFileText(const QByteArray& bytes, const std::string& codePage, QString& text);

// Encodes text for a file.  Fails when a character of the text has no code
// in the code page; `badLine` (when given) then receives the 1-based line of
// the first such character, and `bytes` is left alone.
bool EncodeFileText(const QString& text, const std::string& codePage, QByteArray& bytes,
                    int* badLine = nullptr);

// The error for text that the code page cannot carry, naming the line.
FileError UnencodableTextError(int line, const std::string& codePage);

// ---- Program files ------------------------------------------------------------

// Reads a program file into editor text.  Line ends are kept, except that a
// line feed without a carriage return in front of it becomes CR LF, since the
// editor and the compiler split lines at CR.  Errors: "File not found" and the
// other read errors, "Invalid file format" for a file that is not text.
// Only an ordinary file of at most kDocumentSizeLimit bytes is read.
FileError ReadProgramFile(const QString& path, QString& text);

// Writes editor text as a program file, through the safe writer.  Text with a
// character the code page cannot carry is not written ("Invalid procedure call
// or argument", naming the line).
FileError WriteProgramFile(const QString& path, const QString& text);

// ---- Paths -----------------------------------------------------------------

// A path is a motion-script path when its last four characters, upper-cased,
// are ".QSF"; every other path is a program path.
bool IsScriptPath(const QString& path);

// Caption of a document window bound to a file: the path itself when it has
// at most 30 characters, else its head, "..", the path separator and the
// file name.  The head is a drive's root (D:\..\step1.bas) or the root and
// the first folder of a Linux path (/home/../step1.bas), so the cut falls on
// separators; a path that would not get shorter stays whole.
QString DocumentCaption(const QString& path);

}  // namespace modApp
