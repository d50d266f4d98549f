#include "platform/EditorLanguage.h"

#include <Qsci/qscilexercustom.h>

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/CodeEditor.h"
#include "platform/EditorInternals.h"

namespace platform {

using namespace detail;

namespace {

using SB = QsciScintillaBase;

QStringList SplitList(const QString& list) {
    QStringList out;
    for (QString item : list.split(u'\n')) {
        item.remove(u'\r');
        if (!item.trimmed().isEmpty()) out << item.trimmed();
    }
    return out;
}

// ---- The language registry ------------------------------------------------------

struct LanguageEntry {
    QString name;
    EditorLanguage language;
};

std::map<QString, LanguageEntry>& Languages() {
    static std::map<QString, LanguageEntry> languages;
    return languages;
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

// ---- Colouring -------------------------------------------------------------------

// A language definition prepared for colouring.
struct CompiledLanguage {
    bool caseSensitive = false;
    QSet<QString> keywords;
    QSet<QString> blockWords;
    QStringList operators;      // longest first
    QStringList symbolOpeners;  // line-comment openers of other characters
    QSet<QString> wordOpeners;  // line-comment openers of letters and digits
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
            if (std::all_of(o.begin(), o.end(), IsWordChar))
                wordOpeners.insert(Key(o));
            else
                symbolOpeners << o;
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
        // Blanks and TABs start no word, operator or comment (the lists are
        // trimmed), only a string when they are one of its delimiters: a run
        // of them is plain text.  Deeply indented lines are mostly blanks.
        if ((c == u' ' || c == u'\t') && !lang.delimiters.contains(c)) {
            while (i < n && (line[i] == u' ' || line[i] == u'\t') && !lang.delimiters.contains(line[i])) ++i;
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
            if (c.isDigit())
                style = tsNumber;
            else if (lang.keywords.contains(key))
                style = tsKeyword;
            else if (lang.blockWords.contains(key))
                style = tsScope;
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
        startStyling(
            static_cast<int>(owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line))));
        for (; line <= lastLine && line < lineCount; ++line) {
            const long ls = owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
            const long le = line + 1 < lineCount
                                ? owner_->SendScintilla(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                : length;
            bool inBlock =
                line > 0 && owner_->SendScintilla(SB::SCI_GETLINESTATE, static_cast<unsigned long>(line - 1)) != 0;
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

// ---- An editor's language ---------------------------------------------------------------

bool CodeEditor::SetLanguageName(const QString& name) {
    if (!name.isEmpty() && !FindLanguage(name)) return false;
    // The language in use already: its colouring stands (a registration
    // that changes the language re-applies it, RegisterLanguage).
    if (name == languageName_ && (name.isEmpty() || lexer())) return true;
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
    // Installing the lexer has coloured the text once; the styles set since
    // need the view coloured again, not the whole text a second time (the
    // rest is coloured again when it is shown or asked about, EnsureStyled).
    if (lexer()) SendScintilla(SCI_COLOURISE, 0UL, EndOfView());
}

}  // namespace platform
