// Command numbers: every keyword of the dialect by its row in the command
// table (0..138), as IsCommand returns it and tokens carry it.  The rows
// themselves, with their words and statement compilers, are in Commands.def.
#pragma once

#include <cstdint>

namespace qvv2 {

enum Command : int16_t {
#define QV_WORD(id, number, english, korean) CMD_##id = number,
#define QV_STATEMENT(id, number, english, korean, compiler, message) CMD_##id = number,
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
};

}  // namespace qvv2
