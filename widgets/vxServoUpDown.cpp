#include "vxServoUpDown.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "vxKeyCodes.h"
#include "vxServoParts.h"

using vxServoDetail::ClickLabel;
using vxServoDetail::PictureBox;
using vxServoDetail::StepButton;

namespace {

// An arrow picture: a raised face with one arrow head.
PictureBox::Painter ArrowPicture(StepButton::Direction d, const QWidget* owner) {
    return [d, owner](QPainter& p, const QRect& r) {
        const QPalette pal = owner->palette();
        p.fillRect(r, pal.color(QPalette::Button));
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        const QColor arrow =
            pal.color(owner->isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
        vxServoDetail::PaintArrowHeads(p, QRectF(r).adjusted(2, 1, -2, -1), d, 1, arrow);
    };
}

}  // namespace

vxServoUpDown::vxServoUpDown(QWidget* parent) : QWidget(parent) {
    lblValue_ = new ClickLabel(this);
    lblValue_->setObjectName(QStringLiteral("lblValue"));
    lblValue_->setAlignment(Qt::AlignCenter);
    lblValue_->setAutoFillBackground(true);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(9);
    f.setBold(true);
    lblValue_->setFont(f);
    picUp_ = new PictureBox(this);
    picUp_->setObjectName(QStringLiteral("picUp"));
    picUp_->setPainter(ArrowPicture(StepButton::Up, this));
    picDown_ = new PictureBox(this);
    picDown_->setObjectName(QStringLiteral("picDown"));
    picDown_->setPainter(ArrowPicture(StepButton::Down, this));

    connect(lblValue_, &ClickLabel::Clicked, this, &vxServoUpDown::Click);
    connect(lblValue_, &ClickLabel::DoubleClicked, this, &vxServoUpDown::DblClick);
    connect(picUp_, &PictureBox::Clicked, this, [this] { step(1); });
    connect(picDown_, &PictureBox::Clicked, this, [this] { step(-1); });

    applyColours();
    resize(ServoTwipsToPixels(kDefaultWidthTwips), ServoTwipsToPixels(kDefaultHeightTwips));
    layoutParts();
    InitProperties();
}

vxServoUpDown::~vxServoUpDown() = default;

QLabel* vxServoUpDown::lblValue() const { return lblValue_; }
QWidget* vxServoUpDown::picUp() const { return picUp_; }
QWidget* vxServoUpDown::picDown() const { return picDown_; }

void vxServoUpDown::setEnabled(bool on) {
    QWidget::setEnabled(on);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

void vxServoUpDown::Refresh() { repaint(); }

void vxServoUpDown::setBackColor(int32_t colour) {
    backColor_ = colour;
    applyColours();
    emit PropertyChanged(QStringLiteral("BackColor"));
}

void vxServoUpDown::setForeColor(int32_t colour) {
    foreColor_ = colour;
    applyColours();
    emit PropertyChanged(QStringLiteral("ForeColor"));
}

void vxServoUpDown::setValue(int16_t value) {
    value_ = value;
    emit PropertyChanged(QStringLiteral("Value"));
    lblValue_->setText(QString::number(value_));
    emit ValueChanged();
}

void vxServoUpDown::InitProperties() {
    value_ = 100;
    lblValue_->setText(QString::number(value_));
}

void vxServoUpDown::ReadProperties(const vxPropertyBag& bag) {
    using namespace vxServoDetail;
    QWidget::setEnabled(ReadBoolean(bag, QStringLiteral("Enabled"), true));
    backColor_ = ReadLong(bag, QStringLiteral("BackColor"), 0xFFFF);
    foreColor_ = ReadLong(bag, QStringLiteral("ForeColor"), static_cast<int32_t>(0x80000008u));
    applyColours();
    value_ = ReadInteger(bag, QStringLiteral("Value"), 100);
}

void vxServoUpDown::WriteProperties(vxPropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    bag.WriteProperty(QStringLiteral("BackColor"), backColor_, 0xFFFF);
    bag.WriteProperty(QStringLiteral("ForeColor"), foreColor_, static_cast<int32_t>(0x80000008u));
    bag.WriteProperty(QStringLiteral("Value"), value_, int16_t(100));
}

void vxServoUpDown::step(int delta) {
    if (delta > 0 && value_ > kMaxStep - 1) return;
    if (delta < 0 && value_ < kMinStep + 1) return;
    value_ = static_cast<int16_t>(value_ + delta);
    emit PropertyChanged(QStringLiteral("Value"));
    lblValue_->setText(QString::number(value_));
    emit ValueChanged();
}

void vxServoUpDown::applyColours() {
    QPalette pal = lblValue_->palette();
    pal.setColor(QPalette::Window, ServoColourToQColor(backColor_));
    pal.setColor(QPalette::WindowText, ServoColourToQColor(foreColor_));
    lblValue_->setPalette(pal);
}

void vxServoUpDown::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutParts();
}

void vxServoUpDown::layoutParts() {
    // The two arrows stand one above the other at the right, the label takes
    // the rest.
    const int arrows = std::min(width() / 2, ServoTwipsToPixels(195));
    const int half = height() / 2;
    lblValue_->setGeometry(0, 0, std::max(0, width() - arrows), height());
    picUp_->setGeometry(width() - arrows, 0, arrows, half);
    picDown_->setGeometry(width() - arrows, half, arrows, height() - half);
}

void vxServoUpDown::keyPressEvent(QKeyEvent* e) {
    emit KeyDown(vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()));
    const QString text = e->text();
    if (text.size() == 1 && text.at(0).unicode() < 128) emit KeyPress(static_cast<int16_t>(text.at(0).unicode()));
}

void vxServoUpDown::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    emit KeyUp(vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()));
}

void vxServoUpDown::raiseMouse(QMouseEvent* e, void (vxServoUpDown::*signal)(int16_t, int16_t, float, float)) {
    const QPointF at = e->position();
    emit(this->*signal)(vxServoDetail::ButtonsOf(e), vxKey::ShiftOf(e->modifiers()),
                        static_cast<float>(at.x() * kServoTwipsPerPixel),
                        static_cast<float>(at.y() * kServoTwipsPerPixel));
}

void vxServoUpDown::mousePressEvent(QMouseEvent* e) { raiseMouse(e, &vxServoUpDown::MouseDown); }
void vxServoUpDown::mouseMoveEvent(QMouseEvent* e) { raiseMouse(e, &vxServoUpDown::MouseMove); }
void vxServoUpDown::mouseReleaseEvent(QMouseEvent* e) { raiseMouse(e, &vxServoUpDown::MouseUp); }

void vxServoUpDown::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) applyColours();
    if (e->type() == QEvent::EnabledChange) {
        picUp_->update();
        picDown_->update();
    }
}
