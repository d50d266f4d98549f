// frmMove32_G6: the real-time group servo window.  24 servo motors in four
// groups of six (A to D; a fifth group E exists but stays hidden), each with
// a knob (ServoKnob), a power check box and a capture key.  Turning a knob
// moves its servo at once; the capture keys read positions back from the
// controller; the insert keys write a group's positions into the active
// document as a MOVE line.
//
// The serial port stays open from the load to the unload.  The main window
// locks its build and controller menus before it opens the window
// (frmMain::MotionLock); the window's unload lifts the lock again.
//
// Link use:
//   - A knob turned quickly never queues a backlog of moves: each knob keeps
//     only its latest value not yet sent, at most one exchange runs at a
//     time, and when the link is free the latest values go out, one move per
//     knob.
//   - A loop over several motors or groups stops at its first link error and
//     shows one error box with that error's code.
//   - A load that fails shows one error box with the code of the failing
//     step and closes the window.
//   - A single capture that fails leaves the knob unchanged without a box.
//     A move that fails shows no box either: the knobs keep following the
//     hand, and their latest values go out once the line is quiet again
//     (the controller may still be waiting for the rest of the broken
//     frame).  A key or check box clicked meanwhile waits too (LiveMoves::
//     Press), under the busy cursor, with a check box showing its new
//     state: once the line is quiet the clicks are carried out in the
//     order they were made, each after the knob turns made before it.  A
//     click made while another exchange waits is refused (a check box
//     goes back).  An insert key waits behind clicks that still wait, so
//     that its MOVE line shows what they did.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

#include "compiler/ControllerMap.h"
#include "motion/LiveMoves.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ServoKnob;

namespace modMain {

// Per group A to E: folded to its title.  Kept for the program's run, so a
// folded group stays folded the next time the window opens.
inline std::array<bool, 5> GroupCollapsed{};

}  // namespace modMain

class frmMove32_G6 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMotors = 30;      // controls 0..29 (groups A to E)
    static constexpr int kGroups = 5;       // A to E
    static constexpr int kUsedMotors = qvv2::controller::kHumanoidServos;  // motors 0..23 (groups A to D)
    static constexpr int kUsedGroups = 4;   // A to D

    // Creates and loads the window and shows it, unless the load failed (its
    // one error box was then shown and the window is gone).  Either way the
    // window's unload has run or will run, and it lifts the motion lock, so
    // the caller does not.  A window already open is brought to the front.
    static bool Open(QWidget* owner);
    // The open window, or nullptr.
    static frmMove32_G6* Loaded();

    explicit frmMove32_G6(QWidget* owner = nullptr);
    ~frmMove32_G6() override;

    // ---- Controls ----------------------------------------------------------------
    std::array<ServoKnob*, kMotors> servo{};
    std::array<QCheckBox*, kMotors> chk_Motor{};
    std::array<QPushButton*, kMotors> cmdServoCapture{};
    std::array<QGroupBox*, kGroups> FraGroup{};
    std::array<QPushButton*, kGroups> cmdHide{};
    std::array<QCheckBox*, kGroups> chkAll{};
    std::array<QPushButton*, kGroups> cmd_Groupcapture{};
    std::array<QPushButton*, kGroups> cmd_Move{};  // cmd_Move1..cmd_Move5
    QPushButton* cmdCaptureAll = nullptr;
    QPushButton* cmdClose = nullptr;
    QLineEdit* txt = nullptr;  // only holds the keyboard focus

    // ---- Load, layout, unload ----------------------------------------------------
    // Reads the 24 motors; false on a link error (LoadErrorCode() tells
    // which).  Does not show the window.
    bool Form_Load();
    // Lays the groups out by their fold state and sets the window's height.
    void ArrangeGroups();
    // Closes the port, keeps the window's position (when it was placed),
    // lifts the motion lock and gives the editor the focus.  Runs once.
    void Form_Unload();

    bool LoadError() const { return loadError_; }
    int16_t LoadErrorCode() const { return loadErrorCode_; }

    // ---- Handlers ------------------------------------------------------------------
    void servo_Change(int16_t index, int16_t value);
    void chk_Motor_Click(int index);
    void cmdServoCapture_Click(int index);
    void chkAll_Click(int group);
    void cmd_Groupcapture_Click(int group);
    void cmdCaptureAll_Click();
    void cmdHide_Click(int group);
    void cmd_Move_Click(int group);
    void txt_Change();
    void cmdClose_Click();

    // The MOVE line of a group: "MOVE G6A," (B to E), then per motor its
    // position right-aligned in three characters when ticked, else three
    // blanks, joined by ", ", then CR LF.
    static QString MoveLineText(int group, const std::array<int16_t, 6>& positions, const std::array<bool, 6>& ticked);

    // The latest value of a knob not yet sent to its servo; -1 when none.
    int16_t PendingMove(int index) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Running;
    void BuildControls();
    // What the clicks do, at once or once the line is quiet; false when a
    // link error was shown (the box went back).
    bool SwitchMotor(int index);
    void CaptureOne(int index);
    bool SwitchGroup(int group);
    void CaptureOneGroup(int group);
    bool CaptureAll();
    // Inserts group `group`'s MOVE line into the active document.
    void InsertGroup(int group);
    // The controls whose clicks can wait, as LiveMoves names them.
    static constexpr int kMotorBoxControl = 0;
    static constexpr int kMotorCaptureControl = kMotorBoxControl + kMotors;
    static constexpr int kGroupBoxControl = kMotorCaptureControl + kMotors;
    static constexpr int kGroupCaptureControl = kGroupBoxControl + kGroups;
    static constexpr int kCaptureAllControl = kGroupCaptureControl + kGroups;
    // Sends one knob's latest value to its servo; false on a link error.
    bool SendMove(int index, int16_t value);
    // One motor / one group read back; false on a link error.
    bool CaptureMotor(int index);
    bool CaptureGroup(int group);
    // Puts knob `index` where its servo stands, `pos`, also outside the
    // motor's limits; false, with the knob left alone, when pos is outside
    // 10..190 or a turn of the knob made while the read waited has still to
    // go out (it is newer than the position read, and the servo follows it).
    bool ShowServoAt(int index, int pos);
    // Switches a check box without running its click handling.
    void SetCheckQuietly(QCheckBox* box, bool checked);
    // Shows the error box for code and opens the port again for the
    // window's next action.
    void ShowLinkError(int16_t code);
    // Load failed: unloads the window, shows the one box.
    void FailLoad();
    // Opens the port again if something closed it since the load.
    void EnsurePortOpen();

    bool loadError_ = false;
    int16_t loadErrorCode_ = 0;
    bool loading_ = false;
    bool placed_ = false;
    bool unloaded_ = false;
    int running_ = 0;  // handlers now inside a controller exchange
    bool closeRequested_ = false;
    // Each knob's latest value not sent yet, in round-robin order; retried
    // every 10 ms while the link is busy, held after a link error until the
    // line is quiet again.
    LiveMoves moves_;
    double frameTopTwips_[kGroups] = {};
};
