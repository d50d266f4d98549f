// Window styles: keeping a window above all others, removing its close
// button, and the thin flat border of controls.
#pragma once

class QWidget;

namespace platform {

// Puts the window into the always-on-top band without moving or resizing it.
void SetStaysOnTop(QWidget* window);

// Removes the window's close button; closing it from the window system
// (title-bar button, window menu, keyboard) no longer works either.  The
// program can still close it.
void RemoveCloseButton(QWidget* window);

// Whether RemoveCloseButton was applied to the window.
bool HasCloseButtonRemoved(const QWidget* window);

// Gives a control the thin one-line sunken border in place of the deeper
// three-dimensional one.  Frame-based controls (lists, trees, text areas,
// picture boxes) change their frame; every control is marked with the
// dynamic property "flatBorder" = true.  Applying it again changes nothing.
void SetThinBorder(QWidget* control);

}  // namespace platform
