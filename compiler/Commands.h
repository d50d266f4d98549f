// Command numbers: every keyword of the dialect by its row in the command
// table (0..138), as IsCommand returns it and tokens carry it.  The rows
// themselves, with their words and statement compilers, are in Commands.def.
// Public: the program takes the words it writes or recognises from here.
#pragma once

#include <cstdint>
#include <string>

#include "qvv2_export.h"

namespace qvv2 {

enum Command : int16_t {
#define QV_WORD(id, number, english, korean) CMD_##id = number,
#define QV_STATEMENT(id, number, english, korean, compiler, message) CMD_##id = number,
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
};

// The English word (upper case) and the Korean word of a command; "" for a
// number outside the table.
QVV2_EXPORT std::u16string EnglishWord(int16_t command);
QVV2_EXPORT std::u16string KoreanWord(int16_t command);
// Whether `word`, as it stands, is the English or the Korean word of the
// command (a caller that ignores letter case upper-cases it first).
QVV2_EXPORT bool IsWordOf(const std::u16string& word, int16_t command);

}  // namespace qvv2
