#include "documents/modIni.h"

#include "platform/Profile.h"

namespace modIni {

QString ReadIni(const QString& section, const QString& key, const QString& defaultValue, const QString& file) {
    return platform::GetPrivateProfileString(section, key, defaultValue, file, 255);
}

void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file) {
    platform::WritePrivateProfileString(section, key, value, file);
}

}  // namespace modIni
