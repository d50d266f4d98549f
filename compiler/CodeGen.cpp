// The code-generation pass: walks the lines, hands every statement to its
// statement compiler, binds line labels and finally patches the label
// references that the statement compilers left in the code.
#include "Compiler.h"

#include <algorithm>
#include <cstdint>

#include "CompileHost.h"
#include "Text.h"

namespace qvv2 {

namespace {

// clang-format off
// By fix-up kind: the message naming the statement whose label is missing.
constexpr int16_t kMissingLabelMsg[FIX_KIND_COUNT] = {
    MSG_LABEL_GOTO,    MSG_LABEL_GOSUB,   MSG_LABEL_ON_GOTO, MSG_LABEL_RX,      MSG_LABEL_ON_TIMER,
    MSG_LABEL_ON_INT,  MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS,
    MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS,
    MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS, MSG_LABEL_MOVEPOS};
// By MOVEPOS fix-up kind: the message naming the form whose target is wrong,
// and the first motor that the target POS table must start with.
constexpr int16_t kTargetMsg[FIX_KIND_COUNT] = {
    0,              0,              0,              0,              0,
    0,              MSG_TARGET_G6A, MSG_TARGET_G6A, MSG_TARGET_G6B, MSG_TARGET_G6C,
    MSG_TARGET_G6D, MSG_TARGET_G6E, MSG_TARGET_G8A, MSG_TARGET_G8B, MSG_TARGET_G8C,
    MSG_TARGET_G8D, MSG_TARGET_G12, MSG_TARGET_G16, MSG_TARGET_G24, MSG_TARGET_G32};
constexpr uint8_t kTargetMotor[FIX_KIND_COUNT] = {0, 0, 0, 0, 0, 0, 0, 0, 6, 12, 18, 24, 0, 8, 16, 24, 0, 0, 0, 0};
// clang-format on

// The statement dispatch table by command number, from the command table.
struct StatementTable {
    Compiler::StatementEntry rows[QUARVELv2::kCommandCount];
    StatementTable() {
#define QV_WORD(id, number, english, korean)
#define QV_STATEMENT(id, number, english, korean, compiler, message) rows[CMD_##id] = {&Compiler::compiler, message};
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
    }
};

}  // namespace

// A command word without a statement compiler cannot start a statement
// (error 999).
const Compiler::StatementEntry* Compiler::FindStatement(int16_t command) {
    static const StatementTable table;
    if (command < 0 || command >= QUARVELv2::kCommandCount) return nullptr;
    const StatementEntry& e = table.rows[command];
    return e.compiler ? &e : nullptr;
}

void Compiler::GenerateCode() {
    ctl.LineObjPos.assign(static_cast<size_t>(ctl.TotalLines) + 1, 0);
    OneLineIf = 0;
    int16_t shown = -1;

    for (int32_t L = 1; L <= ctl.TotalLines; ++L) {
        host::ProcessEvents();
        const int16_t percent = static_cast<int16_t>(static_cast<int64_t>(L) * 40 / ctl.TotalLines + 60);
        if (percent != shown) {
            host::ProgressChange(percent);
            shown = percent;
        }
        ctl.LineObjPos[L] = objPos_;
        currentLine_ = L;

        LineRange range;
        if (L < static_cast<int32_t>(lineRanges_.size())) range = lineRanges_[L];
        int32_t first = range.first;
        int32_t last = range.last;
        CompileStatement(first, last);

        // A one-line IF ends with its line.
        if (OneLineIf != 0) {
            int32_t none1 = 0, none2 = 0;
            int16_t ignored = 0;
            CompileEndIf(none1, none2, ignored);
            OneLineIf = 0;
        }

        if (ctl.Bas_Error > 0) {
            ctl.Bas_Error_Line = L;
            return;
        }
    }

    ResolveLabels();
    if (ctl.Bas_Error > 0) return;

    if (ForNesting > 0) {
        ctl.Bas_Error = ERR_NO_NEXT;
        ctl.Bas_Error_Msg = GetMessageText(MSG_BLOCK_FOR);
        ctl.Bas_Error_Line = ForLoops.size() > 1 ? ForLoops[1].Line : 0;
    } else if (IfNesting > 0) {
        ctl.Bas_Error = ERR_NO_ENDIF;
        ctl.Bas_Error_Msg = GetMessageText(MSG_BLOCK_IF);
        const bool have = IfNesting < static_cast<int32_t>(IfBranches.size()) && IfBranches[IfNesting].size() > 1;
        ctl.Bas_Error_Line = have ? IfBranches[IfNesting][1].Line : 0;
    }
}

void Compiler::CompileStatement(int32_t& first, int32_t& last) {
    // Token indexes outside the table cannot come from the lexer; they end the
    // line without code.
    if (last >= static_cast<int32_t>(tokens_.size())) last = static_cast<int32_t>(tokens_.size()) - 1;
    if (last > tokenCount_) last = tokenCount_;
    if (first < 1) first = 1;
    if (last >= first && tokens_[last].kind == TK_COMMENT) --last;
    if (last < first) return;

    int32_t t = first;
    while (t >= first && t <= last) {
        Token& tok = tokens_[t];
        switch (tok.kind) {
            case TK_COMMAND: {
                const int16_t command = tok.code;
                if (CommandEnabled(command) == 0) {
                    ctl.Bas_Error = ERR_NO_SUPPORT;
                    ctl.Bas_Error_Msg = GetMessageText(MSG_CONTROLLER_ERROR);
                    return;
                }
                const StatementEntry* entry = FindStatement(command);
                if (!entry) {
                    ctl.Bas_Error = ERR_NO_SUPPORT;
                    ctl.Bas_Error_Msg = UCase(tok.text);
                    return;
                }
                const int32_t at = t;
                int16_t err = 0;
                (this->*entry->compiler)(t, last, err);
                if (err != 0) {
                    ctl.Bas_Error = err;
                    ctl.Bas_Error_Msg = GetMessageText(entry->message);
                    return;
                }
                // A one-line IF goes on with the statement after THEN, and an
                // ELSE on such a line with the statement after ELSE.
                const bool goesOn = (command == CMD_IF && OneLineIf != 0) || (command == CMD_ELSE && OneLineIf == 2);
                if (goesOn && ThenToken > at && ThenToken <= last) {
                    t = ThenToken;
                    continue;
                }
                return;
            }

            case TK_WORD:
            case TK_BITNAME: {
                int16_t err = 0;
                CompileAssignment(t, last, err);
                if (err != 0) {
                    ctl.Bas_Error = err;
                    ctl.Bas_Error_Msg = GetMessageText(MSG_ASSIGN);
                }
                return;
            }

            case TK_LABEL: {
                const int32_t n = LabelIndex(UCase(tok.text));
                if (n == 0) {
                    ctl.Bas_Error = ERR_LABEL_PROCESSING;
                    ctl.Bas_Error_Msg = tok.text;
                    return;
                }
                labels_[n].address = objPos_;
                if (t < last) {
                    ++t;
                    continue;
                }
                return;
            }

            case TK_NUMBER: {
                // A number in front of a statement is a line label.
                const std::u16string name = UCase(tok.text);
                if (LabelIndex(name) > 0) {
                    ctl.Bas_Error = ERR_DUPLICATE_LABEL;
                    ctl.Bas_Error_Msg = tok.text;
                    return;
                }
                tok.kind = TK_LABEL;
                if (static_cast<int32_t>(labels_.size()) != labelCount_ + 1) labels_.resize(labelCount_ + 1);
                labels_.push_back(LabelRecord{name, -1});
                ++labelCount_;
                continue;  // the same token, now a label definition
            }

            default:
                // A string, operator, separator or bit number at the start:
                // the line produces no code.
                return;
        }
    }
}

void Compiler::ResolveLabels() {
    const int32_t count = std::min<int32_t>(fixupCount_, static_cast<int32_t>(fixups_.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        const Fixup& f = fixups_[i];
        const int32_t n = LabelIndex(UCase(f.name));
        // A label that never received an address (its definition was not at
        // the start of a compiled statement) is as good as missing: patching
        // it would make the jump land in the program header.
        const int32_t address = n > 0 ? labels_[n].address : -1;
        if (address < 0) {
            ctl.Bas_Error = ERR_NO_LABEL;
            ctl.Bas_Error_Line = f.line;
            if (f.kind < FIX_KIND_COUNT) ctl.Bas_Error_Msg = GetMessageText(kMissingLabelMsg[f.kind]);
            return;
        }

        // MOVEPOS must land on a POS table of its own form.
        if (f.kind >= FIX_MOVEPOS_TYPE2 && f.kind < FIX_KIND_COUNT) {
            uint8_t b1 = 0, b2 = 0;
            GetByteAt(address + 1, b1);
            GetByteAt(address + 2, b2);
            const bool ok =
                f.kind == FIX_MOVEPOS_TYPE2 ? b1 == OP_POS_TYPE2 : (b1 == OP_POS_TABLE && b2 == kTargetMotor[f.kind]);
            if (!ok) {
                ctl.Bas_Error = ERR_WRONG_POS_TARGET;
                ctl.Bas_Error_Line = f.line;
                ctl.Bas_Error_Msg = GetMessageText(kTargetMsg[f.kind]);
                return;
            }
        }

        PatchWord(f.position, address);
    }
}

}  // namespace qvv2
