// The front end: splitting the program text into lines, cutting every line
// into tokens, and the label, operator and variable look-ups of the passes.
#include "Compiler.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "CompileHost.h"
#include "Text.h"

namespace qvv2 {

namespace {

constexpr char16_t kCR = 13;

// Lexer states; a state is also the kind of the token it collects.
enum LexState : uint8_t {
    S_BETWEEN = 0,
    S_WORD = 2,
    S_NUMBER = 3,
    S_STRING = 4,
    S_OPERATOR = 5,
    S_LABEL = 6,
    S_SEPARATOR = 7,
    S_COMMENT = 8,
    S_BITNAME = 9,
    S_BITNUMBER = 10,
    S_AMPERSAND = 11,
    S_HEX = 12,
    S_BIN = 13,
    S_OCT = 14,
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
// Korean syllables and every other character outside ASCII: they may form
// words, as the code page's double-byte characters do.
bool IsWide(char16_t c) { return c >= 0x80; }
bool IsOperatorChar(char16_t c) {
    switch (c) {
        case u'+': case u'-': case u'*': case u'/': case u'%':
        case u'(': case u')': case u'=': case u'>': case u'<':
            return true;
        default:
            return false;
    }
}
bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
bool ValidRadixDigit(uint8_t state, char16_t c) {
    switch (state) {
        case S_HEX: return IsHexDigit(c);
        case S_OCT: return c >= u'0' && c <= u'7';
        case S_BIN: return c == u'0' || c == u'1';
        default: return false;
    }
}
int DigitValue(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 0;
}

// Value of a decimal number token's text (at most nine digits).
int64_t DecimalValue(const std::u16string& text) {
    int64_t v = 0;
    for (char16_t c : text) {
        if (!IsDigit(c)) break;
        v = v * 10 + (c - u'0');
        if (v > 9999999999LL) break;  // far above any accepted number
    }
    return v;
}

int16_t SizeClass(int64_t v) {
    if (v <= 1) return 1;
    if (v <= 255) return 2;
    if (v <= 65535) return 3;
    return 5;
}

constexpr int64_t kMaxNumber = 99999999;
// A radix literal above this is reported as written rather than in decimal.
constexpr int64_t kHugeNumber = 999999999999999LL;

}  // namespace

// Line splitting.

void Compiler::SplitLines(const std::u16string& text) {
    lines_.assign(1, std::u16string());
    ctl.LineStartPos.assign(1, 0);
    ctl.LineLength.assign(1, 0);
    ctl.TotalLines = 0;

    // A line ends at a CR; the CR and the one character after it (normally the
    // LF) are dropped.  A text ending in a line break has no empty last line.
    const size_t total = text.size();
    size_t pos = 0;  // start of the rest of the text
    int16_t shown = -1;
    int32_t n = 0;
    for (;;) {
        host::ProcessEvents();
        const int16_t percent = total == 0 ? 0 : static_cast<int16_t>(static_cast<int64_t>(pos) * 10 / total);
        if (percent != shown) {
            host::ProgressChange(percent);
            shown = percent;
        }
        const size_t cr = text.find(kCR, pos);
        std::u16string line;
        if (cr != std::u16string::npos) {
            line = text.substr(pos, cr - pos);
            pos = std::min(total, cr + 2);
        } else {
            line = text.substr(pos);
            pos = total;
        }
        ++n;
        const int32_t start = n == 1 ? 1 : ctl.LineStartPos[n - 1] + ctl.LineLength[n - 1] + 2;
        ctl.LineStartPos.push_back(start);
        ctl.LineLength.push_back(static_cast<int32_t>(line.size()));
        lines_.push_back(std::move(line));
        if (pos >= total) break;
    }
    ctl.TotalLines = n;
}

// Tokenising.

void Compiler::TokenizeSource() {
    lineRanges_.assign(1, LineRange());
    int16_t shown = -1;
    for (int32_t L = 1; L <= ctl.TotalLines; ++L) {
        host::ProcessEvents();
        const int16_t percent = static_cast<int16_t>(static_cast<int64_t>(L) * 50 / ctl.TotalLines + 10);
        if (percent != shown) {
            host::ProgressChange(percent);
            shown = percent;
        }
        LineRange range;
        range.first = tokenCount_ + 1;
        lineRanges_.push_back(range);
        TokenizeLine(L < static_cast<int32_t>(lines_.size()) ? lines_[L] : std::u16string());
        if (ctl.Bas_Error > 0) {
            ctl.Bas_Error_Line = L;
            return;
        }
        lineRanges_[L].last = tokenCount_;
    }
}

int32_t Compiler::BinStringValue(const std::u16string& digits) {
    // Each digit times 2 to the power of its distance from the end, summed; a
    // value beyond a Long saturates.
    int64_t v = 0;
    for (char16_t c : digits) {
        v = v * 2 + (IsDigit(c) ? c - u'0' : 0);
        if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(v);
}

// Tokenising one line: a state machine over its characters.  The state is
// also the kind of the token being collected; every step takes one
// character and says whether the line goes on.
namespace {

class LineLexer {
public:
    LineLexer(Compiler& compiler, const std::u16string& line) : k_(compiler), line_(line) {}

    void Run();

private:
    enum class Step : uint8_t {
        Next,           // go on with the next character
        RestIsComment,  // the rest of the line, from this character on, is a comment
        Stop,           // an error ends the line
    };

    Step TakeCharacter(char16_t c);
    Step BetweenTokens(char16_t c);
    Step InWordOrNumber(char16_t c);
    Step InString(char16_t c);
    Step InOperator(char16_t c);
    Step AfterAmpersand(char16_t c);
    Step InRadixLiteral(char16_t c);
    bool WithinLengthLimits();
    void EndOfLine();

    bool Emit(uint8_t kind);
    bool EmitOperand();
    bool EmitSeparator();
    bool ConvertRadixLiteral(Token& tok);
    bool FinishToken(Token& tok);
    bool FinishNumber(Token& tok);
    bool FinishBitNumber(Token& tok);
    bool RegisterLabel(const Token& tok);
    void Fail(int16_t err, const std::u16string& msg);
    Step Failed(int16_t err, const std::u16string& msg) {
        Fail(err, msg);
        return Step::Stop;
    }

    Compiler& k_;
    const std::u16string& line_;
    uint8_t state_ = S_BETWEEN;
    std::u16string text_;      // the text collected for the current token
    bool bitPending_ = false;  // a bit selector dot came after the last word
};

void LineLexer::Run() {
    const size_t n = line_.size();
    for (size_t i = 0; i < n; ++i) {
        host::ProcessEvents();
        const Step step = TakeCharacter(line_[i]);
        if (step == Step::Stop) return;
        if (step == Step::RestIsComment) {
            text_ = line_.substr(i);
            Emit(TK_COMMENT);
            state_ = S_COMMENT;
            break;
        }
        if (!WithinLengthLimits()) return;
    }
    EndOfLine();
}

LineLexer::Step LineLexer::TakeCharacter(char16_t c) {
    switch (state_) {
        case S_BETWEEN: return BetweenTokens(c);
        case S_WORD:
        case S_NUMBER: return InWordOrNumber(c);
        case S_STRING: return InString(c);
        case S_OPERATOR: return InOperator(c);
        case S_AMPERSAND: return AfterAmpersand(c);
        case S_HEX:
        case S_BIN:
        case S_OCT: return InRadixLiteral(c);
        default:
            state_ = S_BETWEEN;
            return Step::Next;
    }
}

LineLexer::Step LineLexer::BetweenTokens(char16_t c) {
    if (c == u',') {
        if (!EmitSeparator()) return Step::Stop;
    } else if (IsDigit(c)) {
        text_ = c;
        state_ = S_NUMBER;
    } else if (IsLetter(c) || IsWide(c)) {
        text_ = c;
        state_ = S_WORD;
    } else if (IsBlank(c)) {
    } else if (IsOperatorChar(c)) {
        text_ = c;
        state_ = S_OPERATOR;
    } else if (c == u'\'') {
        return Step::RestIsComment;
    } else if (c == u'"') {
        text_.clear();
        state_ = S_STRING;
    } else if (c == u'&') {
        text_.clear();
        state_ = S_AMPERSAND;
    } else {
        return Failed(ERR_SYNTAX_PROCESSING, std::u16string(1, c));
    }
    return Step::Next;
}

LineLexer::Step LineLexer::InWordOrNumber(char16_t c) {
    const bool word = state_ == S_WORD;
    if (IsDigit(c) || (word && (IsLetter(c) || IsWide(c) || c == u'_'))) {
        text_ += c;
    } else if (IsBlank(c)) {
        if (!EmitOperand()) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (IsOperatorChar(c)) {
        if (!EmitOperand()) return Step::Stop;
        text_ = c;
        state_ = S_OPERATOR;
    } else if (c == u'\'') {
        if (!EmitOperand()) return Step::Stop;
        return Step::RestIsComment;
    } else if (c == u':') {
        if (bitPending_) return Failed(ERR_BAD_LABEL, text_ + c);
        if (word && k_.ctl.IsCommand(text_) >= 0) return Failed(ERR_RESERVED_LABEL, text_);
        if (!Emit(TK_LABEL)) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (c == u',') {
        if (bitPending_) return Failed(ERR_BAD_BIT, text_ + c);
        if (!Emit(state_) || !EmitSeparator()) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (word && c == u'.') {
        if (bitPending_) return Failed(ERR_BIT_TWICE, text_ + c);
        bitPending_ = true;
        if (!Emit(TK_BITNAME)) return Step::Stop;
        state_ = S_BETWEEN;
    } else {
        return Failed(word ? ERR_BAD_VARIABLE_NAME : ERR_BAD_NAME_OR_NUMBER, text_ + c);
    }
    return Step::Next;
}

LineLexer::Step LineLexer::InString(char16_t c) {
    if (c == u'"') {
        if (!Emit(TK_STRING)) return Step::Stop;
        state_ = S_BETWEEN;
    } else {
        text_ += c;
    }
    return Step::Next;
}

LineLexer::Step LineLexer::InOperator(char16_t c) {
    if (IsDigit(c)) {
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        text_ = c;
        state_ = S_NUMBER;
    } else if (IsLetter(c) || IsWide(c)) {
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        text_ = c;
        state_ = S_WORD;
    } else if (c == u'"') {
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        state_ = S_STRING;
    } else if (c == u'&') {
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        state_ = S_AMPERSAND;
    } else if (IsBlank(c)) {
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (c == u',') {
        if (!Emit(TK_OPERATOR) || !EmitSeparator()) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'%') {
        // Only a closing parenthesis may be followed directly by an
        // arithmetic operator.
        if (text_ != u")") return Failed(ERR_BAD_SYMBOL, text_ + c);
        if (!Emit(TK_OPERATOR)) return Step::Stop;
        text_ = c;
    } else if (c == u'=' && (text_ == u">" || text_ == u"<")) {
        text_ += c;
    } else if (c == u'>' && (text_ == u"<" || text_ == u">")) {
        text_ += c;
    } else if (c == u'<' && text_ == u"<") {
        text_ += c;
    } else {
        return Failed(ERR_BAD_SYMBOL, text_ + c);
    }
    return Step::Next;
}

LineLexer::Step LineLexer::AfterAmpersand(char16_t c) {
    if (c == u'h' || c == u'H') {
        text_.clear();
        state_ = S_HEX;
    } else if (c == u'b' || c == u'B') {
        state_ = S_BIN;
    } else if (c == u'o' || c == u'O') {
        state_ = S_OCT;
    } else {
        return Failed(ERR_BAD_NUMBER_BASE, std::u16string(u"&") + c);
    }
    return Step::Next;
}

LineLexer::Step LineLexer::InRadixLiteral(char16_t c) {
    if (IsDigit(c) || IsHexDigit(c)) {
        if (!ValidRadixDigit(state_, c)) return Failed(ERR_BAD_NUMBER_DIGITS, text_ + c);
        text_ += c;
    } else if (IsBlank(c)) {
        if (!Emit(state_)) return Step::Stop;
        state_ = S_BETWEEN;
    } else if (IsOperatorChar(c)) {
        if (!Emit(state_)) return Step::Stop;
        text_ = c;
        state_ = S_OPERATOR;
    } else if (c == u'\'') {
        if (!Emit(state_)) return Step::Stop;
        return Step::RestIsComment;
    } else if (c == u',') {
        if (!Emit(state_) || !EmitSeparator()) return Step::Stop;
        state_ = S_BETWEEN;
    } else {
        return Failed(ERR_BAD_NUMBER_DIGITS, text_ + c);
    }
    return Step::Next;
}

// The limits on a word's and a number's length, checked after every character.
bool LineLexer::WithinLengthLimits() {
    if (state_ == S_WORD && text_.size() > 32) {
        Fail(ERR_NAME_TOO_LONG, text_);
        return false;
    }
    if (state_ == S_NUMBER && text_.size() > 9) {
        Fail(ERR_NUMBER_TOO_LONG, text_);
        return false;
    }
    return true;
}

void LineLexer::EndOfLine() {
    if (bitPending_) {
        if (state_ == S_WORD) state_ = S_BITNAME;
        if (state_ == S_NUMBER) state_ = S_BITNUMBER;
        bitPending_ = false;
    }
    if (!Emit(state_)) return;
    if (state_ == S_STRING) {
        // The message is the text of the last token: the unclosed string
        // itself, or the token before it when the string is empty.
        const bool have = k_.tokenCount_ > 0 && k_.tokenCount_ < static_cast<int32_t>(k_.tokens_.size());
        Fail(ERR_UNTERMINATED_STRING, have ? k_.tokens_[k_.tokenCount_].text : std::u16string());
    }
}

// Appends the collected text as a token of the given kind and finishes it
// by kind; nothing when no text was collected.  Returns false on an error.
bool LineLexer::Emit(uint8_t kind) {
    if (text_.empty()) return true;
    if (static_cast<int32_t>(k_.tokens_.size()) != k_.tokenCount_ + 1) k_.tokens_.resize(k_.tokenCount_ + 1);
    k_.tokens_.push_back(Token{text_, kind, -1});
    ++k_.tokenCount_;
    Token& tok = k_.tokens_.back();
    text_.clear();
    if (kind == S_HEX || kind == S_OCT || kind == S_BIN) {
        if (!ConvertRadixLiteral(tok)) return false;
    }
    return FinishToken(tok);
}

// A word or number ends: a pending bit selector makes it the name or the
// bit number of a bit reference.
bool LineLexer::EmitOperand() {
    uint8_t kind = state_;
    if (bitPending_) {
        kind = state_ == S_NUMBER ? S_BITNUMBER : S_BITNAME;
        bitPending_ = false;
    }
    return Emit(kind);
}

bool LineLexer::EmitSeparator() {
    // The comma as one character: assigning the literal "," made GCC 12's
    // optimiser see an overlapping copy (-Wrestrict) that cannot happen.
    text_.assign(1, u',');
    return Emit(TK_COMMA);
}

// A radix literal becomes a number token holding its value in decimal.
bool LineLexer::ConvertRadixLiteral(Token& tok) {
    const int base = tok.kind == S_HEX ? 16 : tok.kind == S_OCT ? 8 : 2;
    int64_t v = 0;
    bool huge = false;
    if (base == 2 && tok.text.size() <= 31) {
        v = Compiler::BinStringValue(tok.text);
    } else {
        for (char16_t c : tok.text) {
            v = v * base + DigitValue(c);
            if (v > kHugeNumber) {  // any further digit keeps it too big
                huge = true;
                break;
            }
        }
    }
    tok.kind = TK_NUMBER;
    if (huge) {
        // Far too big for any operand; reported as written.
        const std::u16string prefix = base == 16 ? u"&H" : base == 8 ? u"&O" : u"&B";
        tok.text = prefix + tok.text;
        Fail(ERR_NUMBER_TOO_BIG, tok.text);
        return false;
    }
    tok.text = NumberText(v);
    return true;
}

bool LineLexer::FinishToken(Token& tok) {
    switch (tok.kind) {
        case TK_NUMBER: return FinishNumber(tok);
        case TK_WORD: {
            const int16_t cmd = k_.ctl.IsCommand(tok.text);
            if (cmd >= 0) {
                tok.kind = TK_COMMAND;
                tok.code = cmd;
            }
            return true;
        }
        case TK_BITNAME:
            if (k_.ctl.IsCommand(tok.text) >= 0) tok.kind = TK_BITCOMMAND;
            return true;
        case TK_STRING:
            tok.code = static_cast<int16_t>(std::min<size_t>(tok.text.size(), 32767));
            return true;
        case TK_OPERATOR:
            tok.code = k_.FindOperator(tok.text);
            return true;
        case TK_BITNUMBER: return FinishBitNumber(tok);
        case TK_LABEL: return RegisterLabel(tok);
        default: return true;
    }
}

bool LineLexer::FinishNumber(Token& tok) {
    const int64_t v = DecimalValue(tok.text);
    if (v > kMaxNumber) {
        Fail(ERR_NUMBER_TOO_BIG, tok.text);
        return false;
    }
    tok.code = SizeClass(v);
    return true;
}

bool LineLexer::FinishBitNumber(Token& tok) {
    const int64_t v = DecimalValue(tok.text);
    if (v > 15) {
        Fail(ERR_BIT_RANGE, tok.text);
        return false;
    }
    tok.code = v <= 1 ? 1 : 2;
    return true;
}

// A label definition: a new label record, unless the name is taken.
bool LineLexer::RegisterLabel(const Token& tok) {
    const std::u16string name = UCase(tok.text);
    if (k_.LabelIndex(name) > 0) {
        Fail(ERR_DUPLICATE_LABEL, tok.text);
        return false;
    }
    if (static_cast<int32_t>(k_.labels_.size()) != k_.labelCount_ + 1) k_.labels_.resize(k_.labelCount_ + 1);
    k_.labels_.push_back(LabelRecord{name, -1});
    ++k_.labelCount_;
    return true;
}

void LineLexer::Fail(int16_t err, const std::u16string& msg) {
    k_.ctl.Bas_Error = err;
    k_.ctl.Bas_Error_Msg = msg;
}

}  // namespace

void Compiler::TokenizeLine(const std::u16string& line) {
    ctl.Bas_Error = 0;
    LineLexer(*this, line).Run();
}

// Look-ups.

namespace {

// Brings a name index up to date with a 1-based table that only grows between
// resets; a table that shrank (a new compile) is indexed afresh.
template <typename Record>
int32_t IndexedFind(const std::vector<Record>& table, int32_t count,
                    std::unordered_map<std::u16string, int32_t>& index, int32_t& indexed,
                    const std::u16string& key) {
    count = std::max<int32_t>(0, std::min<int32_t>(count, static_cast<int32_t>(table.size()) - 1));
    if (indexed > count) {
        index.clear();
        indexed = 0;
    }
    while (indexed < count) {
        ++indexed;
        index.emplace(table[indexed].name, indexed);  // the first of equal names stays
    }
    const auto it = index.find(key);
    if (it == index.end()) return 0;
    if (table[it->second].name != key) {  // replaced behind the index's back
        index.clear();
        indexed = 0;
        for (int32_t i = 1; i <= count; ++i)
            if (table[i].name == key) return i;
        return 0;
    }
    return it->second;
}

int16_t Narrow(int32_t index) {
    return static_cast<int16_t>(std::min<int32_t>(index, std::numeric_limits<int16_t>::max()));
}

}  // namespace

int32_t Compiler::LabelIndex(const std::u16string& upperName) const {
    return IndexedFind(labels_, labelCount_, labelIndex_, labelIndexed_, upperName);
}

int32_t Compiler::VariableIndex(const std::u16string& upperName) const {
    return IndexedFind(vars_, varCount_, varIndex_, varIndexed_, upperName);
}

int16_t Compiler::FindLabel(const std::u16string& name) const { return Narrow(LabelIndex(UCase(name))); }

int16_t Compiler::FindVariable(const std::u16string& name) const { return Narrow(VariableIndex(UCase(name))); }

int16_t Compiler::FindOperator(const std::u16string& text) const {
    const std::u16string upper = UCase(text);
    for (size_t i = 0; i < operators_.size(); ++i)
        if (operators_[i] == upper) return static_cast<int16_t>(i);
    return -1;
}

}  // namespace qvv2
