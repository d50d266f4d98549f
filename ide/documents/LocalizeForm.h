// modMain.LocalizeForm: puts the string table's texts (user-interface
// language) on a window by the string numbers that the window and its
// controls carry.
//
// How Qt widgets carry their numbers (the design-time values, decimal text):
//
// | control (type name)            | number held in                         | receives the text            |
// |--------------------------------|----------------------------------------|------------------------------|
// | the window                     | dynamic property "Tag"                 | windowTitle                  |
// | "Label" (QLabel)               | property "Tag"                         | text                         |
// | "Menu" (QAction of a menu bar  | the action's text                      | the action's text            |
// |   or of a QMenu; submenus by   |                                        |                              |
// |   their menuAction)            |                                        |                              |
// | "TabStrip" (QTabWidget,QTabBar)| tabData(i) and tabToolTip(i) of a tab  | tabText(i); tabToolTip(i)    |
// | "Toolbar" (QToolBar)           | each action's property "Tag" and its   | the action's text; its       |
// |                                |   toolTip                              |   toolTip                    |
// | "ListView" (QTreeWidget, or a  | headerData(column, Horizontal,         | headerData(column,           |
// |   view with vbType "ListView") |   Qt::UserRole)                        |   Horizontal, DisplayRole)   |
// | "StatusBar" (QStatusBar)       | text and toolTip of each panel: the    | the panel's text; toolTip    |
// |                                |   QLabel children, in order            |                              |
// | any other control              | property "Tag" (leading number) and    | its caption (button text,    |
// |                                |   toolTip                              |   group-box title, or a      |
// |                                |                                        |   "caption" Qt property);    |
// |                                |                                        |   toolTip                    |
//
// The type name of a control is its dynamic property "vbType" when set,
// else derived from its class (ControlTypeName).  Controls are visited in
// child order, depth first; the insides of composite controls (a list's
// header, a tool bar's buttons, Qt's own "qt_..." parts) are not controls.
//
// Numbers in the window's Tag and in the Label, Menu, TabStrip, Toolbar,
// ListView and StatusBar cases are converted strictly (vb::CIntStrict); for
// other controls the leading number counts (vb::Val), and only numbers of 1
// or more are looked up.  Each assignment stands alone: an empty or
// non-numeric number, an entry the current table lacks, or a control without
// that property leaves that one text as it was.  Fonts are not touched.
#pragma once

#include <QString>
#include <qwindowdefs.h>  // QWidgetList

class QObject;
class QWidget;

namespace modMain {

void LocalizeForm(QWidget* form);

}  // namespace modMain

// The type name by which LocalizeForm and modGeneral.FlatControls choose
// what to do with a control: "Label", "Menu", "TabStrip", "Toolbar",
// "ListView", "StatusBar", "CommandButton", "CheckBox", "OptionButton",
// "Frame", "TextBox", "ComboBox", "ListBox", "TreeView", "ProgressBar",
// "PictureBox", "Slider", "MSFlexGrid", "CodeSense", or "" for a plain
// container.  The dynamic property "vbType" overrides it.
QString ControlTypeName(const QObject* control);

// The controls of a window in their order (depth first, in child order),
// as LocalizeForm and modGeneral.FlatControls visit them: widgets that are
// not parts of a composite control, and the window's pop-up menus.  Owned
// windows are not included.
QWidgetList FormControls(QWidget* form);
