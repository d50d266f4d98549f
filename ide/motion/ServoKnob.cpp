#include "motion/ServoKnob.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

int16_t Bound(int16_t v, int16_t low, int16_t high) { return std::clamp(v, low, high); }

QColor FromBgr(int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// The range's sweep, degrees clockwise from Min's end to Max's; the other 60
// degrees are the gap at the bottom.
constexpr double kRangeSweep = 300.0;
// A drag is followed in steps of at most this many degrees, well below the
// gap's width, so that one step crosses at most one end of the range.
constexpr double kTrackStep = 10.0;

double Wrap360(double degrees) {
    const double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

bool InRange(double sweep) { return sweep <= kRangeSweep; }

}  // namespace

ServoKnob::ServoKnob(int16_t index, QWidget* parent) : QDial(parent), index_(index) {
    setObjectName(QStringLiteral("servo"));
    setProperty("Index", static_cast<int>(index));
    setWrapping(false);
    setNotchesVisible(false);
    setTracking(true);
    setSingleStep(1);
    setPageStep(10);
    setFocusPolicy(Qt::StrongFocus);
    Quietly([this] {
        setRange(min_, max_);
        setValue(100);
    });
    connect(this, &QDial::valueChanged, this, &ServoKnob::OnValueChanged);
}

template <typename F>
void ServoKnob::Quietly(F f) {
    const bool was = quiet_;
    quiet_ = true;
    f();
    quiet_ = was;
}

void ServoKnob::OnValueChanged(int value) {
    if (quiet_ || !on_) return;
    emit Change(index_, static_cast<int16_t>(value));
    // A drag keeps its reach until it is let go: shrinking it under the
    // pointer would change what the pointer's angle means.
    if (!dragging_) FitReach();
}

void ServoKnob::FitReach() {
    const int v = value();
    Quietly([&] { setRange(std::min<int>(min_, v), std::max<int>(max_, v)); });
}

bool ServoKnob::SetValue(int16_t position) {
    if (position < min_ || position > max_) return false;
    Quietly([&] { setValue(position); });
    FitReach();
    return true;
}

bool ServoKnob::ShowServoAt(int16_t position) {
    if (position < 0 || position > 255) return false;
    Quietly([&] {
        setRange(std::min(min_, position), std::max(max_, position));
        setValue(position);
    });
    return true;
}

void ServoKnob::SetOn(bool on) {
    on_ = on;
    if (!on && dragging_) {
        dragging_ = false;
        setSliderDown(false);
        FitReach();
    }
    setEnabled(on);
    update();
}

bool ServoKnob::SetMax(int16_t position) {
    if (position < 0 || position > 255 || position < min_) return false;
    max_ = position;
    Quietly([&] { setRange(min_, max_); });
    return true;
}

bool ServoKnob::SetMin(int16_t position) {
    if (position < 0 || position > 255 || position > max_) return false;
    min_ = position;
    Quietly([&] { setRange(min_, max_); });
    return true;
}

void ServoKnob::Setup(int16_t textPercent, int16_t facePercent, int16_t pointerPercent, int16_t shadePercent,
                      int16_t arcPercent, int16_t tickStep) {
    textPercent_ = Bound(textPercent, 0, 100);
    facePercent_ = Bound(facePercent, 0, 100);
    pointerPercent_ = Bound(pointerPercent, 0, 100);
    shadePercent_ = Bound(shadePercent, 0, 100);
    arcPercent_ = Bound(arcPercent, 0, 100);
    tickStep_ = Bound(tickStep, 0, 255);
}

void ServoKnob::SetColor(int32_t bgr) { color_ = bgr & 0xFFFFFF; }

void ServoKnob::Redraw() { update(); }

// ---- Dragging ----------------------------------------------------------------------
// The dial's own mapping of a pointer in the gap to the nearer end would make
// a hand passing the bottom flip the knob from one end to the other in one
// step; the knob follows the pointer's path instead.

double ServoKnob::SweepOf(const QPointF& point) const {
    const double dy = height() / 2.0 - point.y();
    const double dx = point.x() - width() / 2.0;
    // Degrees counter-clockwise from three o'clock; Min's end stands at 240.
    const double angle = (dx != 0 || dy != 0) ? std::atan2(dy, dx) * 180.0 / kPi : 0.0;
    return Wrap360(240.0 - angle);
}

int ServoKnob::DragTo(double sweep) {
    // The pointer went the shorter way round since the last event.
    double turn = sweep - lastSweep_;
    if (turn > 180.0) turn -= 360.0;
    if (turn <= -180.0) turn += 360.0;
    const bool clockwise = turn > 0;
    const int steps = std::max(1, static_cast<int>(std::ceil(std::abs(turn) / kTrackStep)));
    double from = lastSweep_;
    for (int k = 1; k <= steps; ++k) {
        const double to = Wrap360(lastSweep_ + turn * k / steps);
        if (hold_ == Hold::Pointer) {
            // Leaving the range: held at the end it left across.
            if (!InRange(to)) hold_ = clockwise ? Hold::AtMax : Hold::AtMin;
        } else if (!InRange(from) && InRange(to)) {
            // Back into the range: followed again only across the held end.
            if ((hold_ == Hold::AtMax && !clockwise) || (hold_ == Hold::AtMin && clockwise)) hold_ = Hold::Pointer;
        }
        from = to;
    }
    lastSweep_ = sweep;
    switch (hold_) {
        case Hold::AtMin: return minimum();
        case Hold::AtMax: return maximum();
        case Hold::Pointer: break;
    }
    return static_cast<int>(0.5 + minimum() + (maximum() - minimum()) * sweep / kRangeSweep);
}

void ServoKnob::mousePressEvent(QMouseEvent* event) {
    if (maximum() == minimum() || event->button() != Qt::LeftButton || (event->buttons() ^ event->button())) {
        event->ignore();
        return;
    }
    event->accept();
    // A press puts the knob under the pointer; in the gap, at the nearer end.
    const double sweep = SweepOf(event->position());
    if (InRange(sweep))
        hold_ = Hold::Pointer;
    else
        hold_ = sweep < kRangeSweep + (360.0 - kRangeSweep) / 2 ? Hold::AtMax : Hold::AtMin;
    lastSweep_ = sweep;
    dragging_ = true;
    setSliderPosition(DragTo(sweep));
    setSliderDown(true);
}

void ServoKnob::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    event->accept();
    setSliderPosition(DragTo(SweepOf(event->position())));
}

void ServoKnob::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton || (event->buttons() & ~event->button())) {
        event->ignore();
        return;
    }
    event->accept();
    setSliderPosition(DragTo(SweepOf(event->position())));
    dragging_ = false;
    setSliderDown(false);
    FitReach();
}

QSize ServoKnob::sizeHint() const { return {64, 64}; }

QSize ServoKnob::minimumSizeHint() const { return {32, 32}; }

void ServoKnob::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    const double side = std::max(0, std::min(width(), height()) - 2);
    if (side < 4) return;
    const QPointF c(width() / 2.0, height() / 2.0);
    const double outer = side / 2.0;
    const double face = outer * facePercent_ / 100.0;
    const double ring = outer - face;

    // Angle of a position, degrees counter-clockwise from three o'clock: the
    // range runs from seven o'clock (Min) to five o'clock (Max), as the dial
    // maps the mouse.
    const int span = std::max(1, maximum() - minimum());
    auto angleOf = [&](int v) { return 240.0 - 300.0 * (v - minimum()) / span; };
    auto at = [&](double deg, double r) {
        const double a = deg * kPi / 180.0;
        return QPointF(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
    };
    auto circle = [&](double r) { return QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r); };

    const QColor accent = on_ ? QColor(30, 100, 200) : QColor(150, 150, 150);
    const QColor rim = on_ ? QColor(200, 200, 205) : QColor(215, 215, 215);

    // Rim with its shade.
    QRadialGradient shade(c, outer);
    shade.setColorAt(0.0, rim.lighter(100 + shadePercent_ / 2));
    shade.setColorAt(1.0, rim.darker(100 + shadePercent_));
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(shade);
    p.drawEllipse(circle(outer));

    // Track of the whole range, then the arc up to the value.
    const double arcWidth = std::max(1.0, ring * arcPercent_ / 100.0);
    const double arcRadius = outer - arcWidth / 2.0 - 1.0;
    const QRectF arcRect = circle(arcRadius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(235, 235, 235), arcWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcRect, 240 * 16, -300 * 16);
    p.setPen(QPen(accent, arcWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcRect, 240 * 16, static_cast<int>(std::lround((angleOf(value()) - 240.0) * 16)));

    // Scale ticks from Min on.
    if (tickStep_ > 0) {
        p.setPen(QPen(QColor(70, 70, 70), 1));
        for (int v = minimum(); v <= maximum(); v += tickStep_) {
            const double a = angleOf(v);
            p.drawLine(at(a, outer - 1.0), at(a, outer - std::max(2.0, arcWidth * 0.6)));
        }
    }

    // Pointer from the face out into the ring.
    const double a = angleOf(value());
    const double pointer = std::max(2.0, ring * pointerPercent_ / 100.0);
    p.setPen(QPen(on_ ? QColor(190, 30, 30) : QColor(120, 120, 120), std::max(2.0, side / 30.0), Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(at(a, face), at(a, face + pointer));

    // Face with the value.
    if (face >= 1.0) {
        QColor faceColor = FromBgr(color_);
        if (!on_) faceColor = faceColor.darker(115);
        p.setPen(QPen(QColor(120, 120, 120), 1));
        p.setBrush(faceColor);
        p.drawEllipse(circle(face));
    }
    if (textPercent_ > 0) {
        QFont f = font();
        f.setPixelSize(std::max(6, static_cast<int>(std::lround(side * textPercent_ / 100.0))));
        f.setBold(true);
        p.setFont(f);
        p.setPen(on_ ? QColor(20, 20, 20) : QColor(130, 130, 130));
        p.drawText(circle(face > 1.0 ? face : outer), Qt::AlignCenter, QString::number(value()));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(circle(outer + 0.5));
    }
}
