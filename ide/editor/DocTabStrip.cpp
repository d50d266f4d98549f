#include "editor/DocTabStrip.h"

#include <QMouseEvent>
#include <algorithm>
#include <QPainter>
#include <QPixmap>

namespace {

// A small page with a folded corner; a changed document gets a red mark.
QIcon PageImage(bool changed) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF page{{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}};
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
    p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y : {7.5, 9.5, 11.5}) p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
    if (changed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 40, 40));
        p.drawEllipse(QPointF(11.5, 11.5), 3.5, 3.5);
    }
    return QIcon(pm);
}

}  // namespace

DocTabStrip::DocTabStrip(QWidget* parent) : QTabBar(parent) {
    setObjectName(QStringLiteral("TB"));
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
    image1_ = PageImage(false);
    image2_ = PageImage(true);
}

int DocTabStrip::AddTab(int position, const QString& key, const QString& caption) {
    const int index = std::clamp(position, 1, count() + 1) - 1;
    const int at = insertTab(index, caption);
    setTabData(at, key);
    return at;
}

int DocTabStrip::IndexOfKey(const QString& key) const {
    for (int i = 0; i < count(); ++i)
        if (tabData(i).toString() == key) return i;
    return -1;
}

QString DocTabStrip::KeyAt(int index) const {
    if (index < 0 || index >= count()) return QString();
    return tabData(index).toString();
}

bool DocTabStrip::RemoveKey(const QString& key) {
    const int index = IndexOfKey(key);
    if (index < 0) return false;
    images_.remove(key);
    removeTab(index);
    return true;
}

QString DocTabStrip::SelectedKey() const { return KeyAt(currentIndex()); }

void DocTabStrip::SetTabImage(int index, int image) {
    if (index < 0 || index >= count()) return;
    images_.insert(KeyAt(index), image);
    setTabIcon(index, image == 1 ? image1_ : image == 2 ? image2_ : QIcon());
}

int DocTabStrip::TabImage(int index) const {
    if (index < 0 || index >= count()) return 0;
    return images_.value(KeyAt(index), 0);
}

int DocTabStrip::TabHeight() const {
    QTabBar probe;
    probe.setFont(font());
    probe.setIconSize(iconSize());
    probe.setDrawBase(drawBase());
    probe.addTab(image2_, QStringLiteral("Xg"));
    return probe.sizeHint().height();
}

QSize DocTabStrip::sizeHint() const {
    QSize size = QTabBar::sizeHint();
    size.setHeight(std::max(size.height(), TabHeight()));
    return size;
}

QSize DocTabStrip::minimumSizeHint() const {
    QSize size = QTabBar::minimumSizeHint();
    size.setHeight(std::max(size.height(), TabHeight()));
    return size;
}

void DocTabStrip::mousePressEvent(QMouseEvent* event) {
    // Any button selects the tab under the mouse, as the tab strip does.
    const int index = tabAt(event->position().toPoint());
    if (index >= 0 && event->button() != Qt::LeftButton) setCurrentIndex(index);
    QTabBar::mousePressEvent(event);
    emit MouseDown(static_cast<int>(event->button()));
}

void DocTabStrip::mouseReleaseEvent(QMouseEvent* event) {
    QTabBar::mouseReleaseEvent(event);
    emit MouseUp(static_cast<int>(event->button()), event->globalPosition().toPoint());
}
