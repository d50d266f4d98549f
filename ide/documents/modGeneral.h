// Module modGeneral: window-style procedures the program's windows share.
#pragma once

class QWidget;

namespace modGeneral {

// Gives one control the thin flat border (platform::SetThinBorder).
void FlatBorder(QWidget* control);

// FlatBorder on every control of the window whose type name
// (ControlTypeName) is "CommandButton", "TextBox", "ListBox", "FileTree",
// "TreeView", "ProgressBar" or "PictureBox"; other controls keep their look.
void FlatControls(QWidget* form);

// Keeps the window above all other windows, without moving or sizing it.
void MakeTopMost(QWidget* form);

}  // namespace modGeneral
