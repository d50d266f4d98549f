#include "vxServoParts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace vxServoDetail {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setPainter(Painter p) {
    painter_ = std::move(p);
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (!painter_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    painter_(p, rect());
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
    emit MouseDown(e);
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    emit MouseMove(e);
    e->ignore();  // the host may follow the pointer too
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    emit MouseUp(e);
    if (e->button() != Qt::LeftButton) return;
    const bool click = pressed_ && !swallowRelease_ && rect().contains(e->position().toPoint());
    pressed_ = false;
    swallowRelease_ = false;
    if (click) emit Clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* e) {
    emit MouseDown(e);
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    swallowRelease_ = true;
    emit DoubleClicked();
}

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
    e->ignore();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    e->ignore();
    if (e->button() != Qt::LeftButton) return;
    const bool click = pressed_ && !swallowRelease_ && rect().contains(e->position().toPoint());
    pressed_ = false;
    swallowRelease_ = false;
    if (click) emit Clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    e->ignore();
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    swallowRelease_ = true;
    emit DoubleClicked();
}

HeldSlider::HeldSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {}

void HeldSlider::mousePressEvent(QMouseEvent* e) {
    held_ = e->buttons();
    pressed_ = e->button();
    QSlider::mousePressEvent(e);
    // The release (or a later press and release) may have been handled while
    // the first step's notices ran; a repeat armed after them must not start.
    if (!(held_ & pressed_)) setRepeatAction(SliderNoAction);
}

void HeldSlider::mouseReleaseEvent(QMouseEvent* e) {
    held_ = e->buttons();
    QSlider::mouseReleaseEvent(e);
}

void HeldSlider::timerEvent(QTimerEvent* e) {
    // The repeat's tick with its button let go: the repeat ends.
    if (repeatAction() != SliderNoAction && !(held_ & pressed_)) {
        setRepeatAction(SliderNoAction);
        return;
    }
    QSlider::timerEvent(e);
}

void HeldSlider::hideEvent(QHideEvent* e) {
    // A hidden slider gets no release.
    held_ = Qt::NoButton;
    setRepeatAction(SliderNoAction);
    QSlider::hideEvent(e);
}

StepButton::StepButton(Direction d, int heads, QWidget* parent)
    : QAbstractButton(parent), dir_(d), heads_(std::clamp(heads, 1, 2)) {
    setFocusPolicy(Qt::NoFocus);  // the slider keeps the keyboard
}

QSize StepButton::sizeHint() const { return {16, 16}; }

void StepButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.features = QStyleOptionButton::None;
    if (isDown())
        opt.state |= QStyle::State_Sunken;
    else
        opt.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF inner = QRectF(rect()).adjusted(3, 3, -3, -3).translated(isDown() ? 0.5 : 0, isDown() ? 0.5 : 0);
    PaintArrowHeads(p, inner, dir_, heads_,
                    palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
}

void PaintArrowHeads(QPainter& p, const QRectF& r, StepButton::Direction d, int heads, const QColor& c) {
    const bool horizontal = d == StepButton::Left || d == StepButton::Right;
    // One head is a triangle `depth` deep and `span` wide; two stand nose to
    // tail.
    const qreal span = std::min(horizontal ? r.height() : r.width(), qreal(9));
    const qreal depth = span / 2;
    const qreal total = depth * heads;
    QPainterPath path;
    for (int i = 0; i < heads; ++i) {
        const qreal start = -total / 2 + i * depth;  // along the arrow, from its tail
        QPolygonF tri;
        switch (d) {
            case StepButton::Right:
                tri << QPointF(start, -span / 2) << QPointF(start + depth, 0) << QPointF(start, span / 2);
                break;
            case StepButton::Left:
                tri << QPointF(-start, -span / 2) << QPointF(-start - depth, 0) << QPointF(-start, span / 2);
                break;
            case StepButton::Down:
                tri << QPointF(-span / 2, start) << QPointF(0, start + depth) << QPointF(span / 2, start);
                break;
            case StepButton::Up:
                tri << QPointF(-span / 2, -start) << QPointF(0, -start - depth) << QPointF(span / 2, -start);
                break;
        }
        path.addPolygon(tri);
        path.closeSubpath();
    }
    p.save();
    p.translate(r.center());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    p.restore();
}

}  // namespace vxServoDetail
