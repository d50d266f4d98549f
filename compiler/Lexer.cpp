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

void Compiler::TokenizeLine(const std::u16string& line) {
    ctl.Bas_Error = 0;
    uint8_t state = S_BETWEEN;
    std::u16string text;
    bool bitPending = false;

    auto fail = [this](int16_t err, const std::u16string& msg) {
        ctl.Bas_Error = err;
        ctl.Bas_Error_Msg = msg;
    };

    // Appends the collected text as a token of the given kind and finishes it
    // by kind.  Returns false on an error.
    auto emit = [&](uint8_t kind) -> bool {
        if (text.empty()) return true;
        if (static_cast<int32_t>(tokens_.size()) != tokenCount_ + 1) tokens_.resize(tokenCount_ + 1);
        tokens_.push_back(Token{text, kind, -1});
        ++tokenCount_;
        Token& tok = tokens_.back();
        text.clear();

        if (kind == S_HEX || kind == S_OCT || kind == S_BIN) {
            // Radix literal: its value in decimal, then a number like any other.
            const int base = kind == S_HEX ? 16 : kind == S_OCT ? 8 : 2;
            int64_t v = 0;
            bool huge = false;
            if (base == 2 && tok.text.size() <= 31) {
                v = BinStringValue(tok.text);
            } else {
                for (char16_t c : tok.text) {
                    v = v * base + DigitValue(c);
                    if (v > kHugeNumber) {  // any further digit keeps it too big
                        huge = true;
                        break;
                    }
                }
            }
            if (huge) {
                // Far too big for any operand; reported as written.
                const std::u16string prefix = base == 16 ? u"&H" : base == 8 ? u"&O" : u"&B";
                tok.kind = TK_NUMBER;
                tok.text = prefix + tok.text;
                fail(ERR_NUMBER_TOO_BIG, tok.text);
                return false;
            }
            tok.text = NumberText(v);
            tok.kind = TK_NUMBER;
            kind = TK_NUMBER;
        }

        switch (kind) {
            case TK_NUMBER: {
                const int64_t v = DecimalValue(tok.text);
                if (v > kMaxNumber) {
                    fail(ERR_NUMBER_TOO_BIG, tok.text);
                    return false;
                }
                tok.code = SizeClass(v);
                break;
            }
            case TK_WORD: {
                const int16_t cmd = ctl.IsCommand(tok.text);
                if (cmd >= 0) {
                    tok.kind = TK_COMMAND;
                    tok.code = cmd;
                }
                break;
            }
            case TK_BITNAME:
                if (ctl.IsCommand(tok.text) >= 0) tok.kind = TK_BITCOMMAND;
                break;
            case TK_STRING:
                tok.code = static_cast<int16_t>(std::min<size_t>(tok.text.size(), 32767));
                break;
            case TK_OPERATOR:
                tok.code = FindOperator(tok.text);
                break;
            case TK_BITNUMBER: {
                const int64_t v = DecimalValue(tok.text);
                if (v > 15) {
                    fail(ERR_BIT_RANGE, tok.text);
                    return false;
                }
                tok.code = v <= 1 ? 1 : 2;
                break;
            }
            case TK_LABEL: {
                const std::u16string name = UCase(tok.text);
                if (LabelIndex(name) > 0) {
                    fail(ERR_DUPLICATE_LABEL, tok.text);
                    return false;
                }
                if (static_cast<int32_t>(labels_.size()) != labelCount_ + 1) labels_.resize(labelCount_ + 1);
                labels_.push_back(LabelRecord{name, -1});
                ++labelCount_;
                break;
            }
            default:
                break;
        }
        return true;
    };

    // A word or number ends: a pending bit selector makes it the name or the
    // bit number of a bit reference.
    auto emitOperand = [&]() -> bool {
        uint8_t kind = state;
        if (bitPending) {
            kind = state == S_NUMBER ? S_BITNUMBER : S_BITNAME;
            bitPending = false;
        }
        return emit(kind);
    };
    auto emitSeparator = [&]() -> bool {
        text = u",";
        return emit(TK_COMMA);
    };

    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i) {
        host::ProcessEvents();
        const char16_t c = line[i];
        bool comment = false;  // the rest of the line, from c on, is a comment

        switch (state) {
            case S_BETWEEN:
                if (c == u',') {
                    if (!emitSeparator()) return;
                } else if (IsDigit(c)) {
                    text = c;
                    state = S_NUMBER;
                } else if (IsLetter(c) || IsWide(c)) {
                    text = c;
                    state = S_WORD;
                } else if (IsBlank(c)) {
                } else if (IsOperatorChar(c)) {
                    text = c;
                    state = S_OPERATOR;
                } else if (c == u'\'') {
                    comment = true;
                } else if (c == u'"') {
                    text.clear();
                    state = S_STRING;
                } else if (c == u'&') {
                    text.clear();
                    state = S_AMPERSAND;
                } else {
                    fail(ERR_SYNTAX_PROCESSING, std::u16string(1, c));
                    return;
                }
                break;

            case S_WORD:
            case S_NUMBER: {
                const bool word = state == S_WORD;
                if (IsDigit(c) || (word && (IsLetter(c) || IsWide(c) || c == u'_'))) {
                    text += c;
                } else if (IsBlank(c)) {
                    if (!emitOperand()) return;
                    state = S_BETWEEN;
                } else if (IsOperatorChar(c)) {
                    if (!emitOperand()) return;
                    text = c;
                    state = S_OPERATOR;
                } else if (c == u'\'') {
                    if (!emitOperand()) return;
                    comment = true;
                } else if (c == u':') {
                    if (bitPending) {
                        fail(ERR_BAD_LABEL, text + c);
                        return;
                    }
                    if (word && ctl.IsCommand(text) >= 0) {
                        fail(ERR_RESERVED_LABEL, text);
                        return;
                    }
                    if (!emit(TK_LABEL)) return;
                    state = S_BETWEEN;
                } else if (c == u',') {
                    if (bitPending) {
                        fail(ERR_BAD_BIT, text + c);
                        return;
                    }
                    if (!emit(state) || !emitSeparator()) return;
                    state = S_BETWEEN;
                } else if (word && c == u'.') {
                    if (bitPending) {
                        fail(ERR_BIT_TWICE, text + c);
                        return;
                    }
                    bitPending = true;
                    if (!emit(TK_BITNAME)) return;
                    state = S_BETWEEN;
                } else {
                    fail(word ? ERR_BAD_VARIABLE_NAME : ERR_BAD_NAME_OR_NUMBER, text + c);
                    return;
                }
                break;
            }

            case S_STRING:
                if (c == u'"') {
                    if (!emit(TK_STRING)) return;
                    state = S_BETWEEN;
                } else {
                    text += c;
                }
                break;

            case S_OPERATOR:
                if (IsDigit(c)) {
                    if (!emit(TK_OPERATOR)) return;
                    text = c;
                    state = S_NUMBER;
                } else if (IsLetter(c) || IsWide(c)) {
                    if (!emit(TK_OPERATOR)) return;
                    text = c;
                    state = S_WORD;
                } else if (c == u'"') {
                    if (!emit(TK_OPERATOR)) return;
                    state = S_STRING;
                } else if (c == u'&') {
                    if (!emit(TK_OPERATOR)) return;
                    state = S_AMPERSAND;
                } else if (IsBlank(c)) {
                    if (!emit(TK_OPERATOR)) return;
                    state = S_BETWEEN;
                } else if (c == u',') {
                    if (!emit(TK_OPERATOR) || !emitSeparator()) return;
                    state = S_BETWEEN;
                } else if (c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'%') {
                    // Only a closing parenthesis may be followed directly by
                    // an arithmetic operator.
                    if (text != u")") {
                        fail(ERR_BAD_SYMBOL, text + c);
                        return;
                    }
                    if (!emit(TK_OPERATOR)) return;
                    text = c;
                } else if (c == u'=' && (text == u">" || text == u"<")) {
                    text += c;
                } else if (c == u'>' && (text == u"<" || text == u">")) {
                    text += c;
                } else if (c == u'<' && text == u"<") {
                    text += c;
                } else {
                    fail(ERR_BAD_SYMBOL, text + c);
                    return;
                }
                break;

            case S_AMPERSAND:
                if (c == u'h' || c == u'H') {
                    text.clear();
                    state = S_HEX;
                } else if (c == u'b' || c == u'B') {
                    state = S_BIN;
                } else if (c == u'o' || c == u'O') {
                    state = S_OCT;
                } else {
                    fail(ERR_BAD_NUMBER_BASE, std::u16string(u"&") + c);
                    return;
                }
                break;

            case S_HEX:
            case S_BIN:
            case S_OCT:
                if (IsDigit(c) || IsHexDigit(c)) {
                    if (!ValidRadixDigit(state, c)) {
                        fail(ERR_BAD_NUMBER_DIGITS, text + c);
                        return;
                    }
                    text += c;
                } else if (IsBlank(c)) {
                    if (!emit(state)) return;
                    state = S_BETWEEN;
                } else if (IsOperatorChar(c)) {
                    if (!emit(state)) return;
                    text = c;
                    state = S_OPERATOR;
                } else if (c == u'\'') {
                    if (!emit(state)) return;
                    comment = true;
                } else if (c == u',') {
                    if (!emit(state) || !emitSeparator()) return;
                    state = S_BETWEEN;
                } else {
                    fail(ERR_BAD_NUMBER_DIGITS, text + c);
                    return;
                }
                break;

            default:
                state = S_BETWEEN;
                break;
        }

        if (comment) {
            text = line.substr(i);
            emit(TK_COMMENT);
            state = S_COMMENT;
            break;
        }

        if (state == S_WORD && text.size() > 32) {
            fail(ERR_NAME_TOO_LONG, text);
            return;
        }
        if (state == S_NUMBER && text.size() > 9) {
            fail(ERR_NUMBER_TOO_LONG, text);
            return;
        }
    }

    // End of the line.
    if (bitPending) {
        if (state == S_WORD) state = S_BITNAME;
        if (state == S_NUMBER) state = S_BITNUMBER;
        bitPending = false;
    }
    if (!emit(state)) return;
    if (state == S_STRING) {
        // The message is the text of the last token: the unclosed string
        // itself, or the token before it when the string is empty.
        const bool have = tokenCount_ > 0 && tokenCount_ < static_cast<int32_t>(tokens_.size());
        fail(ERR_UNTERMINATED_STRING, have ? tokens_[tokenCount_].text : std::u16string());
    }
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
