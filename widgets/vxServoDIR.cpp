#include "vxServoDIR.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "vxKeyCodes.h"
#include "vxServoParts.h"

using vxServoDetail::PictureBox;

namespace {

// A direction picture: a three-quarter circle with an arrow head at its end,
// turning clockwise (imgDIR1, blue) or anticlockwise (imgDIR0, red).
void PaintDirection(QPainter& p, const QRect& r, bool clockwise, bool enabled) {
    const QColor colour = !enabled ? QColor(150, 150, 150) : clockwise ? QColor(0, 70, 200) : QColor(200, 40, 30);
    const QRectF area = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(area, 3, 3);

    const QPointF c = area.center();
    const qreal radius = area.width() * 0.3;
    const qreal pen = std::max<qreal>(1.5, area.width() / 11);
    // Angles in degrees, counter-clockwise from three o'clock (Qt's arcs).
    const qreal start = clockwise ? 120 : 60;
    const qreal sweep = clockwise ? -270 : 270;
    QPainterPath arc;
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    arc.arcMoveTo(box, start);
    arc.arcTo(box, start, sweep);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, pen, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);

    // The head at the arc's end, pointing along its way.
    const qreal end = qDegreesToRadians(start + sweep);
    const QPointF tip(c.x() + radius * qCos(end), c.y() - radius * qSin(end));
    const qreal along = end + (clockwise ? -M_PI / 2 : M_PI / 2);  // direction of travel
    const QPointF dir(qCos(along), -qSin(along));
    const QPointF side(-dir.y(), dir.x());
    const qreal size = pen * 2.2;
    QPolygonF head;
    head << tip + dir * size << tip + side * size * 0.9 << tip - side * size * 0.9;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

}  // namespace

vxServoDIR::vxServoDIR(QWidget* parent) : QWidget(parent) {
    const int size = ServoTwipsToPixels(kSizeTwips);
    setFixedSize(size, size);
    imgDIR_ = new PictureBox(this);
    imgDIR_->setObjectName(QStringLiteral("imgDIR"));
    const int image = ServoTwipsToPixels(kImageTwips);
    const int offset = (size - image) / 2;
    imgDIR_->setGeometry(offset, offset, image, image);

    connect(imgDIR_, &PictureBox::Clicked, this, &vxServoDIR::Click);
    connect(imgDIR_, &PictureBox::DoubleClicked, this, &vxServoDIR::DblClick);
    auto relay = [this](void (vxServoDIR::*signal)(int16_t, int16_t, float, float)) {
        return [this, signal](QMouseEvent* e) {
            const QPointF at = e->position();
            emit(this->*signal)(vxServoDetail::ButtonsOf(e), vxKey::ShiftOf(e->modifiers()),
                                static_cast<float>(at.x() * kServoTwipsPerPixel),
                                static_cast<float>(at.y() * kServoTwipsPerPixel));
        };
    };
    connect(imgDIR_, &PictureBox::MouseDown, this, relay(&vxServoDIR::MouseDown));
    connect(imgDIR_, &PictureBox::MouseMove, this, relay(&vxServoDIR::MouseMove));
    connect(imgDIR_, &PictureBox::MouseUp, this, relay(&vxServoDIR::MouseUp));

    InitProperties();
}

vxServoDIR::~vxServoDIR() = default;

QWidget* vxServoDIR::imgDIR() const { return imgDIR_; }

QSize vxServoDIR::sizeHint() const {
    const int size = ServoTwipsToPixels(kSizeTwips);
    return {size, size};
}

void vxServoDIR::setValue(int16_t value) {
    value_ = value;
    emit PropertyChanged(QStringLiteral("Value"));
    showPicture(value_ != 0 ? 1 : 0);
}

void vxServoDIR::InitProperties() {
    value_ = 1;
    showPicture(1);
}

void vxServoDIR::ReadProperties(const vxPropertyBag& bag) {
    value_ = vxServoDetail::ReadInteger(bag, QStringLiteral("Value"), 1);
}

void vxServoDIR::WriteProperties(vxPropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("Value"), value_, int16_t(1));
}

void vxServoDIR::showPicture(int which) {
    shown_ = which;
    imgDIR_->setPainter(
        [this, clockwise = which != 0](QPainter& p, const QRect& r) { PaintDirection(p, r, clockwise, isEnabled()); });
}

void vxServoDIR::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Always the one size, whatever the host asks for.
    const int size = ServoTwipsToPixels(kSizeTwips);
    if (width() != size || height() != size) resize(size, size);
}

void vxServoDIR::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) imgDIR_->update();
}
