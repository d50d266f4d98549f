// Module vxIO: the link to the robot controller, its window part.  The
// protocol (byte link, command set, information read-out, fast download,
// error codes, waits) is protocol/vxIO_Protocol.h, which this header brings along;
// here are what the link shows: the error box, the progress bars of a
// download, and the memory clear with its question and its OK box.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "protocol/vxIO_Protocol.h"

class QWidget;

namespace vxIO {

// ---- Errors ----------------------------------------------------------------

// String-table entry of the text for a code.
int CommErrorTextId(int16_t code);
// The error box's message: "Error Code : ", the code, CR LF, the code's text,
// CR LF, the hint to check the controller.
QString CommErrorMessage(int16_t code);
// Shows the error box for code (usually CommError itself, or a code of the
// caller's own), then closes the serial port, which leaves CommError 0 (or -2
// when the close fails), and the wait window.  For kErrAborted no box is
// shown; the port and the wait window are closed all the same.
void ShowCommError(int16_t code);

// ---- Fast download with its bars ----------------------------------------------

// Sets a progress shape's width to Int(done / total x fullWidth), fullWidth
// in twips (the shapes' unit); a null shape or a total of 0 or less changes
// nothing.
void SetProgressWidth(QWidget* shape, int32_t fullWidth, int32_t done, int32_t total);

// The fast download (DownloadFast) of the compiler control's program
// (modMain::Basic()'s Filename names it) with two progress shapes of full
// width fullWidth (twips; null shapes show nothing), each set to the
// transfer's progress.  On failure it shows the error box itself (which
// closes the port and clears CommError), so callers take the outcome from
// the result.
bool DownloadFastWithBars(const std::vector<uint8_t>& image, int32_t n, int16_t variables, int32_t fullWidth,
                          QWidget* shapeA, QWidget* shapeB);

// ---- Clearing the memory -----------------------------------------------------

// Asks first, then replaces the controller's program with an endless loop
// compiled by the compiler control (modMain::Basic()), by the fast download
// with the download window's bars, and says so when it worked.
void ClearMemory();

}  // namespace vxIO
