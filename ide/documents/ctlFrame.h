// ctlFrame: a raised frame of four lines that follows its size.  The left
// and top lines are white, the right and bottom lines take the button-shadow
// colour.  Its layout is kept in twips (platform/Twips.h): with inner width W
// and height H, left (0,0)-(0,H), top (0,0)-(W-15,0), right (W-15,0)-(W-15,H),
// bottom (0,H-15)-(W,H-15).  After every resize it emits Resize() so that its
// host can lay out what lies inside.
#pragma once

#include <QLineF>
#include <QWidget>

class ctlFrame : public QWidget {
    Q_OBJECT

public:
    explicit ctlFrame(QWidget* parent = nullptr);

    // The four lines of the last layout, in twips.
    QLineF LineLeft() const { return left_; }
    QLineF LineTop() const { return top_; }
    QLineF LineRight() const { return right_; }
    QLineF LineBottom() const { return bottom_; }

signals:
    void Resize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();

    QLineF left_, top_, right_, bottom_;
};
