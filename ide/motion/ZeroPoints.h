// What the two zero-point windows (frmZeroKESTRA, frmZero32) share: the
// controller addresses of their protocol, the mappings between a box's zero
// value and the controller's zero byte, the position filter, the direction
// bytes, the ZERO and DIR lines they insert into the active document, and
// the steps of their unload.
//
// A box shows the zero value v, 100 meaning no offset; the controller keeps
// the signed offset v - 100 as an 8-bit two's-complement byte.  Offsets
// outside -50..+50 are not taken from the controller (they read as 100), and
// the windows hold every live change to 50..150, so whatever they write
// reads back unchanged.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

#include "compiler/ControllerMap.h"
#include "link/vxIO_Windows.h"
#include "motion/LiveMoves.h"

class QCloseEvent;
class QProgressBar;
class QPushButton;
class vxServoUpDown;

namespace ZeroPoints {

// The cells of the controller's memory (working store) and EEPROM that the
// protocol uses (qvv2::controller), by the windows' names for them.
inline constexpr int32_t kPositionAddress = qvv2::controller::kServoTargetMemory;  // + servo: position written back
inline constexpr int32_t kPoseAddress = qvv2::controller::kServoPositionMemory;    // + slot: the humanoid pose
inline constexpr int32_t kZeroAddress = qvv2::controller::kServoZeroMemory;        // + servo: working zero byte
inline constexpr int32_t kControlAddress = qvv2::controller::kServoControlMemory;  // control byte
inline constexpr int32_t kDirectionAddress = qvv2::controller::kServoDirectionMemory;  // + k: direction byte
inline constexpr int32_t kZeroEeprom = qvv2::controller::kServoZeroEeprom;             // + servo: stored zero byte
inline constexpr int32_t kDirectionEeprom = qvv2::controller::kServoDirectionEeprom;   // + k: stored direction byte
inline constexpr uint8_t kControlHold = qvv2::controller::kServoControlHold;  // while positions go back
inline constexpr uint8_t kControlRun = qvv2::controller::kServoControlRun;    // after them

// The range a live change is held to.
inline constexpr int16_t kLowestValue = 50;
inline constexpr int16_t kHighestValue = 150;

// Zero value (box) to zero byte: v >= 100 gives v - 100, v < 100 gives
// v + 156, both as a byte.
uint8_t ValueToByte(int16_t value);
// Zero byte to zero value: 0..50 gives 100..150, 206..255 gives 50..99,
// every byte between (an offset outside -50..+50) gives 100.
int16_t ByteToValue(uint8_t zeroByte);

// A position read from a block: kept when it lies in 10..190, else 0 (the
// servo is then left alone).
uint8_t FilterPosition(uint8_t position);
bool UsablePosition(uint8_t position);

// Reads block k (servos 8k..8k+7) into positions[8k..8k+7] of `count`
// positions, each filtered; a block the controller refuses leaves them as
// they were and sets vxIO::CommError to vxIO::kErrGroupRead (an abort keeps
// its own code).
void ReadPositionBlock(int k, uint8_t* positions, size_t count);

// Direction byte from the eight toggle values (1 or 0) of its servos: bit j
// is servo 8k + j's direction; a value other than 0 counts as 1.  And whether
// servo i's bit is set in the four bytes (false outside 0..31).
uint8_t DirectionByte(const std::array<int16_t, 8>& values);
bool DirectionBit(const std::array<uint8_t, qvv2::controller::kDirectionBytes>& bytes, int servo);

// The lines inserted into a program, four groups of six servos (0..23),
// each line ended by CR LF.  ZERO items are the values right-aligned in
// three characters, DIR items one character.
QString ZeroLines(const std::array<int16_t, qvv2::controller::kHumanoidServos>& values);
QString DirLines(const std::array<int16_t, qvv2::controller::kHumanoidServos>& values);

// One operation of a window (Read, Write, Default, Cancel, Insert, a nudge):
// the window's controller exchange.  Refused while another operation of the
// same window runs (its loops hand control to the event queue, so a button
// of the window can be clicked meanwhile) or while any other controller
// exchange waits.  `running` is the window's flag; it is set for the
// operation's lifetime.
class Operation {
public:
    explicit Operation(bool& running);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    explicit operator bool() const { return granted_; }

private:
    bool& running_;
    vxIO::Exchange exchange_;
    bool granted_ = false;
};

// One turn of a window loop: hands control to the event queue without
// waiting; events handled here count as started inside the exchange.
void Yield();

// The link's error box for a code, leaving the link open: for a failure
// that the window reports while it goes on using the link (a zero part that
// failed while the directions were read, a zero write that is refused).
void ShowErrorKeepingLink(int16_t code);

// The unload of a zero-point window: resets the controller when the serial
// port is open and closes the link (always, or only when it was open),
// lifts the main window's motion lock and gives the active document's
// editor the focus.  After a frame that broke off, the reset is a byte the
// controller may still take as that frame's rest: with `mayWait` it waits
// for the quiet line as every byte of the link does; without it (a window
// being destroyed, where no wait may run) it is left out while the line
// must stay quiet.
void UnloadLink(bool closeAlways, bool mayWait = true);
void LiftMotionLock();

// A live change of a zero box: a value outside the range is put back to
// its nearest end (true; the assignment raises the box's ValueChanged again,
// and that call writes), a value inside it is left alone (false).
bool HoldToRange(vxServoUpDown* box);

// Shows the one window of a form, creating it on first use; the window
// deletes itself when it closes.  True when it is shown.
template <typename Form>
bool ShowSingleWindow(QPointer<Form>& window, QWidget* owner) {
    if (!window) {
        window = new Form(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

// What a zero-point window does apart from its servos: its buttons and
// progress bar (the window makes and places them), one operation at a time
// (see Operation), a close asked for during an operation that follows when
// it is over, the live zero changes held back while the link is busy (or a
// frame that broke off keeps the line quiet) and written once it is free,
// and the unload.  A window has `slotCount` zero
// boxes; `closeAlways` is how its unload treats the link (see UnloadLink).
class Window : public QWidget {
public:
    ~Window() override;

    QPushButton* cmdRead = nullptr;
    QPushButton* cmdWrite = nullptr;
    QPushButton* cmdInsert = nullptr;
    QPushButton* cmdDefault = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdClose = nullptr;
    QProgressBar* pb = nullptr;

    // Whether the window holds values read from the controller.
    bool ReadDone = false;

    // Progress in percent on pb.
    void SetProgress(float percent);

    // The unload: runs once, at the first close or at deletion.
    // `mayWait`: see UnloadLink.
    void Form_Unload(bool mayWait = true);
    // Closes the window, or after the operation in progress.
    void cmdClose_Click();
    // A change of zero box `index`: held to the range and written live.
    virtual void ZeroUD_ValueChanged(int index) = 0;

protected:
    Window(QWidget* owner, int slotCount, bool closeAlways);

    // Writes box `index`'s value into the controller's working copy when
    // the window still takes live changes; false when the link failed and
    // the write is to be tried again.
    virtual bool WriteLiveNow(int index) = 0;

    void closeEvent(QCloseEvent* event) override;
    // Read enabled and the buttons that work on values read disabled, or
    // (after a Read) the other way round.
    void EnableButtons(bool readDone);
    // After an operation: the live writes it held back, a close asked for.
    void AfterOperation();
    // A live change of box `index`: written at once when the link is free.
    // While a controller exchange runs, or a frame that broke off keeps the
    // line quiet, the box's latest value is written afterwards (after this
    // window's operation, once a retry finds the link free, or after the
    // quiet time).
    void WriteLive(int index);
    // A click whose command writes (LiveMoves::Press): it runs now, or,
    // while a frame that broke off keeps the line quiet or clicks made
    // before wait, it waits its turn among the live changes under the busy
    // cursor (`undo` puts its control back when it is dropped); while
    // another exchange waits it is refused (`refuse` puts the control back).
    void Click(int control, LiveMoves::Command run, LiveMoves::Undo refuse, LiveMoves::Undo undo);

    bool running_ = false;  // an operation is in progress

private:
    const bool closeAlways_;
    bool closePending_ = false;  // cmdClose was clicked during an operation
    bool unloaded_ = false;
    LiveMoves held_;  // the live changes, held while the link cannot take them
};

}  // namespace ZeroPoints
