// The document window's handling of its editor's events: focus, keys, the
// right mouse button, code tips, the caret status text, and the Set Editor
// command on the editor template.
#include "editor/frmDoc.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <optional>

#include "compiler/QUARVELv2.h"
#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/StringTable.h"
#include "documents/VbText.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/CodeTips.h"
#include "editor/DocTabStrip.h"
#include "link/DownloadProgram.h"
#include "vxKeyCodes.h"

namespace {

constexpr int kTipNone = 0;
constexpr int kTipFilled = 4;

}  // namespace

namespace modMain {

QString KeywordHelp(qvv2::QUARVELv2& basic, const QString& word) {
    int16_t number = basic.IsCommand(word.toUpper().toStdU16String());
    basic.HelpCmd(number);
    switch (basic.cmdLang) {
        case 1: return QString::fromStdU16String(basic.KorHelpMsg);
        case 3: return QString::fromStdU16String(basic.ChnHelpMsg);
        default: return QString::fromStdU16String(basic.EngHelpMsg);
    }
}

bool SpaceAsksForTip(const QString& lineText, int32_t column) {
    const QString text = vb::Trim(lineText);
    if (text.size() <= 1) return false;
    return !vb::Trim(text.left(column < 0 ? 0 : column)).contains(u' ');
}

}  // namespace modMain

void frmDoc::ConnectEditorEvents() {
    using platform::CodeEditor;
    // The dialogs of the editors take their texts from the string table.
    static const bool lookupSet = [] {
        CodeEditor::SetStringLookup([](int number) { return FindResString(number); });
        return true;
    }();
    (void)lookupSet;
    connect(rt, &CodeEditor::FocusIn, this, &frmDoc::rt_FocusIn);
    connect(rt, &CodeEditor::KeyDown, this, &frmDoc::rt_KeyDown);
    connect(rt, &CodeEditor::KeyUp, this, &frmDoc::rt_KeyUp);
    connect(rt, &CodeEditor::MouseDown, this, &frmDoc::rt_MouseDown);
    connect(rt, &CodeEditor::CodeTipRequest, this, &frmDoc::rt_CodeTipRequest);
    connect(rt, &CodeEditor::CodeTipUpdate, this, &frmDoc::rt_CodeTipUpdate);
    connect(rt, &CodeEditor::CodeTipInitialize, this, &frmDoc::rt_CodeTipInitialize);
}

void frmDoc::rt_FocusIn(platform::CodeEditor* control) {
    (void)control;
    DocTabStrip* tb = Host() ? Host()->DocumentTabs() : nullptr;
    if (!tb) return;
    const int index = tb->IndexOfKey(QStringLiteral("key") + Tag);
    if (index >= 0) tb->setCurrentIndex(index);
}

QString frmDoc::CaretStatusText(int32_t line, int32_t column, int32_t lineCount) {
    return QString::number(line + 1) + LoadResString(3171) + QStringLiteral(", ") + QString::number(column) +
           LoadResString(3172) + LoadResString(3173) + QString::number(lineCount) + LoadResString(3174);
}

void frmDoc::ShowCaretStatus(int32_t line, int32_t column) {
    QLabel* panel = Host() ? Host()->StatusPanel(2) : nullptr;
    if (!panel) return;
    panel->setText(CaretStatusText(line, column, rt->LineCount()));
}

void frmDoc::rt_KeyDown(platform::CodeEditor* control, int KeyCode, int Shift, bool* handled) {
    (void)control;
    (void)handled;
    // A capture waits for a second F4 alone; any other key starts it over.
    if (!(KeyCode == vxKey::F4 && Shift == 0)) modMain::CapturePending = false;
}

void frmDoc::rt_KeyUp(platform::CodeEditor* control, int KeyCode, int Shift, bool* handled) {
    (void)control;
    (void)handled;
    if (KeyCode != vxKey::Space || Shift != 0) return;
    QAction* option = Host() ? Host()->CodeTipOption() : nullptr;
    if (!option || !option->isChecked()) return;
    const platform::EditorRange range = rt->Selection(true);
    if (modMain::SpaceAsksForTip(rt->LineText(range.EndLineNo), range.EndColNo)) rt->RunCommand(platform::cmdCodeTip);
}

void frmDoc::rt_MouseDown(platform::CodeEditor* control, int Button, int Shift, int x, int y, bool* handled) {
    (void)Shift;
    (void)handled;
    if (Button != vxKey::RightButton) return;
    QMenu* menu = Host() ? Host()->EditMenu() : nullptr;
    if (menu) menu->popup(control->mapToGlobal(QPoint(x, y)));
}

void frmDoc::rt_CodeTipRequest(platform::CodeEditor* control, int* TipKind) {
    (void)control;
    if (rt->TokenKindAtCaret() != platform::tokWord) {
        *TipKind = kTipNone;
        return;
    }
    modMain::KeywordHelpText = modMain::KeywordHelp(modMain::Basic(), rt->WordAtCaret());
    *TipKind = modMain::KeywordHelpText.trimmed().isEmpty() ? kTipNone : kTipFilled;
}

void frmDoc::rt_CodeTipInitialize(platform::CodeEditor* control, platform::CodeTip* Tip) {
    (void)control;
    Tip->Values = {0, 0, 0};
    TipRange = rt->Selection(true);
    Tip->Text = modMain::KeywordHelpText;
    Tip->BackColor = 0xC0FFFF;  // pale yellow
    Tip->ForeColor = 0;
    QFont font = rt->EditorFont();
    font.setItalic(false);
    font.setBold(false);
    Tip->Font = font;
}

void frmDoc::rt_CodeTipUpdate(platform::CodeEditor* control, platform::CodeTip* Tip) {
    (void)control;
    // The tip stays while the caret stays on its line, not left of where
    // the tip opened.
    const platform::EditorRange now = rt->Selection(true);
    if (now.EndLineNo != TipRange.EndLineNo || now.EndColNo < TipRange.EndColNo) Tip->Destroy();
}

// ---- Set Editor -------------------------------------------------------------------

bool frmDoc::SetEditor(QWidget* owner) {
    platform::CodeEditor& model = *Shared().rt;
    // The template shows what a new document window gets: the stored
    // settings, the dialect's colours and the white-space view option.
    modReg::LoadEditorSettings(model);
    model.SetLanguageName(QStringLiteral("Quarvel"));
    model.SetWhitespaceShown(modApp::ShowWhitespace);
    if (!model.RunPropertiesDialog(owner)) return false;

    modReg::SaveEditorSettings(model);
    modApp::ShowWhitespace = model.WhitespaceShown();
    modReg::SaveViewOptions();
    for (int n = 1; n <= modApp::Docs.UBound(); ++n) {
        frmDoc* doc = modApp::Docs(n);
        if (!doc) continue;
        platform::CodeEditor& e = *doc->rt;
        for (int slot = 0; slot < platform::kColorSlotCount; ++slot) e.SetSlotColor(slot, model.SlotColor(slot));
        e.SetEditorFont(model.EditorFont());
        e.SetLineNumbersShown(model.LineNumbersShown());
        e.SetLineNumberStyle(model.LineNumberStyle());
        e.SetFirstLineNumber(model.FirstLineNumber());
        e.SetLineTipsShown(model.LineTipsShown());
        e.SetSelectionBounded(model.SelectionBounded());
        e.SetWhitespaceShown(model.WhitespaceShown());
    }
    return true;
}
