#include "documents/MotionScript.h"

namespace modApp {

QByteArray ScriptFileHeader() {
    QByteArray header("This is Quarscript file\r\nDo not edit this contents !");
    header.append(static_cast<char>(0x90));
    header.append('\0');
    header.append('\3');
    return header;
}

bool ScriptFileBytes(const QString& text, const std::string& codePage, QByteArray& bytes, int* badLine) {
    QString converted = text;
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    QByteArray body;
    if (!EncodeFileText(converted, codePage, body)) {
        // Report the line in the editor's numbering.
        if (badLine) EncodeFileText(text, codePage, body, badLine);
        return false;
    }
    bytes = ScriptFileHeader() + body;
    return true;
}

bool ScriptTextFromBytes(const QByteArray& bytes, const std::string& codePage, QString& text) {
    // The header is dropped as bytes, before decoding: its byte 144 is no
    // character in some code pages and must not swallow the text's first one.
    QString body;
    if (bytes.size() > kScriptHeaderSize && !DecodeFileText(bytes.mid(kScriptHeaderSize), codePage, body))
        return false;
    body.replace(QStringLiteral("\r"), QStringLiteral("\r\n"));
    text = body;
    return true;
}

FileError WriteScriptFile(const QString& path, const QString& text) {
    // Blank text (spaces only, or nothing) writes no file.
    if (text.count(u' ') == text.size()) return {};
    const std::string codePage = FileCodePage();
    QByteArray bytes;
    int line = 0;
    if (!ScriptFileBytes(text, codePage, bytes, &line)) return UnencodableTextError(line, codePage);
    return WriteFileSafely(path, bytes);
}

FileError ReadScriptFileChecked(const QString& path, QString& text) {
    QByteArray bytes;
    if (FileError e = ReadFileBytes(path, kDocumentSizeLimit, bytes); !e.ok()) return e;
    if (!ScriptTextFromBytes(bytes, FileCodePage(), text)) return MakeFileError(errInvalidFileFormat);
    return {};
}

void ReadScriptFile(const QString& path, QString& text) { ReadScriptFileChecked(path, text); }

}  // namespace modApp
