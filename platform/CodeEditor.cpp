#include "platform/CodeEditor.h"

#include <Qsci/qscilexercustom.h>
#include <Qsci/qsciprinter.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QDoubleSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <vector>

#include "Text.h"

namespace platform {

namespace {

using SB = QsciScintillaBase;

// Margins and markers of the editor.
constexpr int kNumberMargin = 0;
constexpr int kBookmarkMargin = 1;
constexpr int kBookmarkMarker = 1;
constexpr int kHighlightMarker = 2;
constexpr int kStyleCount = 7;  // tsText .. tsScope

constexpr int32_t kDefaultColors[kColorSlotCount] = {
    -1,        // window
    8421504,   // left margin
    65280,     // bookmark
    0,         // bookmark background
    0,         // text
    -1,        // text background
    0,         // number
    -1,        // number background
    16711680,  // keyword
    -1,        // keyword background
    255,       // operator
    -1,        // operator background
    16711680,  // scope
    -1,        // scope background
    16711935,  // comment
    -1,        // comment background
    8388736,   // string
    -1,        // string background
    0,         // tag text
    -1,        // tag text background
    255,       // tag entity
    -1,        // tag entity background
    128,       // tag element
    -1,        // tag element background
    16711680,  // tag attribute
    -1,        // tag attribute background
    16777215,  // line number
    8421504,   // line number background
    -1,        // horizontal divider
    -1,        // vertical divider
    65535,     // highlighted line
};

// The design-time font of a new editor.
QFont DefaultEditorFont() {
    QFont f(QStringLiteral("Monospace"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(10);
    return f;
}

QString NormaliseLineEnds(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

QStringList SplitList(const QString& list) {
    QStringList out;
    for (QString item : list.split(u'\n')) {
        item.remove(u'\r');
        if (!item.trimmed().isEmpty()) out << item.trimmed();
    }
    return out;
}

// ---- Registries ------------------------------------------------------------------

struct LanguageEntry {
    QString name;
    EditorLanguage language;
};

std::map<QString, LanguageEntry>& Languages() {
    static std::map<QString, LanguageEntry> languages;
    return languages;
}

QSet<CodeEditor*>& LiveEditors() {
    static QSet<CodeEditor*> editors;
    return editors;
}

// Scintilla key definition of a hot key: the key code in the low word, the
// modifiers in the high word.
long ScintillaKeyDefinition(const EditorHotKey& hk) {
    int key = 0;
    switch (hk.Key) {
    case Qt::Key_Delete: key = SB::SCK_DELETE; break;
    case Qt::Key_Insert: key = SB::SCK_INSERT; break;
    case Qt::Key_Backspace: key = SB::SCK_BACK; break;
    default:
        if (hk.Key >= Qt::Key_A && hk.Key <= Qt::Key_Z) key = hk.Key;  // upper-case letters
        else if (hk.Key > 0 && hk.Key < 0x7F) key = hk.Key;
        break;
    }
    int mods = 0;
    if (hk.Modifiers & Qt::ShiftModifier) mods |= SB::SCMOD_SHIFT;
    if (hk.Modifiers & Qt::ControlModifier) mods |= SB::SCMOD_CTRL;
    if (hk.Modifiers & Qt::AltModifier) mods |= SB::SCMOD_ALT;
    return static_cast<long>(key) | (static_cast<long>(mods) << 16);
}

bool SameHotKey(const EditorHotKey& a, const EditorHotKey& b) {
    return a.Key == b.Key && a.Modifiers == b.Modifiers;
}

using HotKeyTable = std::vector<std::pair<int32_t, std::vector<EditorHotKey>>>;

HotKeyTable DefaultHotKeys() {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    return {
        {cmdCut, {{Qt::Key_X, ctrl}, {Qt::Key_Delete, shift}}},
        {cmdPaste, {{Qt::Key_V, ctrl}, {Qt::Key_Insert, shift}}},
        {cmdCopy, {{Qt::Key_C, ctrl}, {Qt::Key_Insert, ctrl}}},
        {cmdLineCut, {{Qt::Key_L, ctrl}}},
        {cmdUndo, {{Qt::Key_Z, ctrl}, {Qt::Key_Backspace, alt}}},
        {cmdRedo, {{Qt::Key_Y, ctrl}}},
        {cmdLineDelete, {{Qt::Key_L, ctrl | shift}}},
    };
}

struct HotKeyState {
    HotKeyTable table = DefaultHotKeys();
    std::vector<EditorHotKey> removed;
};

HotKeyState& HotKeys() {
    static HotKeyState state;
    return state;
}

CodeEditor::PrintResponder& PrintResponderSlot() {
    static CodeEditor::PrintResponder responder;
    return responder;
}

CodeEditor::DialogResponder& DialogResponderSlot() {
    static CodeEditor::DialogResponder responder;
    return responder;
}

// The printer that the set-up dialog configures and later prints use.
QsciPrinter& SharedPrinter() {
    static QsciPrinter* printer = [] {
        auto* p = new QsciPrinter(QPrinter::HighResolution);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [p] { delete p; });
        return p;
    }();
    return *printer;
}

}  // namespace

// ---- Colour helpers --------------------------------------------------------------

int32_t DefaultSlotColor(int slot) {
    if (slot < 0 || slot >= kColorSlotCount) return kNoColor;
    return kDefaultColors[slot];
}

QColor ColorFromBgr(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

int32_t BgrFromColor(const QColor& color) {
    return static_cast<int32_t>(static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
                                (static_cast<uint32_t>(color.blue()) << 16));
}

// ---- Key codes ----------------------------------------------------------------------

int VbKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // 65..90
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;  // 48..57
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

int VbShiftState(Qt::KeyboardModifiers modifiers) {
    int s = 0;
    if (modifiers & Qt::ShiftModifier) s |= 1;
    if (modifiers & Qt::ControlModifier) s |= 2;
    if (modifiers & Qt::AltModifier) s |= 4;
    return s;
}

int VbMouseButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

// ---- Hot keys -----------------------------------------------------------------------

namespace EditorGlobals {

int HotKeyCount(int32_t command) {
    for (const auto& [cmd, keys] : HotKeys().table)
        if (cmd == command) return static_cast<int>(keys.size());
    return 0;
}

EditorHotKey HotKey(int32_t command, int index) {
    for (const auto& [cmd, keys] : HotKeys().table)
        if (cmd == command && index >= 0 && index < static_cast<int>(keys.size())) return keys[index];
    return {};
}

void UnregisterHotKey(const EditorHotKey& hotKey) {
    if (hotKey.Key == 0) return;
    HotKeyState& state = HotKeys();
    for (auto& entry : state.table) {
        auto& keys = entry.second;
        keys.erase(std::remove_if(keys.begin(), keys.end(),
                                  [&](const EditorHotKey& k) { return SameHotKey(k, hotKey); }),
                   keys.end());
    }
    if (std::none_of(state.removed.begin(), state.removed.end(),
                     [&](const EditorHotKey& k) { return SameHotKey(k, hotKey); }))
        state.removed.push_back(hotKey);
    const long def = ScintillaKeyDefinition(hotKey);
    for (CodeEditor* editor : LiveEditors()) editor->SendScintilla(SB::SCI_CLEARCMDKEY, def);
}

void RestoreHotKeys() {
    HotKeys() = HotKeyState();
    for (CodeEditor* editor : LiveEditors()) {
        for (const auto& [cmd, keys] : DefaultHotKeys()) {
            long message = 0;
            switch (cmd) {
            case cmdCut: message = SB::SCI_CUT; break;
            case cmdPaste: message = SB::SCI_PASTE; break;
            case cmdCopy: message = SB::SCI_COPY; break;
            case cmdLineCut: message = SB::SCI_LINECUT; break;
            case cmdUndo: message = SB::SCI_UNDO; break;
            case cmdRedo: message = SB::SCI_REDO; break;
            case cmdLineDelete: message = SB::SCI_LINEDELETE; break;
            default: break;
            }
            for (const EditorHotKey& k : keys)
                editor->SendScintilla(SB::SCI_ASSIGNCMDKEY, static_cast<unsigned long>(ScintillaKeyDefinition(k)),
                                      message);
        }
    }
}

}  // namespace EditorGlobals

// ---- Colouring -------------------------------------------------------------------

// A language definition prepared for colouring.
struct CompiledLanguage {
    bool caseSensitive = false;
    QSet<QString> keywords;
    QSet<QString> blockWords;
    QStringList operators;       // longest first
    QStringList symbolOpeners;   // line-comment openers of other characters
    QSet<QString> wordOpeners;   // line-comment openers of letters and digits
    QString blockOpen;
    QString blockClose;
    QString delimiters;
    QString escape;

    QString Key(const QString& word) const { return caseSensitive ? word : word.toUpper(); }

    explicit CompiledLanguage(const EditorLanguage& def) {
        caseSensitive = def.CaseSensitive;
        for (const QString& k : SplitList(def.Keywords)) keywords.insert(Key(k));
        for (const QString& k : SplitList(def.BlockStartWords)) blockWords.insert(Key(k));
        for (const QString& k : SplitList(def.BlockEndWords)) blockWords.insert(Key(k));
        operators = SplitList(def.Operators);
        std::stable_sort(operators.begin(), operators.end(),
                         [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (const QString& o : SplitList(def.LineCommentOpeners)) {
            if (std::all_of(o.begin(), o.end(), IsWordChar)) wordOpeners.insert(Key(o));
            else symbolOpeners << o;
        }
        blockOpen = def.BlockCommentOpen.trimmed();
        blockClose = def.BlockCommentClose.trimmed();
        delimiters = def.StringDelimiters;
        escape = def.EscapeCharacter;
    }
};

// Styles one line.  `inBlock` carries an open block comment from line to
// line.  Returns one style per UTF-16 unit of `line`.
std::vector<int> StyleLine(const CompiledLanguage& lang, const QString& line, bool& inBlock) {
    const qsizetype n = line.size();
    std::vector<int> styles(static_cast<size_t>(n), tsText);
    auto fill = [&](qsizetype from, qsizetype to, int style) {
        for (qsizetype k = from; k < to && k < n; ++k) styles[static_cast<size_t>(k)] = style;
    };
    qsizetype i = 0;
    while (i < n) {
        if (inBlock) {
            const qsizetype close = lang.blockClose.isEmpty() ? -1 : line.indexOf(lang.blockClose, i);
            const qsizetype end = close < 0 ? n : close + lang.blockClose.size();
            fill(i, end, tsComment);
            i = end;
            if (close >= 0) inBlock = false;
            continue;
        }
        const QChar c = line[i];
        if (c == u'\r' || c == u'\n') {
            ++i;
            continue;
        }
        if (!lang.blockOpen.isEmpty() && line.mid(i, lang.blockOpen.size()) == lang.blockOpen) {
            fill(i, i + lang.blockOpen.size(), tsComment);
            i += lang.blockOpen.size();
            inBlock = true;
            continue;
        }
        bool comment = false;
        for (const QString& opener : lang.symbolOpeners) {
            if (line.mid(i, opener.size()) == opener) {
                comment = true;
                break;
            }
        }
        if (comment) {
            fill(i, n, tsComment);
            break;
        }
        if (lang.delimiters.contains(c)) {
            qsizetype j = i + 1;
            while (j < n && line[j] != c && line[j] != u'\r' && line[j] != u'\n') {
                if (!lang.escape.isEmpty() && line[j] == lang.escape[0] && j + 1 < n) ++j;
                ++j;
            }
            if (j < n && line[j] == c) ++j;
            fill(i, j, tsString);
            i = j;
            continue;
        }
        if (c == u'&' && i + 2 < n + 1 && i + 1 < n) {
            const QChar radix = line[i + 1].toUpper();
            if ((radix == u'H' || radix == u'O' || radix == u'B') && i + 2 < n && line[i + 2].isLetterOrNumber()) {
                qsizetype j = i + 2;
                while (j < n && IsWordChar(line[j])) ++j;
                fill(i, j, tsNumber);
                i = j;
                continue;
            }
        }
        if (IsWordChar(c)) {
            qsizetype j = i;
            while (j < n && IsWordChar(line[j])) ++j;
            const QString word = line.mid(i, j - i);
            const QString key = lang.Key(word);
            if (lang.wordOpeners.contains(key)) {
                fill(i, n, tsComment);
                break;
            }
            int style = tsText;
            if (c.isDigit()) style = tsNumber;
            else if (lang.keywords.contains(key)) style = tsKeyword;
            else if (lang.blockWords.contains(key)) style = tsScope;
            fill(i, j, style);
            i = j;
            continue;
        }
        qsizetype opLength = 0;
        for (const QString& op : lang.operators) {
            if (line.mid(i, op.size()) == op) {
                opLength = op.size();
                break;
            }
        }
        if (opLength > 0) {
            fill(i, i + opLength, tsOperator);
            i += opLength;
            continue;
        }
        ++i;
    }
    return styles;
}

class LanguageLexer : public QsciLexerCustom {
public:
    LanguageLexer(CodeEditor* owner, const QString& name, const EditorLanguage& def)
        : QsciLexerCustom(owner), owner_(owner), name_(name.toUtf8()), lang_(def) {}

    const char* language() const override { return name_.constData(); }

    QString description(int style) const override {
        switch (style) {
        case tsText: return QStringLiteral("Text");
        case tsComment: return QStringLiteral("Comment");
        case tsString: return QStringLiteral("String");
        case tsNumber: return QStringLiteral("Number");
        case tsKeyword: return QStringLiteral("Keyword");
        case tsOperator: return QStringLiteral("Operator");
        case tsScope: return QStringLiteral("Scope");
        default: return QString();
        }
    }

    bool caseSensitive() const override { return lang_.caseSensitive; }
    QColor color(int style) const override { return owner_->StyleFore(style); }
    QColor paper(int style) const override { return owner_->StyleBack(style); }
    QFont font(int) const override { return owner_->EditorFont(); }
    bool eolFill(int) const override { return false; }

    void styleText(int start, int end) override {
        const long lineCount = owner_->SendScintilla(SB::SCI_GETLINECOUNT);
        const long length = owner_->SendScintilla(SB::SCI_GETLENGTH);
        long line = owner_->SendScintilla(SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
        const long lastLine = owner_->SendScintilla(SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end));
        startStyling(static_cast<int>(owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line))));
        for (; line <= lastLine && line < lineCount; ++line) {
            const long ls = owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
            const long le = line + 1 < lineCount
                                ? owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                : length;
            bool inBlock = line > 0 && owner_->SendScintilla(SB::SCI_GETLINESTATE, static_cast<unsigned long>(line - 1)) != 0;
            const QString text = owner_->TextRange(ls, le);
            const std::vector<int> styles = StyleLine(lang_, text, inBlock);
            // Runs of equal style, measured in UTF-8 bytes.
            long styledBytes = 0;
            qsizetype k = 0;
            while (k < text.size()) {
                const int style = styles[static_cast<size_t>(k)];
                int bytes = 0;
                while (k < text.size() && styles[static_cast<size_t>(k)] == style) {
                    const char16_t u = text[k].unicode();
                    if (QChar::isHighSurrogate(u) && k + 1 < text.size()) {
                        bytes += 4;
                        k += 2;
                        continue;
                    }
                    bytes += u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
                    ++k;
                }
                // Never past the line, whatever the text held.
                bytes = static_cast<int>(std::min<long>(bytes, le - ls - styledBytes));
                if (bytes > 0) setStyling(bytes, style);
                styledBytes += bytes;
            }
            if (styledBytes < le - ls) setStyling(static_cast<int>(le - ls - styledBytes), tsText);
            owner_->SendScintilla(SB::SCI_SETLINESTATE, static_cast<unsigned long>(line), inBlock ? 1L : 0L);
        }
    }

private:
    CodeEditor* owner_;
    QByteArray name_;
    CompiledLanguage lang_;
};

void RegisterLanguage(const QString& name, const EditorLanguage& language) {
    if (name.trimmed().isEmpty()) return;
    Languages()[name.toUpper()] = LanguageEntry{name, language};
    for (CodeEditor* editor : LiveEditors())
        if (editor->LanguageName().compare(name, Qt::CaseInsensitive) == 0) editor->ApplyLanguage();
}

void UnregisterLanguage(const QString& name) {
    Languages().erase(name.toUpper());
    for (CodeEditor* editor : LiveEditors())
        if (editor->LanguageName().compare(name, Qt::CaseInsensitive) == 0) editor->ApplyLanguage();
}

std::optional<EditorLanguage> FindLanguage(const QString& name) {
    const auto found = Languages().find(name.toUpper());
    if (found == Languages().end()) return std::nullopt;
    return found->second.language;
}

// ---- The editor ------------------------------------------------------------------

CodeEditor::CodeEditor(QWidget* parent) : QsciScintilla(parent) {
    std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), colors_.begin());
    font_ = DefaultEditorFont();

    setUtf8(true);
    setEolMode(EolWindows);
    setEolVisibility(false);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    setTabWidth(4);
    setIndentationsUseTabs(true);
    setWrapMode(WrapNone);
    // The horizontal scroll bar follows the longest line shown.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    setContextMenuPolicy(Qt::NoContextMenu);

    SendScintilla(SCI_MARKERDEFINE, static_cast<unsigned long>(kBookmarkMarker), static_cast<long>(SC_MARK_ROUNDRECT));
    SendScintilla(SCI_MARKERDEFINE, static_cast<unsigned long>(kHighlightMarker), static_cast<long>(SC_MARK_BACKGROUND));
    setMarginMarkerMask(kNumberMargin, 0);
    setMarginMarkerMask(kBookmarkMargin, 1 << kBookmarkMarker);
    SendScintilla(SCI_SETMARGINTYPEN, static_cast<unsigned long>(kBookmarkMargin), static_cast<long>(SC_MARGIN_COLOUR));
    setMarginWidth(2, 0);

    connect(this, &QsciScintilla::textChanged, this, &CodeEditor::OnTextChanged);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { CheckSelection(); });
    connect(this, &QsciScintilla::linesChanged, this, &CodeEditor::UpdateLineNumberMargin);
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int) {
        if (!lineTips_) return;
        QToolTip::showText(QCursor::pos(), LineNumberText(FirstVisibleLine()), this);
    });

    LiveEditors().insert(this);
    ApplyHotKeys();
    ApplyStyles();
    ApplyLineNumbers();
    SetSelectionBounded(true);
    SetBookmarkMarginShown(false);
    lastAnchor_ = SendScintilla(SCI_GETANCHOR);
    lastCaret_ = SendScintilla(SCI_GETCURRENTPOS);
}

CodeEditor::~CodeEditor() {
    LiveEditors().remove(this);
    CloseCodeTip();
}

// ---- Positions ------------------------------------------------------------------

QString CodeEditor::TextRange(long start, long end) const {
    if (end <= start) return QString();
    QByteArray bytes(static_cast<qsizetype>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, bytes.data());
    bytes.truncate(static_cast<qsizetype>(end - start));
    return QString::fromUtf8(bytes);
}

long CodeEditor::PositionOf(int32_t line, int32_t column) const {
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    if (line < 0) line = 0;
    if (line >= lines) line = static_cast<int32_t>(lines - 1);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    if (column <= 0) return start;
    const long pos = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(start), static_cast<long>(column));
    if (pos <= 0 || pos > end) return end;
    return pos;
}

void CodeEditor::LineColumnOf(long position, int32_t& line, int32_t& column) const {
    line = static_cast<int32_t>(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    column = static_cast<int32_t>(SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(start), position));
}

void CodeEditor::EnsureStyled(long upTo) const {
    if (!lexer()) return;
    const long length = SendScintilla(SCI_GETLENGTH);
    if (upTo < 0 || upTo > length) upTo = length;
    const long styled = SendScintilla(SCI_GETENDSTYLED);
    if (styled < upTo) SendScintilla(SCI_COLOURISE, static_cast<unsigned long>(styled), upTo);
}

// ---- Text -------------------------------------------------------------------------

QString CodeEditor::WholeText() const { return text(); }

void CodeEditor::SetWholeText(const QString& text) {
    CloseCodeTip();
    setText(NormaliseLineEnds(text));
    CheckSelection();
}

int32_t CodeEditor::LineCount() const { return static_cast<int32_t>(SendScintilla(SCI_GETLINECOUNT)); }

QString CodeEditor::LineText(int32_t line) const {
    if (line < 0 || line >= LineCount()) return QString();
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    return TextRange(start, end);
}

void CodeEditor::RemoveLine(int32_t line) {
    const int32_t count = LineCount();
    if (line < 0 || line >= count) return;
    long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    long end = line + 1 < count ? SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                : SendScintilla(SCI_GETLENGTH);
    // The last line has no line end of its own: take the one before it.
    if (line + 1 >= count && line > 0) start = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(0), "");
    CheckSelection();
}

void CodeEditor::InsertLineAt(int32_t line, const QString& text) {
    const int32_t count = LineCount();
    if (line < 0 || line > count) return;
    const QString body = NormaliseLineEnds(text);
    QByteArray bytes;
    long at = 0;
    if (line < count) {
        at = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        bytes = (body + QStringLiteral("\r\n")).toUtf8();
    } else {
        at = SendScintilla(SCI_GETLENGTH);
        bytes = (QStringLiteral("\r\n") + body).toUtf8();
    }
    SendScintilla(SCI_INSERTTEXT, static_cast<unsigned long>(at), bytes.constData());
    CheckSelection();
}

bool CodeEditor::LoadFromFile(const QString& path) {
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    const std::u16string text = qvv2::FromAnsi(std::string(bytes.constData(), static_cast<size_t>(bytes.size())), "");
    // A load is no edit: no Change event.
    settingText_ = true;
    SetWholeText(QString::fromStdU16String(text));
    settingText_ = false;
    EmptyUndoHistory();
    MarkSaved();
    return true;
}

bool CodeEditor::SaveToFile(const QString& path, bool newName) {
    (void)newName;
    const std::string bytes = qvv2::ToAnsi(WholeText().toStdU16String(), "");
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) return false;
    MarkSaved();
    return true;
}

void CodeEditor::MarkSaved() {
    SendScintilla(SCI_SETSAVEPOINT);
    changed_ = false;
}

void CodeEditor::EmptyUndoHistory() { SendScintilla(SCI_EMPTYUNDOBUFFER); }

// ---- Selection and caret ----------------------------------------------------------

EditorRange CodeEditor::Selection(bool normalised) const {
    long anchor = SendScintilla(SCI_GETANCHOR);
    long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (normalised && anchor > caret) std::swap(anchor, caret);
    EditorRange r;
    LineColumnOf(anchor, r.StartLineNo, r.StartColNo);
    LineColumnOf(caret, r.EndLineNo, r.EndColNo);
    return r;
}

QString CodeEditor::SelectedText() const {
    const long a = SendScintilla(SCI_GETSELECTIONSTART);
    const long b = SendScintilla(SCI_GETSELECTIONEND);
    return TextRange(a, b);
}

void CodeEditor::ReplaceSelectedText(const QString& text) {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const QByteArray bytes = NormaliseLineEnds(text).toUtf8();
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_TARGETFROMSELECTION);
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(bytes.size()), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(start));
    CheckSelection();
}

void CodeEditor::PutCaret(int32_t line, int32_t column) {
    const long pos = PositionOf(line, column);
    SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(pos));
    CheckSelection();
}

void CodeEditor::SelectRange(int32_t startLine, int32_t startCol, int32_t endLine, int32_t endCol) {
    const long a = PositionOf(startLine, startCol);
    const long b = PositionOf(endLine, endCol);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(a), b);
    CheckSelection();
}

int32_t CodeEditor::FirstVisibleLine() const { return static_cast<int32_t>(SendScintilla(SCI_GETFIRSTVISIBLELINE)); }

void CodeEditor::SetFirstVisibleLine(int32_t line) {
    if (line < 0) line = 0;
    SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(line));
}

QString CodeEditor::WordAtCaret() const {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const QString text = LineText(line);
    qsizetype i = std::min<qsizetype>(col, text.size());
    // Touching a word: from its start to its end.
    if (i < text.size() && IsWordChar(text[i])) {
        while (i > 0 && IsWordChar(text[i - 1])) --i;
    } else {
        while (i > 0 && (text[i - 1] == u' ' || text[i - 1] == u'\t')) --i;
        if (i == 0 || !IsWordChar(text[i - 1])) return QString();
        while (i > 0 && IsWordChar(text[i - 1])) --i;
    }
    qsizetype j = i;
    while (j < text.size() && IsWordChar(text[j])) ++j;
    return text.mid(i, j - i);
}

int32_t CodeEditor::TokenKindAtCaret() const {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const QString text = LineText(line);
    qsizetype i = std::min<qsizetype>(col, text.size());
    // The token the caret touches, else the nearest one to its left.
    if (!(i < text.size() && text[i] != u' ' && text[i] != u'\t')) {
        while (i > 0 && (text[i - 1] == u' ' || text[i - 1] == u'\t')) --i;
        if (i == 0) return tokNone;
        --i;
    }
    const int style = StyleAt(line, static_cast<int32_t>(i));
    switch (style) {
    case tsComment: return tokComment;
    case tsString: return tokString;
    case tsNumber: return tokNumber;
    case tsOperator: return tokOperator;
    default: return IsWordChar(text[i]) ? tokWord : tokNone;
    }
}

int CodeEditor::StyleAt(int32_t line, int32_t column) const {
    if (line < 0 || line >= LineCount() || column < 0) return tsText;
    const long pos = PositionOf(line, column);
    EnsureStyled(pos + 1);
    return static_cast<int>(SendScintilla(SCI_GETSTYLEAT, static_cast<unsigned long>(pos)));
}

void CodeEditor::CheckSelection() {
    const long anchor = SendScintilla(SCI_GETANCHOR);
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (anchor == lastAnchor_ && caret == lastCaret_) return;
    lastAnchor_ = anchor;
    lastCaret_ = caret;
    emit SelChange(this);
    if (tip_) {
        emit CodeTipUpdate(this, tip_.get());
        if (tip_ && tip_->destroyed) CloseCodeTip();
        else PlaceCodeTip();
    }
}

void CodeEditor::OnTextChanged() {
    if (settingText_) return;
    changed_ = true;
    emit Change(this);
}

// ---- Events ------------------------------------------------------------------------

void CodeEditor::keyPressEvent(QKeyEvent* e) {
    bool handled = false;
    emit KeyDown(this, VbKeyCode(e->key()), VbShiftState(e->modifiers()), &handled);
    if (handled) {
        e->accept();
        return;
    }
    if (tip_ && e->key() == Qt::Key_Escape) {
        CloseCodeTip();
        e->accept();
        return;
    }
    QsciScintilla::keyPressEvent(e);
    CheckSelection();
}

void CodeEditor::keyReleaseEvent(QKeyEvent* e) {
    bool handled = false;
    emit KeyUp(this, VbKeyCode(e->key()), VbShiftState(e->modifiers()), &handled);
    if (!handled) QsciScintilla::keyReleaseEvent(e);
}

void CodeEditor::inputMethodEvent(QInputMethodEvent* e) {
    QsciScintilla::inputMethodEvent(e);
    CheckSelection();
}

void CodeEditor::mousePressEvent(QMouseEvent* e) {
    bool handled = false;
    const QPoint p = e->position().toPoint();
    emit MouseDown(this, VbMouseButton(e->button()), VbShiftState(e->modifiers()), p.x(), p.y(), &handled);
    if (handled) {
        e->accept();
        return;
    }
    QsciScintilla::mousePressEvent(e);
    CheckSelection();
}

void CodeEditor::mouseReleaseEvent(QMouseEvent* e) {
    QsciScintilla::mouseReleaseEvent(e);
    CheckSelection();
}

void CodeEditor::mouseMoveEvent(QMouseEvent* e) {
    QsciScintilla::mouseMoveEvent(e);
    if (e->buttons() != Qt::NoButton) CheckSelection();
}

void CodeEditor::focusInEvent(QFocusEvent* e) {
    QsciScintilla::focusInEvent(e);
    emit FocusIn(this);
}

void CodeEditor::contextMenuEvent(QContextMenuEvent* e) {
    // The window that hosts the editor offers its own menu (MouseDown).
    e->accept();
}

// ---- Commands ----------------------------------------------------------------------

bool CodeEditor::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
bool CodeEditor::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }
bool CodeEditor::CanCut() const { return !isReadOnly() && SendScintilla(SCI_GETSELECTIONEMPTY) == 0; }
bool CodeEditor::CanCopy() const { return SendScintilla(SCI_GETSELECTIONEMPTY) == 0; }
bool CodeEditor::CanPaste() const { return SendScintilla(SCI_CANPASTE) != 0; }

void CodeEditor::Undo() {
    SendScintilla(SCI_UNDO);
    CheckSelection();
}
void CodeEditor::Redo() {
    SendScintilla(SCI_REDO);
    CheckSelection();
}
void CodeEditor::Cut() {
    SendScintilla(SCI_CUT);
    CheckSelection();
}
void CodeEditor::Copy() { SendScintilla(SCI_COPY); }
void CodeEditor::Paste() {
    SendScintilla(SCI_PASTE);
    CheckSelection();
}

void CodeEditor::RunCommand(int32_t command) {
    switch (command) {
    case cmdUnindentSelection: IndentSelection(false); break;
    case cmdUndo: Undo(); break;
    case cmdSelectLine: SelectCaretLine(); break;
    case cmdSelectAll:
        SendScintilla(SCI_SELECTALL);
        CheckSelection();
        break;
    case cmdRedo: Redo(); break;
    case cmdPaste: Paste(); break;
    case cmdLineDelete:
        SendScintilla(SCI_LINEDELETE);
        CheckSelection();
        break;
    case cmdLineCut:
        SendScintilla(SCI_LINECUT);
        CheckSelection();
        break;
    case cmdIndentSelection: IndentSelection(true); break;
    case cmdRefreshView:
        if (lexer()) SendScintilla(SCI_COLOURISE, 0UL, -1L);
        viewport()->update();
        break;
    case cmdGotoLine: ShowGotoDialog(); break;
    case cmdReplace: ShowReplaceDialog(); break;
    case cmdFindPrevious: Find(false); break;
    case cmdFindNext: Find(true); break;
    case cmdFind: ShowFindDialog(); break;
    case cmdDelete: DeleteForward(); break;
    case cmdCut: Cut(); break;
    case cmdCopy: Copy(); break;
    case cmdToggleBookmark: ToggleBookmark(); break;
    case cmdPreviousBookmark: JumpToBookmark(false); break;
    case cmdNextBookmark: JumpToBookmark(true); break;
    case cmdClearBookmarks: SendScintilla(SCI_MARKERDELETEALL, static_cast<unsigned long>(kBookmarkMarker)); break;
    case cmdProperties: ShowPropertiesDialog(); break;
    case cmdCodeTip: ShowCodeTip(); break;
    default: break;
    }
}

void CodeEditor::IndentSelection(bool indentLines) {
    const EditorRange r = Selection(true);
    int32_t last = r.EndLineNo;
    // A selection that ends at the start of a line leaves that line alone.
    if (last > r.StartLineNo && r.EndColNo == 0) --last;
    SendScintilla(SCI_BEGINUNDOACTION);
    for (int32_t line = r.StartLineNo; line <= last; ++line) {
        if (indentLines) indent(line);
        else unindent(line);
    }
    SendScintilla(SCI_ENDUNDOACTION);
    CheckSelection();
}

void CodeEditor::SelectCaretLine() {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = line + 1 < LineCount() ? SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                            : SendScintilla(SCI_GETLENGTH);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
    CheckSelection();
}

void CodeEditor::DeleteForward() {
    SendScintilla(SCI_CLEAR);
    CheckSelection();
}

bool CodeEditor::LineHasBookmark(int32_t line) const {
    if (line < 0 || line >= LineCount()) return false;
    return (SendScintilla(SCI_MARKERGET, static_cast<unsigned long>(line)) & (1L << kBookmarkMarker)) != 0;
}

void CodeEditor::ToggleBookmark() {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    if (LineHasBookmark(line)) SendScintilla(SCI_MARKERDELETE, static_cast<unsigned long>(line), static_cast<long>(kBookmarkMarker));
    else SendScintilla(SCI_MARKERADD, static_cast<unsigned long>(line), static_cast<long>(kBookmarkMarker));
}

void CodeEditor::JumpToBookmark(bool forward) {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const long mask = 1L << kBookmarkMarker;
    long found = -1;
    if (forward) {
        found = SendScintilla(SCI_MARKERNEXT, static_cast<unsigned long>(line + 1), mask);
        if (found < 0) found = SendScintilla(SCI_MARKERNEXT, 0UL, mask);
    } else {
        found = line > 0 ? SendScintilla(SCI_MARKERPREVIOUS, static_cast<unsigned long>(line - 1), mask) : -1;
        if (found < 0) found = SendScintilla(SCI_MARKERPREVIOUS, static_cast<unsigned long>(LineCount() - 1), mask);
    }
    if (found >= 0) PutCaret(static_cast<int32_t>(found), 0);
}

void CodeEditor::SetHighlightedLine(int32_t line) {
    SendScintilla(SCI_MARKERDELETEALL, static_cast<unsigned long>(kHighlightMarker));
    highlightedLine_ = line < 0 ? -1 : line;
    if (highlightedLine_ >= 0 && highlightedLine_ < LineCount())
        SendScintilla(SCI_MARKERADD, static_cast<unsigned long>(highlightedLine_), static_cast<long>(kHighlightMarker));
}

// ---- Language, colours, font and options ---------------------------------------------

bool CodeEditor::SetLanguageName(const QString& name) {
    if (!name.isEmpty() && !FindLanguage(name)) return false;
    languageName_ = name;
    ApplyLanguage();
    return true;
}

void CodeEditor::ApplyLanguage() {
    QsciLexer* old = lexer();
    const std::optional<EditorLanguage> def = languageName_.isEmpty() ? std::nullopt : FindLanguage(languageName_);
    if (def) {
        setLexer(new LanguageLexer(this, languageName_, *def));
    } else {
        setLexer(nullptr);
        SendScintilla(SCI_CLEARDOCUMENTSTYLE);
    }
    delete old;
    ApplyStyles();
    if (lexer()) SendScintilla(SCI_COLOURISE, 0UL, -1L);
}

QColor CodeEditor::StyleFore(int style) const {
    int slot = clrText;
    switch (style) {
    case tsComment: slot = clrComment; break;
    case tsString: slot = clrString; break;
    case tsNumber: slot = clrNumber; break;
    case tsKeyword: slot = clrKeyword; break;
    case tsOperator: slot = clrOperator; break;
    case tsScope: slot = clrScope; break;
    default: break;
    }
    if (colors_[static_cast<size_t>(slot)] != kNoColor) return ColorFromBgr(colors_[static_cast<size_t>(slot)]);
    if (colors_[clrText] != kNoColor) return ColorFromBgr(colors_[clrText]);
    return QColor(Qt::black);
}

QColor CodeEditor::WindowColor() const {
    return colors_[clrWindow] != kNoColor ? ColorFromBgr(colors_[clrWindow]) : QColor(Qt::white);
}

QColor CodeEditor::StyleBack(int style) const {
    int slot = clrTextBk;
    switch (style) {
    case tsComment: slot = clrCommentBk; break;
    case tsString: slot = clrStringBk; break;
    case tsNumber: slot = clrNumberBk; break;
    case tsKeyword: slot = clrKeywordBk; break;
    case tsOperator: slot = clrOperatorBk; break;
    case tsScope: slot = clrScopeBk; break;
    default: break;
    }
    if (colors_[static_cast<size_t>(slot)] != kNoColor) return ColorFromBgr(colors_[static_cast<size_t>(slot)]);
    if (colors_[clrTextBk] != kNoColor) return ColorFromBgr(colors_[clrTextBk]);
    return WindowColor();
}

namespace {
void SetStyleFont(const CodeEditor& e, int style, const QFont& f) {
    const QByteArray family = f.family().toUtf8();
    e.SendScintilla(SB::SCI_STYLESETFONT, static_cast<uintptr_t>(style), family.constData());
    e.SendScintilla(SB::SCI_STYLESETSIZEFRACTIONAL, static_cast<unsigned long>(style),
                    static_cast<long>(f.pointSizeF() * 100 + 0.5));
    e.SendScintilla(SB::SCI_STYLESETWEIGHT, static_cast<unsigned long>(style), static_cast<long>(f.bold() ? 700 : 400));
    e.SendScintilla(SB::SCI_STYLESETITALIC, static_cast<unsigned long>(style), static_cast<long>(f.italic()));
    e.SendScintilla(SB::SCI_STYLESETUNDERLINE, static_cast<unsigned long>(style), static_cast<long>(f.underline()));
}
}  // namespace

void CodeEditor::ApplyStyles() {
    const QColor text = StyleFore(tsText);
    SetStyleFont(*this, STYLE_DEFAULT, font_);
    SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(STYLE_DEFAULT), text);
    SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(STYLE_DEFAULT), WindowColor());
    SendScintilla(SCI_STYLECLEARALL);
    for (int style = 0; style < kStyleCount; ++style) {
        SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(style), StyleFore(style));
        SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(style), StyleBack(style));
    }
    const QColor numberFore = colors_[clrLineNumber] != kNoColor ? ColorFromBgr(colors_[clrLineNumber]) : text;
    const QColor numberBack =
        colors_[clrLineNumberBk] != kNoColor ? ColorFromBgr(colors_[clrLineNumberBk]) : QColor(0xE0, 0xE0, 0xE0);
    SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(STYLE_LINENUMBER), numberFore);
    SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(STYLE_LINENUMBER), numberBack);
    const QColor margin =
        colors_[clrLeftMargin] != kNoColor ? ColorFromBgr(colors_[clrLeftMargin]) : QColor(0xC0, 0xC0, 0xC0);
    SendScintilla(SCI_SETMARGINBACKN, static_cast<unsigned long>(kBookmarkMargin), margin);
    const QColor mark = colors_[clrBookmark] != kNoColor ? ColorFromBgr(colors_[clrBookmark]) : QColor(Qt::green);
    const QColor markEdge = colors_[clrBookmarkBk] != kNoColor ? ColorFromBgr(colors_[clrBookmarkBk]) : text;
    SendScintilla(SCI_MARKERSETBACK, static_cast<unsigned long>(kBookmarkMarker), mark);
    SendScintilla(SCI_MARKERSETFORE, static_cast<unsigned long>(kBookmarkMarker), markEdge);
    const QColor highlight = colors_[clrHighlight] != kNoColor ? ColorFromBgr(colors_[clrHighlight]) : WindowColor();
    SendScintilla(SCI_MARKERSETBACK, static_cast<unsigned long>(kHighlightMarker), highlight);
    SendScintilla(SCI_SETCARETFORE, text);
    UpdateLineNumberMargin();
}

int32_t CodeEditor::SlotColor(int slot) const {
    if (slot < 0 || slot >= kColorSlotCount) return kNoColor;
    return colors_[static_cast<size_t>(slot)];
}

bool CodeEditor::SetSlotColor(int slot, int32_t color) {
    if (slot < 0 || slot >= kColorSlotCount) return false;
    colors_[static_cast<size_t>(slot)] = color;
    ApplyStyles();
    return true;
}

bool CodeEditor::SetEditorFont(const QFont& font) {
    const double size = font.pointSizeF();
    if (!(size > 0) || size > 1638) return false;
    font_ = font;
    ApplyStyles();
    return true;
}

void CodeEditor::SetWhitespaceShown(bool shown) {
    whitespaceShown_ = shown;
    setWhitespaceVisibility(shown ? WsVisible : WsInvisible);
}

void CodeEditor::SetBookmarkMarginShown(bool shown) {
    bookmarkMargin_ = shown;
    setMarginWidth(kBookmarkMargin, shown ? 16 : 0);
}

void CodeEditor::SetSelectionBounded(bool on) {
    selectionBounded_ = on;
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, on ? 0UL : static_cast<unsigned long>(SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION));
}

void CodeEditor::SetLineNumbersShown(bool on) {
    lineNumbers_ = on;
    ApplyLineNumbers();
}

void CodeEditor::SetLineNumberStyle(int32_t style) {
    lineNumberStyle_ = style;
    ApplyLineNumbers();
}

void CodeEditor::SetFirstLineNumber(int32_t number) {
    firstLineNumber_ = number;
    ApplyLineNumbers();
}

QString CodeEditor::LineNumberText(int32_t line) const {
    const qint64 number = static_cast<qint64>(firstLineNumber_) + line;
    int base = 10;
    if (lineNumberStyle_ == lnBinary || lineNumberStyle_ == lnOctal || lineNumberStyle_ == lnHexadecimal)
        base = lineNumberStyle_;
    QString text = number < 0 ? QStringLiteral("-") + QString::number(-number, base) : QString::number(number, base);
    return base == 16 ? text.toUpper() : text;
}

void CodeEditor::ApplyLineNumbers() {
    const bool native = (lineNumberStyle_ != lnBinary && lineNumberStyle_ != lnOctal && lineNumberStyle_ != lnHexadecimal) &&
                        firstLineNumber_ == 1;
    SendScintilla(SCI_MARGINTEXTCLEARALL);
    SendScintilla(SCI_SETMARGINTYPEN, static_cast<unsigned long>(kNumberMargin),
                  static_cast<long>(native ? SC_MARGIN_NUMBER : SC_MARGIN_RTEXT));
    UpdateLineNumberMargin();
}

void CodeEditor::UpdateLineNumberMargin() {
    if (!lineNumbers_) {
        setMarginWidth(kNumberMargin, 0);
        return;
    }
    const int32_t count = std::max<int32_t>(1, LineCount());
    const bool native = SendScintilla(SCI_GETMARGINTYPEN, static_cast<unsigned long>(kNumberMargin)) == SC_MARGIN_NUMBER;
    QString widest = LineNumberText(count - 1);
    if (LineNumberText(0).size() > widest.size()) widest = LineNumberText(0);
    if (!native) {
        for (int32_t line = 0; line < count; ++line) {
            const QByteArray t = LineNumberText(line).toUtf8();
            SendScintilla(SCI_MARGINSETTEXT, static_cast<uintptr_t>(line), t.constData());
            SendScintilla(SCI_MARGINSETSTYLE, static_cast<unsigned long>(line), static_cast<long>(STYLE_LINENUMBER));
        }
    }
    setMarginWidth(kNumberMargin, QString(std::max<qsizetype>(widest.size(), 3) + 1, u'9'));
}

void CodeEditor::ApplyHotKeys() {
    for (const EditorHotKey& k : HotKeys().removed) SendScintilla(SCI_CLEARCMDKEY, ScintillaKeyDefinition(k));
}

// ---- Code tips -----------------------------------------------------------------------

void CodeEditor::ShowCodeTip() {
    CloseCodeTip();
    int kind = 0;
    emit CodeTipRequest(this, &kind);
    if (kind != 4) return;
    tip_ = std::make_unique<CodeTip>();
    tip_->Font = font_;
    emit CodeTipInitialize(this, tip_.get());
    if (!tip_ || tip_->destroyed) {
        CloseCodeTip();
        return;
    }
    tipWindow_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    tipWindow_->setObjectName(QStringLiteral("codeTip"));
    tipWindow_->setTextFormat(Qt::PlainText);
    tipWindow_->setMargin(3);
    tipWindow_->setFrameShape(QFrame::Box);
    PlaceCodeTip();
    tipWindow_->show();
}

void CodeEditor::PlaceCodeTip() {
    if (!tip_ || !tipWindow_) return;
    QPalette pal = tipWindow_->palette();
    pal.setColor(QPalette::Window, ColorFromBgr(tip_->BackColor));
    pal.setColor(QPalette::WindowText, ColorFromBgr(tip_->ForeColor));
    tipWindow_->setPalette(pal);
    tipWindow_->setAutoFillBackground(true);
    tipWindow_->setFont(tip_->Font);
    tipWindow_->setText(tip_->Text);
    if (tip_->Values[2] > 0) tipWindow_->setMaximumWidth(tip_->Values[2]);
    tipWindow_->adjustSize();
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const int x = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, pos));
    const int h = static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, 0UL));
    const QPoint at = viewport()->mapToGlobal(QPoint(x + tip_->Values[0], y + h + tip_->Values[1]));
    tipWindow_->move(at);
}

void CodeEditor::CloseCodeTip() {
    tip_.reset();
    if (tipWindow_) {
        tipWindow_->hide();
        tipWindow_->deleteLater();
        tipWindow_ = nullptr;
    }
}

// ---- Find and replace ------------------------------------------------------------------

bool CodeEditor::FindFrom(const QString& text, bool matchCase, bool wholeWord, bool forward, bool wrap) {
    if (text.isEmpty()) return false;
    const QByteArray needle = text.toUtf8();
    int flags = 0;
    if (matchCase) flags |= SCFIND_MATCHCASE;
    if (wholeWord) flags |= SCFIND_WHOLEWORD;
    SendScintilla(SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
    const long length = SendScintilla(SCI_GETLENGTH);
    const long selStart = SendScintilla(SCI_GETSELECTIONSTART);
    const long selEnd = SendScintilla(SCI_GETSELECTIONEND);
    auto search = [&](long from, long to) {
        SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), to);
        return SendScintilla(SCI_SEARCHINTARGET, static_cast<uintptr_t>(needle.size()), needle.constData());
    };
    long found = forward ? search(selEnd, length) : search(selStart, 0);
    if (found < 0 && wrap) found = forward ? search(0, length) : search(length, 0);
    if (found < 0) return false;
    const long end = SendScintilla(SCI_GETTARGETEND);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(found), end);
    SendScintilla(SCI_SCROLLCARET);
    CheckSelection();
    return true;
}

void CodeEditor::Find(bool forward) {
    if (findText_.isEmpty()) {
        findText_ = SelectedText();
        if (findText_.isEmpty() || findText_.contains(u'\n')) findText_ = WordAtCaret();
    }
    if (!FindFrom(findText_, findMatchCase_, findWholeWord_, forward, true)) QApplication::beep();
}

int CodeEditor::ReplaceAll(const QString& text, const QString& with, bool matchCase, bool wholeWord) {
    if (text.isEmpty()) return 0;
    const QByteArray needle = text.toUtf8();
    const QByteArray replacement = NormaliseLineEnds(with).toUtf8();
    int flags = 0;
    if (matchCase) flags |= SCFIND_MATCHCASE;
    if (wholeWord) flags |= SCFIND_WHOLEWORD;
    SendScintilla(SCI_SETSEARCHFLAGS, static_cast<unsigned long>(flags));
    int count = 0;
    long from = 0;
    SendScintilla(SCI_BEGINUNDOACTION);
    for (;;) {
        SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), SendScintilla(SCI_GETLENGTH));
        const long found = SendScintilla(SCI_SEARCHINTARGET, static_cast<uintptr_t>(needle.size()), needle.constData());
        if (found < 0) break;
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()), replacement.constData());
        from = SendScintilla(SCI_GETTARGETEND);
        ++count;
    }
    SendScintilla(SCI_ENDUNDOACTION);
    CheckSelection();
    return count;
}

int CodeEditor::RunDialog(QDialog& dialog) {
    if (DialogResponderSlot()) return DialogResponderSlot()(dialog);
    return dialog.exec();
}

namespace {
QCheckBox* AddCheck(QWidget* parent, QLayout* layout, const char* name, const QString& text, bool checked) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}
}  // namespace

void CodeEditor::ShowFindDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("findDialog"));
    dialog.setWindowTitle(QStringLiteral("Find"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Find what:"), &dialog));
    auto* what = new QLineEdit(&dialog);
    what->setObjectName(QStringLiteral("findText"));
    QString initial = SelectedText();
    if (initial.isEmpty() || initial.contains(u'\n')) initial = findText_.isEmpty() ? WordAtCaret() : findText_;
    what->setText(initial);
    what->selectAll();
    row->addWidget(what);
    layout->addLayout(row);
    QCheckBox* matchCase = AddCheck(&dialog, layout, "matchCase", QStringLiteral("Match case"), findMatchCase_);
    QCheckBox* wholeWord = AddCheck(&dialog, layout, "wholeWord", QStringLiteral("Whole word only"), findWholeWord_);
    auto* up = new QRadioButton(QStringLiteral("Up"), &dialog);
    up->setObjectName(QStringLiteral("directionUp"));
    auto* down = new QRadioButton(QStringLiteral("Down"), &dialog);
    down->setObjectName(QStringLiteral("directionDown"));
    down->setChecked(true);
    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(up);
    dirRow->addWidget(down);
    layout->addLayout(dirRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* next = buttons->addButton(QStringLiteral("Find Next"), QDialogButtonBox::AcceptRole);
    next->setObjectName(QStringLiteral("findNext"));
    next->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (RunDialog(dialog) != QDialog::Accepted) return;
    findText_ = what->text();
    findMatchCase_ = matchCase->isChecked();
    findWholeWord_ = wholeWord->isChecked();
    if (!FindFrom(findText_, findMatchCase_, findWholeWord_, !up->isChecked(), true)) QApplication::beep();
}

void CodeEditor::ShowReplaceDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("replaceDialog"));
    dialog.setWindowTitle(QStringLiteral("Replace"));
    auto* grid = new QGridLayout(&dialog);
    auto* what = new QLineEdit(&dialog);
    what->setObjectName(QStringLiteral("findText"));
    QString initial = SelectedText();
    if (initial.isEmpty() || initial.contains(u'\n')) initial = findText_.isEmpty() ? WordAtCaret() : findText_;
    what->setText(initial);
    auto* with = new QLineEdit(&dialog);
    with->setObjectName(QStringLiteral("replaceText"));
    grid->addWidget(new QLabel(QStringLiteral("Find what:"), &dialog), 0, 0);
    grid->addWidget(what, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Replace with:"), &dialog), 1, 0);
    grid->addWidget(with, 1, 1);
    auto* options = new QVBoxLayout;
    QCheckBox* matchCase = AddCheck(&dialog, options, "matchCase", QStringLiteral("Match case"), findMatchCase_);
    QCheckBox* wholeWord = AddCheck(&dialog, options, "wholeWord", QStringLiteral("Whole word only"), findWholeWord_);
    grid->addLayout(options, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    auto addButton = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, &dialog);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* findNext = addButton("findNext", QStringLiteral("Find Next"));
    QPushButton* replace = addButton("replace", QStringLiteral("Replace"));
    QPushButton* replaceAll = addButton("replaceAll", QStringLiteral("Replace All"));
    QPushButton* close = addButton("close", QStringLiteral("Close"));
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    auto remember = [&] {
        findText_ = what->text();
        findMatchCase_ = matchCase->isChecked();
        findWholeWord_ = wholeWord->isChecked();
    };
    auto selectionMatches = [&] {
        const QString sel = SelectedText();
        return !sel.isEmpty() && sel.compare(what->text(), findMatchCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    };
    connect(findNext, &QPushButton::clicked, &dialog, [&] {
        remember();
        if (!FindFrom(findText_, findMatchCase_, findWholeWord_, true, true)) QApplication::beep();
    });
    connect(replace, &QPushButton::clicked, &dialog, [&] {
        remember();
        if (selectionMatches()) {
            const long start = SendScintilla(SCI_GETSELECTIONSTART);
            const QByteArray r = NormaliseLineEnds(with->text()).toUtf8();
            SendScintilla(SCI_TARGETFROMSELECTION);
            SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(r.size()), r.constData());
            SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(start + r.size()));
        }
        if (!FindFrom(findText_, findMatchCase_, findWholeWord_, true, true)) QApplication::beep();
    });
    connect(replaceAll, &QPushButton::clicked, &dialog, [&] {
        remember();
        ReplaceAll(findText_, with->text(), findMatchCase_, findWholeWord_);
    });
    connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    RunDialog(dialog);
    remember();
}

void CodeEditor::ShowGotoDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("gotoDialog"));
    dialog.setWindowTitle(QStringLiteral("Go To Line"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Line number:"), &dialog));
    auto* number = new QSpinBox(&dialog);
    number->setObjectName(QStringLiteral("lineNumber"));
    const int32_t first = firstLineNumber_;
    number->setRange(first, first + std::max<int32_t>(1, LineCount()) - 1);
    number->setValue(first + Selection(false).EndLineNo);
    row->addWidget(number);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (RunDialog(dialog) != QDialog::Accepted) return;
    PutCaret(number->value() - first, 0);
    SendScintilla(SCI_SCROLLCARET);
}

namespace {
const char* const kSlotNames[kColorSlotCount] = {
    "Window",          "Left margin",          "Bookmark",          "Bookmark background",
    "Text",            "Text background",      "Number",            "Number background",
    "Keyword",         "Keyword background",   "Operator",          "Operator background",
    "Scope keyword",   "Scope keyword background", "Comment",       "Comment background",
    "String",          "String background",    "Tag text",          "Tag text background",
    "Tag entity",      "Tag entity background", "Tag element",      "Tag element background",
    "Tag attribute",   "Tag attribute background", "Line number",   "Line number background",
    "Horizontal divider", "Vertical divider",  "Highlighted line",
};
}  // namespace

void CodeEditor::ShowPropertiesDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("propertiesDialog"));
    dialog.setWindowTitle(QStringLiteral("Editor Properties"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);

    // Colours: a working copy, applied on OK.
    std::array<int32_t, kColorSlotCount> colors = colors_;
    auto* colorPage = new QWidget(tabs);
    auto* colorLayout = new QHBoxLayout(colorPage);
    auto* slotList = new QListWidget(colorPage);
    slotList->setObjectName(QStringLiteral("colorList"));
    for (const char* name : kSlotNames) slotList->addItem(QString::fromLatin1(name));
    colorLayout->addWidget(slotList);
    auto* colorSide = new QVBoxLayout;
    auto* colorButton = new QToolButton(colorPage);
    colorButton->setObjectName(QStringLiteral("colorButton"));
    colorButton->setText(QStringLiteral("Colour..."));
    colorButton->setMinimumWidth(90);
    auto* automatic = new QCheckBox(QStringLiteral("Automatic"), colorPage);
    automatic->setObjectName(QStringLiteral("colorAutomatic"));
    colorSide->addWidget(colorButton);
    colorSide->addWidget(automatic);
    colorSide->addStretch();
    colorLayout->addLayout(colorSide);
    auto showSlot = [&, colorButton, automatic, slotList] {
        const int slot = slotList->currentRow();
        if (slot < 0) return;
        const int32_t c = colors[static_cast<size_t>(slot)];
        automatic->blockSignals(true);
        automatic->setChecked(c == kNoColor);
        automatic->blockSignals(false);
        QPixmap swatch(24, 14);
        swatch.fill(c == kNoColor ? QColor(Qt::transparent) : ColorFromBgr(c));
        colorButton->setIcon(QIcon(swatch));
        colorButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    };
    connect(slotList, &QListWidget::currentRowChanged, &dialog, [showSlot](int) { showSlot(); });
    connect(automatic, &QCheckBox::toggled, &dialog, [&, slotList, showSlot](bool on) {
        const int slot = slotList->currentRow();
        if (slot < 0) return;
        colors[static_cast<size_t>(slot)] = on ? kNoColor : (kDefaultColors[slot] != kNoColor ? kDefaultColors[slot] : 0);
        showSlot();
    });
    connect(colorButton, &QToolButton::clicked, &dialog, [&, slotList, showSlot] {
        const int slot = slotList->currentRow();
        if (slot < 0) return;
        const int32_t c = colors[static_cast<size_t>(slot)];
        const QColor chosen = QColorDialog::getColor(c == kNoColor ? QColor(Qt::white) : ColorFromBgr(c), &dialog);
        if (!chosen.isValid()) return;
        colors[static_cast<size_t>(slot)] = BgrFromColor(chosen);
        showSlot();
    });
    slotList->setCurrentRow(0);
    tabs->addTab(colorPage, QStringLiteral("Colours"));

    // Font.
    auto* fontPage = new QWidget(tabs);
    auto* fontForm = new QFormLayout(fontPage);
    auto* family = new QFontComboBox(fontPage);
    family->setObjectName(QStringLiteral("fontFamily"));
    family->setCurrentFont(font_);
    family->setEditText(font_.family());
    auto* size = new QDoubleSpinBox(fontPage);
    size->setObjectName(QStringLiteral("fontSize"));
    size->setDecimals(2);
    size->setSingleStep(0.5);
    size->setRange(1, 1638);
    size->setValue(font_.pointSizeF());
    fontForm->addRow(QStringLiteral("Font:"), family);
    fontForm->addRow(QStringLiteral("Size:"), size);
    auto* styleBox = new QVBoxLayout;
    QCheckBox* bold = AddCheck(fontPage, styleBox, "fontBold", QStringLiteral("Bold"), font_.bold());
    QCheckBox* italic = AddCheck(fontPage, styleBox, "fontItalic", QStringLiteral("Italic"), font_.italic());
    QCheckBox* underline = AddCheck(fontPage, styleBox, "fontUnderline", QStringLiteral("Underline"), font_.underline());
    QCheckBox* strike = AddCheck(fontPage, styleBox, "fontStrikeOut", QStringLiteral("Strikethrough"), font_.strikeOut());
    fontForm->addRow(styleBox);
    tabs->addTab(fontPage, QStringLiteral("Font"));

    // Options.
    auto* optionPage = new QWidget(tabs);
    auto* optionForm = new QFormLayout(optionPage);
    auto* optionChecks = new QVBoxLayout;
    QCheckBox* numbers = AddCheck(optionPage, optionChecks, "lineNumbers", QStringLiteral("Line numbers"), lineNumbers_);
    QCheckBox* margin = AddCheck(optionPage, optionChecks, "leftMargin", QStringLiteral("Left margin"), bookmarkMargin_);
    QCheckBox* tips = AddCheck(optionPage, optionChecks, "lineTips", QStringLiteral("Line tooltips while scrolling"), lineTips_);
    QCheckBox* bounded = AddCheck(optionPage, optionChecks, "selectionBounds",
                                  QStringLiteral("Keep the caret within the text"), selectionBounded_);
    QCheckBox* whitespace = AddCheck(optionPage, optionChecks, "whitespace", QStringLiteral("Show white space"), whitespaceShown_);
    optionForm->addRow(optionChecks);
    auto* start = new QSpinBox(optionPage);
    start->setObjectName(QStringLiteral("firstLineNumber"));
    start->setRange(-999999, 999999);
    start->setValue(firstLineNumber_);
    auto* style = new QComboBox(optionPage);
    style->setObjectName(QStringLiteral("lineNumberStyle"));
    style->addItem(QStringLiteral("Decimal"), lnDecimal);
    style->addItem(QStringLiteral("Hexadecimal"), lnHexadecimal);
    style->addItem(QStringLiteral("Octal"), lnOctal);
    style->addItem(QStringLiteral("Binary"), lnBinary);
    const int styleIndex = style->findData(lineNumberStyle_);
    style->setCurrentIndex(styleIndex < 0 ? 0 : styleIndex);
    optionForm->addRow(QStringLiteral("First line number:"), start);
    optionForm->addRow(QStringLiteral("Number style:"), style);
    tabs->addTab(optionPage, QStringLiteral("Options"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(480, 360);

    if (RunDialog(dialog) != QDialog::Accepted) return;
    colors_ = colors;
    QFont f = font_;
    const QString familyName = family->currentText().trimmed();
    if (!familyName.isEmpty()) f.setFamily(familyName);
    f.setPointSizeF(size->value());
    f.setBold(bold->isChecked());
    f.setItalic(italic->isChecked());
    f.setUnderline(underline->isChecked());
    f.setStrikeOut(strike->isChecked());
    font_ = f;
    ApplyStyles();
    lineNumbers_ = numbers->isChecked();
    lineNumberStyle_ = style->currentData().toInt();
    firstLineNumber_ = start->value();
    ApplyLineNumbers();
    SetBookmarkMarginShown(margin->isChecked());
    lineTips_ = tips->isChecked();
    SetSelectionBounded(bounded->isChecked());
    SetWhitespaceShown(whitespace->isChecked());
}

// ---- Printing --------------------------------------------------------------------------

CodeEditor::PrintResponder CodeEditor::SetPrintResponder(PrintResponder responder) {
    PrintResponder previous = std::move(PrintResponderSlot());
    PrintResponderSlot() = std::move(responder);
    return previous;
}

CodeEditor::DialogResponder CodeEditor::SetDialogResponder(DialogResponder responder) {
    DialogResponder previous = std::move(DialogResponderSlot());
    DialogResponderSlot() = std::move(responder);
    return previous;
}

void CodeEditor::Print(int32_t device, int32_t flags) {
    (void)device;
    QsciPrinter& printer = SharedPrinter();
    const bool print = (flags & 1) != 0;
    const PrintStep step = print ? PrintStep::Print : PrintStep::Setup;
    bool accepted = false;
    if (PrintResponderSlot()) {
        accepted = PrintResponderSlot()(printer, step);
    } else if (print) {
        QPrintDialog dialog(&printer, this);
        accepted = dialog.exec() == QDialog::Accepted;
    } else {
        QPageSetupDialog dialog(&printer, this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted || !print) return;
    printer.setDocName(windowTitle());
    printer.setMagnification(0);
    printer.setWrapMode(WrapWord);
    printer.printRange(this);
}

// ---- Hidden buffer window -------------------------------------------------------------

HiddenEditorWindow::HiddenEditorWindow(QWidget* parent) : QWidget(parent), source(new CodeEditor(this)) {
    setObjectName(QStringLiteral("frmSource"));
    source->setObjectName(QStringLiteral("source"));
}

}  // namespace platform
