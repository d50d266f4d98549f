#include "build/frmObj.h"

#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "compiler/QUARVELv2.h"
#include "build/EventYield.h"
#include "documents/LocalizeForm.h"
#include "documents/MainHost.h"
#include "link/DownloadProgram.h"
#include "platform/CodeEditor.h"
#include "platform/Twips.h"

namespace {

QPointer<frm_Obj> g_obj;
QPointer<frm_Obj_Line> g_objLine;

// Whether the compiler holds code beyond the 16-byte header of a
// successful compile.
bool HasCode(const qvv2::QUARVELv2& basic) { return basic.TotalBytes > 16 && basic.Bas_Error == 0; }

// The compiler's image cut to its TotalBytes (indexes 0..TotalBytes, fewer
// when the image is shorter than it says).
std::vector<uint8_t> CopyCode(const qvv2::QUARVELv2& basic) {
    std::vector<uint8_t> code = basic.ObjCode;
    const size_t wanted = static_cast<size_t>(std::max<int32_t>(basic.TotalBytes, 0)) + 1;
    if (code.size() > wanted) code.resize(wanted);
    return code;
}

QString Decimal3(uint8_t b) { return QString::number(b).rightJustified(3, QLatin1Char('0')); }
QString Hex2(uint8_t b) { return QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0')); }

QFont FixedFont() {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

}  // namespace

// ---- frm_Obj ---------------------------------------------------------------------------

frm_Obj::frm_Obj(QWidget* owner) : QDialog(owner) {
    setProperty("Tag", QStringLiteral("3141"));
    setWindowTitle(QStringLiteral("View Object Code"));

    Label1 = new QLabel(QStringLiteral("        0   1   2   3   4   5   6   7"), this);
    txt_obj = new platform::CodeEditor(this);
    lblProcess = new QLabel(this);
    cmd_10 = new QPushButton(QStringLiteral("DEC"), this);
    cmd_16 = new QPushButton(QStringLiteral("HEX"), this);
    cmd_Close = new QPushButton(QStringLiteral("Close"), this);
    Init_Timer = new QTimer(this);
    Init_Timer->setInterval(10);

    const QFont font = FixedFont();
    Label1->setFont(font);
    txt_obj->setFont(font);
    txt_obj->setReadOnly(true);
    // No margins: the column header must stand over the byte columns.
    txt_obj->HideMargins();
    Label1->setIndent(txt_obj->TextIndent());

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblProcess, 1);
    buttons->addWidget(cmd_10);
    buttons->addWidget(cmd_16);
    buttons->addWidget(cmd_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(txt_obj, 1);
    layout->addLayout(buttons);
    // Eight bytes of four characters behind a six-character address.
    const int columns = QFontMetrics(font).horizontalAdvance(QString(40, QLatin1Char('0')));
    resize(columns + 80, 420);

    connect(cmd_10, &QPushButton::clicked, this, [this] { cmd_10_Click(); });
    connect(cmd_16, &QPushButton::clicked, this, [this] { cmd_16_Click(); });
    connect(cmd_Close, &QPushButton::clicked, this, [this] { cmd_Close_Click(); });
    connect(Init_Timer, &QTimer::timeout, this, [this] { Init_Timer_Timer(); });
    g_obj = this;
}

frm_Obj::~frm_Obj() = default;

frm_Obj* frm_Obj::Loaded() { return g_obj.data(); }

void frm_Obj::ShowModal(QWidget* owner) {
    QPointer<frm_Obj> window = new frm_Obj(owner);
    window->Form_Load();
    window->exec();
    delete window.data();
}

void frm_Obj::Form_Load() {
    modMain::LocalizeForm(this);
    const qvv2::QUARVELv2& basic = modMain::Basic();
    if (!HasCode(basic)) return;
    code_ = CopyCode(basic);
    Init_Timer->start();
}

void frm_Obj::Init_Timer_Timer() {
    Init_Timer->stop();
    cmd_16_Click();
}

void frm_Obj::cmd_10_Click() {
    hex_ = false;
    cmd_16->setEnabled(true);
    cmd_10->setEnabled(false);
    BuildListing();
}

void frm_Obj::cmd_16_Click() {
    hex_ = true;
    cmd_16->setEnabled(false);
    cmd_10->setEnabled(true);
    BuildListing();
}

void frm_Obj::cmd_Close_Click() { done(QDialog::Accepted); }

void frm_Obj::done(int result) {
    ++generation_;
    QDialog::done(result);
}

QString frm_Obj::ListingLine(int32_t address, const uint8_t* bytes, int count, bool hex) {
    QString text = QStringLiteral(" ");
    const QString digits = hex ? QString::number(address, 16).toUpper() : QString::number(address);
    text += digits.rightJustified(4, QLatin1Char('0')).right(4);
    text += QLatin1Char(' ');
    for (int i = 0; i < count; ++i)
        text += hex ? QStringLiteral("  ") + Hex2(bytes[i]) : QStringLiteral(" ") + Decimal3(bytes[i]);
    return text;
}

void frm_Obj::BuildListing() {
    const int generation = ++generation_;
    QPointer<frm_Obj> self(this);
    txt_obj->setReadOnly(false);
    txt_obj->SetWholeText(QString());
    txt_obj->setReadOnly(true);

    QString text;
    const int64_t available = static_cast<int64_t>(code_.size()) - 1;
    int64_t shownPercent = -1;
    for (int64_t i = 1;; ++i) {
        // The compiler's size is read on every turn, as the listing always
        // did; the copy bounds it.
        const int64_t total = std::min<int64_t>(modMain::Basic().TotalBytes, available);
        if (i > total) break;
        modMain::YieldToEvents();
        if (!self || generation != generation_) return;  // closed, or a newer listing took over
        const auto percent = static_cast<int64_t>(
            std::floor(static_cast<double>(i) / static_cast<double>(total) * 100.0));
        if (percent != shownPercent) {
            shownPercent = percent;
            lblProcess->setText(QStringLiteral(" ") + QString::number(percent) + QStringLiteral("% 진행중 "));
        }
        if (i % 8 == 1) {
            if (i > 1) text += QStringLiteral("\r\n");
            text += ListingLine(static_cast<int32_t>((i - 1) / 8 * 8), nullptr, 0, hex_);
        }
        const uint8_t b = code_[static_cast<size_t>(i)];
        text += hex_ ? QStringLiteral("  ") + Hex2(b) : QStringLiteral(" ") + Decimal3(b);
    }
    txt_obj->setReadOnly(false);
    txt_obj->SetWholeText(text);
    txt_obj->SetChanged(false);
    txt_obj->setReadOnly(true);
}

// ---- frm_Obj_Line --------------------------------------------------------------------

namespace {

constexpr Qt::Alignment kColumnAlignment[4] = {
    Qt::AlignRight | Qt::AlignVCenter,  // NO
    Qt::AlignLeft | Qt::AlignVCenter,   // SOURCE
    Qt::AlignCenter,                    // START
    Qt::AlignLeft | Qt::AlignVCenter,   // CODE
};
const char* const kHeaders[4] = {"NO", "SOURCE", "START", "CODE"};

}  // namespace

frm_Obj_Line::frm_Obj_Line(QWidget* owner) : QDialog(owner) {
    setProperty("Tag", QStringLiteral("3142"));
    setWindowTitle(QStringLiteral("View Line Object Code"));
    List = new QTableWidget(this);
    List->horizontalHeader()->hide();
    List->verticalHeader()->hide();
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line per row: a long CODE cell is cut at the column's edge and
    // shows whole in its tool tip.
    List->setWordWrap(false);
    List->setColumnCount(4);
    List->setFont(FixedFont());
    cmd_10 = new QPushButton(QStringLiteral("DEC"), this);
    cmd_16 = new QPushButton(QStringLiteral("HEX"), this);
    cmd_Close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {cmd_10, cmd_16, cmd_Close})
        b->resize(platform::TwipsToPixels(975), platform::TwipsToPixels(375));
    connect(cmd_10, &QPushButton::clicked, this, [this] { cmd_10_Click(); });
    connect(cmd_16, &QPushButton::clicked, this, [this] { cmd_16_Click(); });
    connect(cmd_Close, &QPushButton::clicked, this, [this] { cmd_Close_Click(); });
    resize(800, 500);
    g_objLine = this;
}

frm_Obj_Line::~frm_Obj_Line() = default;

frm_Obj_Line* frm_Obj_Line::Loaded() { return g_objLine.data(); }

void frm_Obj_Line::ShowModal(QWidget* owner) {
    QPointer<frm_Obj_Line> window = new frm_Obj_Line(owner);
    window->Form_Load();
    window->exec();
    delete window.data();
}

void frm_Obj_Line::Form_Load() {
    modMain::LocalizeForm(this);
    SetupGrid();
    if (QWidget* main = modApp::MainWindow()) setGeometry(main->geometry());

    const qvv2::QUARVELv2& basic = modMain::Basic();
    if (!HasCode(basic)) return;
    code_ = CopyCode(basic);
    totalBytes_ = basic.TotalBytes;
    totalLines_ = std::max<int32_t>(basic.TotalLines, 0);
    linePos_ = basic.LineObjPos;
    lineStart_ = basic.LineStartPos;
    lineLength_ = basic.LineLength;
    source_ = basic.SourceText;
    loaded_ = true;
    SetupGrid();
    FillRows();
    cmd_16_Click();
}

void frm_Obj_Line::SetupGrid() {
    // Only the header row until the results of a good compile are loaded.
    List->setRowCount(loaded_ ? totalLines_ + 1 : 1);
    for (int column = 0; column < 4; ++column) {
        SetCell(0, column, QString::fromLatin1(kHeaders[column]));
        if (QTableWidgetItem* item = List->item(0, column)) item->setTextAlignment(Qt::AlignCenter);
    }
}

void frm_Obj_Line::FillRows() {
    for (int32_t r = 1; r <= totalLines_; ++r) {
        QString text;
        // LineStartPos counts characters from 1.
        if (static_cast<size_t>(r) < lineStart_.size() && static_cast<size_t>(r) < lineLength_.size()) {
            const int64_t start = static_cast<int64_t>(lineStart_[static_cast<size_t>(r)]) - 1;
            const int64_t length = lineLength_[static_cast<size_t>(r)];
            if (start >= 0 && length > 0 && start < static_cast<int64_t>(source_.size())) {
                const int64_t n = std::min<int64_t>(length, static_cast<int64_t>(source_.size()) - start);
                text = QString::fromStdU16String(source_.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
            }
        }
        SetCell(r, 0, QString::number(r));
        SetCell(r, 1, text.replace(QLatin1Char('\t'), QStringLiteral("    ")));
    }
}

void frm_Obj_Line::FillCodes(bool hex) {
    const int generation = ++generation_;
    QPointer<frm_Obj_Line> self(this);
    const int64_t available = static_cast<int64_t>(code_.size()) - 1;
    for (int32_t r = 1; r <= totalLines_; ++r) {
        if (hex) {
            modMain::YieldToEvents();
            if (!self || generation != generation_) return;
        }
        if (static_cast<size_t>(r) >= linePos_.size()) break;
        const int64_t start = linePos_[static_cast<size_t>(r)];
        const int64_t end = (r < totalLines_ && static_cast<size_t>(r) + 1 < linePos_.size())
                                ? linePos_[static_cast<size_t>(r) + 1]
                                : totalBytes_;
        const int64_t n = end - start;
        if (n <= 0) continue;
        SetCell(r, 2, hex ? QString::number(start, 16).toUpper() : QString::number(start));
        QString bytes;
        for (int64_t i = start + 1; i <= start + n && i <= available; ++i) {
            if (i < 1) continue;
            const uint8_t b = code_[static_cast<size_t>(i)];
            bytes += (hex ? Hex2(b) : Decimal3(b)) + QStringLiteral("  ");
            if (hex) {
                modMain::YieldToEvents();
                if (!self || generation != generation_) return;
            }
        }
        SetCell(r, 3, bytes);
        if (QTableWidgetItem* item = List->item(r, 3)) item->setToolTip(bytes.trimmed());
    }
}

void frm_Obj_Line::cmd_10_Click() {
    FillCodes(false);
    cmd_10->setEnabled(false);
    cmd_16->setEnabled(true);
}

void frm_Obj_Line::cmd_16_Click() {
    QPointer<frm_Obj_Line> self(this);
    FillCodes(true);
    if (!self) return;
    cmd_16->setEnabled(false);
    cmd_10->setEnabled(true);
}

void frm_Obj_Line::cmd_Close_Click() { done(QDialog::Accepted); }

void frm_Obj_Line::done(int result) {
    ++generation_;
    QDialog::done(result);
}

void frm_Obj_Line::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frm_Obj_Line::Form_Resize() {
    // Never larger than the main window.
    if (QWidget* main = modApp::MainWindow()) {
        const QSize limit = main->size();
        if (height() > limit.height() || width() > limit.width())
            resize(std::min(width(), limit.width()), std::min(height(), limit.height()));
    }
    const double W = platform::PixelsToTwips(width());
    const double H = platform::PixelsToTwips(height());
    const double gridWidth = W - 240;
    const double gridHeight = H - 1020;
    List->setGeometry(platform::TwipsToPixels(120), platform::TwipsToPixels(120),
                      std::max(0, platform::TwipsToPixels(gridWidth)),
                      std::max(0, platform::TwipsToPixels(gridHeight)));
    const int buttonTop = platform::TwipsToPixels(H - 750);
    cmd_Close->move(platform::TwipsToPixels(W - 1215), buttonTop);
    cmd_16->move(platform::TwipsToPixels(W - 2295), buttonTop);
    cmd_10->move(platform::TwipsToPixels(W - 3375), buttonTop);
    const double sourceWidth = std::round((gridWidth - 1400) * 3 / 5);
    List->setColumnWidth(0, platform::TwipsToPixels(700));
    List->setColumnWidth(1, std::max(0, platform::TwipsToPixels(sourceWidth)));
    List->setColumnWidth(2, platform::TwipsToPixels(700));
    // The last column takes what is left inside the grid's frame.
    List->setColumnWidth(3,
                         std::max(0, platform::TwipsToPixels(gridWidth - 1400 - sourceWidth) - 2 * List->frameWidth()));
}

QString frm_Obj_Line::CellText(int row, int column) const {
    const QTableWidgetItem* item = List->item(row, column);
    return item ? item->text() : QString();
}

void frm_Obj_Line::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = List->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(kColumnAlignment[column]);
        List->setItem(row, column, item);
    }
    item->setText(text);
}
