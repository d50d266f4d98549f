// frmPort: the port settings window.  The user picks the serial port that
// reaches the controller (COM1 to COM16) and the reply time-out of the link
// (1 to 10000 ms, on a slider with a text box beside it).  The window keeps
// no state of its own: it shows the main window's serial control and
// time-out timer, and OK writes both back at once (closing the port first;
// the next command opens it again) and shows the port on the status bar.
// Cancel changes nothing.  The settings file takes the values at shut-down.
// Beside the port number the window shows the device that number reaches
// (or "none"), so the user can tell which adapter is which.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

class frmPort : public QDialog {
    Q_OBJECT

public:
    // Creates and loads the window (Form_Load).  The values shown and
    // applied are those of the link's controls (vxIO::Link()).
    explicit frmPort(QWidget* owner = nullptr);
    ~frmPort() override;

    // The loaded port settings window, or nullptr.
    static frmPort* Loaded();
    // Creates the window, shows it modally and unloads it when it closes.
    static void ShowModal(QWidget* owner);

    // Range of the time-out slider, milliseconds.
    static constexpr int kTimeOutMin = 1;
    static constexpr int kTimeOutMax = 10000;
    // Ports listed: COM1 to COM16.
    static constexpr int kPortCount = 16;

    QGroupBox* Frame3 = nullptr;             // " Port "
    std::array<QRadioButton*, 2> optPort{};  // port types; only index 1 (serial) exists
    QWidget* picComm = nullptr;              // the serial port's settings
    QLabel* Label6 = nullptr;                // "Port No :"
    QComboBox* cmbComm = nullptr;            // "COM1" .. "COM16"
    QLabel* lblDevice = nullptr;             // the device the selected number reaches
    QLabel* Label8 = nullptr;                // "Communication Over Time :"
    QSlider* sldTimeOut = nullptr;           // 1 .. 10000, ticks every 200
    QLabel* Label10 = nullptr;               // "Fast"
    QLabel* Label11 = nullptr;               // "Slow"
    QLineEdit* txtTimeOut = nullptr;         // the time-out as text
    QLabel* Label9 = nullptr;                // "msec"
    QPushButton* cmd_ok = nullptr;
    QPushButton* cmd_cancel = nullptr;

    void Form_Load();
    void optPort_Click(int Index);
    // Shows the device the selected port number reaches: its path and the
    // adapter's description, or "none" in the interface language.
    void cmbComm_Click();
    // Writes the slider's value into the text box.
    void sldTimeOut_Change();
    // Keeps the slider and the text in step: a negative number empties the
    // text; a single character below 10 waits for more typing; anything
    // else moves the slider to the number (limited to 1..10000) and puts the
    // slider's value back into the text with the caret at its end.
    void txtTimeOut_Change();
    void cmd_ok_Click();
    void cmd_cancel_Click();

private:
    bool inTextRule_ = false;
};
