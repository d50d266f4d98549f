// Music strings of the PLAY and MUSIC statements and the tables they use.
//
// A note symbol is looked up at accidental + (note + octave * 8) * 3 in its
// table: each octave block holds flat, natural and sharp for the notes C to B
// and three entries for the rest.
//
// Music state kept between statements of one compile (reset by every compile):
//   musicDefault1_  PLAY octave, 0..2 (starts at 1)
//   musicDefault2_  PLAY tempo, 1..10 (starts at 7)
//   musicDefault3_  MUSIC octave, 0..6 (starts at 3)
//   musicDefault4_  reset to 100 with the others; not read here.
#include "Compiler.h"

#include "Text.h"

namespace qvv2 {

namespace {

constexpr uint8_t kFlat = 0;
constexpr uint8_t kNatural = 1;
constexpr uint8_t kSharp = 2;
constexpr int kRest = 7;

// Note index of a note letter or its Korean syllable (C 0 .. B 6), -1 otherwise.
int NoteIndex(char16_t c) {
    switch (c) {
        case u'C': case u'도': return 0;
        case u'D': case u'레': return 1;
        case u'E': case u'미': return 2;
        case u'F': case u'파': return 3;
        case u'G': case u'솔': return 4;
        case u'A': case u'라': return 5;
        case u'B': case u'시': return 6;
        default: return -1;
    }
}

bool IsRest(char16_t c) { return c == u'P' || c == u'쉼' || c == u','; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int TableIndex(uint8_t accidental, int note, int octave) { return accidental + (note + octave * 8) * 3; }

}  // namespace

void Compiler::InitMusicTables() {
    InitPitchTable();
    InitSemitoneTable();
}

void Compiler::InitPitchTable() {
    // Timer values, three octaves; the rest is 255 whatever its accidental.
    static const uint8_t kPitch[72] = {
        253, 238, 225, 225, 212, 200, 200, 189, 179, 189, 179, 168,
        168, 159, 150, 150, 141, 134, 134, 126, 119, 255, 255, 255,
        126, 119, 112, 112, 106, 100, 100, 94,  89,  94,  89,  84,
        84,  79,  75,  75,  70,  66,  66,  63,  59,  255, 255, 255,
        63,  59,  56,  56,  53,  50,  50,  46,  44,  46,  44,  42,
        42,  39,  37,  37,  35,  33,  33,  31,  29,  255, 255, 255,
    };
    for (int i = 0; i < 72; ++i) pitchTable_[i] = kPitch[i];

    static const uint8_t kLength[10] = {1, 31, 16, 24, 8, 12, 2, 3, 4, 6};
    for (int i = 0; i < 10; ++i) playLengthTable_[i] = kLength[i];
}

void Compiler::InitSemitoneTable() {
    // Octave 0 (flat, natural, sharp for C .. B); each higher octave adds 12.
    static const uint8_t kBlock0[21] = {0, 0, 1, 1, 2, 3, 3, 4, 5, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11, 12};
    for (int octave = 0; octave < 7; ++octave) {
        for (int i = 0; i < 21; ++i)
            semitoneTable_[octave * 24 + i] = static_cast<uint8_t>(kBlock0[i] + 12 * octave);
        for (int i = 21; i < 24; ++i) semitoneTable_[octave * 24 + i] = 127;  // rest
    }
}

int16_t Compiler::NoteLengthTicks(double value) {
    if (value <= 0) return 0;
    if (value > 96) return 24;
    // The duration goes out as one byte: a value shrunk by many dots would
    // otherwise overflow and wrap to a short note.
    const double ticks = 96.0 / value;
    return ticks >= 255 ? 255 : static_cast<int16_t>(ticks);
}

void Compiler::CompilePlayString(const Token& tok, int16_t& err) {
    err = 0;
    if (tok.kind != TK_STRING) {
        err = ERR_ONLY_STRING;
        return;
    }
    const std::u16string s = UCase(tok.text);
    const size_t n = s.size();
    uint8_t accidental = kNatural;
    int lengthCode = 4;

    auto clampOctave = [this] {
        if (musicDefault1_ < 0) musicDefault1_ = 0;
        if (musicDefault1_ > 2) musicDefault1_ = 2;
    };
    // The tempo digit at position p: "0" is tempo 10.
    auto setTempo = [&](size_t p) -> bool {
        if (p >= n || !IsDigit(s[p])) return false;
        const int d = s[p] - u'0';
        musicDefault2_ = static_cast<uint8_t>(d == 0 ? 10 : d);
        return true;
    };
    auto writeNote = [&](int note) {
        clampOctave();
        EmitByte(pitchTable_[TableIndex(accidental, note, musicDefault1_)]);
        int duration = playLengthTable_[lengthCode] * static_cast<int>(musicDefault2_);
        if (duration < 1) duration = 1;
        if (duration > 254) duration = 254;
        EmitByte(static_cast<uint8_t>(duration));
        accidental = kNatural;
    };

    for (size_t p = 0; p < n && err == 0; ++p) {
        const char16_t c = s[p];
        const int note = NoteIndex(c);
        if (note >= 0) {
            writeNote(note);
        } else if (IsRest(c)) {
            writeNote(kRest);
        } else if (IsDigit(c)) {
            lengthCode = c - u'0';
        } else if (c == u'T') {
            if (setTempo(p + 1))
                ++p;
            else
                err = ERR_BAD_MUSIC_STRING;
        } else if (c == u'템' || c == u'박' || c == u'속') {
            const char16_t second = c == u'템' ? u'포' : c == u'박' ? u'자' : u'도';
            if (p + 1 < n && s[p + 1] == second && setTempo(p + 2))
                p += 2;
            else
                err = ERR_BAD_MUSIC_STRING;
        } else if (c == u'#' || c == u'+') {
            accidental = kSharp;
        } else if (c == u'$' || c == u'-') {
            accidental = kFlat;
        } else if (c == u'<') {
            if (musicDefault1_ > 0) --musicDefault1_;
        } else if (c == u'>') {
            if (musicDefault1_ < 2) ++musicDefault1_;
        } else if (c == u'L' || c == u'저') {
            musicDefault1_ = 0;
        } else if (c == u'M' || c == u'중') {
            musicDefault1_ = 1;
        } else if (c == u'H' || c == u'고') {
            musicDefault1_ = 2;
        } else if (!IsBlank(c)) {
            err = ERR_BAD_MUSIC_STRING;
        }
    }
    EmitByte(OP_END_MARK);
}

void Compiler::CompileMusicString(const Token& tok, int16_t& err) {
    err = 0;
    if (tok.kind != TK_STRING) {
        err = ERR_ONLY_STRING;
        return;
    }
    const std::u16string s = UCase(tok.text);
    const size_t n = s.size();

    // Two bytes for the end position, patched once the record is written.
    const int32_t endPlaceholder = EmitPlaceholder();

    uint8_t accidental = kNatural;
    double noteValue = 4;
    std::u16string digits;
    bool pending = false;

    auto clampOctave = [this] {
        if (musicDefault3_ < 0) musicDefault3_ = 0;
        if (musicDefault3_ > 6) musicDefault3_ = 6;
    };
    // Digits collected so far become the note value: more than three digits
    // count as 1, and so does a value outside 1..255.
    auto settle = [&] {
        if (!pending) return;
        pending = false;
        int value = 1;
        if (digits.size() <= 3) {
            value = 0;
            for (char16_t d : digits) value = value * 10 + (d - u'0');
        }
        if (value < 1 || value > 255) value = 1;
        noteValue = value;
        digits.clear();
    };
    auto writeNote = [&](int note) {
        clampOctave();
        EmitByte(static_cast<uint8_t>(NoteLengthTicks(noteValue)));
        EmitByte(semitoneTable_[TableIndex(accidental, note, musicDefault3_)]);
        accidental = kNatural;
    };

    for (size_t p = 0; p < n && err == 0; ++p) {
        const char16_t c = s[p];
        if (IsDigit(c)) {
            pending = true;
            digits += c;
            continue;
        }
        if (c == u'.') {
            // A dot lengthens the note value written just before it.
            if (!pending) {
                err = ERR_BAD_MUSIC_STRING;
                break;
            }
            settle();
            noteValue /= 1.5;
            continue;
        }
        settle();
        const int note = NoteIndex(c);
        if (note >= 0) {
            writeNote(note);
        } else if (IsRest(c)) {
            writeNote(kRest);
        } else if (c == u'O' || c == u'옥') {
            if (p + 1 < n && s[p + 1] >= u'0' && s[p + 1] <= u'6') {
                musicDefault3_ = static_cast<int16_t>(s[p + 1] - u'0');
                ++p;
            } else {
                err = ERR_BAD_MUSIC_STRING;
            }
        } else if (c == u'[') {
            noteValue *= 1.5;
        } else if (c == u']') {
            noteValue /= 1.5;
        } else if (c == u'#' || c == u'+') {
            accidental = kSharp;
        } else if (c == u'$' || c == u'-') {
            accidental = kFlat;
        } else if (c == u'<' || c == u'L' || c == u'낮') {
            if (musicDefault3_ > 0) --musicDefault3_;
        } else if (c == u'>' || c == u'H' || c == u'높') {
            if (musicDefault3_ < 6) ++musicDefault3_;
        } else if (c == u'M' || c == u'중') {
            musicDefault3_ = 3;
        } else if (!IsBlank(c)) {
            err = ERR_BAD_MUSIC_STRING;
        }
    }

    // Digits still pending at the end are dropped.
    EmitByte(OP_END_MARK);
    PatchToHere(endPlaceholder);
}

}  // namespace qvv2
