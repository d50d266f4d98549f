#include "link/frmDebugScreen.h"

#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QFontMetrics>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include <algorithm>

#include "compiler/QUARVELv2.h"
#include "documents/LocalizeForm.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/modGeneral.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "link/vxIO_Windows.h"
#include "platform/Twips.h"

namespace {

// Colour values: red in the low byte, blue in the high byte.
QColor FromColourValue(int32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }
const QColor kLineBack = FromColourValue(65535);     // yellow
const QColor kLineText = FromColourValue(0);         // black
const QColor kCurrentBack = FromColourValue(255);    // red
const QColor kCurrentText = FromColourValue(16777215);  // white

// The window's borders, which its width in the layout rules includes.
constexpr double kBorderTwips = 120;

int Px(double twips) { return std::max(0, platform::TwipsToPixels(twips)); }

QTableWidgetItem* Cell(const QString& text, Qt::Alignment align) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(align | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidget* Grid(QWidget* parent, const char* name) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(QLatin1String(name));
    grid->verticalHeader()->setVisible(false);
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    return grid;
}

QLabel* Caption(QWidget* parent, const char* name, const char* tag, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QLatin1String(name));
    if (tag) label->setProperty("Tag", QLatin1String(tag));
    return label;
}

}  // namespace

frmDebugScreen::frmDebugScreen(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmDebugScreen"));
    setProperty("Tag", QStringLiteral("4601"));
    setWindowTitle(QStringLiteral("Debug Window"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    TB = new QToolBar(this);
    TB->setObjectName(QStringLiteral("TB"));
    TB->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    TB->setMovable(false);
    TB->setIconSize(QSize(20, 20));
    const auto button = [this](const char* name, const char* tag, const char* text, QStyle::StandardPixmap icon) {
        QAction* a = TB->addAction(style()->standardIcon(icon), QString::fromUtf8(text));
        a->setObjectName(QLatin1String(name));
        a->setProperty("Tag", QLatin1String(tag));
        return a;
    };
    btnSingleRun = button("SingleRun", "4602", "Single Run", QStyle::SP_MediaSkipForward);
    btnRun = button("Run", "4603", "Run", QStyle::SP_MediaPlay);
    btnClearMem = button("ClearMem", "4604", "Clear Mem.", QStyle::SP_TrashIcon);
    btnClose = button("Close", "4605", "Close", QStyle::SP_DialogCloseButton);
    TB->addSeparator();

    // The program counter beside the buttons: "PC", then its decimal and
    // hexadecimal values under their captions.
    auto* pcBox = new QWidget(TB);
    pcBox->setObjectName(QStringLiteral("pcBox"));
    auto* pc = new QGridLayout(pcBox);
    pc->setContentsMargins(8, 0, 8, 0);
    pc->setHorizontalSpacing(10);
    pc->setVerticalSpacing(1);
    Label3 = Caption(pcBox, "Label3", nullptr, "PC");
    Label2 = Caption(pcBox, "Label2", "4606", "Dec");
    Label4 = Caption(pcBox, "Label4", "4607", "Hex");
    lbl_PC_DEC = Caption(pcBox, "lbl_PC_DEC", nullptr, "");
    lbl_PC_HEX = Caption(pcBox, "lbl_PC_HEX", nullptr, "");
    for (QLabel* v : {lbl_PC_DEC, lbl_PC_HEX}) {
        v->setMinimumWidth(56);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        v->setFrameShape(QFrame::Panel);
        v->setFrameShadow(QFrame::Sunken);
    }
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label2->setAlignment(Qt::AlignCenter);
    Label4->setAlignment(Qt::AlignCenter);
    pc->addWidget(Label3, 1, 0);
    pc->addWidget(Label2, 0, 1);
    pc->addWidget(Label4, 0, 2);
    pc->addWidget(lbl_PC_DEC, 1, 1);
    pc->addWidget(lbl_PC_HEX, 1, 2);
    TB->addWidget(pcBox);

    frame_Var = new QGroupBox(this);
    frame_Var->setObjectName(QStringLiteral("frame_Var"));
    Label1 = Caption(frame_Var, "Label1", "4608", "Variables Table");
    Grid_Var = Grid(frame_Var, "Grid_Var");
    Grid_Prog = Grid(this, "Grid_Prog");

    connect(TB, &QToolBar::actionTriggered, this, &frmDebugScreen::TB_ButtonClick);

    // Only while another window's exchange holds the link, which the modal
    // window rarely sees: the end of this window's own exchanges starts the
    // next waiting click itself.
    retry_ = new QTimer(this);
    retry_->setSingleShot(true);
    retry_->setInterval(50);
    connect(retry_, &QTimer::timeout, this, &frmDebugScreen::CarryOutNext);

    Form_Load();
}

frmDebugScreen::~frmDebugScreen() { Form_Unload(); }

void frmDebugScreen::ShowModal(QWidget* owner) {
    // Asked for while another controller exchange waits: nothing happens.
    if (vxIO::Busy()) return;
    QPointer<frmDebugScreen> window = new frmDebugScreen(owner);
    if (window && window->IsLoaded()) window->exec();
    delete window.data();
}

// ---- Controller addresses -----------------------------------------------------

namespace {

using qvv2::controller::FindModel;
using qvv2::controller::kNone;

}  // namespace

int32_t frmDebugScreen::PcLowAddress(int16_t id) { return FindModel(id) ? FindModel(id)->programCounterLow : kNone; }
int32_t frmDebugScreen::PcHighAddress(int16_t id) { return FindModel(id) ? FindModel(id)->programCounterHigh : kNone; }
int32_t frmDebugScreen::VariableAreaStart(int16_t id) { return FindModel(id) ? FindModel(id)->variableMemory : kNone; }

int32_t frmDebugScreen::VariableAddress(int16_t id, int16_t position) {
    const qvv2::controller::ModelFacts* model = FindModel(id);
    if (!model || model->variableMemory == kNone) return kNone;
    return position + model->variableOffset;
}

int32_t frmDebugScreen::LineOfCounter(const std::vector<int32_t>& lineObjPos, int32_t totalLines, int32_t pc) {
    const int32_t last = std::min<int32_t>(totalLines, static_cast<int32_t>(lineObjPos.size()) - 1);
    for (int32_t j = last; j >= 1; --j)
        if (lineObjPos[static_cast<size_t>(j)] <= pc) return j;
    return 1;
}

// ---- Load and unload ------------------------------------------------------------

void frmDebugScreen::Form_Load() {
    modGeneral::FlatControls(this);
    modMain::LocalizeForm(this);
    // The captions over the counter sit inside the tool bar, which the
    // localisation does not enter.
    Label2->setText(LoadResString(4606));
    Label4->setText(LoadResString(4607));

    // The window holds the port open from here until it unloads; its tool
    // bar's commands run while it does.
    const vxIO::Exchange exchange;
    if (!exchange) {
        loaded_ = false;
        return;
    }
    // Clicks made while the load waits for the controller wait for its end.
    ++carrying_;
    struct Loaded {
        frmDebugScreen& w;
        ~Loaded() {
            --w.carrying_;
            if (!w.loaded_) w.DropWaiting();
            if (!w.waiting_.empty()) w.CarryOutLater();
        }
    } loadedGuard{*this};
    holdsPort_ = true;
    if (vxIO::Serial()) vxIO::OpenComm();
    vxIO::StopProgram();
    if (vxIO::CommError != 0) {
        // The program could not be stopped: the window closes without a word.
        loaded_ = false;
        return;
    }

    SetUpGrids();
    // The main window's place and size.
    if (QWidget* main = modApp::MainWindow()) setGeometry(main->geometry());

    const qvv2::QUARVELv2& basic = modMain::Basic();
    if (basic.TotalBytes >= 17 && basic.Bas_Error <= 0) {
        TotalLines = std::max<int32_t>(0, basic.TotalLines);
        LineObjPos = basic.LineObjPos;
        LineStartPos = basic.LineStartPos;
        LineLength = basic.LineLength;
        // Short tables count as zeros rather than being read past their end.
        const size_t n = static_cast<size_t>(TotalLines) + 1;
        LineObjPos.resize(std::max(n, LineObjPos.size()), 0);
        LineStartPos.resize(std::max(n, LineStartPos.size()), 0);
        LineLength.resize(std::max(n, LineLength.size()), 0);
        CurrentLine = 1;
        FillProgramGrid();
        LoadVariableTable();
    }
    Form_Resize();
}

void frmDebugScreen::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // A load refused because another exchange was waiting opened nothing.
    if (holdsPort_ && vxIO::Serial()) vxIO::CloseComm();
}

void frmDebugScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ended_ = false;
    Form_Resize();
    // The load marked the current line before the grid had its size, when
    // it could not scroll yet.
    ScrollToCurrentLine();
    Grid_Prog->setFocus();
}

void frmDebugScreen::done(int result) {
    DropWaiting();
    ended_ = true;
    // Closed from inside a wait of the window's own exchange: that exchange
    // ends now and sends nothing more; the abort is lifted once it is over.
    // An abort that stands already (the program closes) is not this
    // window's to lift.
    if (carrying_ > 0 && vxIO::Busy() && !abortAsked_ && !vxIO::Aborted()) {
        abortAsked_ = true;
        vxIO::Abort();
    }
    QDialog::done(result);
}

// ---- Tool bar ----------------------------------------------------------------------

void frmDebugScreen::TB_ButtonClick(QAction* button) {
    if (!button) return;
    if (button == btnClose) {
        // A window that was never shown does not run done() on close.
        if (!isVisible()) DropWaiting();
        close();
        return;
    }
    if (ended_) return;
    // Clicked while an exchange waits (this window's own step included) or
    // while earlier clicks wait their turn: kept, and carried out after
    // them once the exchange has ended.
    if (carrying_ > 0 || !waiting_.empty() || vxIO::Busy()) {
        waiting_.push_back(button);
        ShowWaiting();
        if (carrying_ == 0) CarryOutLater();
        return;
    }
    CarryOut(button);
}

void frmDebugScreen::CarryOut(QAction* button) {
    const QPointer<frmDebugScreen> self(this);
    ++carrying_;
    {
        const vxIO::Exchange exchange;
        if (exchange) {
            if (button == btnSingleRun) {
                SingleStep();
                ShowVariableValues();
            } else if (button == btnRun) {
                RunAndClose();
            } else if (button == btnClearMem) {
                vxIO::ClearMemory();
                if (self && !modMain::Downloaded) close();
            }
        }
    }
    if (!self) return;
    --carrying_;
    if (carrying_ == 0 && abortAsked_) {
        abortAsked_ = false;
        vxIO::EndAbort();
    }
    if (!waiting_.empty()) CarryOutLater();
}

void frmDebugScreen::CarryOutLater() {
    // On the next turn of the event queue, or once the quiet time after a
    // frame that broke off is over.
    vxIO::WhenLineQuiet(this, [this] { CarryOutNext(); });
}

void frmDebugScreen::CarryOutNext() {
    // An exchange of this window under way starts the next click when it
    // ends.
    if (ended_ || waiting_.empty() || carrying_ > 0) return;
    if (vxIO::Busy()) {
        retry_->start();
        return;
    }
    if (vxIO::BrokenFrameQuietMs() > 0) {
        CarryOutLater();
        return;
    }
    QAction* next = waiting_.front();
    waiting_.pop_front();
    ShowWaiting();
    CarryOut(next);
}

void frmDebugScreen::DropWaiting() {
    waiting_.clear();
    retry_->stop();
    ShowWaiting();
}

void frmDebugScreen::ShowWaiting() {
    const bool waiting = !waiting_.empty();
    if (waiting == cursorShown_) return;
    cursorShown_ = waiting;
    if (waiting)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

// ---- Grids ---------------------------------------------------------------------------

void frmDebugScreen::SetUpGrids() {
    const qvv2::QUARVELv2& basic = modMain::Basic();
    // The first row of each grid is its header.
    Grid_Var->setColumnCount(4);
    Grid_Var->setRowCount(std::max<int>(0, basic.TotalVars));
    Grid_Var->setHorizontalHeaderLabels(
        {LoadResString(4609), LoadResString(4610), LoadResString(4606), LoadResString(4607)});
    Grid_Prog->setColumnCount(2);
    Grid_Prog->setRowCount(std::max<int32_t>(0, basic.TotalLines));
    Grid_Prog->setHorizontalHeaderLabels({LoadResString(4611), LoadResString(4612)});
    Grid_Var->horizontalHeader()->setStretchLastSection(false);
    Grid_Prog->horizontalHeader()->setStretchLastSection(false);
}

void frmDebugScreen::SetLineColours(int32_t line, bool current) {
    if (line < 1 || line > Grid_Prog->rowCount()) return;
    QTableWidgetItem* item = Grid_Prog->item(line - 1, 0);
    if (!item) return;
    item->setBackground(current ? kCurrentBack : kLineBack);
    item->setForeground(current ? kCurrentText : kLineText);
}

void frmDebugScreen::FillProgramGrid() {
    const std::u16string& text = modMain::Basic().SourceText;
    const int32_t rows = std::min(TotalLines, Grid_Prog->rowCount());
    for (int32_t i = 1; i <= rows; ++i) {
        // The number cell stays out of the selection, so that the current
        // line's colours are not painted over.
        QTableWidgetItem* number = Cell(QString::number(i), Qt::AlignRight);
        number->setFlags(Qt::ItemIsEnabled);
        Grid_Prog->setItem(i - 1, 0, number);
        SetLineColours(i, false);
        // LineStartPos is a 1-based character index into the source.
        const int64_t start = static_cast<int64_t>(LineStartPos[static_cast<size_t>(i)]) - 1;
        const int64_t length = LineLength[static_cast<size_t>(i)];
        QString line;
        if (start >= 0 && length > 0 && start < static_cast<int64_t>(text.size())) {
            const int64_t n = std::min<int64_t>(length, static_cast<int64_t>(text.size()) - start);
            line = QString::fromStdU16String(text.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
        }
        line.replace(QLatin1Char('\t'), QStringLiteral("    "));
        Grid_Prog->setItem(i - 1, 1, Cell(line, Qt::AlignLeft));
    }
}

void frmDebugScreen::LoadVariableTable() {
    const qvv2::QUARVELv2& basic = modMain::Basic();
    TotalVars = std::max<int16_t>(0, basic.TotalVars);
    DebugVars.assign(static_cast<size_t>(TotalVars) + 1, DebugVariable{});
    for (int i = 1; i <= TotalVars; ++i) {
        const size_t k = static_cast<size_t>(i);
        DebugVariable& v = DebugVars[k];
        if (k < basic.VarNAME.size()) v.Name = QString::fromStdU16String(basic.VarNAME[k]);
        if (k < basic.VarPOS.size()) v.Position = basic.VarPOS[k];
        if (k < basic.VarTYPE.size()) v.VarType = basic.VarTYPE[k];
        if (i > Grid_Var->rowCount()) continue;
        Grid_Var->setItem(i - 1, 0, Cell(v.Name, Qt::AlignLeft));
        Grid_Var->setItem(i - 1, 1, Cell(LoadResString(v.VarType == 3 ? 4613 : 4614), Qt::AlignLeft));
    }
    ReadMemoryImage();
    if (vxIO::CommError != 0) return;
    ShowVariableValues();
}

// ---- Controller memory ----------------------------------------------------------------

void frmDebugScreen::ReadMemoryImage() {
    const int16_t id = modMain::ControllerID;
    const int32_t areaStart = VariableAreaStart(id);
    if (areaStart < 0) return;
    // Every byte the display uses: from the area's start up to the last
    // variable's byte, and the byte after it for an Integer.
    int32_t areaEnd = areaStart - 1;
    for (int i = 1; i <= TotalVars && static_cast<size_t>(i) < DebugVars.size(); ++i) {
        const DebugVariable& v = DebugVars[static_cast<size_t>(i)];
        const int32_t a = VariableAddress(id, v.Position) + (v.VarType == 3 ? 1 : 0);
        areaEnd = std::max(areaEnd, a);
    }
    areaEnd = std::min(areaEnd, kMemorySize - 1);

    std::vector<int32_t> addresses = {PcLowAddress(id), PcHighAddress(id)};
    for (int32_t a = areaStart; a <= areaEnd; ++a) addresses.push_back(a);
    for (const int32_t a : addresses) {
        if (a < 0 || a >= kMemorySize) continue;
        const uint8_t b = vxIO::ReadMemory(a);
        if (vxIO::CommError != 0) return;
        MemoryImage[static_cast<size_t>(a)] = b;
    }
}

void frmDebugScreen::ShowVariableValues() {
    const int16_t id = modMain::ControllerID;
    const auto byteAt = [this](int32_t a) -> int32_t {
        return (a >= 0 && a < kMemorySize) ? MemoryImage[static_cast<size_t>(a)] : 0;
    };
    for (int i = 1; i <= TotalVars && static_cast<size_t>(i) < DebugVars.size(); ++i) {
        DebugVariable& v = DebugVars[static_cast<size_t>(i)];
        const int32_t a = VariableAddress(id, v.Position);
        v.Value = v.VarType == 3 ? byteAt(a + 1) * 256 + byteAt(a) : byteAt(a);
        if (i > Grid_Var->rowCount()) continue;
        Grid_Var->setItem(i - 1, 2, Cell(QString::number(v.Value), Qt::AlignRight));
        Grid_Var->setItem(i - 1, 3, Cell(QString::number(v.Value, 16).toUpper(), Qt::AlignRight));
    }
    ProgramCounter = byteAt(PcHighAddress(id)) * 256 + byteAt(PcLowAddress(id));
    lbl_PC_DEC->setText(QString::number(ProgramCounter));
    lbl_PC_HEX->setText(QString::number(ProgramCounter, 16).toUpper());
    ShowCurrentLine();
}

void frmDebugScreen::ShowCurrentLine() {
    SetLineColours(CurrentLine, false);
    CurrentLine = LineOfCounter(LineObjPos, TotalLines, ProgramCounter);
    SetLineColours(CurrentLine, true);
    if (CurrentLine < 1 || CurrentLine > Grid_Prog->rowCount()) return;
    Grid_Prog->selectRow(CurrentLine - 1);
    ScrollToCurrentLine();
}

void frmDebugScreen::ScrollToCurrentLine() {
    if (CurrentLine < 1 || CurrentLine > Grid_Prog->rowCount()) return;
    // Near the end the grid scrolls as far as it goes: the current row then
    // shows on its last page.
    if (QTableWidgetItem* item = Grid_Prog->item(CurrentLine - 1, 0))
        Grid_Prog->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

// ---- Step and run -------------------------------------------------------------------------

void frmDebugScreen::SingleStep() {
    vxIO::StepProgram();
    if (vxIO::CommError != 0) return;
    // The model's row says how the step's reply comes back; a model outside
    // the table reads none.
    using qvv2::controller::StepReply;
    const qvv2::controller::ModelFacts* model = FindModel(modMain::ControllerID);
    uint8_t reply = 0;
    switch (model ? model->stepReply : StepReply::None) {
    case StepReply::ParallelPort:
        // Bit 6 of the parallel port's status is set while the controller is
        // busy; a library error ends the wait as well.
        while ((vxIO::ParInport() & 64) != 0 && vxIO::CommError == 0) vxIO::Pump(QEventLoop::AllEvents);
        if (vxIO::CommError != 0) return;
        reply = vxIO::ParReceive();
        break;
    case StepReply::Serial:
        vxIO::SendZero();
        if (vxIO::CommError != 0) return;
        reply = vxIO::ReceiveByte();
        break;
    case StepReply::None: return;
    }
    if (vxIO::CommError == 0 && reply == qvv2::controller::LINK_STEP_DONE) ReadMemoryImage();
}

void frmDebugScreen::RunAndClose() {
    vxIO::RunProgram();
    close();
}

// ---- Layout -----------------------------------------------------------------------------------

void frmDebugScreen::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmDebugScreen::Form_Resize() {
    // Never lower or narrower than the main window.
    if (QWidget* main = modApp::MainWindow()) {
        const int h = std::max(height(), main->height());
        const int w = std::max(width(), main->width());
        if (h != height() || w != width()) {
            resize(w, h);
            return;  // the resize runs the layout again
        }
    }
    // The rules count the caption and the tool bar in the window's height
    // and the borders in its width; the frame ends 60 twips above the
    // bottom edge.
    const int tbHeight = TB->sizeHint().height();
    TB->setGeometry(0, 0, width(), tbHeight);
    const int top = tbHeight + Px(60);
    const double H = platform::PixelsToTwips(height()) + 1035 - platform::PixelsToTwips(top);
    const double W = platform::PixelsToTwips(width()) + kBorderTwips;

    frame_Var->setGeometry(Px(60), top, Px(3075), Px(H - 1095));
    Label1->setGeometry(Px(120), Px(90), Px(2835), Px(240));
    Grid_Var->setGeometry(Px(120), Px(360), Px(2835), Px(H - 1455));
    Grid_Prog->setGeometry(Px(3195), top + Px(60), Px(W - 3375), Px(H - 1215));

    // Column widths in twips; a type name wider than its column in this
    // font widens it, and the name column takes what is left of the grid's
    // inside (its frame and vertical scroll bar excluded).
    const QFontMetrics fm(Grid_Var->font());
    const int typeWidth = std::max({Px(650), fm.horizontalAdvance(LoadResString(4613)) + 12,
                                    fm.horizontalAdvance(LoadResString(4614)) + 12});
    const auto inside = [](const QTableWidget* grid) {
        int w = grid->width() - 2 * grid->frameWidth();
        if (grid->verticalScrollBar()->isVisible()) w -= grid->verticalScrollBar()->sizeHint().width();
        return std::max(0, w);
    };
    Grid_Var->setColumnWidth(1, typeWidth);
    Grid_Var->setColumnWidth(2, Px(600));
    Grid_Var->setColumnWidth(3, Px(600));
    Grid_Var->setColumnWidth(0, std::max(Px(400), inside(Grid_Var) - typeWidth - 2 * Px(600)));
    Grid_Prog->setColumnWidth(0, Px(700));
    Grid_Prog->setColumnWidth(1, std::max(0, inside(Grid_Prog) - Px(700)));
}
