// Capture of a hand-set pose into the MOVE line at the caret, in two presses
// of the capture command (F4):
//
// 1. The first press switches off the servos of the line's group that have a
//    position in the line, so that the robot can be posed by hand, and
//    remembers the line and the document (CapturePending, CaptureLine,
//    CaptureFile in documents/modMain.h).
// 2. A second press on the same line of the same document reads the group's
//    positions from the controller, writes each into the controller's memory,
//    switches the servo on again and rewrites the line with the new values.
//
// A press on another line or in another document starts over as a first
// press; the document window clears the pending state on any other key.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace modMain {

void CaptureToMoveLine();

// The rewritten line: the head ("MOVE G6A", with the indentation for the
// six-motor family), then one field per motor of the group, the first four
// characters wide ("," and the value right-aligned in three), the others
// five (", " and four); a motor without a value gets blanks of the same
// width.  A value of 0 stands for no value.  `comment`, when not empty, follows after
// `gap` (the blanks that stood before it), or after one blank when there were none.
QString CapturedLineText(const QString& head, const uint8_t* values, int motors, const QString& gap,
                         const QString& comment);

// The text shown when the capture is refused on the parallel port.
QString ParallelCaptureMessage();

}  // namespace modMain
