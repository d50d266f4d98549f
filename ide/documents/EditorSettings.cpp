#include "documents/EditorSettings.h"

#include <QFont>

#include <cmath>
#include <optional>

#include "documents/Documents.h"
#include "documents/VbNumbers.h"
#include "documents/modIni.h"
#include "documents/modReg.h"
#include "platform/CodeEditor.h"

namespace modReg {
namespace {

using platform::CodeEditor;

struct ColorKey {
    const char* key;
    int slot;
};

// The order in which the colours are read and written.
constexpr ColorKey kColorKeys[] = {
    {"comment", platform::clrComment},       {"bookmark", platform::clrBookmark},
    {"bookmarkbk", platform::clrBookmarkBk}, {"commentbk", platform::clrCommentBk},
    {"divider", platform::clrHDivider},      {"highlight", platform::clrHighlight},
    {"keyword", platform::clrKeyword},       {"keywordbk", platform::clrKeywordBk},
    {"left", platform::clrLeftMargin},       {"linenum", platform::clrLineNumber},
    {"linenumbk", platform::clrLineNumberBk}, {"number", platform::clrNumber},
    {"numberbk", platform::clrNumberBk},     {"operator", platform::clrOperator},
    {"operatorbk", platform::clrOperatorBk}, {"scope", platform::clrScope},
    {"scopebk", platform::clrScopeBk},       {"string", platform::clrString},
    {"stringbk", platform::clrStringBk},     {"tagattrib", platform::clrTagAttribute},
    {"tagattribbk", platform::clrTagAttributeBk}, {"tagele", platform::clrTagElement},
    {"tagelebk", platform::clrTagElementBk}, {"tagent", platform::clrTagEntity},
    {"tagentbk", platform::clrTagEntityBk},  {"tagtxt", platform::clrTagText},
    {"tagtxtbk", platform::clrTagTextBk},    {"text", platform::clrText},
    {"textbk", platform::clrTextBk},         {"vdivider", platform::clrVDivider},
    {"window", platform::clrWindow},
};

QString Read(const char* section, const char* key, const QString& def) {
    return modIni::ReadIni(QString::fromLatin1(section), QString::fromLatin1(key), def, SettingsFile());
}

std::optional<double> ReadNumber(const char* section, const char* key, const char* def) {
    return vb::Val(Read(section, key, QString::fromLatin1(def)));
}

std::optional<int32_t> ReadLong(const char* section, const char* key, const char* def) {
    const auto v = ReadNumber(section, key, def);
    if (!v) return std::nullopt;
    return vb::ToLong(*v);
}

void Write(const char* section, const char* key, const QString& value) {
    modIni::WriteIni(QString::fromLatin1(section), QString::fromLatin1(key), value, SettingsFile());
}

void WriteBool(const char* section, const char* key, bool value) {
    Write(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

// A font size as the program writes it: at most four decimals, a leading
// blank when not negative, no zero before the decimal point.
QString SizeText(double size) {
    const double rounded = std::round(size * 10000.0) / 10000.0;
    QString text = QString::number(rounded, 'f', 4);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.'))) {
        const bool point = text.endsWith(u'.');
        text.chop(1);
        if (point) break;
    }
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    if (text.startsWith(QStringLiteral("0."))) text.remove(0, 1);
    else if (text.startsWith(QStringLiteral("-0."))) text.remove(1, 1);
    return text.startsWith(u'-') ? text : QStringLiteral(" ") + text;
}

}  // namespace

bool LoadEditorSettings(CodeEditor& editor) {
    const modIni::Batch batch;  // one read of the file for every key
    for (const ColorKey& c : kColorKeys) {
        const QString def = QString::number(platform::DefaultSlotColor(c.slot));
        const auto v = vb::Val(Read("Colors", c.key, def));
        const auto color = v ? vb::ToLong(*v) : std::nullopt;
        if (!color || !editor.SetSlotColor(c.slot, *color)) return false;
    }

    auto flag = [](const char* section, const char* key, const char* def) -> std::optional<bool> {
        const auto v = ReadNumber(section, key, def);
        if (!v) return std::nullopt;
        return *v != 0;
    };
    const auto selbounds = flag("Options", "selbounds", "1");
    if (!selbounds) return false;
    editor.SetSelectionBounded(*selbounds);
    const auto leftmargin = flag("Options", "leftmargin", "0");
    if (!leftmargin) return false;
    editor.SetBookmarkMarginShown(*leftmargin);
    const auto numbering = flag("Data", "numbering", "1");
    if (!numbering) return false;
    editor.SetLineNumbersShown(*numbering);
    const auto lttips = flag("Options", "lttips", "1");
    if (!lttips) return false;
    editor.SetLineTipsShown(*lttips);

    const auto style = ReadLong("Data", "numberingstyle", "1");
    if (!style) return false;
    editor.SetLineNumberStyle(*style);
    const auto start = ReadLong("Data", "numberingstart", "1");
    if (!start) return false;
    editor.SetFirstLineNumber(*start);

    auto fontStep = [&editor](auto change) {
        QFont f = editor.EditorFont();
        change(f);
        return editor.SetEditorFont(f);
    };
    const auto bold = flag("Font", "bold", "0");
    if (!bold || !fontStep([&](QFont& f) { f.setBold(*bold); })) return false;
    const auto italic = flag("Font", "italic", "0");
    if (!italic || !fontStep([&](QFont& f) { f.setItalic(*italic); })) return false;
    const auto size = ReadNumber("Font", "size", "8");
    // The font takes sizes above 0 only.
    if (!size || !(*size > 0) || !fontStep([&](QFont& f) { f.setPointSizeF(*size); })) return false;
    const auto strike = flag("Font", "strike", "0");
    if (!strike || !fontStep([&](QFont& f) { f.setStrikeOut(*strike); })) return false;
    const auto under = flag("Font", "under", "0");
    if (!under || !fontStep([&](QFont& f) { f.setUnderline(*under); })) return false;

    const QString name = Read("Font", "name", QStringLiteral("0"));
    if (name != QStringLiteral("0") &&
        !fontStep([&](QFont& f) { f.setFamily(name); }))
        return false;
    return true;
}

void SaveEditorSettings(const CodeEditor& editor) {
    const modIni::Batch batch;  // one write of the file for every key
    for (const ColorKey& c : kColorKeys) Write("Colors", c.key, vb::Str(static_cast<int64_t>(editor.SlotColor(c.slot))));
    WriteBool("Options", "selbounds", editor.SelectionBounded());
    WriteBool("Data", "numbering", editor.LineNumbersShown());
    WriteBool("Options", "lttips", editor.LineTipsShown());
    Write("Data", "numberingstyle", vb::Str(static_cast<int64_t>(editor.LineNumberStyle())));
    Write("Data", "numberingstart", vb::Str(static_cast<int64_t>(editor.FirstLineNumber())));
    WriteBool("Options", "leftmargin", editor.BookmarkMarginShown());
    const QFont f = editor.EditorFont();
    WriteBool("Font", "bold", f.bold());
    WriteBool("Font", "italic", f.italic());
    Write("Font", "size", SizeText(f.pointSizeF()));
    WriteBool("Font", "strike", f.strikeOut());
    WriteBool("Font", "under", f.underline());
    Write("Font", "name", f.family());
}

void SaveEditorSettings() {
    platform::CodeEditor* editor = modApp::DocumentEditor(modApp::NewDocIndex);
    if (!editor) return;
    SaveEditorSettings(*editor);
}

}  // namespace modReg
