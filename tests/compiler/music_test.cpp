// Music strings: the note records that PLAY and MUSIC strings compile to, in
// Latin letters and Korean syllables, the state carried from one statement to
// the next, and the faults that end a string.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using qvv2test::CompileProgram;
using qvv2test::Outcome;

// The note bytes of a one-statement program: between the opcode (and for
// MUSIC the end position) and the closing 0.
std::string Notes(const std::string& code, size_t headBytes) {
    const size_t from = headBytes * 3;
    if (code.size() < from + 2) return "?" + code;
    if (code.compare(code.size() - 2, 2, "00") != 0) return "?" + code;
    if (code.size() == from + 2) return "";
    return code.substr(from, code.size() - 3 - from);
}

struct Case {
    const char16_t* text;  // the music string
    int16_t err;
    const char* notes;     // note bytes, pitch or duration first
};

std::u16string Quoted(const char16_t* keyword, const char16_t* text) {
    return std::u16string(keyword) + u" \"" + text + u"\"";
}

TEST(MusicStrings, PlayNotes) {
    // Start of a program: octave 1, tempo 7, length digit 4 (8 x 7 = 56).
    const std::vector<Case> cases = {
        {u"C", 0, "77 38"},
        {u"4C", 0, "77 38"},
        {u"c", 0, "77 38"},
        {u"CDEFGAB", 0, "77 38 6a 38 5e 38 59 38 4f 38 46 38 3f 38"},
        {u"도레미파솔라시", 0, "77 38 6a 38 5e 38 59 38 4f 38 46 38 3f 38"},
        // Accidentals apply to the next note only.
        {u"#C", 0, "70 38"},
        {u"+C", 0, "70 38"},
        {u"$C", 0, "7e 38"},
        {u"-C", 0, "7e 38"},
        {u"#CC", 0, "70 38 77 38"},
        {u"C#", 0, "77 38"},
        {u"-E#F$B", 0, "64 38 54 38 42 38"},
        // Rests.
        {u"P", 0, "ff 38"},
        {u",", 0, "ff 38"},
        {u"쉼", 0, "ff 38"},
        {u"#P", 0, "ff 38"},
        // Tempo and length digit: duration = length x tempo, within 1..254.
        {u"T1 1C", 0, "77 1f"},
        {u"T9 1C", 0, "77 fe"},
        {u"T0 0C", 0, "77 0a"},
        {u"t0 1c", 0, "77 fe"},
        {u"0C", 0, "77 07"},
        {u"1CD", 0, "77 d9 6a d9"},
        {u"C8D", 0, "77 38 6a 1c"},
        {u"T1 0C1C2C3C4C5C6C7C8C9C", 0, "77 01 77 1f 77 10 77 18 77 08 77 0c 77 02 77 03 77 04 77 06"},
        {u"템포1 1도", 0, "77 1f"},
        {u"박자9 1C", 0, "77 fe"},
        {u"속도1 1C", 0, "77 1f"},
        // Octaves 0..2, changes clamped.
        {u">>>C", 0, "3b 38"},
        {u"<C", 0, "ee 38"},
        {u"<<<C", 0, "ee 38"},
        {u"LC", 0, "ee 38"},
        {u"MC", 0, "77 38"},
        {u"HC", 0, "3b 38"},
        {u"H$C", 0, "3f 38"},
        {u"L$C", 0, "fd 38"},
        {u"H#B", 0, "1d 38"},
        {u"저도", 0, "ee 38"},
        {u"고도중도", 0, "3b 38 77 38"},
        {u" C\tD ", 0, "77 38 6a 38"},
        {u"#", 0, ""},
        // Faults: the notes before them, then the closing 0.
        {u"X", 47, ""},
        {u"CX", 47, "77 38"},
        {u"T", 47, ""},
        {u"TX", 47, ""},
        {u"CT", 47, "77 38"},
        {u"템1C", 47, ""},
        {u"템포", 47, ""},
        {u"박C", 47, ""},
        {u"O3C", 47, ""},
        {u"4.C", 47, ""},
        {u"[C]", 47, ""},
    };
    for (const Case& k : cases) {
        QUARVELv2 c;
        const Outcome o = CompileProgram(c, Quoted(u"PLAY", k.text));
        const std::string label = qvv2::ToUtf8(k.text);
        EXPECT_EQ(o.err, k.err) << label;
        ASSERT_EQ(o.code.substr(0, 2), "cf") << label;
        EXPECT_EQ(Notes(o.code, 1), k.notes) << label;
    }
}

TEST(MusicStrings, MusicNotes) {
    // Start of a program: octave 3, note value 4 (24 ticks).
    const std::vector<Case> cases = {
        {u"C", 0, "18 24"},
        {u"CDEFGAB", 0, "18 24 18 26 18 28 18 29 18 2b 18 2d 18 2f"},
        {u"도레미파솔라시", 0, "18 24 18 26 18 28 18 29 18 2b 18 2d 18 2f"},
        {u"#C+D$E-F#E$C", 0, "18 25 18 27 18 27 18 28 18 29 18 24"},
        {u"#B", 0, "18 30"},
        {u"P", 0, "18 7f"},
        {u",", 0, "18 7f"},
        {u"쉼", 0, "18 7f"},
        {u"#P", 0, "18 7f"},
        // Note values: 96 / value ticks.
        {u"8C", 0, "0c 24"},
        {u"2C", 0, "30 24"},
        {u"3C", 0, "20 24"},
        {u"16C", 0, "06 24"},
        {u"32C", 0, "03 24"},
        // A value shortened past one byte of ticks stays at the longest byte.
        {u"1]]]]]]]]]]]]]]]]]]]]]]]]]]]]C", 0, "ff 24"},
        {u"64C", 0, "01 24"},
        {u"96C", 0, "01 24"},
        {u"97C", 0, "18 24"},   // above 96: 24
        {u"255C", 0, "18 24"},
        {u"256C", 0, "60 24"},  // outside 1..255: 1
        {u"0C", 0, "60 24"},
        {u"1000C", 0, "60 24"},  // more than three digits: 1
        {u"8C D", 0, "0c 24 0c 26"},
        {u"C4", 0, "18 24"},     // digits pending at the end are dropped
        {u"8", 0, ""},
        // Dots and triplet brackets.
        {u"4.C", 0, "24 24"},
        {u"8.C", 0, "12 24"},
        {u"2.C", 0, "48 24"},
        {u"4[CDE]F", 0, "10 24 10 26 10 28 18 29"},
        {u"[4C]D", 0, "18 24 24 26"},
        {u"[C", 0, "10 24"},
        {u"[[C", 0, "0a 24"},
        {u"]C", 0, "24 24"},
        {u"100[C", 0, "18 24"},
        // Octaves 0..6, changes clamped.
        {u"O6#B", 0, "18 54"},
        {u"O6B#", 0, "18 53"},
        {u"옥6시", 0, "18 53"},
        {u"O0C", 0, "18 00"},
        {u"O0$C", 0, "18 00"},
        {u"o3c", 0, "18 24"},
        {u"<C", 0, "18 18"},
        {u"LC", 0, "18 18"},
        {u"낮C", 0, "18 18"},
        {u">C", 0, "18 30"},
        {u"HC", 0, "18 30"},
        {u"높C", 0, "18 30"},
        {u">>>>C", 0, "18 48"},
        {u"<<<<C", 0, "18 00"},
        {u"O0MC", 0, "18 24"},
        {u"O0중C", 0, "18 24"},
        {u"8O4C", 0, "0c 30"},
        // Faults: the notes before them, then the closing 0.
        {u".C", 47, ""},
        {u"4 .C", 47, ""},
        {u"4..C", 47, ""},
        {u"C.", 47, "18 24"},
        {u"X", 47, ""},
        {u"CX", 47, "18 24"},
        {u"O", 47, ""},
        {u"O7C", 47, ""},
        {u"OC", 47, ""},
        {u"옥C", 47, ""},
        {u"T1C", 47, ""},
    };
    for (const Case& k : cases) {
        QUARVELv2 c;
        const Outcome o = CompileProgram(c, Quoted(u"MUSIC", k.text));
        const std::string label = qvv2::ToUtf8(k.text);
        EXPECT_EQ(o.err, k.err) << label;
        ASSERT_EQ(o.code.substr(0, 2), "ba") << label;
        EXPECT_EQ(Notes(o.code, 3), k.notes) << label;
    }
}

TEST(MusicStrings, MusicRecordStartsWithItsEndPosition) {
    QUARVELv2 c;
    // The 0 closing the record sits at address 27; the next statement starts
    // at address 28.
    Outcome o = CompileProgram(c, u"OUT 3, 1\nMUSIC \"CD\"\nOUT 3, 0");
    ASSERT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "d1 12 03 11 ba 1c 00 18 24 18 26 00 d1 12 03 10");
    EXPECT_EQ(c.LineObjPos[3], 0x1c);

    // An end position above 255, low byte first.
    o = CompileProgram(c, u"MUSIC \"" + std::u16string(130, u'C') + u"\"");
    ASSERT_EQ(o.err, 0);
    EXPECT_EQ(o.code.substr(0, 8), "ba 18 01");
    EXPECT_EQ(c.TotalBytes, 0x118 + 3);

    // A fault still closes the record and patches the position.
    o = CompileProgram(c, u"OUT 3, 1\nMUSIC \"C?\"");
    EXPECT_EQ(o.err, 47);
    EXPECT_EQ(o.code, "d1 12 03 11 ba 1a 00 18 24 00");
}

TEST(MusicStrings, StateCarriesToTheNextStatementOfTheSameCompile) {
    struct Step {
        const char16_t* program;
        const char* code;
    };
    const std::vector<Step> steps = {
        // Octave and tempo carry over; the length digit and accidentals do not.
        {u"PLAY \"H\"\nPLAY \"C\"", "cf 00 cf 3b 38 00"},
        {u"PLAY \"T1\"\nPLAY \"1C\"", "cf 00 cf 77 1f 00"},
        {u"PLAY \"1\"\nPLAY \"C\"", "cf 00 cf 77 38 00"},
        {u"PLAY \"#\"\nPLAY \"C\"", "cf 00 cf 77 38 00"},
        {u"MUSIC \"O6\"\nMUSIC \"C\"", "ba 14 00 00 ba 1a 00 18 48 00"},
        {u"MUSIC \"8\"\nMUSIC \"C\"", "ba 14 00 00 ba 1a 00 18 24 00"},
        // The two music languages keep separate octaves.
        {u"PLAY \"L\"\nMUSIC \"C\"", "cf 00 ba 18 00 18 24 00"},
        {u"MUSIC \"L\"\nPLAY \"C\"", "ba 14 00 00 cf 77 38 00"},
    };
    for (const Step& s : steps) {
        QUARVELv2 c;
        const Outcome o = CompileProgram(c, s.program);
        EXPECT_EQ(o.err, 0) << qvv2::ToUtf8(s.program);
        EXPECT_EQ(o.code, s.code) << qvv2::ToUtf8(s.program);
    }

    // Every compile starts again at PLAY octave 1 and tempo 7 and MUSIC octave 3.
    QUARVELv2 c;
    ASSERT_EQ(CompileProgram(c, u"PLAY \"HT1\"\nMUSIC \"O0\"").err, 0);
    const Outcome o = CompileProgram(c, u"PLAY \"1C\"\nMUSIC \"C\"");
    ASSERT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "cf 77 d9 00 ba 1a 00 18 24 00");
}

}  // namespace
