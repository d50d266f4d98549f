#include "documents/ctlFrame.h"

#include <QPainter>

#include "platform/Twips.h"

ctlFrame::ctlFrame(QWidget* parent) : QWidget(parent) { Layout(); }

void ctlFrame::Layout() {
    const double w = platform::PixelsToTwips(width());
    const double h = platform::PixelsToTwips(height());
    const double px = platform::kTwipsPerPixel;
    left_ = QLineF(0, 0, 0, h);
    top_ = QLineF(0, 0, w - px, 0);
    right_ = QLineF(w - px, 0, w - px, h);
    bottom_ = QLineF(0, h - px, w, h - px);
}

void ctlFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
    emit Resize();
}

void ctlFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const auto toPixels = [](const QLineF& l) {
        return QLineF(l.x1() / platform::kTwipsPerPixel, l.y1() / platform::kTwipsPerPixel,
                      l.x2() / platform::kTwipsPerPixel, l.y2() / platform::kTwipsPerPixel);
    };
    p.setPen(Qt::white);
    p.drawLine(toPixels(left_));
    p.drawLine(toPixels(top_));
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(toPixels(right_));
    p.drawLine(toPixels(bottom_));
}
