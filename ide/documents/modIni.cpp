#include "documents/modIni.h"

#include <cerrno>

#include "documents/Files.h"
#include "documents/StringTable.h"
#include "platform/MsgBox.h"

namespace modIni {

QString ReadIni(const QString& section, const QString& key, const QString& defaultValue, const QString& file) {
    return platform::GetPrivateProfileString(section, key, defaultValue, file, 255);
}

void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file) {
    platform::WriteProfileString(section, key, value, file);
}

Batch::~Batch() {
    if (const int err = batch_.Finish()) ShowWriteError(err, batch_.ErrorFile());
}

void ShowWriteError(int err, const QString& file) {
    // A file the program may not replace is a file-access error, as opening
    // a read-only file for output is; a full disk is "Disk full".
    modApp::FileError error;
    switch (err) {
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ENODEV: error = modApp::MakeFileError(modApp::errPathFileAccess); break;
        default: error = modApp::FileErrorFromErrno(err, true); break;
    }
    const QString head = LoadResString(4011) + QString::number(error.Number);
    platform::MsgBox(head + QChar(u'\n') + error.Description + QChar(u'\n') + file,
                     platform::vbOKOnly | platform::vbCritical, head);
}

}  // namespace modIni
