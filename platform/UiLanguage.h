// The user-interface language of the program: Korean, Japanese or simplified
// Chinese when the locale says so, English for every other language.  It
// picks the string table and the ANSI code page of files and the wire.
//
// The language comes from QLocale() (the default locale, which is the
// system's unless the program or a test has set another with
// QLocale::setDefault), and is looked up anew on every call.
#pragma once

#include <QLocale>
#include <QString>
#include <string>

namespace platform {

enum class UiLanguage { English, Korean, Japanese, Chinese };

UiLanguage UiLanguageOf(const QLocale& locale);
UiLanguage CurrentUiLanguage();

// Language id of the string table: 1033, 1042, 1041, 2052.
int LanguageId(UiLanguage language);

// ANSI code page (iconv name) of the language: CP1252, CP949, CP932, CP936.
std::string AnsiCodePage(UiLanguage language);

// Makes the process's ANSI code page (qvv2::SystemCodePage) that of the
// current user-interface language.  Called once at start-up.
void ApplyUiCodePage();

// A text of the program's own that the string table does not hold, given in
// the four languages (UTF-8): the one of the current user-interface language.
struct LocalizedText {
    const char* english;
    const char* korean;
    const char* japanese;
    const char* chinese;
};
QString Localized(const LocalizedText& text);

}  // namespace platform
