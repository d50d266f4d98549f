// Motion-script files (".QSF"): a fixed 55-byte header, then the text with
// single carriage returns between lines, in the ANSI code page of the
// user-interface language.  The editor holds the same text with CR LF.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

#include "documents/Files.h"

namespace modApp {

// Size of the header: "This is Quarscript file", CR LF, "Do not edit this
// contents !", then the bytes 144, 0, 3.
constexpr int kScriptHeaderSize = 55;
QByteArray ScriptFileHeader();

// The file's bytes for editor text: header, then the text with every CR LF
// turned into a single CR (a lone CR or LF stays as it is).  Fails like
// EncodeFileText when the code page cannot carry a character.
bool ScriptFileBytes(const QString& text, const std::string& codePage, QByteArray& bytes, int* badLine = nullptr);

// Editor text of a file's bytes: the first 55 bytes are dropped whatever they
// hold (a shorter file has no text), the rest is decoded and every CR becomes
// CR LF.  Fails like DecodeFileText when the rest is not text.
bool ScriptTextFromBytes(const QByteArray& bytes, const std::string& codePage, QString& text);

// Writes editor text as a motion-script file through the safe writer.  A text
// that is empty or holds only blanks writes nothing and succeeds, leaving an
// existing file as it was.
FileError WriteScriptFile(const QString& path, const QString& text);

// Reads a motion-script file into editor text.  A missing file leaves `text`
// as the caller passed it and gives "File not found"; a file that is not
// text leaves it too and gives "Invalid file format"; a folder, a pipe, a
// device or a file over kDocumentSizeLimit is not read ("Path/File access
// error").
FileError ReadScriptFileChecked(const QString& path, QString& text);

// Reads a motion-script file and reports nothing: on any failure `text`
// stays as it was passed.
void ReadScriptFile(const QString& path, QString& text);

}  // namespace modApp
