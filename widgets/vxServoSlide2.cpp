#include "vxServoSlide2.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>

#include <algorithm>

#include "vxKeyCodes.h"
#include "vxServoParts.h"

using vxServoDetail::ClickLabel;
using vxServoDetail::StepButton;

namespace {

constexpr int px(int twips) { return ServoTwipsToPixels(twips); }

// Design places of the parts, twips.
constexpr int kChkLeft = 30, kChkTop = 30, kChkSize = 195;
constexpr int kNoLeft = 240, kNoTop = 30, kNoWidth = 225, kNoHeight = 225;
constexpr int kValLeft = 540, kValTop = 30, kValWidth = 465, kValHeight = 225;
constexpr int kSliderLeft = 30, kSliderTop = 540;
// The step buttons stand in the row between the header and the slider, just
// below the folded inner panel so that folding hides them whole.
constexpr int kButtonTop = 285, kButtonSize = 240, kButtonGap = 15;

QFont DesignLabelFont() {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(8);
    return f;
}

}  // namespace

vxServoSlide2::vxServoSlide2(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    pp_ = new QWidget(this);
    pp_->setObjectName(QStringLiteral("pp"));
    pp_->setAutoFillBackground(true);
    pp_->setMouseTracking(true);
    pp_->installEventFilter(this);
    p_ = new QWidget(pp_);
    p_->setObjectName(QStringLiteral("p"));
    p_->setAutoFillBackground(true);
    p_->installEventFilter(this);

    chkUse_ = new QCheckBox(p_);
    chkUse_->setObjectName(QStringLiteral("chkUse"));
    chkUse_->setMouseTracking(true);
    chkUse_->installEventFilter(this);
    lblMotorNo_ = new QLabel(QStringLiteral("0"), p_);
    lblMotorNo_->setObjectName(QStringLiteral("lblMotorNo"));
    lblMotorNo_->setFont(DesignLabelFont());
    lblMotorNo_->setMouseTracking(true);
    lblMotorNo_->installEventFilter(this);
    lblMotorVal_ = new ClickLabel(p_);
    lblMotorVal_->setObjectName(QStringLiteral("lblMotorVal"));
    lblMotorVal_->setText(QStringLiteral("190"));
    lblMotorVal_->setFont(DesignLabelFont());
    lblMotorVal_->setMouseTracking(true);
    lblMotorVal_->installEventFilter(this);

    slider_ = new vxServoDetail::HeldSlider(Qt::Horizontal, p_);
    slider_->setObjectName(QStringLiteral("ServoSlider"));
    slider_->setRange(kMinValue, kMaxValue);
    slider_->setSingleStep(1);
    slider_->setPageStep(5);
    // Like the common slider: dragging reports Scroll, the new value (and
    // with it Change) comes when the handle is let go.
    slider_->setTracking(false);
    slider_->setValue(100);

    cmdll_ = new StepButton(StepButton::Left, 2, p_);
    cmdl_ = new StepButton(StepButton::Left, 1, p_);
    cmdr_ = new StepButton(StepButton::Right, 1, p_);
    cmdrr_ = new StepButton(StepButton::Right, 2, p_);
    cmdll_->setObjectName(QStringLiteral("cmdll"));
    cmdl_->setObjectName(QStringLiteral("cmdl"));
    cmdr_->setObjectName(QStringLiteral("cmdr"));
    cmdrr_->setObjectName(QStringLiteral("cmdrr"));

    // The label shows where the slider stands once the host has heard the
    // notice: a host that waits for a controller in its handler may see the
    // position change again meanwhile, and the later position is the one
    // that stands.
    connect(slider_, &QSlider::valueChanged, this, [this] {
        emit Change();
        showPosition(slider_->sliderPosition());
    });
    connect(slider_, &QSlider::sliderMoved, this, [this] {
        emit Scroll();
        showPosition(slider_->sliderPosition());
    });
    connect(chkUse_, &QCheckBox::stateChanged, this, [this](int state) {
        // A greyed state set from code leaves a two-state box for the user.
        if (state != Qt::PartiallyChecked) chkUse_->setTristate(false);
        emit Click();
    });
    connect(lblMotorVal_, &ClickLabel::Clicked, this, &vxServoSlide2::ValueClick);
    connect(cmdll_, &QAbstractButton::clicked, this, [this] { stepBy(-5); });
    connect(cmdl_, &QAbstractButton::clicked, this, [this] { stepBy(-1); });
    connect(cmdr_, &QAbstractButton::clicked, this, [this] { stepBy(1); });
    connect(cmdrr_, &QAbstractButton::clicked, this, [this] { stepBy(5); });

    // Creation: the position label shows the slider's value.
    showPosition(slider_->value());
    applyColours();
    resize(px(kDefaultWidthTwips), px(kUnfoldedHeightTwips));
    InitProperties();
    // The parts stand in place before the panel is first shown, for a host
    // that measures them.
    layoutParts();
}

vxServoSlide2::~vxServoSlide2() = default;

QCheckBox* vxServoSlide2::chkUse() const { return chkUse_; }
QLabel* vxServoSlide2::lblMotorNo() const { return lblMotorNo_; }
QLabel* vxServoSlide2::lblMotorVal() const { return lblMotorVal_; }
QSlider* vxServoSlide2::ServoSlider() const { return slider_; }
QAbstractButton* vxServoSlide2::cmdll() const { return cmdll_; }
QAbstractButton* vxServoSlide2::cmdl() const { return cmdl_; }
QAbstractButton* vxServoSlide2::cmdr() const { return cmdr_; }
QAbstractButton* vxServoSlide2::cmdrr() const { return cmdrr_; }
QWidget* vxServoSlide2::pp() const { return pp_; }
QWidget* vxServoSlide2::p() const { return p_; }

void vxServoSlide2::setBackColor(int32_t colour) {
    backColor_ = colour;
    applyColours();
    emit PropertyChanged(QStringLiteral("BackColor"));
}

void vxServoSlide2::setForeColor(int32_t colour) {
    foreColor_ = colour;
    applyColours();
    emit PropertyChanged(QStringLiteral("ForeColor"));
}

void vxServoSlide2::setEnabled(bool on) {
    QWidget::setEnabled(on);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

QFont vxServoSlide2::Font() const { return lblMotorNo_->font(); }

void vxServoSlide2::setFont(const QFont& font) {
    lblMotorNo_->setFont(font);
    layoutParts();
    emit PropertyChanged(QStringLiteral("Font"));
}

bool vxServoSlide2::setBorderStyle(int16_t style) {
    if (style != 0 && style != 1) return false;
    borderStyle_ = style;
    layoutParts();
    update();
    emit PropertyChanged(QStringLiteral("BorderStyle"));
    return true;
}

void vxServoSlide2::Refresh() { repaint(); }

int32_t vxServoSlide2::Value() const { return slider_->sliderPosition(); }

bool vxServoSlide2::setValue(int32_t value) {
    if (value < kMinValue || value > kMaxValue) return false;
    // The slider reports the change itself: Change and the label follow.
    slider_->setValue(value);
    emit PropertyChanged(QStringLiteral("Value"));
    return true;
}

void vxServoSlide2::setScrollView(bool unfolded) {
    if (unfolded)
        unfold();
    else
        fold();
}

void vxServoSlide2::setMotorNo(int16_t number) {
    motorNo_ = number;
    emit PropertyChanged(QStringLiteral("MotorNo"));
    lblMotorNo_->setText(QString::number(number));
    layoutParts();
}

int32_t vxServoSlide2::CheckValue() const {
    switch (chkUse_->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
    }
}

bool vxServoSlide2::setCheckValue(int32_t value) {
    if (value < 0 || value > 2) return false;
    const Qt::CheckState state = value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
    // The box reports the change itself: Click follows.
    chkUse_->setCheckState(state);
    emit PropertyChanged(QStringLiteral("CheckValue"));
    return true;
}

void vxServoSlide2::InitProperties() {
    scrollView_ = true;
    resize(width(), px(kUnfoldedHeightTwips));
    pp_->resize(pp_->width(), px(kUnfoldedHeightTwips));
    p_->resize(p_->width(), px(kUnfoldedInnerHeightTwips));
    motorNo_ = 0;
}

void vxServoSlide2::ReadProperties(const vxPropertyBag& bag) {
    using namespace vxServoDetail;
    backColor_ = ReadLong(bag, QStringLiteral("BackColor"), 0xE0E0E0);
    foreColor_ = ReadLong(bag, QStringLiteral("ForeColor"), static_cast<int32_t>(0x80000008u));
    applyColours();
    QWidget::setEnabled(ReadBoolean(bag, QStringLiteral("Enabled"), true));
    lblMotorNo_->setFont(ReadFont(bag, QStringLiteral("Font"), AmbientFont(this)));
    const int16_t border = ReadInteger(bag, QStringLiteral("BorderStyle"), 0);
    borderStyle_ = (border == 0 || border == 1) ? border : 0;
    // A saved position out of range is not applied: the slider keeps its own.
    const int32_t v = ReadLong(bag, QStringLiteral("Value"), 100);
    if (v >= kMinValue && v <= kMaxValue) slider_->setValue(v);
    scrollView_ = ReadBoolean(bag, QStringLiteral("ScrollView"), true);
    motorNo_ = ReadInteger(bag, QStringLiteral("MotorNo"), 0);
    const int16_t check = ReadInteger(bag, QStringLiteral("CheckValue"), 0);
    if (check >= 0 && check <= 2) {
        chkUse_->setCheckState(check == 1 ? Qt::Checked : check == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    layoutParts();
    update();
}

void vxServoSlide2::WriteProperties(vxPropertyBag& bag) const {
    using namespace vxServoDetail;
    bag.WriteProperty(QStringLiteral("BackColor"), backColor_, 0xE0E0E0);
    bag.WriteProperty(QStringLiteral("ForeColor"), foreColor_, static_cast<int32_t>(0x80000008u));
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    WriteFont(bag, QStringLiteral("Font"), lblMotorNo_->font(), AmbientFont(this));
    bag.WriteProperty(QStringLiteral("BorderStyle"), borderStyle_, int16_t(0));
    bag.WriteProperty(QStringLiteral("Value"), static_cast<int32_t>(slider_->value()), int32_t(100));
    bag.WriteProperty(QStringLiteral("ScrollView"), scrollView_, true);
    bag.WriteProperty(QStringLiteral("MotorNo"), motorNo_, int16_t(0));
    bag.WriteProperty(QStringLiteral("CheckValue"), static_cast<int16_t>(CheckValue()), int16_t(0));
}

void vxServoSlide2::unfold() {
    scrollView_ = true;
    emit PropertyChanged(QStringLiteral("ScrollView"));
    resize(width(), px(kUnfoldedHeightTwips));
    pp_->resize(pp_->width(), px(kUnfoldedHeightTwips));
    p_->resize(p_->width(), px(kUnfoldedInnerHeightTwips));
}

void vxServoSlide2::fold() {
    scrollView_ = false;
    emit PropertyChanged(QStringLiteral("ScrollView"));
    p_->resize(p_->width(), px(kFoldedInnerHeightTwips));
    pp_->resize(pp_->width(), px(kFoldedHeightTwips));
    resize(width(), px(kFoldedHeightTwips));
}

void vxServoSlide2::layoutParts() {
    // Widths follow the panel; heights belong to folding.
    const int border = borderStyle_ == 1 ? 1 : 0;
    const int w = std::max(0, width() - 2 * border);
    pp_->setGeometry(border, border, w, pp_->height());
    p_->setGeometry(0, 0, w, p_->height());

    // The box is as large as the style draws its indicator, so that no edge
    // of it is cut off.
    const int chkW = std::max(px(kChkSize), chkUse_->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, chkUse_));
    const int chkH =
        std::max(px(kChkSize), chkUse_->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, chkUse_));
    chkUse_->setGeometry(px(kChkLeft), px(kChkTop), chkW, chkH);
    // The number label grows with a wider font or a longer number, and the
    // position label moves along rather than be covered.
    const QFontMetrics noMetrics(lblMotorNo_->font());
    const int noWidth = std::max(px(kNoWidth), noMetrics.horizontalAdvance(lblMotorNo_->text()) + 1);
    const int noHeight = std::max(px(kNoHeight), noMetrics.height());
    const int noLeft = std::max(px(kNoLeft), px(kChkLeft) + chkW + 1);
    lblMotorNo_->setGeometry(noLeft, px(kNoTop), noWidth, noHeight);
    const int valLeft = std::max(px(kValLeft), noLeft + noWidth + 1);
    const QFontMetrics valMetrics(lblMotorVal_->font());
    const int valWidth = std::max(px(kValWidth), valMetrics.horizontalAdvance(QStringLiteral("190")) + 1);
    lblMotorVal_->setGeometry(valLeft, px(kValTop), valWidth, std::max(px(kValHeight), valMetrics.height()));

    // Two buttons at each end of the row; on a narrow panel they get
    // narrower rather than overlap.
    const int gap = px(kButtonGap), top = px(kButtonTop), left = px(kSliderLeft);
    const int h = px(kButtonSize);
    const int b = std::max(1, std::min(h, (w - 2 * left - 3 * gap) / 4));
    const int right = w - left;
    cmdll_->setGeometry(left, top, b, h);
    cmdl_->setGeometry(left + b + gap, top, b, h);
    cmdrr_->setGeometry(right - b, top, b, h);
    cmdr_->setGeometry(right - 2 * b - gap, top, b, h);
    const int sliderTop = px(kSliderTop);
    slider_->setGeometry(left, sliderTop, std::max(0, w - 2 * left),
                         std::max(0, px(kUnfoldedInnerHeightTwips) - sliderTop));
}

void vxServoSlide2::applyColours() {
    const QColor back = ServoColourToQColor(backColor_);
    QPalette outer = pp_->palette();
    // The frame below the inner panel is a shade darker, so the strip that
    // folds the panel can be seen.
    outer.setColor(QPalette::Window, back.darker(112));
    pp_->setPalette(outer);
    QPalette inner = p_->palette();
    inner.setColor(QPalette::Window, back);
    p_->setPalette(inner);
    QPalette number = lblMotorNo_->palette();
    number.setColor(QPalette::WindowText, ServoColourToQColor(foreColor_));
    lblMotorNo_->setPalette(number);
    update();
}

void vxServoSlide2::stepBy(int step) {
    const int v = slider_->value();
    int next = v;
    switch (step) {
        case -1: next = v > kMinValue ? v - 1 : v; break;
        case -5: next = v > kMinValue + 4 ? v - 5 : kMinValue; break;
        case 1: next = v < kMaxValue ? v + 1 : v; break;
        case 5: next = v < kMaxValue - 4 ? v + 5 : kMaxValue; break;
        default: break;
    }
    slider_->setValue(next);
}

void vxServoSlide2::showPosition(int value) { lblMotorVal_->setText(QString::number(value)); }

bool vxServoSlide2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == chkUse_ || watched == lblMotorNo_ || watched == lblMotorVal_) {
            unfold();
        } else if (watched == pp_) {
            // Only the frame's own strip folds: a move over the inner panel
            // that reaches the frame from a part stands inside p.
            const auto* me = static_cast<QMouseEvent*>(event);
            if (!p_->geometry().contains(me->position().toPoint())) fold();
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == p_) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && p_->rect().contains(me->position().toPoint())) unfold();
    }
    return QWidget::eventFilter(watched, event);
}

void vxServoSlide2::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutParts();
    emit Resize();
}

void vxServoSlide2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ServoColourToQColor(backColor_));
    if (borderStyle_ == 1) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void vxServoSlide2::keyPressEvent(QKeyEvent* e) {
    emit KeyDown(vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()));
    const QString text = e->text();
    if (text.size() == 1 && text.at(0).unicode() < 128) emit KeyPress(static_cast<int16_t>(text.at(0).unicode()));
}

void vxServoSlide2::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    emit KeyUp(vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()));
}

void vxServoSlide2::raiseMouse(QMouseEvent* e, void (vxServoSlide2::*signal)(int16_t, int16_t, float, float)) {
    const QPointF at = e->position();
    emit(this->*signal)(vxServoDetail::ButtonsOf(e), vxKey::ShiftOf(e->modifiers()),
                        static_cast<float>(at.x() * kServoTwipsPerPixel),
                        static_cast<float>(at.y() * kServoTwipsPerPixel));
}

void vxServoSlide2::mousePressEvent(QMouseEvent* e) { raiseMouse(e, &vxServoSlide2::MouseDown); }
void vxServoSlide2::mouseMoveEvent(QMouseEvent* e) { raiseMouse(e, &vxServoSlide2::MouseMove); }
void vxServoSlide2::mouseReleaseEvent(QMouseEvent* e) { raiseMouse(e, &vxServoSlide2::MouseUp); }

void vxServoSlide2::mouseDoubleClickEvent(QMouseEvent* e) {
    raiseMouse(e, &vxServoSlide2::MouseDown);
    emit DblClick();
}

void vxServoSlide2::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) applyColours();
}
