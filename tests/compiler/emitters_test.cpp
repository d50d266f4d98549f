// The object buffer and the operand emitters: the bytes each operand form
// produces and the errors each rejects.
#include <gtest/gtest.h>

#include <limits>

#include "QUARVELv2.h"

#include "TestAccess.h"

using qvv2::QUARVELv2;
using qvv2::Token;
using qvv2::VarRecord;

namespace {

Token Num(int v) {
    std::string s = std::to_string(v);
    Token t{std::u16string(s.begin(), s.end()), qvv2::TK_NUMBER, 0};
    t.code = v <= 1 ? 1 : v <= 255 ? 2 : v <= 65535 ? 3 : 5;
    return t;
}
Token Word(const std::u16string& w) { return Token{w, qvv2::TK_WORD, -1}; }
Token Op(int16_t index) { return Token{u"?", qvv2::TK_OPERATOR, index}; }
Token Cmd(int16_t number) { return Token{u"?", qvv2::TK_COMMAND, number}; }
Token Str(const std::u16string& s) { return Token{s, qvv2::TK_STRING, static_cast<int16_t>(s.size())}; }

// A compiler after one compile, with a few declared names and an empty
// code area starting at position 16.
struct Emitters : ::testing::Test {
    QUARVELv2 c;
    void SetUp() override {
        std::u16string text = u"'x";
        c.Compile(text);
        Core(c).objPos_ = 16;
        Declare(u"B", 2, 66);     // BYTE at RAM 66
        Declare(u"W", 3, 70);     // INTEGER at RAM 70
        Declare(u"BITV", 1, 80);  // bit-type variable
        Declare(u"ZERO0", 0, 0);  // type 0: no writer exists; skipped
        DeclareConst(u"ONE", 1);
        DeclareConst(u"FIVE", 5);
        DeclareConst(u"BIG", 300);
        DeclareConst(u"HUGE", 70000);
        DeclareConst(u"BIT9", 9);
    }
    void Declare(const std::u16string& name, uint8_t type, int ram) {
        VarRecord v;
        v.name = name;
        v.type = type;
        v.address = static_cast<int16_t>(ram);
        v.operand = {static_cast<uint8_t>(type == 3 ? 22 : 21), static_cast<uint8_t>(ram)};
        Core(c).vars_.push_back(v);
        Core(c).varCount_++;
    }
    void DeclareConst(const std::u16string& name, int value) {
        VarRecord v;
        v.name = name;
        v.value = value;
        v.dim = 0;
        v.type = static_cast<uint8_t>(4 + (value <= 1 ? 1 : value <= 255 ? 2 : value <= 65535 ? 3 : 5));
        Core(c).vars_.push_back(v);
        Core(c).varCount_++;
    }
    std::vector<uint8_t> Written() const {
        return std::vector<uint8_t>(Core(c).buffer_.begin() + 17, Core(c).buffer_.begin() + 1 + Core(c).objPos_);
    }
    void Rewind() { Core(c).objPos_ = 16; }
};

using Bytes = std::vector<uint8_t>;

TEST_F(Emitters, GeneralOperand) {
    struct Case {
        Token tok;
        int16_t allowWord;
        Bytes bytes;
        int16_t err;
    };
    const std::vector<Case> cases = {
        {Num(0), 1, {0x10}, 0},
        {Num(1), 1, {0x11}, 0},
        {Num(2), 1, {0x12, 0x02}, 0},
        {Num(255), 1, {0x12, 0xFF}, 0},
        {Num(256), 1, {0x13, 0x00, 0x01}, 0},
        {Num(65535), 1, {0x13, 0xFF, 0xFF}, 0},
        {Num(256), 0, {}, 20},
        {Num(70000), 1, {}, 41},  // no encoding for 65536 and above: refused
        {Word(u"HUGE"), 1, {}, 41},
        {Word(u"b"), 0, {0x15, 66}, 0},
        {Word(u"W"), 1, {0x16, 70}, 0},
        {Word(u"W"), 0, {}, 20},
        {Word(u"ONE"), 0, {0x11}, 0},
        {Word(u"FIVE"), 0, {0x12, 5}, 0},
        {Word(u"BIG"), 1, {0x13, 0x2C, 0x01}, 0},
        {Word(u"BIG"), 0, {}, 20},
        {Word(u"ZERO0"), 1, {}, 0},
        {Word(u"BITV"), 1, {}, 0},
        {Word(u"NOPE"), 1, {}, 17},
        {Str(u"abc"), 1, {}, 21},
        {Op(0), 1, {}, 21},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.tok.text.begin(), k.tok.text.end()) + " allowWord=" + std::to_string(k.allowWord));
        Rewind();
        int16_t err = -1;
        Core(c).EmitOperand(k.tok, k.allowWord, err);
        EXPECT_EQ(err, k.err);
        EXPECT_EQ(Written(), k.bytes);
    }
}

TEST_F(Emitters, PrintOperandAddsTheFormatByte) {
    struct Case {
        Token tok;
        int16_t format;
        Bytes bytes;
    };
    const int16_t BIN = 91, DEC = 61, HEX = 60, NONE = -1;
    const std::vector<Case> cases = {
        {Word(u"W"), HEX, {0x16, 70, 4}},  {Word(u"W"), BIN, {0x16, 70, 15}}, {Word(u"W"), DEC, {0x16, 70, 5}},
        {Word(u"W"), NONE, {0x16, 70, 5}}, {Word(u"B"), BIN, {0x15, 66, 8}},  {Word(u"B"), HEX, {0x15, 66, 2}},
        {Word(u"B"), DEC, {0x15, 66, 3}},  {Word(u"BITV"), BIN, {0x15, 80, 8}}, {Num(7), HEX, {0x12, 7, 2}},
        {Num(300), BIN, {0x13, 0x2C, 0x01, 15}}, {Num(1), BIN, {0x11, 3}}, {Num(0), HEX, {0x10, 3}},
        {Word(u"ONE"), HEX, {0x11, 3}},    {Word(u"BIG"), HEX, {0x13, 0x2C, 0x01, 4}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.tok.text.begin(), k.tok.text.end()) + " format=" + std::to_string(k.format));
        Rewind();
        int16_t err = -1;
        Core(c).EmitPrintOperand(k.tok, 1, k.format, err);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(Written(), k.bytes);
    }
}

// An operand that PRINT refuses, or a name that writes nothing, gets no
// format byte either.
TEST_F(Emitters, PrintOperandWithoutAnOperandWritesNoFormatByte) {
    struct Case {
        Token tok;
        int16_t allowWord;
        int16_t err;
    };
    const std::vector<Case> cases = {
        {Word(u"W"), 0, 20},  {Num(256), 0, 20},      {Word(u"BIG"), 0, 20},
        {Num(70000), 1, 41},  {Word(u"HUGE"), 1, 41}, {Word(u"NOPE"), 1, 17},
        {Str(u"abc"), 1, 21}, {Op(0), 1, 21},         {Word(u"ZERO0"), 1, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.tok.text.begin(), k.tok.text.end()) + " allowWord=" + std::to_string(k.allowWord));
        Rewind();
        int16_t err = -1;
        Core(c).EmitPrintOperand(k.tok, k.allowWord, 60, err);
        EXPECT_EQ(err, k.err);
        EXPECT_TRUE(Written().empty());
    }
}

TEST_F(Emitters, ValueOperandIsACheckedConstantWithoutPrefix) {
    struct Case {
        Token tok;
        int32_t min, max;
        int16_t wide;
        Bytes bytes;
        int16_t err;
    };
    const std::vector<Case> cases = {
        {Num(5), 0, 255, 1, {0x05, 0x00}, 0},
        {Num(5), 0, 255, 0, {0x05}, 0},
        {Num(300), 0, 1000, 0, {0x2C, 0x01}, 0},
        {Word(u"FIVE"), 0, 255, 0, {0x05}, 0},
        {Word(u"BIG"), 0, 255, 0, {}, 41},
        {Num(10), 11, 20, 0, {}, 41},
        {Word(u"B"), 0, 255, 0, {}, 42},
        {Word(u"W"), 0, 255, 0, {}, 42},
        {Word(u"BITV"), 0, 255, 0, {}, 42},
        {Word(u"ZERO0"), 0, 255, 0, {}, 0},
        {Word(u"NOPE"), 0, 255, 0, {}, 17},
        {Str(u"x"), 0, 255, 0, {}, 42},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.tok.text.begin(), k.tok.text.end()));
        Rewind();
        int16_t err = -1;
        Core(c).EmitValueOperand(k.tok, k.min, k.max, k.wide, err);
        EXPECT_EQ(err, k.err);
        EXPECT_EQ(Written(), k.bytes);
    }
}

TEST_F(Emitters, TableOperandTranslatesPerCommand) {
    struct Case {
        int16_t command;
        Token tok;
        int32_t min, max;
        Bytes bytes;
        int16_t err;
    };
    const std::vector<Case> cases = {
        {83, Num(9600), 0, 1000000, {2}, 0},     // ETX
        {82, Num(115200), 0, 1000000, {9}, 0},   // ERX
        {83, Num(1200), 0, 1000000, {}, 40},
        {57, Num(3), 1, 9, {230}, 0},            // TX
        {57, Num(1), 1, 9, {204}, 0},
        {58, Num(4), 1, 4, {243}, 0},            // RX
        {57, Num(7), 1, 9, {}, 0},               // TX 5..9 has no code: nothing written
        {66, Num(200), 0, 255, {200}, 0},        // FIN
        {68, Num(15), 0, 15, {0xFF}, 0},         // ACCEL
        {68, Num(3), 0, 15, {0x33}, 0},
        {76, Num(10), 0, 100, {18, 126}, 0},     // FASTSERVO
        {126, Num(2), 0, 100, {208, 21, 64, 18, 52, 0}, 0},  // ACTION
        {43, Num(2), 0, 100, {}, 23},
        {57, Num(10), 1, 9, {}, 41},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("command " + std::to_string(k.command));
        Rewind();
        int16_t err = -1;
        Core(c).EmitTableOperand(k.command, k.tok, k.min, k.max, err);
        EXPECT_EQ(err, k.err);
        EXPECT_EQ(Written(), k.bytes);
    }
}

TEST_F(Emitters, BitOperand) {
    struct Case {
        std::vector<Token> toks;  // the name token and the bit token
        Bytes bytes;
        int16_t err;
    };
    const Token bn9{u"9", qvv2::TK_BITNUMBER, 2};
    const Token bn3{u"3", qvv2::TK_BITNUMBER, 2};
    const Token bn16{u"16", qvv2::TK_BITNUMBER, 2};
    auto name = [](const std::u16string& n) { return Token{n, qvv2::TK_BITNAME, -1}; };
    const std::vector<Case> cases = {
        {{name(u"W"), bn9}, {0x1B, 0x47, 0x02}, 0},
        {{name(u"B"), bn3}, {0x1B, 66, 0x08}, 0},
        {{name(u"W"), name(u"BIT9")}, {0x1B, 0x47, 0x02}, 0},
        {{name(u"W"), bn16}, {0x1B}, 36},
        {{name(u"W"), name(u"B")}, {0x1B}, 39},
        {{name(u"W"), name(u"NOPE")}, {0x1B}, 17},
        {{name(u"W"), Num(3)}, {0x1B}, 35},
        {{name(u"BITV"), bn3}, {}, 38},
        {{name(u"FIVE"), bn3}, {}, 35},
        {{name(u"NOPE"), bn3}, {}, 17},
        {{Word(u"W"), bn3}, {}, 35},
    };
    for (const Case& k : cases) {
        Rewind();
        Core(c).tokens_.assign(1, Token());
        for (const Token& t : k.toks) Core(c).tokens_.push_back(t);
        Core(c).tokenCount_ = static_cast<int32_t>(k.toks.size());
        int16_t err = -1;
        Core(c).EmitBitOperand(1, err);
        EXPECT_EQ(err, k.err) << std::string(k.toks[0].text.begin(), k.toks[0].text.end());
        EXPECT_EQ(Written(), k.bytes);
    }
    // An index past the last token is rejected, never read.
    int16_t err = 0;
    Core(c).EmitBitOperand(99, err);
    EXPECT_EQ(err, 35);
}

TEST_F(Emitters, ChannelAndBitFromOperand) {
    int16_t err = -1;
    Core(c).EmitChannelOperand(Num(7), 0, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Written(), (Bytes{18, 107}));
    Rewind();
    Core(c).EmitChannelOperand(Num(8), 0, err);
    EXPECT_EQ(err, 41);
    Core(c).EmitChannelOperand(Word(u"B"), 0, err);
    EXPECT_EQ(err, 42);
    Core(c).EmitChannelOperand(Str(u"x"), 0, err);
    EXPECT_EQ(err, 21);
    EXPECT_TRUE(Written().empty());

    uint8_t b = 0x0F;
    Core(c).SetBitFromOperand(b, 7, Num(1), err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(b, 0x8F);
    Core(c).SetBitFromOperand(b, 0, Word(u"ONE"), err);
    EXPECT_EQ(b, 0x8F);
    Core(c).SetBitFromOperand(b, 1, Num(0), err);
    EXPECT_EQ(b, 0x8D);
    Core(c).SetBitFromOperand(b, 1, Num(2), err);
    EXPECT_EQ(err, 41);
    Core(c).SetBitFromOperand(b, 1, Word(u"B"), err);
    EXPECT_EQ(err, 42);
    Core(c).SetBitFromOperand(b, 1, Word(u"NOPE"), err);
    EXPECT_EQ(err, 17);
    EXPECT_EQ(b, 0x8D);
    EXPECT_TRUE(Written().empty());
}

TEST_F(Emitters, OperatorCodes) {
    const std::vector<std::pair<Token, int>> cases = {
        {Op(0), 0x21},  {Op(1), 0x22},   {Op(2), 0x23},   {Op(3), 0x24},  {Op(4), 0x26},
        {Op(13), 0x2C}, {Op(14), 0x2D},  {Cmd(23), 0x26}, {Cmd(21), 0x27}, {Cmd(22), 0x28},
        {Cmd(24), 0x2A}, {Op(7), -22},   {Op(10), -22},   {Cmd(101), -22}, {Num(3), -0},
    };
    for (const auto& [tok, expect] : cases) {
        Rewind();
        int16_t err = -1;
        Core(c).EmitOperator(tok, err);
        if (expect > 0) {
            EXPECT_EQ(err, 0);
            EXPECT_EQ(Written(), Bytes{static_cast<uint8_t>(expect)});
        } else {
            EXPECT_EQ(err, -expect);
            EXPECT_TRUE(Written().empty());
        }
    }
}

TEST_F(Emitters, SixteenBitSplitAndBaudCodes) {
    uint8_t hi = 1, lo = 1;
    qvv2::Compiler::HighByte(4660, hi);
    qvv2::Compiler::LowByte(4660, lo);
    EXPECT_EQ(hi, 0x12);
    EXPECT_EQ(lo, 0x34);
    for (int32_t v : {65536, -1, 80000}) {
        qvv2::Compiler::HighByte(v, hi);
        qvv2::Compiler::LowByte(v, lo);
        EXPECT_EQ(hi, 0);
        EXPECT_EQ(lo, 0);
    }
    const std::vector<std::pair<int32_t, int>> rates = {
        {2400, 0}, {4800, 1}, {9600, 2}, {14400, 3}, {19200, 4}, {28800, 5},
        {38400, 6}, {57600, 7}, {76800, 8}, {115200, 9}, {230400, 10}, {1200, 255}, {0, 255}};
    for (const auto& [rate, code] : rates) {
        uint8_t got = 0;
        qvv2::Compiler::BaudRateCode(rate, got);
        EXPECT_EQ(got, code) << rate;
    }
}

// A forward jump: a placeholder, patched later with the position reached or
// with a word; a label placeholder leaves a fix-up pointing at its low byte.
TEST_F(Emitters, JumpPlaceholdersArePatchedInPlace) {
    qvv2::Compiler& k = Core(c);
    k.EmitByte(0xC4);
    const int32_t at = k.EmitPlaceholder();
    EXPECT_EQ(at, 18);
    EXPECT_EQ(Written(), (Bytes{0xC4, 0, 0}));
    k.EmitByte(0xAA);
    k.PatchToHere(at);  // the position of the last byte written: 20
    EXPECT_EQ(Written(), (Bytes{0xC4, 20, 0, 0xAA}));
    k.PatchWord(at, 0x1234);
    EXPECT_EQ(Written(), (Bytes{0xC4, 0x34, 0x12, 0xAA}));
    k.PatchWord(at, 65536);  // no 16-bit form: both bytes 0, as HighByte and LowByte give
    EXPECT_EQ(Written(), (Bytes{0xC4, 0, 0, 0xAA}));
    k.EmitWord(0x2728);
    EXPECT_EQ(Written(), (Bytes{0xC4, 0, 0, 0xAA, 0x28, 0x27}));

    Rewind();
    k.currentLine_ = 7;
    const int32_t fixupsBefore = k.fixupCount_;
    k.EmitByte(0xC5);
    k.EmitLabelPlaceholder(qvv2::FIX_GOSUB, u"Sub");
    EXPECT_EQ(Written(), (Bytes{0xC5, 0, 0}));
    ASSERT_EQ(k.fixupCount_, fixupsBefore + 1);
    ASSERT_EQ(static_cast<int32_t>(k.fixups_.size()), k.fixupCount_ + 1);
    const qvv2::Fixup& f = k.fixups_[k.fixupCount_];
    EXPECT_EQ(f.kind, qvv2::FIX_GOSUB);
    EXPECT_EQ(f.line, 7);
    EXPECT_EQ(f.name, u"Sub");
    EXPECT_EQ(f.position, 18);

    // Patching at the buffer's last index or outside it writes nothing outside.
    k.PatchWord(QUARVELv2::kBufferMax, 0x0102);
    EXPECT_EQ(k.buffer_[QUARVELv2::kBufferMax], 0x02);
    EXPECT_EQ(static_cast<int32_t>(k.buffer_.size()), QUARVELv2::kBufferMax + 1);
    k.PatchWord(-1, 0x0102);
    k.PatchWord(std::numeric_limits<int32_t>::max(), 0x0102);
    EXPECT_EQ(c.Bas_Error, 0);
}

TEST_F(Emitters, BufferLimitRaisesError1000AndKeepsTheLastIndex) {
    c.cmdLang = 0;
    Core(c).objPos_ = QUARVELv2::kBufferMax - 1;
    Core(c).EmitByte(0xAA);
    EXPECT_EQ(Core(c).objPos_, QUARVELv2::kBufferMax);
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Core(c).buffer_[QUARVELv2::kBufferMax], 0xAA);
    Core(c).EmitByte(0xBB);
    EXPECT_EQ(c.Bas_Error, 1000);
    EXPECT_EQ(c.Bas_Error_Msg, u"Memory Error");
    EXPECT_EQ(Core(c).objPos_, QUARVELv2::kBufferMax);
    EXPECT_EQ(Core(c).buffer_[QUARVELv2::kBufferMax], 0xBB);
    Core(c).EmitByte(0xCC);
    EXPECT_EQ(Core(c).buffer_[QUARVELv2::kBufferMax], 0xCC);

    uint8_t b = 1;
    Core(c).GetByteAt(QUARVELv2::kBufferMax + 1, b);  // outside the buffer: read as 0, nothing breaks
    EXPECT_EQ(b, 0);
    Core(c).PutByteAt(-1, 5);
    Core(c).PutByteAt(QUARVELv2::kBufferMax + 5, 5);
}

}  // namespace
