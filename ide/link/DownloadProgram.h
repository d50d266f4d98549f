// modMain.DownloadProgram: hands the compiler control's last result to the
// link's fast download, and the compiler control that the download reads.
#pragma once

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// The compiler control hosted on the main window (its `basic`): the download
// window shows its Filename and TotalBytes, and the download sends its
// ObjCode.  The main window points this at its own control with SetBasic;
// until then (and after SetBasic(nullptr)) a program-wide control stands in.
qvv2::QUARVELv2& Basic();
void SetBasic(qvv2::QUARVELv2* control);

// Set once a snippet compile (or the memory clear's loop program) has
// replaced the compiler's result, cleared when a document compile hands its
// text to the compiler.  While it is set the compiler holds an image that is
// not the document's program: it must never be downloaded over the robot's
// program.
inline bool SnippetImage = false;

// Downloads the compiled program.  Goes ahead only when CompiledOK is set,
// the compiler holds the document's image (not a snippet's, SnippetImage),
// its Bas_Error is 0 and its TotalBytes is above 16; otherwise it
// shows the "Compile Error" box and sends nothing.  Opens the serial port,
// runs the fast download with the download window's progress shapes (when
// the window is loaded), and closes the port.  Returns true, and sets
// Downloaded, only when the transfer ended normally; a transfer that was
// attempted and failed clears Downloaded, since the controller's memory may
// no longer hold the program.  Link errors are shown by the link.
bool DownloadProgram();

// The transfer itself, on a port the caller opened: vxIO::DownloadFastWithBars
// of the control's ObjCode with the download window's progress bars when that
// window is loaded (without it, no progress is shown).  Returns the
// transfer's own result: a failed transfer has shown its error box, which
// also closed the port and cleared the error code.
bool TransferObjectCode(const qvv2::QUARVELv2& basic);

}  // namespace modMain
