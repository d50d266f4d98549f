// frmInfo: the controller information window.  When it loads it reads what
// the controller says about itself and about the program it holds (once,
// with the wait window shown) and writes the values beside their captions.
// A read-out that failed has shown the link's error box and leaves the values
// empty; the window then closes itself as soon as it is shown.
#pragma once

#include <QDialog>

#include <array>

#include "link/vxIO_Windows.h"

class QGroupBox;
class QLabel;
class QPushButton;

class frmInfo : public QDialog {
    Q_OBJECT

public:
    // Creates and loads the window (Form_Load), which runs the read-out.
    explicit frmInfo(QWidget* owner = nullptr);
    // Unloading lets the main window open the window again (modMain::InfoBusy).
    ~frmInfo() override;

    // Creates the window, shows it modally (unless the read-out failed) and
    // unloads it when it closes.
    static void ShowModal(QWidget* owner);

    // The texts of the value labels for a read-out; index as lbl.  The
    // program's values (6 to 9) stay empty when the controller holds no
    // program (ControllerInfo::NoProgram).
    static std::array<QString, 10> ValueTexts(const vxIO::ControllerInfo& info);

    QGroupBox* Frame1 = nullptr;  // " Controller "
    QLabel* Label1 = nullptr;     // "Controller ID :"
    QLabel* Label2 = nullptr;     // "Firmware Ver. :"
    QLabel* Label3 = nullptr;     // "Total Memories :"
    QLabel* Label4 = nullptr;     // "Total Variables :"
    QLabel* Label5 = nullptr;     // "Total Stacks :"
    QLabel* Label10 = nullptr;    // "Checksum :"
    QGroupBox* Frame2 = nullptr;  // " Program "
    QLabel* Label6 = nullptr;     // "Name :"
    QLabel* Label7 = nullptr;     // "Date :"
    QLabel* Label8 = nullptr;     // "Time :"
    QLabel* Label9 = nullptr;     // "Size :"
    std::array<QLabel*, 10> lbl{};  // values: 0..5 controller, 6..9 program
    QPushButton* cmdOK = nullptr;

    void Form_Load();
    // Reads the controller and fills lbl; on a link error shows the error
    // box and leaves lbl empty.
    void FillValues();
    void cmdOK_Click();

protected:
    // Form_Activate: a window without values closes at once.
    void showEvent(QShowEvent* event) override;
};
