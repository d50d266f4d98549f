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
    "Window",
    "Left margin",
    "Bookmark",
    "Bookmark background",
    "Text",
    "Text background",
    "Number",
    "Number background",
    "Keyword",
    "Keyword background",
    "Operator",
    "Operator background",
    "Scope keyword",
    "Scope keyword background",
    "Comment",
    "Comment background",
    "String",
    "String background",
    "Tag text",
    "Tag text background",
    "Tag entity",
    "Tag entity background",
    "Tag element",
    "Tag element background",
    "Tag attribute",
    "Tag attribute background",
    "Line number",
    "Line number background",
    "Horizontal divider",
    "Vertical divider",
    "Highlighted line",
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
        colors[static_cast<size_t>(slot)] =
            on ? kNoColor : (kDefaultColors[slot] != kNoColor ? kDefaultColors[slot] : 0);
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
    QCheckBox* underline =
        AddCheck(fontPage, styleBox, "fontUnderline", QStringLiteral("Underline"), font_.underline());
    QCheckBox* strike =
        AddCheck(fontPage, styleBox, "fontStrikeOut", QStringLiteral("Strikethrough"), font_.strikeOut());
    fontForm->addRow(styleBox);
    tabs->addTab(fontPage, QStringLiteral("Font"));

    // Options.
    auto* optionPage = new QWidget(tabs);
    auto* optionForm = new QFormLayout(optionPage);
    auto* optionChecks = new QVBoxLayout;
    QCheckBox* numbers =
        AddCheck(optionPage, optionChecks, "lineNumbers", QStringLiteral("Line numbers"), lineNumbers_);
    QCheckBox* margin =
        AddCheck(optionPage, optionChecks, "leftMargin", QStringLiteral("Left margin"), bookmarkMargin_);
    QCheckBox* tips =
        AddCheck(optionPage, optionChecks, "lineTips", QStringLiteral("Line tooltips while scrolling"), lineTips_);
    QCheckBox* bounded = AddCheck(optionPage, optionChecks, "selectionBounds",
                                  QStringLiteral("Keep the caret within the text"), selectionBounded_);
    QCheckBox* whitespace =
        AddCheck(optionPage, optionChecks, "whitespace", QStringLiteral("Show white space"), whitespaceShown_);
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

}  // namespace platform
