// Sound statements: PLAY, MUSIC and SOUND, their opcodes, the background
// music controls and the errors of each form, in English and Korean keywords.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

// W: INTEGER at RAM 64.
const char16_t* const kPreamble = u"DIM W AS INTEGER\nCONST BIG = 300\n";
constexpr int32_t kPreambleLines = 2;

using Case = qvv2test::StatementCase;

void RunCases(const std::vector<Case>& cases) { qvv2test::RunStatementCases(kPreamble, kPreambleLines, cases); }

TEST(SoundStatements, Play) {
    RunCases({
        {u"PLAY \"C\"", 0, "cf 77 38 00"},
        {u"연주 \"도\"", 0, "cf 77 38 00"},
        {u"PLAY", 23, ""},
        {u"PLAY \"\"", 23, ""},  // an empty string is no token
        {u"PLAY \"C\" \"D\"", 23, ""},
        {u"PLAY \"C\", \"D\"", 23, ""},
        {u"PLAY 5", 43, "cf"},
        {u"PLAY W", 43, "cf"},
        {u"PLAY \"CX\"", 47, "cf 77 38 00"},
    });
}

TEST(SoundStatements, Music) {
    // The record starts with its end position: the address just behind the
    // closing 0 (here 16 + 6 = 22).
    RunCases({
        {u"MUSIC \"C\"", 0, "ba 16 00 18 24 00"},
        {u"음악 \"도\"", 0, "ba 16 00 18 24 00"},
        {u"MUSIC START", 0, "bb"},
        {u"MUSIC STOP", 0, "bc"},
        {u"MUSIC AUTO", 0, "bd"},
        {u"MUSIC RESTART", 0, "be"},
        {u"음악 시작", 0, "bb"},
        {u"음악 정지", 0, "bc"},
        {u"음악 자동", 0, "bd"},
        {u"음악 재시작", 0, "be"},
        {u"MUSIC END", 23, ""},
        {u"MUSIC", 23, ""},
        {u"MUSIC STOP START", 23, ""},
        {u"MUSIC \"C\" \"D\"", 23, ""},
        {u"MUSIC 5", 43, "ba"},
        {u"MUSIC \".C\"", 47, "ba 14 00 00"},
        {u"MUSIC \"CX\"", 47, "ba 16 00 18 24 00"},
    });
}

TEST(SoundStatements, Sound) {
    RunCases({
        {u"SOUND 60, 8", 0, "ce 12 3c 12 08 00"},
        {u"소리 60, 8", 0, "ce 12 3c 12 08 00"},
        {u"SOUND 1, 2, 3, 4", 0, "ce 11 12 02 12 03 12 04 00"},
        {u"SOUND W, BIG", 0, "ce 16 40 13 2c 01 00"},
        // The list is closed with 0 whatever went wrong.
        {u"SOUND 60", 44, "ce 12 3c 00"},
        {u"SOUND 1, 2, 3", 44, "ce 11 12 02 12 03 00"},
        {u"SOUND 60 8", 23, "ce 12 3c 00"},
        {u"SOUND 60,", 19, "ce 12 3c 00"},
        {u"SOUND", 19, "00"},
        {u"SOUND \"A\", 1", 19, "ce 00"},
        {u"SOUND 60, \"A\"", 21, "ce 12 3c 00"},
        {u"SOUND 60, X", 17, "ce 12 3c 00"},
        {u"SOUND 60, , 8", 21, "ce 12 3c 00"},
    });
}

}  // namespace
