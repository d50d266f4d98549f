// DockPanels: the main window's docking control `fDock`.  It holds named
// panels (QDockWidgets of the main window) that dock at the left edge or
// float, and tells its host when a panel is docked, floated, shown or hidden
// and when a docked panel's width changes.  The Assist Window is the panel
// "frmNav".  A panel is never narrower than its whole title.  Widths are
// in twips.
#pragma once

#include <QObject>
#include <QString>

class QDockWidget;
class QMainWindow;
class QWidget;

class DockPanels : public QObject {
    Q_OBJECT

public:
    explicit DockPanels(QMainWindow* host);

    // Docks `content` as the panel `name` at the left edge, with `caption`
    // as its title.  A second panel of the same name replaces nothing and
    // returns the existing one.
    QDockWidget* AddPanel(QWidget* content, const QString& name, const QString& caption);
    QDockWidget* Panel(const QString& name) const;

    void ShowPanel(const QString& name);
    void HidePanel(const QString& name);
    // Width of a docked panel, twips.
    void SetPanelWidth(const QString& name, int twips);
    int PanelWidth(const QString& name) const;

signals:
    void PanelDocked(const QString& name);
    void PanelFloated(const QString& name);
    void PanelShown(const QString& name);
    void PanelHidden(const QString& name);
    void AreaResized(int twips);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow* host_;
};
