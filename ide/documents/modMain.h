// Module modMain: module-level state of the build and direct-run pipeline
// that the other subsystems read and write.  It lives in the documents folder,
// beside the settings that load and save it, so that every folder above it
// reads it.  A plain namespace of inline variables; the pipeline's
// procedures join it in their own headers.
#pragma once

#include <QString>

#include <cstdint>

// ControllerType, ControllerID and PortType: the link's facts, kept with it.
#include "protocol/LinkSettings.h"

namespace modMain {

// Whether the current object code is fresh, and whether it was downloaded.
inline bool CompiledOK = false;
inline bool Downloaded = false;

// Assist Window layout in twips: docked width, splitter position and the
// widths of the file list's (file, size, date) and the label list's (label,
// line) columns; and whether it shows at start.
inline int16_t NavWidth = 2000;
inline int16_t NavSplitTop = 2000;
inline int16_t NavFileWidth = 1000;
inline int16_t NavSizeWidth = 1000;
inline int16_t NavDateWidth = 1000;
inline int16_t NavLabelWidth = 1000;
inline int16_t NavLineWidth = 1000;
inline bool NavVisible = true;

// Display mode 0 or 1 kept in the settings file.
inline int16_t Frm32DispMode = 0;

// Position of the motion windows, twips.
inline float MotorWindowLeft = 0;
inline float MotorWindowTop = 0;

// Insert option of the humanoid motion window.
inline bool InsertG24 = true;

// Stored with the settings; nothing sets it.
inline bool SpeechRecog = false;

// 2 while document windows are shown maximised (set at start-up and by a
// maximised document window), 0 after the cascade and tile commands; an
// activated document window maximises itself when it reads 2.
inline int16_t DocWindowState = 0;

// Set by the main window's unload; a document window that starts loading
// while it is set closes itself at once.
inline bool AppClosing = false;

// While set, the controller information window is not opened again; that
// window clears it when it unloads.
inline bool InfoBusy = false;

// Capture of servo positions into a MOVE line: set between the first and
// the second press of the capture command, with the 0-based editor line and
// the document's file name of the first press.  Any other key in a document
// window clears it.
inline bool CapturePending = false;
inline int16_t CaptureLine = 0;
inline QString CaptureFile;

}  // namespace modMain
