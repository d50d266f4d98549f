// frmMoveKESTRA: the real-time servo window of the humanoid model.
//
// A picture of the robot with one servo slider per used slot laid over it
// (modUserRobot places them), and panels to switch limbs on and off, to read
// the robot's pose back into the sliders, to copy or exchange poses between
// the left and right limbs, to mirror every slider move onto the partner
// motor, and to write the sliders' positions into the current program as four
// MOVE lines or a WAIT line.  Every slider move goes to the controller at
// once.  The window holds the serial port open from its load to its unload;
// the main window locks its controller menus before showing it (motion lock)
// and the window lifts the lock when it unloads.
//
// The sliders raise Change and Click also when this window's own code sets
// their Value or CheckValue, so each assignment below also moves the motor
// (and, with chkSync ticked, its partner) or runs the check box handling.
//
// While a link operation waits for the controller, events keep being handled.
// A command button or limb box pressed meanwhile is refused; a slider moved
// or a slot's check box clicked meanwhile is remembered and sent once the
// link is free, so a slider never shows a position the motor was not sent;
// a close asked for meanwhile happens then too.  After a frame that broke
// off on the link, the controller may still be waiting for its rest, and
// nothing goes out until the line is quiet again (LiveMoves): the sliders
// and slot boxes are remembered as above, and a command button or limb box
// pressed meanwhile waits too (LiveMoves::Press), under the busy cursor,
// with a limb box showing its new state.  Then everything goes in the order
// the hand gave it; Insert and Wait wait their turn behind it, so that the
// lines show what it did.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

#include "motion/LiveMoves.h"
#include "motion/modUserRobot.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class vxServoSlide2;

class frmMoveKESTRA : public QWidget, public modUserRobot::RobotPictureForm {
    Q_OBJECT

public:
    // Shows the window, loading it first when it is not loaded; the main
    // window has applied its motion lock.  True when a window was loaded or
    // was already there: its unload lifts the lock (a window whose load
    // failed unloads at once, lifting it too).
    static bool Show();
    // The loaded window, or nullptr.
    static frmMoveKESTRA* Loaded();

    ~frmMoveKESTRA() override;

    // ---- Controls -------------------------------------------------------------
    std::array<vxServoSlide2*, modUserRobot::kSlots> servo{};  // slot i moves motor i
    QLabel* Image1 = nullptr;                                  // the robot picture
    QGroupBox* frmMode = nullptr;
    QCheckBox* chkSync = nullptr;
    QGroupBox* frmCapture = nullptr;
    std::array<QPushButton*, 5> cmdCapture{};  // all, R_Arm, L_Arm, R_Leg, L_Leg
    QGroupBox* frmCopy = nullptr;
    std::array<QPushButton*, 6> cmdCopy{};
    QGroupBox* frmEnable = nullptr;
    std::array<QCheckBox*, 5> chkGroupEnable{};  // all, R_Arm, L_Arm, R_Leg, L_Leg
    std::array<QRadioButton*, 2> optInsert{};    // G6, G24
    QPushButton* cmdInsert = nullptr;
    QPushButton* cmdWait = nullptr;
    QPushButton* cmdClose = nullptr;
    QLineEdit* txt = nullptr;  // takes the focus after a capture or an insert

    // Set when a link error occurred while the window loaded; the load ends
    // at that error.
    bool LoadFailed = false;

    // ---- Handlers -------------------------------------------------------------
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void servo_Change(int index);
    void servo_Click(int index);
    void servo_DblClick(int index);
    void chkGroupEnable_Click(int index);
    void cmdCapture_Click(int index);
    void cmdCopy_Click(int index);
    void cmdInsert_Click();
    // Button and shift state as the mouse reports them: Qt::MouseButton and
    // Qt::KeyboardModifiers values.  Exactly the left button with exactly
    // Ctrl inserts the lines in the alternative order; the press then makes
    // no click, so the ordinary order is not inserted as well.
    void cmdInsert_MouseDown(int button, int shift);
    void cmdWait_Click();
    void optInsert_Click(int index);
    void cmdClose_Click();

    // ---- Picture form -----------------------------------------------------------
    QLabel* RobotPicture() override { return Image1; }
    QWidget* SlotControl(int slot) override;

    // The four MOVE lines of an insert, each ending in CR LF: G6A (slots 0-5),
    // G6D (18-23), G6B (6-11), G6C (12-17); with `alternative`, G6D, G6A,
    // G6C, G6B.  A slot that is on shows its position right-aligned in three
    // characters, one that is off a single blank.
    static QString MoveLines(const std::array<uint8_t, modUserRobot::kSlots>& position,
                             const std::array<bool, modUserRobot::kSlots>& on, bool alternative);

    // Limb of a capture button or group box 1..4 (R_Arm, L_Arm, R_Leg, L_Leg).
    static int16_t LimbOfIndex(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmMoveKESTRA(QWidget* owner);
    void BuildControls();
    void FitLimbBoxes();
    // Reads the motor's position into its slider (which moves it) and stores
    // it in the controller; false when the link failed, at its first error.
    bool MotorCapture(int index);
    void GroupCapture(int index);
    // The live queue's sends: slot i's position (and with chkSync its
    // partner's), slot i's check box; false when the link failed.
    bool SendMove(int index);
    bool SendSwitch(int index);
    // What the limb boxes and the capture and copy buttons do, at once or
    // once the line is quiet.
    void GroupEnable(int index);
    void Capture(int index);
    void CopyLimb(int index);
    // The controls whose clicks can wait, as LiveMoves names them.
    static constexpr int kCaptureSlotControl = 0;  // + slot: a double click
    static constexpr int kGroupEnableControl = kCaptureSlotControl + modUserRobot::kSlots;
    static constexpr int kCaptureControl = kGroupEnableControl + 5;
    static constexpr int kCopyControl = kCaptureControl + 5;
    void InsertLines(bool alternative);
    // Hands control to the event queue; false when the window went meanwhile.
    bool Yield();
    // The slider of a slot in 0..23, else nullptr.
    vxServoSlide2* Slider(int index) const;

    // Per slot, the position a drag of its handle sent last; 0 (no
    // position of a slider) when none.
    std::array<int, modUserRobot::kSlots> dragSent_{};
    // Slider moves and check box clicks, sent at once or, when they arrive
    // while the link waits or the line must stay quiet, with the slider's
    // state once it is free (retried every 20 ms).
    LiveMoves live_;
    QTimer closeRetry_;          // a close asked for while the link waited
    int16_t loadErrorCode_ = 0;  // the link error that ended the load
    bool unloaded_ = false;
    bool activated_ = false;
};
