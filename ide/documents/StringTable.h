// The string table: every user-visible text by number, in English, Korean,
// Japanese and simplified Chinese.  The user-interface language
// (platform::CurrentUiLanguage) picks the table; every other language uses
// the English one.  An entry missing from the chosen table is an error for
// the caller: FindResString gives nothing and LoadResString reports it
// through `ok`, so a caller that skips failing steps keeps its own text.
//
// The tables are data files built into the program as Qt resources
// (resources/strings.qrc: ":/strings/en.txt", "ko.txt", "ja.txt",
// "zh.txt").  Format: UTF-8, one entry a line, the decimal number, a TAB and
// the text up to the end of the line (blanks at either end belong to the
// text).  In the text "\r", "\n", "\t" and "\\" stand for CR, LF, TAB and a
// backslash.  Empty lines and lines starting with "#" are ignored.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>

#include "platform/UiLanguage.h"

using StringTableMap = std::map<int, QString>;

// The table of one language (loaded on first use).
const StringTableMap& StringTableOf(platform::UiLanguage language);

// Entry `number` in the current user-interface language.
std::optional<QString> FindResString(int number);
QString LoadResString(int number, bool* ok = nullptr);

// Parses table data in the format above; malformed lines are skipped.
StringTableMap ParseStringTable(const QByteArray& utf8);
