// Module vxIO: the link to the robot controller, its protocol part.
//
// This folder is the controller protocol: the byte link, the command set,
// the controller information read-out, the fast download, the firmware
// version check, the firmware update through the boot loader
// (protocol/FirmwareUpdate.h) and the link's waits.  It shows nothing and asks nothing: an
// operation returns its result and leaves its failure's code in CommError;
// the windows above it show the boxes and the progress (link/vxIO_Windows.h holds
// the error box, ShowCommError).  It builds on Qt Core, Qt SerialPort, the
// widget-free platform library and the compiler library's code pages alone.
//
// The byte link moves single bytes in lock-step over the serial port that the
// main window registers (Link().Comm): every byte the host sends is echoed by
// the controller;
// the host asks for a reply byte by sending a lone 0 without echo.  Every
// operation clears CommError when it starts and leaves the code of its first
// failure; callers test it after every step, close the port and show the
// error box (link/vxIO_Windows.h's ShowCommError).  Waits hand control to the event
// queue and sleep until the receive event or the time-out timer wakes them.
//
// Everything runs on the user-interface thread.  A wait hands control to the
// event queue, so a key, menu item or timer may try to start a second
// controller command inside the first one; the link guard refuses it (see
// Exchange below).
#pragma once

#include <QEventLoop>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compiler/ControllerMap.h"
#include "protocol/LinkSettings.h"

class QObject;
class QTimer;

namespace platform {
class CommControl;
}

namespace vxIO {

// ---- The link's controls ----------------------------------------------------

// The serial port and the two timers the link drives: the reply time-out
// (its interval is the COMMtimeout setting) and the timer of modMain::Delay.
// The main window registers its own (Comm, TimeOut, TimeDelay) when it is
// created and unregisters them when it goes; until then (and after) a
// program-wide set stands in, driven by the same event handlers, so the link
// and its windows work without the main window.
struct LinkControls {
    platform::CommControl* Comm = nullptr;
    QTimer* TimeOut = nullptr;
    QTimer* TimeDelay = nullptr;
};

// Registers the controls the link uses; a set with any member null
// unregisters, and the stand-in takes over.
//
// The link's state belongs to the registration: the receipt flags, the
// quiet time of each line (BrokenFrameQuietMs) and its floor
// (SetQuietFloorMs).  A registration starts it clean, also when the same
// controls are registered again (that is how a test starts from a clean
// link: SetLinkControls(Link())), and unregistering drops it.  Within one
// registration it keeps its meaning: closing and opening the port changes
// nothing, and each port number is a line of its own, so that after the
// user chooses another port the old line's quiet time does not hold up the
// new one.
void SetLinkControls(const LinkControls& controls);
// The registered controls, else the stand-in.  All three members are null
// only when there is no application whose event queue could drive them.
LinkControls Link();

// The handlers of the controls' events (the main window's Comm_OnComm,
// TimeOut_Timer and TimeDelay_Timer call them with their own controls).
// Receipt: unless raw mode is on, keeps the first byte received and marks
// the reply as arrived (RxReady, RxByte); the time-out: stops its timer and
// marks the wait as timed out (RxTimedOut); the delay: stops its timer and
// sets modMain::DelayElapsed.
void ReceiveEvent(platform::CommControl& port);
void TimeOutEvent(QTimer& timer);
void DelayEvent(QTimer& timer);

// ---- One controller exchange at a time --------------------------------------

// A controller exchange: a whole command sequence that a handler runs, from
// the port's opening to its closing (a download, an information read-out, a
// step of the debug window).  Its waits hand control to the event queue
// (Pump), and an event handled there may try to start another command; that
// command must not run, or its bytes would interleave with the exchange's.
//
// An exchange is active while a token is held or while the serial port is
// open (OpenComm opened it and CloseComm closes it).  Code at the level where
// the active exchange runs (the exchange's own code, or a window's handler
// while the window holds the port open between commands) may go on and take
// further tokens; code reached from inside one of its waits is refused.
//
// A refused token, and every link operation called while the link is busy,
// returns at once: nothing is sent, nothing is shown, CommError is left as it
// was (0 during any wait of a running exchange, since each wait starts from a
// clean code), and the result is neutral (0 / false).
class Exchange {
public:
    Exchange();
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // False when the command must not run: return at once.
    bool Granted() const { return granted_; }
    explicit operator bool() const { return granted_; }

private:
    bool granted_ = false;
};

// Whether a controller command started now would be refused.
bool Busy();

// One turn of a link wait: hands control to the event queue (sleeping until
// something happens with WaitForMoreEvents).  Events handled meanwhile count
// as started from inside the wait.
void Pump(QEventLoop::ProcessEventsFlags flags = QEventLoop::WaitForMoreEvents);

// ---- Ending an exchange early ---------------------------------------------------
//
// A close asked for while an exchange waits (of the main window, or of the
// window whose exchange it is) ends that exchange instead of waiting for it:
// the wait in progress ends at once (the byte in flight is lost), the serial
// port is closed, and from then on every link operation (opening the port,
// each byte, modMain::Delay) fails at once with kErrAborted and sends
// nothing, so a caller's loop that goes on after the error adds no byte to
// the line.  Closing the port and flushing its input still work.  The abort
// stands until the close that asked for it goes ahead (EndAbort), so nothing
// the closing window does on its way out (a reset, a held-back write) starts
// a new exchange with a controller that did not answer in time.
//
// kErrAborted is a failure like any other code for the callers (nothing is
// reported as done), but the error box is not shown for it: the user asked
// for the end.

// Asks the active exchange to end; nothing when no exchange is active.
void Abort();
// Whether an abort stands.
bool Aborted();
// Lifts the abort: the link works again.
void EndAbort();

// ---- Link state -----------------------------------------------------------

inline int16_t CommError = 0;    // code of the last link error, 0 = none

// The byte link's receipt flags, which only its event handlers and its reply
// wait write: a reply byte has arrived since the wait began, the first byte
// of the most recent receipt, the reply time-out has expired.
bool RxReady();
uint8_t RxByte();
bool RxTimedOut();

// Whether modMain.PortType selects the serial port (1); the commands that
// need the controller's replies work only there.
bool Serial();
// The controller model whose memory commands and cells the link uses
// (qvv2::controller::kModels): modMain.ControllerID when the table holds it; 0 and
// anything else work like model 1, the model with one-byte memory addresses.
int Model();

// Parallel port: library family (2 NT, 1 9x); base address and timing values,
// which the settings file fills (they live with the settings, modReg::Link);
// and the calibration limit handed to the library, which nothing assigns.
inline int16_t OSType = 2;
inline int16_t& LPTnum = modReg::Link.LPTnum;
inline int16_t& LPTnumNext = modReg::Link.LPTnumNext;
inline int32_t& TxTimeOut = modReg::Link.TxTimeOut;
inline int32_t& Tx0 = modReg::Link.Tx0;
inline int32_t& TxP = modReg::Link.TxP;
inline int32_t& Tx1 = modReg::Link.Tx1;
inline int32_t& RxTimeOut = modReg::Link.RxTimeOut;
inline int32_t HwCalLimit = 0;

// ---- Error codes ----------------------------------------------------------

enum : int16_t {
    kErrOpen = -1,          // the port cannot be opened
    kErrClose = -2,         // the port cannot be closed
    kErrNotOpen = -3,       // a byte operation on a closed port
    kErrTimeOut = -4,       // no reply byte within the time-out
    kErrEcho = -5,          // the echo differs from the byte sent
    kErrPort = -6,          // runtime failure of the serial port or its data
    kErrInfo = -10,         // controller identification failed
    kErrObjectCode = -21,   // object code too short
    kErrGroupRead = -25,    // a motor-group read did not complete
    kErrBlockReply = -26,   // unexpected block reply of the fast download
    kErrAborted = -27,      // the exchange was ended by a close of its window
};

// ---- Byte link ------------------------------------------------------------

// Opens the serial port when it is closed, then discards pending input.
// -1 when it cannot be opened.  Serial port only.
void OpenComm();
// Discards pending input, then closes the serial port when it is open.
// -2 when it cannot be closed.  Serial port only.
void CloseComm();
// Sends b and waits for its echo, which must equal b (-3, -4, -5, -6).
void SendByte(uint8_t b);
// Sends b without waiting (-3, -6).
void SendByteNoEcho(uint8_t b);
// Asks the controller for its next reply byte: a 0 sent without echo.
void SendZero();
// Waits for one byte, echoes it back and returns it; 0 on error (-3, -4, -6).
uint8_t ReceiveByteEcho();
// Waits for one byte and returns it without sending anything; 0 on error.
uint8_t ReceiveByte();
// Discards every byte waiting in the input buffer.
void FlushInput();

// A frame that broke off at a byte whose echo or reply came back wrong (a
// wrong echo, garbage, a port failure, an end asked for) may leave the
// controller waiting for the frame's rest, and a byte sent meanwhile would
// be taken as that rest.  The controller's own wait for a frame's rest is
// not known, so the line stays quiet for the quiet time: the reply time-out
// (COMMtimeout), but never less than the floor, which outlasts a
// controller's frame time-out whatever COMMtimeout says.  It runs from the
// failing byte; for a byte that got no answer in time (a slow controller
// may still answer it and then wait for the rest), from the moment the host
// gave up.
//
// Every byte the link sends while the line must stay quiet first waits for
// the quiet time to end (a link wait: the event queue runs, nothing started
// from an event may talk to the controller, a close asked for ends it with
// kErrAborted), then drops what the controller sent late.  So no exchange
// starts a frame into a broken one, whichever window or command it comes
// from.  Closing and opening the port does not shorten the time: the
// controller does not see that.
//
// A byte that arrives while no exchange waits for it (no reply wait in
// progress, raw mode off; also a byte found waiting when the port is opened,
// closed or flushed) shows that the controller has just answered a byte of a
// broken frame, late, and now waits for the frame's rest: it is dropped, and
// the quiet time starts again from its arrival.
//
// The quiet time is kept per line: the port number of the link's serial
// control (see SetLinkControls).
inline constexpr int kQuietFloorMs = 2000;
// Milliseconds until the quiet time of the current line is over; 0 when no
// frame broke off and no byte came late that recently.
int BrokenFrameQuietMs();
// The floor of the quiet time (kQuietFloorMs unless changed), of the current
// registration's state only: a new registration starts at kQuietFloorMs
// again.  Tests and the fuzzer, whose simulated controllers have no frame
// time-out of their own, may lower it; the program never does.
void SetQuietFloorMs(int ms);
int QuietFloorMs();
// Calls `then` once, from the event queue, when the line is quiet: the quiet
// time of the current line is over (a frame that breaks off or a byte that
// comes late meanwhile moves that moment on), or on the next turn of the event queue
// when the line is quiet already.  Nothing when `context` is gone by then.
// A second call for the same context before the first one fired takes its
// place.  This is how a window that must not send into a broken frame
// learns when it may send again, without timing the quiet line itself.
void WhenLineQuiet(QObject* context, std::function<void()> then);
// A notice of the quiet-line waits, so that a window can show that the
// program waits (a busy cursor): while this object lives, its function is
// called with true when a byte starts to wait for the quiet line and with
// false when that wait ends.  It belongs to whoever holds the object, and
// goes with it; notices never replace one another, every one that lives is
// told.  A notice told of a wait's start is told of its end once: when the
// wait ends, or when the notice goes first (from its destructor).  One made
// during a wait hears only the waits after it.  An empty function is never
// called.
class QuietWaitNotice {
public:
    explicit QuietWaitNotice(std::function<void(bool waiting)> notice);
    ~QuietWaitNotice();
    QuietWaitNotice(const QuietWaitNotice&) = delete;
    QuietWaitNotice& operator=(const QuietWaitNotice&) = delete;

    struct Entry;

private:
    std::shared_ptr<Entry> entry_;
};

// Parallel port: status and data byte; on a library error they return 0
// and set CommError to the library's error number minus 10.
int16_t ParInport();
uint8_t ParReceive();

// Start-up: chooses the port library and sets up the parallel port when
// modMain.PortType selects it.
void Init();
void DetectOS();
// Program end: closes the parallel port and the serial port.
void CloseAllPorts();

// ---- Controller command set ------------------------------------------------

// The memory commands, address width and memory cells of a model are those
// of qvv2::controller::LinkModel(Model()).

// Motor groups: the controller reports the positions of a group of motors
// in one reply, each group with a read command of its own.  Two families
// split the motors: eight a group, A to D (motors 0-7, 8-15, 16-23, 24-31),
// and six a group, A to E (motors 0-5, 6-11, ..., 24-29).  They are the
// servo groups of qvv2::controller::kServoGroups that have a read command.
struct MotorGroup {
    int family = 0;  // motors a group: 8 or 6
    int index = 0;   // the group's letter: 0 for A, 1 for B, ...
    int firstMotor = 0;
    int motors = 0;
    uint8_t command = 0;  // the controller command that reads the group
    int16_t word = -1;    // the group word, by its command number
};

namespace detail {
constexpr size_t ReadableGroupCount() {
    size_t n = 0;
    for (const qvv2::controller::ServoGroup& g : qvv2::controller::kServoGroups)
        if (g.readCommand != 0) ++n;
    return n;
}
constexpr std::array<MotorGroup, ReadableGroupCount()> ReadableGroups() {
    std::array<MotorGroup, ReadableGroupCount()> groups{};
    size_t n = 0;
    for (const qvv2::controller::ServoGroup& g : qvv2::controller::kServoGroups)
        if (g.readCommand != 0)
            groups[n++] = MotorGroup{g.motors, g.firstMotor / g.motors, g.firstMotor, g.motors, g.readCommand, g.word};
    return groups;
}
}  // namespace detail

inline constexpr std::array<MotorGroup, detail::ReadableGroupCount()> kMotorGroups = detail::ReadableGroups();

// The group of a family and letter index; nullptr for any other pair.
const MotorGroup* FindMotorGroup(int family, int index);

// Low and high byte of a 16-bit address; 0 for values outside 0..65535.
uint8_t LowByte(int32_t v);
uint8_t HighByte(int32_t v);

// The command bytes are qvv2::controller's LINK_ names.
void RunProgram();       // LINK_RUN, serial only
void StopProgram();      // LINK_STOP, serial only
void ResetController();  // LINK_RESET, serial only
void StepProgram();      // LINK_STEP, serial only; the caller takes the reply
void SendCommandEE();    // LINK_DIRECT_LINE
// LINK_SET_OUTPUT, 1 when state is non-zero else 0, the port number; serial
// only.
void SendCommandFE(int16_t number, uint8_t state);
// LINK_MOVE_SERVO, motor, position; serial only.
void MoveMotor(int16_t motor, uint8_t position);
// LINK_OUTPUT_LEVEL, the output port, the level as it is.
void SendCommandE3(uint8_t port, uint8_t level);

uint8_t ReadByteF2(int32_t address);  // program area; serial only
uint8_t ReadByteB3(int32_t address);  // EEPROM
uint8_t ReadMemory(int32_t address);  // model's read command; serial only
void WriteMemory(int32_t address, uint8_t value);  // serial only
void WriteEeprom(int32_t address, uint8_t value);
// Current position of servo 0..31; any other number returns 0 at once and
// leaves CommError as it was.
uint8_t ReadVariable(int16_t servo);
// Positions of a motor group of eight (ReadBlock8) or six motors
// (ReadBlock6), read with the group's command from kMotorGroups: out[i] is
// motor firstMotor + i.  The outputs are set to 0 first; returns 255 when
// every byte arrived, else 0.  A group of the other family, or one that
// kMotorGroups does not hold, sends nothing and leaves CommError as it was.
uint8_t ReadBlock8(const MotorGroup& group, std::array<uint8_t, 8>& out);
uint8_t ReadBlock6(const MotorGroup& group, std::array<uint8_t, 6>& out);

// Motor switching and positions (see modMain.ControllerType and the tables).
bool GetMotorOn(int16_t motor);
void SetMotorOn(int16_t motor, bool on);
uint8_t ReadMotorPos(int16_t motor);
void WritePositionPair(int16_t motor, uint8_t value);

}  // namespace vxIO

// ---- Controller information and fast download --------------------------------

namespace vxIO {

enum : int16_t {
    kErrTooBig = -22,  // an object image longer than the 16-bit length field carries
};

// The longest image the fast download can announce: its length travels as
// one 16-bit value.
inline constexpr int32_t kMaxDownloadBytes = 65535;

// ---- Controller information ---------------------------------------------------

// What the controller says about itself (reply to LINK_IDENTIFY) and about
// the program it holds (the 16-byte program header at memory 0..15).
struct ControllerInfo {
    uint8_t ControllerId = 0;    // 0: no valid answer; kChecksumControllerId: keeps a checksum word
    uint8_t FirmwareMajor = 0;   // firmware version, whole part
    uint8_t FirmwareMinor = 0;   // firmware version, tenths
    uint8_t Info3 = 0;           // delivered, not used
    uint8_t TotalVariables = 0;  // variable bytes of the controller
    uint8_t TotalStacks = 0;     // stack entries of the controller
    int32_t Checksum = 0;        // the checksum word (kChecksumHighMemory, kChecksumLowMemory), else 0
    QString ProgramName;         // 8 characters with their blanks, or a long name of 15 bytes
    QString ProgramDate;         // e.g. "2026/12/8"
    QString ProgramTime;         // e.g. "8:5:30"
    int32_t ProgramSize = 0;     // header bytes 14 + 256 x 15
    // The header's 16 bytes were all 0x00 or all 0xFF: the memory of a
    // controller that never took a program.  The four program values above
    // are still decoded from it, and say nothing.
    bool NoProgram = false;
};

// The full read-out; serial port only (on the parallel port it returns at
// once and leaves `info` untouched).  The caller opens and closes the port.
// Link errors stop the read-out where they occur, keeping what was filled so
// far; an identification byte 0 of 0 is error -10.
void GetControllerInfo(ControllerInfo& info);
void GetControllerInfoSerial(ControllerInfo& info);
// The six identification bytes alone; `id` is assigned only when byte 0 is
// non-zero (else error -10).  The caller opens and closes the port.
void GetControllerId(std::array<uint8_t, 6>& id);

// Decoding of the program header (memory 0..15) and, for a long name, the
// eight EEPROM name bytes, with the double-byte rule of the code page.
QString DecodeProgramName(const std::vector<uint8_t>& bytes, bool longName, const std::string& codePage);
QString ProgramDateText(uint8_t year, uint8_t month, uint8_t day);
QString ProgramTimeText(uint8_t hour, uint8_t minute, uint8_t second);

// ---- Fast download --------------------------------------------------------------

// Progress of a transfer: done of total steps.  The fast download reports
// 0 of 1 before its blocks, k of L + 2 after block k of L, and 1 of 1 at the
// end; an empty function is not called.
using Progress = std::function<void(int32_t done, int32_t total)>;

// Writes the object image into the controller: image holds indexes 0..n
// (index i is controller address i - 1, index 0 is not sent), n is
// TotalBytes.  programName is the program's file name in the code page of
// the program header (a name longer than 12 bytes goes to the EEPROM).  Only
// on the serial port with controller type 7, 8 or 9; otherwise it returns
// false at once, sends nothing and leaves CommError 0.  Returns true when
// the transfer ended normally; on failure the port is closed, the line
// settings are as they were, and the failure's code is in CommError (the
// caller shows the error box).  An image shorter than 17 bytes is -21, one
// longer than 65,535 bytes -22; nothing is sent for either.
bool DownloadFast(const std::vector<uint8_t>& image, int32_t n, int16_t variables, const std::string& programName,
                  const Progress& progress);
// The transfer itself, without the port and type check: leaves the port
// closed and the line settings as they were on every path, and the
// failure's code in CommError.
bool DownloadFastSerial(const std::vector<uint8_t>& image, int32_t n, int16_t variables,
                        const std::string& programName, const Progress& progress);

}  // namespace vxIO
