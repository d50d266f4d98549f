// frmRun: the download window.  It names the compiled program and its size;
// OK checks the controller's firmware version (offering the firmware update
// to a controller with an old version, when the program has the firmware
// beside it), then downloads the program (modMain::DownloadProgram) with the
// progress bars of this window, and closes the window.  A check that gave up
// on a slow controller leaves the line quiet (the link's quiet time, which a
// late reply starts again), so the download does not take that reply for an
// echo nor send into the frame it belongs to.
//
// The firmware update's exchange with the controller's boot loader is the
// protocol's (protocol/FirmwareUpdate.h); this window asks first, shows the
// error box for a link failure and moves its download bar with the
// update's progress.
#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

#include "link/Firmware.h"

class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;

class frmRun : public QDialog {
    Q_OBJECT

public:
    // Creates and loads the window (Form_Load).
    explicit frmRun(QWidget* owner = nullptr);
    ~frmRun() override;

    // The loaded download window, or nullptr.
    static frmRun* Loaded();
    // Creates the window, shows it modally and unloads it when it closes.
    static void ShowModal(QWidget* owner);

    QLabel* Label5 = nullptr;         // "Program :"
    QLabel* lblProgram = nullptr;     // the program's file name
    QLabel* Label1 = nullptr;         // "Press <OK> button, ..."
    QLabel* lblCompileMsg = nullptr;  // "[Total n Bytes] is created."
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QGroupBox* FrameDown = nullptr;  // " Download Status ", hidden until OK
    QLabel* Label2 = nullptr;        // "Download :"
    QFrame* ShpDownBack = nullptr;   // track of the download bar (its width is the full length)
    QFrame* ShpDownloadState = nullptr;
    QLabel* Label3 = nullptr;  // "Verify :"
    QFrame* ShpVeriBack = nullptr;
    QFrame* ShpCodeVerifyState = nullptr;

    // The firmware image (indexes 0..FirmwareLastIndex; -1 when there is
    // none) and the boot loader's access code, with the reason when they are
    // not usable.
    std::vector<uint8_t> FirmwareImage;
    int32_t FirmwareLastIndex = -1;
    Firmware::Package FirmwarePackage;
    // The block SendFirmwareBlock sent last: 256 coded data bytes and the
    // checksum.
    vxIO::FirmwareBlock BlockFrame{};
    bool UpdateSucceeded = false;
    // Waits of the update, milliseconds: for the boot loader's prompt, and
    // for its acknowledgement and each block's reply.
    int PromptWaitMs = vxIO::kFirmwarePromptWaitMs;
    int ReplyWaitMs = vxIO::kFirmwareReplyWaitMs;

    void Form_Load();
    void LoadFirmwareImage();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The firmware update of FirmwareImage (vxIO::UpdateFirmware with this
    // window's waits); leaves UpdateSucceeded set on success and the port
    // closed and raw mode off in every case.  A link failure shows the error
    // box; a boot loader that answers wrong ends the update quietly.
    void UpdateFirmware();
    // Writes the header and the body of block k (0..254) of FirmwareImage,
    // coded into BlockFrame; false when a write failed.
    bool SendFirmwareBlock(int16_t k);

    // Whether a controller of this firmware kind 2 counts as old: versions
    // 2.4, 2.5 and 2.6, and 2.3 with the firmware word 3529.
    static bool IsOldFirmware(uint8_t major, uint8_t minor, int32_t word);
    // Number of the last block for an image whose last index is lastIndex
    // (vxIO::LastFirmwareBlock).
    static int32_t LastBlockNumber(int32_t lastIndex) { return vxIO::LastFirmwareBlock(lastIndex); }
    // Whether OK is running (the window cannot be closed meanwhile).
    bool Busy() const { return busy_; }
    // Whether the firmware update is running.
    bool Updating() const { return updating_; }

    // The program is asked to close while this window is open: the window
    // ends as soon as that is safe, and the caller closes the program once it
    // has gone.  Before OK it closes as Cancel; a version check or a download
    // under way ends at the byte in flight (the link's abort); a firmware
    // update runs to its end, since a controller left halfway has no working
    // firmware, and the window says that the program waits for it.  After
    // the request nothing more starts: no update and no download, and no box
    // for a download the request ended.
    void EndForProgramClose();
    bool ProgramCloseAsked() const { return closeAsked_; }

    // Escape and the window's close button do nothing while OK runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool busy_ = false;
    bool updating_ = false;
    bool closeAsked_ = false;
    QGridLayout* bottom_ = nullptr;  // holds the buttons and the progress frame
};
