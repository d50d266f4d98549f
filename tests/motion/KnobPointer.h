// Where the pointer stands on a servo knob, for drags made of mouse events.
// A sweep is degrees clockwise round the knob's centre from the lower end of
// its range (seven o'clock): 150 is twelve o'clock, 300 the upper end (five
// o'clock), 300 to 360 the gap at the bottom, 330 its middle.
#pragma once

#include <QPoint>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace knob_pointer {

constexpr double kPi = 3.14159265358979323846;

// The pixel at `sweep` on a circle of 0.4 times the knob's size.
inline QPoint AtSweep(const QWidget& knob, double sweep) {
    const double angle = (240.0 - sweep) * kPi / 180.0;
    const double radius = std::min(knob.width(), knob.height()) * 0.4;
    return QPoint(static_cast<int>(std::lround(knob.width() / 2.0 + radius * std::cos(angle))),
                  static_cast<int>(std::lround(knob.height() / 2.0 - radius * std::sin(angle))));
}

// The sweep of a pixel, as the pointer really stands there.
inline double SweepAt(const QWidget& knob, QPoint point) {
    const double angle = std::atan2(knob.height() / 2.0 - point.y(), point.x() - knob.width() / 2.0);
    return 240.0 - angle * 180.0 / kPi;
}

// Degrees the pointer turned from one pixel to the next, the shorter way.
inline double Turned(const QWidget& knob, QPoint from, QPoint to) {
    const double d = std::fmod(std::abs(SweepAt(knob, to) - SweepAt(knob, from)), 360.0);
    return std::min(d, 360.0 - d);
}

// Inside the gap, clear of the two ends where rounding decides.
inline bool InGap(double sweep) {
    const double s = std::fmod(std::fmod(sweep, 360.0) + 360.0, 360.0);
    return s > 302 && s < 358;
}

}  // namespace knob_pointer
