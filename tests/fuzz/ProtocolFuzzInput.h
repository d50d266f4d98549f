// One fuzzing input for the controller protocol: a chain of up to four
// exchanges of vxIO (identification, information read-out, firmware version,
// group and position reads, the debug window's reads, the fast download, the
// firmware update) run through the real serial control against a line whose
// answers come from the input.  Shared by the libFuzzer target protocol_fuzz
// and by the test that replays the kept inputs in the normal build.
//
// The line is a pseudo-terminal whose other side this process drives from
// its event queue (FuzzLine): for every byte the host writes it takes one
// action byte from the input and answers with an echo, a wrong echo, a reply
// byte, a burst of garbage, bytes that come a moment later, silence, or a
// hang-up.  A silent answer ends the host's reply wait as a time-out at
// once, and the link's pauses (modMain::Delay) pass at once: nothing waits
// for real time beyond the short reply time-out (kReplyTimeOutMs), the quiet
// line after a broken frame and the firmware update's own short waits.
//
// Besides each exchange's results, codes and port state, the line checks
// what goes on the wire after a failure.  It keeps every byte the host
// writes with its time, and every reply wait that a receipt or the reply
// time-out ended; a frame breaks where a reply wait timed out, and where a
// call of the link reports a wrong echo.  Then:
// - no host byte goes out before the quiet time has passed: the reply
//   time-out of the wait that broke, but at least the floor (kQuietFloorMs),
//   counted from the failing byte or, after a time-out, from the moment the
//   host gave up (the link may move the end on; the rule is a lower bound);
// - a call that fails on a reply (a time-out, a wrong echo, a wrong block
//   reply) sends nothing after the byte whose reply failed;
// - a late byte is never taken for the answer of a later byte: a call that
//   reports a wrong reply saw one after its last byte, and the first byte
//   after a broken frame is answered or times out before the next goes out;
// - a call whose last reply wait timed out, with nothing after it, returns
//   the time-out.
//
// Input layout: a stream read from the front.  For each exchange an
// operation byte (bits 0-2 the exchange, bits 3-4 the controller model,
// bits 5-6 the code page of program names, bit 7: another exchange follows
// this one), then the exchange's parameter bytes, then the line's action
// bytes as the host's bytes call for them.  An input that runs out answers
// everything with silence.  Action bytes:
//   0x00-0x3F  echo the host's byte
//   0x40-0x5F  echo it and the next 4 x (low 5 bits) host bytes
//   0x60-0x7F  answer with the next input byte
//   0x80-0x9F  answer with the host's byte XOR (low 5 bits + 1): a wrong echo
//   0xA0-0xBF  answer with the next (low 5 bits + 2) input bytes in one burst
//   0xC0-0xCF  send the next (low 4 bits + 1) input bytes a moment later
//   0xD0-0xDF  answer with the next input byte now, then send the next
//              (low 4 bits + 1) input bytes a moment after the host has
//              taken that one in
//   0xE0-0xFE  silence for it and the next 16 x (low 5 bits) host bytes
//   0xFF       hang up: the line goes away under the host's open port (the
//              next open reaches a new one)
//
// Needs a QCoreApplication (the link's waits run its event queue).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace protocolfuzz {

// The reply time-out the link runs with while an input runs, milliseconds.
inline constexpr int kReplyTimeOutMs = 20;
// The floor of the quiet time after a broken frame while an input runs: a
// little above the reply time-out, so that the floor decides the quiet time
// after the short waits and the firmware version's own 500 ms reply time-out
// decides it after that exchange.
inline constexpr int kQuietFloorMs = 30;

// Runs one input.  Returns "" when every exchange kept its rules, else a
// description of the broken rule (a crash or a sanitizer report ends the
// process instead).
std::string RunInput(const uint8_t* data, size_t size);

}  // namespace protocolfuzz
