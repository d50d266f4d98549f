// Small text helpers of the compiler core, with the semantics the dialect
// relies on: upper-casing touches only Latin letters (Korean has no case) and
// trimming removes blanks only.
#pragma once

#include <cstdint>
#include <string>

#include "qvv2_export.h"

namespace qvv2 {

QVV2_EXPORT std::u16string UCase(const std::u16string& s);
QVV2_EXPORT std::u16string Trim(const std::u16string& s);  // leading and trailing spaces
QVV2_EXPORT std::u16string FromUtf8(const std::string& s);  // invalid bytes become U+FFFD
QVV2_EXPORT std::string ToUtf8(const std::u16string& s);
QVV2_EXPORT std::u16string NumberText(int64_t value);       // decimal, no blanks
// Converts to the given ANSI code page (iconv name); characters it cannot
// carry become '?'.
QVV2_EXPORT std::string ToAnsi(const std::u16string& s, const std::string& codePage);
// Converts from the given ANSI code page; invalid bytes become '?'.
QVV2_EXPORT std::u16string FromAnsi(const std::string& bytes, const std::string& codePage);

// The process's ANSI code page (iconv name: CP1252, CP949, CP932 or CP936),
// derived from the locale; the host sets it to match its user-interface
// language.  An empty codePage argument above means this one.
QVV2_EXPORT std::string SystemCodePage();
QVV2_EXPORT void SetSystemCodePage(const std::string& codePage);

}  // namespace qvv2
