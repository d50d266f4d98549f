// frmZero32: the 32-servo zero-point and direction window.  Read takes the
// servos' positions and zero bytes (and the four direction bytes) from the
// controller and holds the servos where they stand; every change of a zero
// box or a direction toggle is written at once into the controller's working
// memory; Write stores the values in the controller's EEPROM; Insert puts
// ZERO or DIR lines (the page shown decides) into the active document.
//
// The window is modeless; the main window applies its motion lock before
// showing it and the window lifts the lock when it unloads.  Only cmdClose
// closes it (the window system's close is refused).  From Read until it
// unloads, the window holds the serial port open.
//
// The zero part and the direction part of Read are independent: the
// directions are read (and the window becomes usable for them) even when the
// zero part failed.  The zero values of a failed zero part were never read,
// so they are not written live, not restored by Default and not stored by
// Write: Write then stores the directions and reports the zero part's error.
#pragma once

#include <array>
#include <cstdint>

#include "motion/ZeroPoints.h"

class QGroupBox;
class QLabel;
class QTabWidget;
class vxServoDIR;
class vxServoUpDown;

class frmZero32 : public ZeroPoints::Window {
    Q_OBJECT

public:
    // Creates and loads the window (Form_Load); `owner` is the main window.
    explicit frmZero32(QWidget* owner = nullptr);

    // The window of the program: created on first use and shown modeless.
    // True when it is shown.
    static bool ShowWindow(QWidget* owner);

    std::array<vxServoUpDown*, qvv2::controller::kServoSlots> ZeroUD{};
    std::array<vxServoDIR*, qvv2::controller::kServoSlots> Sdir{};
    std::array<QLabel*, qvv2::controller::kServoSlots> lblServoNo{};
    std::array<QLabel*, 4> Label2{};  // "G6A".."G6D"
    QTabWidget* SSTab1 = nullptr;     // pages "Zero" and "DIR"
    QGroupBox* frameZero = nullptr;
    QGroupBox* frameDIR = nullptr;
    QWidget* Picture1 = nullptr;  // carries the progress bar and its label
    QLabel* Label1 = nullptr;     // "Progress :"

    // The model's servos 0..Servos - 1: the ones shown and handled.
    const int Servos;
    // Window state, as the last Read, Default, Cancel and the tab left it.
    std::array<uint8_t, qvv2::controller::kServoSlots> ServoPos{};
    std::array<uint8_t, qvv2::controller::kServoSlots> ZeroDefault{};  // zero values (box form) read
    std::array<uint8_t, qvv2::controller::kDirectionBytes> DirBytes{};
    std::array<uint8_t, qvv2::controller::kServoSlots> DirFlags{};  // 255 where the direction bit was set
    int16_t ActivePage = 0;              // 0 "Zero", 1 "DIR"
    // Whether the zero part of the last Read completed, and the error that
    // ended it when it did not.
    bool ZeroReadDone = false;
    int16_t ZeroReadError = 0;

    void Form_Load();
    void cmdRead_Click();
    void cmdWrite_Click();
    void cmdInsert_Click();
    void cmdDefault_Click();
    void cmdCancel_Click();
    void ZeroUD_ValueChanged(int index) override;
    void Sdir_Click(int index);
    void SSTab1_Click(int tab);

private:
    // The steps of Read: the zero part (stop, switch off, positions back,
    // zero bytes) and the direction part; each returns its error, 0 when it
    // completed.
    // Read after the port opened: the zero part, then the directions.
    void ReadAfterOpen();
    int16_t ReadZeroPart();
    int16_t ReadDirectionPart();
    void ShowDirections();
    uint8_t DirectionByteOf(int k) const;
    // Writes direction byte k live; false when the link failed (its box
    // was shown).
    bool WriteDirectionByte(int k);
    bool WriteLiveNow(int index) override;
    // Whether a live change is written now: after a completed Read, with
    // Write enabled.
    bool TakesLiveChanges() const;
};
