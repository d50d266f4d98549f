// frmZeroKESTRA: the humanoid zero-point window.  One zero box per servo
// slot of the humanoid model lies over the robot's picture; the robot file
// "Vortan.dat" says where, and which slots are in use.  Read takes the used
// servos' positions and zero bytes from the controller, holds the servos
// where they stand and loads the model's default pose and directions; every
// change of a box is then written at once into the controller's working
// memory; Write stores the values in the controller's EEPROM; Insert puts
// ZERO lines into the active document.  Three pairs of buttons nudge
// mirrored joints together.
//
// The window is modeless; the main window applies its motion lock before
// showing it and the window lifts the lock when it unloads.  Only cmdClose
// closes it (the window system's close is refused; the main window's
// unload closes it at exit).  From Read until it unloads, the window holds
// the serial port open.  A failed Read stops where it failed and leaves the
// window as it was opened, so nothing unread can be written.
#pragma once

#include <array>
#include <cstdint>

#include "motion/ZeroPoints.h"
#include "motion/modUserRobot.h"

class QLabel;
class QPushButton;
class vxServoUpDown;

class frmZeroKESTRA : public ZeroPoints::Window, public modUserRobot::RobotPictureForm {
    Q_OBJECT

public:
    // Creates and loads the window (Form_Load); `owner` is the main window.
    explicit frmZeroKESTRA(QWidget* owner = nullptr);

    // The window of the program: created on first use and shown modeless.
    // True when it is shown.
    static bool ShowWindow(QWidget* owner);
    // The window ShowWindow shows, while it is open, or nullptr.
    static frmZeroKESTRA* Loaded();

    // Mirrored pairs of the up/down buttons, first slot first.
    static constexpr std::array<std::array<int, 2>, 3> kPairs{{{3, 21}, {2, 20}, {1, 19}}};

    QLabel* Image1 = nullptr;  // the robot's picture
    std::array<vxServoUpDown*, modUserRobot::kSlots> ZeroUD{};
    std::array<QPushButton*, 3> cmdUP{};
    std::array<QPushButton*, 3> cmdDown{};
    QLabel* Label1 = nullptr;  // "Progress"

    // Window state.
    std::array<uint8_t, modUserRobot::kSlots> ServoPos{};
    std::array<uint8_t, modUserRobot::kSlots> ZeroDefault{};  // zero values (box form) read or written
    std::array<uint8_t, modUserRobot::kSlots> DefaultPose{};
    std::array<uint8_t, 3> DefaultDirBytes{};

    // The picture, the slot controls and the Close button that the robot
    // table places.
    QLabel* RobotPicture() override { return Image1; }
    QWidget* SlotControl(int slot) override;
    QWidget* CloseButton() override;

    // Whether slot i takes part (its MotorUse in the robot table).
    static bool SlotUsed(int slot);

    void Form_Load();
    void cmdRead_Click();
    void cmdWrite_Click();
    void cmdInsert_Click();
    void cmdDefault_Click();
    void cmdCancel_Click();
    void cmdUP_Click(int index);
    void cmdDown_Click(int index);
    void ZeroUD_ValueChanged(int index) override;

private:
    // The steps of Read after the port is open; false at the first error
    // (vxIO::CommError holds it).
    bool ReadSteps();
    // The buttons and the progress bar in the free panel at the picture's
    // right edge.
    void PlaceButtons();
    void Nudge(int pair, int16_t step);
    bool WriteLiveNow(int index) override;
};
