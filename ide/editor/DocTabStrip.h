// DocTabStrip: the main window's document tab strip `TB`, one tab per open
// document window.  Tabs are addressed by a text key ("key" followed by the
// document number) as well as by position, carry image 1 (no changes) or
// image 2 (changed), and report mouse presses and releases with the button.
//
// The key of a tab is kept as its tabData (a QString); the localisation
// (modMain::LocalizeForm) reads tabData as a string number, which a key never
// is, so document tabs keep their captions.
#pragma once

#include <QHash>
#include <QIcon>
#include <QTabBar>

class DocTabStrip : public QTabBar {
    Q_OBJECT

public:
    explicit DocTabStrip(QWidget* parent = nullptr);

    // Inserts a tab at 1-based `position` (clamped to 1 .. count + 1) and
    // returns its 0-based index.
    int AddTab(int position, const QString& key, const QString& caption);
    // 0-based index of the tab with `key`, or -1.
    int IndexOfKey(const QString& key) const;
    QString KeyAt(int index) const;
    // Removes the tab with `key`; false when there is none.
    bool RemoveKey(const QString& key);
    // Key of the selected tab ("" when there is none).
    QString SelectedKey() const;

    // Image of a tab: 1 no changes, 2 changed, anything else none.
    void SetTabImage(int index, int image);
    int TabImage(int index) const;

    // As tall as a tab with an image even while there is no tab, so that
    // the pane sized from it has room for the tabs that come later.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Qt::MouseButton values; pressing first selects the tab under the mouse.
    void MouseDown(int button);
    void MouseUp(int button, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int TabHeight() const;

    QHash<QString, int> images_;  // by key
    QIcon image1_, image2_;
};
