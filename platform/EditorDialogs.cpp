// The editor's modal dialogs (find, replace, go to line, properties), the
// search behind them, and printing with its printer dialogs.
#include "platform/CodeEditor.h"

#include <Qsci/qsciprinter.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/EditorInternals.h"
#include "platform/UiLanguage.h"

namespace platform {

using namespace detail;

namespace {

CodeEditor::PrintResponder& PrintResponderSlot() {
    static CodeEditor::PrintResponder responder;
    return responder;
}

CodeEditor::DialogResponder& DialogResponderSlot() {
    static CodeEditor::DialogResponder responder;
    return responder;
}

CodeEditor::StringLookup& StringLookupSlot() {
    static CodeEditor::StringLookup lookup;
    return lookup;
}

// The string-table numbers of the dialogs' texts.
constexpr int kStrOk = 11;
constexpr int kStrCancel = 12;
constexpr int kStrClose = 13;
constexpr int kStrFind = 1031;
constexpr int kStrFindNext = 1032;
constexpr int kStrReplace = 1034;
constexpr int kStrGotoLine = 1035;
constexpr int kStrSetEditor = 1043;
constexpr int kStrDirection = 3075;
constexpr int kStrSize = 3103;

// Entry `number` of the program's string table, else the editor's own text
// in the interface language.
QString Text(int number, const LocalizedText& own) {
    if (number > 0 && StringLookupSlot()) {
        const std::optional<QString> text = StringLookupSlot()(number);
        if (text && !text->isEmpty()) return *text;
    }
    return Localized(own);
}

QString Text(const LocalizedText& own) { return Localized(own); }

// The editor's own texts (English, Korean, Japanese, simplified Chinese).
constexpr LocalizedText kFind{"Find", "찾기", "検索", "查找"};
constexpr LocalizedText kFindNext{"Find Next", "다음 찾기", "次を検索", "查找下一个"};
constexpr LocalizedText kReplace{"Replace", "바꾸기", "置換", "替换"};
constexpr LocalizedText kReplaceAll{"Replace All", "모두 바꾸기", "すべて置換", "全部替换"};
constexpr LocalizedText kGotoLine{"Go To Line", "줄 이동", "行へ移動", "转到行"};
constexpr LocalizedText kFindWhat{"Find what:", "찾을 내용:", "検索する文字列:", "查找内容:"};
constexpr LocalizedText kReplaceWith{"Replace with:", "바꿀 내용:", "置換後の文字列:", "替换为:"};
constexpr LocalizedText kMatchCase{"Match case", "대/소문자 구분", "大文字と小文字を区別する", "区分大小写"};
constexpr LocalizedText kWholeWord{"Whole word only", "단어 단위로", "単語単位で探す", "全字匹配"};
constexpr LocalizedText kDirection{"Direction", "방향", "方向", "方向"};
constexpr LocalizedText kUp{"Up", "위로", "上へ", "向上"};
constexpr LocalizedText kDown{"Down", "아래로", "下へ", "向下"};
constexpr LocalizedText kLineNumber{"Line number:", "줄 번호:", "行番号:", "行号:"};
constexpr LocalizedText kOk{"OK", "확인", "OK", "确定"};
constexpr LocalizedText kCancel{"Cancel", "취소", "キャンセル", "取消"};
constexpr LocalizedText kClose{"Close", "닫기", "閉じる", "关闭"};
constexpr LocalizedText kProperties{"Editor Properties", "편집기 속성", "エディタのプロパティ", "编辑器属性"};
constexpr LocalizedText kColours{"Colours", "색", "色", "颜色"};
constexpr LocalizedText kChooseColour{"Colour...", "색 선택...", "色の選択...", "选择颜色..."};
constexpr LocalizedText kAutomatic{"Automatic", "자동", "自動", "自动"};
constexpr LocalizedText kFontPage{"Font", "글꼴", "フォント", "字体"};
constexpr LocalizedText kFontName{"Font:", "글꼴:", "フォント:", "字体:"};
constexpr LocalizedText kFontSize{"Size:", "크기:", "サイズ:", "大小:"};
constexpr LocalizedText kBold{"Bold", "굵게", "太字", "粗体"};
constexpr LocalizedText kItalic{"Italic", "기울임꼴", "斜体", "斜体"};
constexpr LocalizedText kUnderline{"Underline", "밑줄", "下線", "下划线"};
constexpr LocalizedText kStrikeOut{"Strikethrough", "취소선", "取り消し線", "删除线"};
constexpr LocalizedText kOptions{"Options", "옵션", "オプション", "选项"};
constexpr LocalizedText kShowLineNumbers{"Line numbers", "줄 번호 표시", "行番号を表示", "显示行号"};
constexpr LocalizedText kShowLeftMargin{"Left margin", "왼쪽 여백 표시", "左余白を表示", "显示左边距"};
constexpr LocalizedText kLineTips{"Line numbers while scrolling", "스크롤할 때 줄 번호 표시",
                                  "スクロール中に行番号を表示", "滚动时显示行号"};
constexpr LocalizedText kSelectionBounds{"Keep the caret within the text", "커서를 텍스트 안에 유지",
                                         "カーソルをテキスト内に保つ", "光标保持在文本内"};
constexpr LocalizedText kShowWhitespace{"Show white space", "공백 문자 표시", "空白文字を表示", "显示空白字符"};
constexpr LocalizedText kFirstLineNumber{"First line number:", "첫 줄 번호:", "最初の行番号:", "起始行号:"};
constexpr LocalizedText kNumberStyle{"Number style:", "번호 형식:", "番号の形式:", "行号格式:"};
constexpr LocalizedText kDecimal{"Decimal", "10진수", "10進数", "十进制"};
constexpr LocalizedText kHexadecimal{"Hexadecimal", "16진수", "16進数", "十六进制"};
constexpr LocalizedText kOctal{"Octal", "8진수", "8進数", "八进制"};
constexpr LocalizedText kBinary{"Binary", "2진수", "2進数", "二进制"};

// Names a dialog's standard buttons in the interface language.
void NameButtons(QDialogButtonBox* buttons) {
    if (QPushButton* b = buttons->button(QDialogButtonBox::Ok)) b->setText(Text(kStrOk, kOk));
    if (QPushButton* b = buttons->button(QDialogButtonBox::Cancel)) b->setText(Text(kStrCancel, kCancel));
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

QWidget* CodeEditor::DialogOwner() {
    if (isVisible()) return this;
    // An editor that is not shown (the settings template, the hidden
    // buffer): a dialog parented to it would open in the screen's corner.
    return QApplication::activeWindow();
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
    QDialog dialog(DialogOwner());
    dialog.setObjectName(QStringLiteral("findDialog"));
    dialog.setWindowTitle(Text(kStrFind, kFind));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text(kFindWhat), &dialog));
    auto* what = new QLineEdit(&dialog);
    what->setObjectName(QStringLiteral("findText"));
    QString initial = SelectedText();
    if (initial.isEmpty() || initial.contains(u'\n')) initial = findText_.isEmpty() ? WordAtCaret() : findText_;
    what->setText(initial);
    what->selectAll();
    row->addWidget(what);
    layout->addLayout(row);
    QCheckBox* matchCase = AddCheck(&dialog, layout, "matchCase", Text(kMatchCase), findMatchCase_);
    QCheckBox* wholeWord = AddCheck(&dialog, layout, "wholeWord", Text(kWholeWord), findWholeWord_);
    auto* up = new QRadioButton(Text(kUp), &dialog);
    up->setObjectName(QStringLiteral("directionUp"));
    auto* down = new QRadioButton(Text(kDown), &dialog);
    down->setObjectName(QStringLiteral("directionDown"));
    down->setChecked(true);
    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(new QLabel(Text(kStrDirection, kDirection), &dialog));
    dirRow->addWidget(up);
    dirRow->addWidget(down);
    dirRow->addStretch();
    layout->addLayout(dirRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    NameButtons(buttons);
    QPushButton* next = buttons->addButton(Text(kStrFindNext, kFindNext), QDialogButtonBox::AcceptRole);
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
    QDialog dialog(DialogOwner());
    dialog.setObjectName(QStringLiteral("replaceDialog"));
    dialog.setWindowTitle(Text(kStrReplace, kReplace));
    auto* grid = new QGridLayout(&dialog);
    auto* what = new QLineEdit(&dialog);
    what->setObjectName(QStringLiteral("findText"));
    QString initial = SelectedText();
    if (initial.isEmpty() || initial.contains(u'\n')) initial = findText_.isEmpty() ? WordAtCaret() : findText_;
    what->setText(initial);
    auto* with = new QLineEdit(&dialog);
    with->setObjectName(QStringLiteral("replaceText"));
    grid->addWidget(new QLabel(Text(kFindWhat), &dialog), 0, 0);
    grid->addWidget(what, 0, 1);
    grid->addWidget(new QLabel(Text(kReplaceWith), &dialog), 1, 0);
    grid->addWidget(with, 1, 1);
    auto* options = new QVBoxLayout;
    QCheckBox* matchCase = AddCheck(&dialog, options, "matchCase", Text(kMatchCase), findMatchCase_);
    QCheckBox* wholeWord = AddCheck(&dialog, options, "wholeWord", Text(kWholeWord), findWholeWord_);
    grid->addLayout(options, 2, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    auto addButton = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, &dialog);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* findNext = addButton("findNext", Text(kStrFindNext, kFindNext));
    QPushButton* replace = addButton("replace", Text(kStrReplace, kReplace));
    QPushButton* replaceAll = addButton("replaceAll", Text(kReplaceAll));
    QPushButton* close = addButton("close", Text(kStrClose, kClose));
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 3, 1);
    auto remember = [&] {
        findText_ = what->text();
        findMatchCase_ = matchCase->isChecked();
        findWholeWord_ = wholeWord->isChecked();
    };
    auto selectionMatches = [&] {
        const QString sel = SelectedText();
        return !sel.isEmpty() &&
               sel.compare(what->text(), findMatchCase_ ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
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
    QDialog dialog(DialogOwner());
    dialog.setObjectName(QStringLiteral("gotoDialog"));
    dialog.setWindowTitle(Text(kStrGotoLine, kGotoLine));
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text(kLineNumber), &dialog));
    auto* number = new QSpinBox(&dialog);
    number->setObjectName(QStringLiteral("lineNumber"));
    const int32_t first = firstLineNumber_;
    number->setRange(first, first + std::max<int32_t>(1, LineCount()) - 1);
    number->setValue(first + Selection(false).EndLineNo);
    row->addWidget(number);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    NameButtons(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (RunDialog(dialog) != QDialog::Accepted) return;
    PutCaret(number->value() - first, 0);
    SendScintilla(SCI_SCROLLCARET);
}

namespace {
// Names of the colour slots the properties dialog offers.
LocalizedText SlotName(int slot) {
    switch (slot) {
    case clrWindow: return {"Window", "창 배경", "ウィンドウの背景", "窗口背景"};
    case clrLeftMargin: return {"Left margin", "왼쪽 여백", "左余白", "左边距"};
    case clrBookmark: return {"Bookmark", "책갈피", "ブックマーク", "书签"};
    case clrBookmarkBk: return {"Bookmark outline", "책갈피 테두리", "ブックマークの枠", "书签边框"};
    case clrText: return {"Text", "텍스트", "テキスト", "文本"};
    case clrTextBk: return {"Text background", "텍스트 배경", "テキストの背景", "文本背景"};
    case clrNumber: return {"Number", "숫자", "数値", "数字"};
    case clrNumberBk: return {"Number background", "숫자 배경", "数値の背景", "数字背景"};
    case clrKeyword: return {"Keyword", "키워드", "キーワード", "关键字"};
    case clrKeywordBk: return {"Keyword background", "키워드 배경", "キーワードの背景", "关键字背景"};
    case clrOperator: return {"Operator", "연산자", "演算子", "运算符"};
    case clrOperatorBk: return {"Operator background", "연산자 배경", "演算子の背景", "运算符背景"};
    case clrScope: return {"Block keyword", "블록 키워드", "ブロックキーワード", "块关键字"};
    case clrScopeBk:
        return {"Block keyword background", "블록 키워드 배경", "ブロックキーワードの背景", "块关键字背景"};
    case clrComment: return {"Comment", "주석", "コメント", "注释"};
    case clrCommentBk: return {"Comment background", "주석 배경", "コメントの背景", "注释背景"};
    case clrString: return {"String", "문자열", "文字列", "字符串"};
    case clrStringBk: return {"String background", "문자열 배경", "文字列の背景", "字符串背景"};
    case clrLineNumber: return {"Line number", "줄 번호", "行番号", "行号"};
    case clrLineNumberBk: return {"Line number background", "줄 번호 배경", "行番号の背景", "行号背景"};
    case clrHighlight: return {"Highlighted line", "강조된 줄", "強調表示の行", "高亮行"};
    default: return {"", "", "", ""};
    }
}
}  // namespace

std::vector<int> CodeEditor::EditableColorSlots() const {
    std::vector<int> offered{clrWindow, clrLeftMargin, clrBookmark, clrBookmarkBk, clrText, clrTextBk};
    if (const std::optional<EditorLanguage> lang =
            languageName_.isEmpty() ? std::nullopt : FindLanguage(languageName_)) {
        auto has = [](const QString& list) { return !list.trimmed().isEmpty(); };
        // Every language colours numbers.
        offered.insert(offered.end(), {clrNumber, clrNumberBk});
        if (has(lang->Keywords)) offered.insert(offered.end(), {clrKeyword, clrKeywordBk});
        if (has(lang->Operators)) offered.insert(offered.end(), {clrOperator, clrOperatorBk});
        if (has(lang->BlockStartWords) || has(lang->BlockEndWords))
            offered.insert(offered.end(), {clrScope, clrScopeBk});
        if (has(lang->LineCommentOpeners) || has(lang->BlockCommentOpen))
            offered.insert(offered.end(), {clrComment, clrCommentBk});
        if (!lang->StringDelimiters.isEmpty()) offered.insert(offered.end(), {clrString, clrStringBk});
    }
    offered.insert(offered.end(), {clrLineNumber, clrLineNumberBk, clrHighlight});
    return offered;
}

void CodeEditor::SetStringLookup(StringLookup lookup) { StringLookupSlot() = std::move(lookup); }

bool CodeEditor::RunPropertiesDialog(QWidget* owner) {
    QDialog dialog(owner ? owner : DialogOwner());
    dialog.setObjectName(QStringLiteral("propertiesDialog"));
    dialog.setWindowTitle(Text(kStrSetEditor, kProperties));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    layout->addWidget(tabs);

    // Colours: a working copy, applied on OK.
    std::array<int32_t, kColorSlotCount> colors = colors_;
    auto* colorPage = new QWidget(tabs);
    auto* colorLayout = new QHBoxLayout(colorPage);
    auto* slotList = new QListWidget(colorPage);
    slotList->setObjectName(QStringLiteral("colorList"));
    // Each entry carries its slot number.
    for (const int slot : EditableColorSlots()) {
        auto* item = new QListWidgetItem(Text(SlotName(slot)), slotList);
        item->setData(Qt::UserRole, slot);
    }
    colorLayout->addWidget(slotList);
    auto* colorSide = new QVBoxLayout;
    auto* colorButton = new QToolButton(colorPage);
    colorButton->setObjectName(QStringLiteral("colorButton"));
    colorButton->setText(Text(kChooseColour));
    colorButton->setMinimumWidth(90);
    auto* automatic = new QCheckBox(Text(kAutomatic), colorPage);
    automatic->setObjectName(QStringLiteral("colorAutomatic"));
    colorSide->addWidget(colorButton);
    colorSide->addWidget(automatic);
    colorSide->addStretch();
    colorLayout->addLayout(colorSide);
    auto currentSlot = [slotList] {
        const QListWidgetItem* item = slotList->currentItem();
        return item ? item->data(Qt::UserRole).toInt() : -1;
    };
    auto showSlot = [&, colorButton, automatic, currentSlot] {
        const int slot = currentSlot();
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
    connect(automatic, &QCheckBox::toggled, &dialog, [&, currentSlot, showSlot](bool on) {
        const int slot = currentSlot();
        if (slot < 0) return;
        colors[static_cast<size_t>(slot)] =
            on ? kNoColor : (kDefaultColors[slot] != kNoColor ? kDefaultColors[slot] : 0);
        showSlot();
    });
    connect(colorButton, &QToolButton::clicked, &dialog, [&, currentSlot, showSlot] {
        const int slot = currentSlot();
        if (slot < 0) return;
        const int32_t c = colors[static_cast<size_t>(slot)];
        const QColor chosen = QColorDialog::getColor(c == kNoColor ? QColor(Qt::white) : ColorFromBgr(c), &dialog);
        if (!chosen.isValid()) return;
        colors[static_cast<size_t>(slot)] = BgrFromColor(chosen);
        showSlot();
    });
    slotList->setCurrentRow(0);
    tabs->addTab(colorPage, Text(kColours));

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
    fontForm->addRow(Text(kFontName), family);
    fontForm->addRow(Text(kStrSize, kFontSize), size);
    auto* styleBox = new QVBoxLayout;
    QCheckBox* bold = AddCheck(fontPage, styleBox, "fontBold", Text(kBold), font_.bold());
    QCheckBox* italic = AddCheck(fontPage, styleBox, "fontItalic", Text(kItalic), font_.italic());
    QCheckBox* underline = AddCheck(fontPage, styleBox, "fontUnderline", Text(kUnderline), font_.underline());
    QCheckBox* strike = AddCheck(fontPage, styleBox, "fontStrikeOut", Text(kStrikeOut), font_.strikeOut());
    fontForm->addRow(styleBox);
    tabs->addTab(fontPage, Text(kFontPage));

    // Options.
    auto* optionPage = new QWidget(tabs);
    auto* optionForm = new QFormLayout(optionPage);
    auto* optionChecks = new QVBoxLayout;
    QCheckBox* numbers = AddCheck(optionPage, optionChecks, "lineNumbers", Text(kShowLineNumbers), lineNumbers_);
    QCheckBox* margin = AddCheck(optionPage, optionChecks, "leftMargin", Text(kShowLeftMargin), bookmarkMargin_);
    QCheckBox* tips = AddCheck(optionPage, optionChecks, "lineTips", Text(kLineTips), lineTips_);
    QCheckBox* bounded =
        AddCheck(optionPage, optionChecks, "selectionBounds", Text(kSelectionBounds), selectionBounded_);
    QCheckBox* whitespace = AddCheck(optionPage, optionChecks, "whitespace", Text(kShowWhitespace), whitespaceShown_);
    optionForm->addRow(optionChecks);
    auto* start = new QSpinBox(optionPage);
    start->setObjectName(QStringLiteral("firstLineNumber"));
    start->setRange(-999999, 999999);
    start->setValue(firstLineNumber_);
    auto* style = new QComboBox(optionPage);
    style->setObjectName(QStringLiteral("lineNumberStyle"));
    style->addItem(Text(kDecimal), lnDecimal);
    style->addItem(Text(kHexadecimal), lnHexadecimal);
    style->addItem(Text(kOctal), lnOctal);
    style->addItem(Text(kBinary), lnBinary);
    const int styleIndex = style->findData(lineNumberStyle_);
    style->setCurrentIndex(styleIndex < 0 ? 0 : styleIndex);
    optionForm->addRow(Text(kFirstLineNumber), start);
    optionForm->addRow(Text(kNumberStyle), style);
    tabs->addTab(optionPage, Text(kOptions));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    NameButtons(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(480, 420);

    if (RunDialog(dialog) != QDialog::Accepted) return false;
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
    return true;
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

}  // namespace platform
