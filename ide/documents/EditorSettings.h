// Module modReg, editor part: the code editor's colours, display options,
// line numbering and font, kept in the settings file "qvv2.ini" in the
// sections [Colors], [Options], [Data] and [Font].
//
// Keys and defaults:
// - [Colors]: one key per colour slot of the editor (platform::EditorColor),
//   window, left, bookmark, bookmarkbk, text, textbk, number, numberbk,
//   keyword, keywordbk, operator, operatorbk, scope, scopebk, comment,
//   commentbk, string, stringbk, tagtxt, tagtxtbk, tagent, tagentbk, tagele,
//   tagelebk, tagattrib, tagattribbk, linenum, linenumbk, divider, vdivider,
//   highlight for slots 0 to 30; colours are 0x00BBGGRR numbers, -1 for "no
//   colour of its own"; defaults as platform::DefaultSlotColor.
// - [Options] selbounds "1", leftmargin "0", lttips "1"; [Data] numbering
//   "1", numberingstyle "1", numberingstart "1"; [Font] bold "0", italic "0",
//   size "8" (points, fractions allowed), strike "0", under "0", name "0"
//   ("0" keeps the editor's own font name).
// Numbers are written with a leading blank when not negative, booleans as
// "1"/"0" (see modReg.h).
#pragma once

namespace platform {
class CodeEditor;
}

namespace modReg {

// Applies the stored settings to an editor.  The steps run in order and
// stop at the first value the editor refuses (a font size of 0 or less, a
// number too large for its type); what was applied before stays applied.
// Returns false when it stopped early.
bool LoadEditorSettings(platform::CodeEditor& editor);

// Stores the settings of the editor of the document window numbered
// modApp::NewDocIndex.  Stores nothing when that window is not open.
void SaveEditorSettings();

// Stores the settings of the given editor (the keys in the order above
// the load reads them: colours, options, numbering, font).
void SaveEditorSettings(const platform::CodeEditor& editor);

}  // namespace modReg
