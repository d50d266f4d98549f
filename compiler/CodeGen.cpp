// The code-generation pass: walks the lines, hands every statement to its
// statement compiler, binds line labels and finally patches the label
// references that the statement compilers left in the code.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "CompileHost.h"
#include "QUARVELv2.h"
#include "Text.h"

namespace qvv2 {

namespace {

constexpr int16_t kCmdIf = 5;
constexpr int16_t kCmdElse = 7;
constexpr int16_t kCmdEndIf = 9;

constexpr int16_t kMsgFor = 1;
constexpr int16_t kMsgIf = 2;
constexpr int16_t kMsgControllerError = 3;
constexpr int16_t kMsgAssign = 68;

// By fix-up kind 0..19: the message naming the statement whose label is missing.
constexpr int16_t kMissingLabelMsg[20] = {70, 69, 71, 72, 73, 74, 75, 75, 75, 75,
                                          75, 75, 75, 75, 75, 75, 75, 75, 75, 75};
// By fix-up kind 6..19 (MOVEPOS): the message naming the form whose target is wrong,
// and the first motor that the target POS table must start with (kinds 7..19).
constexpr int16_t kTargetMsg[20] = {0, 0, 0, 0, 0, 0, 76, 76, 77, 78, 79, 146, 80, 81, 82, 83, 147, 148, 149, 150};
constexpr uint8_t kTargetMotor[20] = {0, 0, 0, 0, 0, 0, 0, 0, 6, 12, 18, 24, 0, 8, 16, 24, 0, 0, 0, 0};
constexpr uint8_t kOpPosTable = 177;    // 0xB1: a POS position table
constexpr uint8_t kOpPosType2 = 239;    // 0xEF: the POS table of controller type 2

}  // namespace

// The statement compilers by command number.  A statement compiler plugs in
// with one row: command number, compiler, message number of the statement's
// name.  MOVEPOS (74) and POS (75) have one row per controller type they
// distinguish (conType 2 and 5) and one with kAnyConType for every other type.
// A command word without a row cannot start a statement (error 999).
const std::vector<QUARVELv2::StatementEntry>& QUARVELv2::StatementTable() {
    static const std::vector<StatementEntry> table = {
        {0, &QUARVELv2::CompileDim, 4},
        {4, &QUARVELv2::CompileConst, 10},
        {5, &QUARVELv2::CompileIf, 48},
        {7, &QUARVELv2::CompileElse, 49},
        {8, &QUARVELv2::CompileElseIf, 51},
        {9, &QUARVELv2::CompileEndIf, 50},
        {10, &QUARVELv2::CompileFor, 46},
        {12, &QUARVELv2::CompileNext, 47},
        {13, &QUARVELv2::CompileGoto, 44},
        {14, &QUARVELv2::CompileOn, 62},
        {15, &QUARVELv2::CompileGosub, 45},
        {16, &QUARVELv2::CompileReturn, 42},
        {18, &QUARVELv2::CompileOut, 11},
        {19, &QUARVELv2::CompilePulse, 22},
        {20, &QUARVELv2::CompileToggle, 41},
        {25, &QUARVELv2::CompileBreak, 52},
        {28, &QUARVELv2::CompileByteOut, 19},
        {30, &QUARVELv2::CompilePoke, 21},
        {32, &QUARVELv2::CompileRomPoke, 20},
        {33, &QUARVELv2::CompileServo, 34},
        {34, &QUARVELv2::CompilePwm, 17},
        {35, &QUARVELv2::CompileEnd, 57},
        {36, &QUARVELv2::CompileDelay, 35},
        {37, &QUARVELv2::CompileZero, 32},
        {38, &QUARVELv2::CompileMotor, 24},
        {39, &QUARVELv2::CompileMove, 7},
        {40, &QUARVELv2::CompileSpeed, 28},
        {41, &QUARVELv2::CompileVexaOut, 5},
        {42, &QUARVELv2::CompileLcdInit, 59},
        {43, &QUARVELv2::CompilePrint, 37},
        {44, &QUARVELv2::CompileCls, 58},
        {45, &QUARVELv2::CompileLocate, 16},
        {46, &QUARVELv2::CompileCsOn, 60},
        {47, &QUARVELv2::CompileCsOff, 61},
        {48, &QUARVELv2::CompileCont, 31},
        {49, &QUARVELv2::CompileMotorOff, 26},
        {50, &QUARVELv2::CompileBeep, 43},
        {51, &QUARVELv2::CompilePlay, 38},
        {52, &QUARVELv2::CompileSound, 6},
        {57, &QUARVELv2::CompileTx, 12},
        {58, &QUARVELv2::CompileRx, 14},
        {63, &QUARVELv2::CompileTimerOff, 56},
        {68, &QUARVELv2::CompileAccel, 30},
        {69, &QUARVELv2::CompileWait, 53},
        {70, &QUARVELv2::CompileStop, 55},
        {71, &QUARVELv2::CompileRun, 54},
        {72, &QUARVELv2::CompileDir, 9},
        {73, &QUARVELv2::CompilePtp, 23},
        {74, &QUARVELv2::CompileMovePosType2, 63, 2},
        {74, &QUARVELv2::CompileMovePosType5, 63, 5},
        {74, &QUARVELv2::CompileMovePosGroup, 63},
        {75, &QUARVELv2::CompilePosType2, 64, 2},
        {75, &QUARVELv2::CompilePosType5, 64, 5},
        {75, &QUARVELv2::CompilePos, 64},
        {76, &QUARVELv2::CompileFastServo, 33},
        {77, &QUARVELv2::CompileRemark, 40},
        {78, &QUARVELv2::CompileFunc, 29},
        {79, &QUARVELv2::CompileInit, 8},
        {82, &QUARVELv2::CompileErx, 15},
        {83, &QUARVELv2::CompileEtx, 13},
        {85, &QUARVELv2::CompileMusic, 39},
        {89, &QUARVELv2::CompileTempo, 36},
        {90, &QUARVELv2::CompileFPwm, 18},
        {104, &QUARVELv2::CompileAiMotor, 25},
        {105, &QUARVELv2::CompileAiMotorOff, 27},
        {108, &QUARVELv2::CompileHighSpeed, 65},
        {113, &QUARVELv2::CompileOpen, 66},
        {114, &QUARVELv2::CompileClose, 67},
        {116, &QUARVELv2::CompileMove24, 7},
        {118, &QUARVELv2::CompileGetMotorSet, 142},
        {120, &QUARVELv2::CompileGyroSet, 144},
        {121, &QUARVELv2::CompileGyroDir, 143},
        {122, &QUARVELv2::CompileGyroSense, 145},
        {125, &QUARVELv2::CompileFill, 151},
        {126, &QUARVELv2::CompileAction, 152},
        {127, &QUARVELv2::CompileOffset, 153},
        {128, &QUARVELv2::CompileAccelSet, 155},
        {129, &QUARVELv2::CompileAccelDir, 154},
        {130, &QUARVELv2::CompileAccelSense, 156},
        {131, &QUARVELv2::CompileTiltSet, 157},
        {132, &QUARVELv2::CompileTiltDir, 158},
        {133, &QUARVELv2::CompileTiltSense, 159},
        {138, &QUARVELv2::CompileMotorMode, 161},
    };
    return table;
}

const QUARVELv2::StatementEntry* QUARVELv2::FindStatement(int16_t command) const {
    const StatementEntry* any = nullptr;
    for (const StatementEntry& e : StatementTable()) {
        if (e.command != command) continue;
        if (e.conType == Con_Type) return &e;
        if (e.conType == kAnyConType && !any) any = &e;
    }
    return any;
}

void QUARVELv2::ResetBlockState() {
    ForNesting = 0;
    ForLoops.assign(1, ForRecord());
    IfNesting = 0;
    IfBranchCount.assign(1, 0);
    IfBranches.assign(11, std::vector<IfBranchRecord>(1));
    ElseIfPending = 0;
    OneLineIf = 0;
    ThenToken = 0;
}

void QUARVELv2::GenerateCode() {
    LineObjPos.assign(static_cast<size_t>(TotalLines) + 1, 0);
    OneLineIf = 0;
    int16_t shown = -1;

    for (int32_t L = 1; L <= TotalLines; ++L) {
        host::ProcessEvents();
        const int16_t percent = static_cast<int16_t>(static_cast<int64_t>(L) * 40 / TotalLines + 60);
        if (percent != shown) {
            host::ProgressChange(percent);
            shown = percent;
        }
        LineObjPos[L] = objPos_;
        currentLine_ = L;

        LineRange range;
        if (L < static_cast<int32_t>(lineRanges_.size())) range = lineRanges_[L];
        int32_t first = range.first;
        int32_t last = range.last;
        CompileStatement(first, last);

        // A one-line IF ends with its line.
        if (OneLineIf != 0) {
            if (const StatementEntry* endIf = FindStatement(kCmdEndIf)) {
                int32_t none1 = 0, none2 = 0;
                int16_t ignored = 0;
                (this->*endIf->compiler)(none1, none2, ignored);
            }
            OneLineIf = 0;
        }

        if (Bas_Error > 0) {
            Bas_Error_Line = L;
            return;
        }
    }

    ResolveLabels();
    if (Bas_Error > 0) return;

    if (ForNesting > 0) {
        Bas_Error = 29;
        Bas_Error_Msg = GetMessageText(kMsgFor);
        Bas_Error_Line = ForLoops.size() > 1 ? ForLoops[1].Line : 0;
    } else if (IfNesting > 0) {
        Bas_Error = 33;
        Bas_Error_Msg = GetMessageText(kMsgIf);
        const bool have = IfNesting < static_cast<int32_t>(IfBranches.size()) && IfBranches[IfNesting].size() > 1;
        Bas_Error_Line = have ? IfBranches[IfNesting][1].Line : 0;
    }
}

void QUARVELv2::CompileStatement(int32_t& first, int32_t& last) {
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
                    Bas_Error = 999;
                    Bas_Error_Msg = GetMessageText(kMsgControllerError);
                    return;
                }
                const StatementEntry* entry = FindStatement(command);
                if (!entry) {
                    Bas_Error = 999;
                    Bas_Error_Msg = UCase(tok.text);
                    return;
                }
                const int32_t at = t;
                int16_t err = 0;
                (this->*entry->compiler)(t, last, err);
                if (err != 0) {
                    Bas_Error = err;
                    Bas_Error_Msg = GetMessageText(entry->message);
                    return;
                }
                // A one-line IF goes on with the statement after THEN, and an
                // ELSE on such a line with the statement after ELSE.
                const bool goesOn = (command == kCmdIf && OneLineIf != 0) || (command == kCmdElse && OneLineIf == 2);
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
                    Bas_Error = err;
                    Bas_Error_Msg = GetMessageText(kMsgAssign);
                }
                return;
            }

            case TK_LABEL: {
                const int32_t n = LabelIndex(UCase(tok.text));
                if (n == 0) {
                    Bas_Error = 24;
                    Bas_Error_Msg = tok.text;
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
                    Bas_Error = 13;
                    Bas_Error_Msg = tok.text;
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

void QUARVELv2::ResolveLabels() {
    const int32_t count = std::min<int32_t>(fixupCount_, static_cast<int32_t>(fixups_.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        const Fixup& f = fixups_[i];
        const int32_t n = LabelIndex(UCase(f.name));
        // A label that never received an address (its definition was not at
        // the start of a compiled statement) is as good as missing: patching
        // it would make the jump land in the program header.
        const int32_t address = n > 0 ? labels_[n].address : -1;
        if (address < 0) {
            Bas_Error = 25;
            Bas_Error_Line = f.line;
            if (f.kind <= 19) Bas_Error_Msg = GetMessageText(kMissingLabelMsg[f.kind]);
            return;
        }

        // MOVEPOS must land on a POS table of its own form.
        if (f.kind >= 6 && f.kind <= 19) {
            uint8_t b1 = 0, b2 = 0;
            GetByteAt(address + 1, b1);
            GetByteAt(address + 2, b2);
            const bool ok = f.kind == 6 ? b1 == kOpPosType2 : (b1 == kOpPosTable && b2 == kTargetMotor[f.kind]);
            if (!ok) {
                Bas_Error = 51;
                Bas_Error_Line = f.line;
                Bas_Error_Msg = GetMessageText(kTargetMsg[f.kind]);
                return;
            }
        }

        uint8_t lo = 0, hi = 0;
        LowByte(address, lo);
        HighByte(address, hi);
        PutByteAt(f.position, lo);
        if (f.position < std::numeric_limits<int32_t>::max()) PutByteAt(f.position + 1, hi);
    }
}

}  // namespace qvv2
