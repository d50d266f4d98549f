// Small constituents the servo widgets are built from: a painted area that
// reports clicks, double clicks and mouse notices the way a picture box does,
// a label that reports clicks, a slider whose groove repeat lasts only while
// the button is held, and a step button with painted arrows.  They
// draw with QPainter in logical pixels, so they stay sharp at any device
// pixel ratio.  Not part of the library's interface.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QWidget>

#include <functional>

namespace vxServoDetail {

// A picture box: paints with a function and reports a click (press and
// release on it), a double click (the second press of a double click, which
// then gives no click of its own) and the raw mouse notices.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    using Painter = std::function<void(QPainter&, const QRect&)>;
    explicit PictureBox(QWidget* parent = nullptr);
    void setPainter(Painter p);

signals:
    void Clicked();
    void DoubleClicked();
    void MouseDown(QMouseEvent* e);
    void MouseMove(QMouseEvent* e);
    void MouseUp(QMouseEvent* e);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    Painter painter_;
    bool pressed_ = false;
    bool swallowRelease_ = false;  // the release that ends a double click
};

// A label that reports a click and a double click like PictureBox; other
// mouse notices pass on to its parent.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(QWidget* parent = nullptr);

signals:
    void Clicked();
    void DoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool pressed_ = false;
    bool swallowRelease_ = false;
};

// A slider whose press on the groove steps by a page and repeats the step
// only while the button stays held.  QSlider takes the press's first step
// before it arms its repeat; when a handler of that step waits with the
// event queue running (a host talking to a controller), the release can be
// handled inside that wait, and the repeat armed after it would run on with
// no hand on the button.  Here a repeat ends as soon as the button is found
// let go.
class HeldSlider : public QSlider {
    Q_OBJECT

public:
    explicit HeldSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    Qt::MouseButtons held_;                   // as the last press or release left them
    Qt::MouseButton pressed_ = Qt::NoButton;  // the button of the last press
};

// A push button showing one or two arrow heads pointing left or right (or up
// or down), for stepping a value.
class StepButton : public QAbstractButton {
    Q_OBJECT

public:
    enum Direction { Left, Right, Up, Down };
    StepButton(Direction d, int heads, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Direction dir_;
    int heads_;
};

// Draws `heads` arrow heads side by side, pointing `d`, centred in `r`.
void PaintArrowHeads(QPainter& p, const QRectF& r, StepButton::Direction d, int heads, const QColor& c);

}  // namespace vxServoDetail
