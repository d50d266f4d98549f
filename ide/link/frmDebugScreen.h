// frmDebugScreen: the debug window.  On loading it stops the program on the
// controller, lists the compiled source with line numbers beside the table of
// the program's variables, reads the controller's memory and marks the line
// at which the program stands.  Its tool bar steps one instruction, resumes
// the program, clears the controller's memory or closes the window.
//
// The window shows no link error itself: a stop that fails at load closes it
// at once; a failed step or read leaves vxIO::CommError set and the display
// keeps the bytes read so far together with the older image.
//
// A key clicked while the window's own exchange waits for the controller (a
// step waiting out the quiet line after a broken frame, or its reply) is
// kept: the waiting clicks are carried out one at a time, in the order they
// were made, each once the exchange before it has ended, from the event
// queue and never from inside a wait.  While clicks wait, the window shows
// the busy cursor.  Close (its key, the window's close button or Escape)
// takes effect at once: it drops what waits, ends an exchange of the window
// that waits, and sends nothing more.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

class QAction;
class QTimer;
class QGroupBox;
class QLabel;
class QTableWidget;
class QToolBar;

class frmDebugScreen : public QDialog {
    Q_OBJECT

public:
    struct DebugVariable {
        QString Name;
        int16_t Position = 0;
        uint8_t VarType = 0;  // 3 = Integer, anything else = Byte
        int32_t Value = 0;
    };

    static constexpr int kMemorySize = 3329;  // controller addresses 0..3328

    // Creates and loads the window (Form_Load).
    explicit frmDebugScreen(QWidget* owner = nullptr);
    ~frmDebugScreen() override;

    // Creates the window, shows it modally (unless the stop at load failed)
    // and unloads it when it closes.
    static void ShowModal(QWidget* owner);

    // False when the load closed the window (the stop failed).
    bool IsLoaded() const { return loaded_; }
    // Clicks kept to be carried out after the exchange under way.
    int ClicksWaiting() const { return static_cast<int>(waiting_.size()); }

    // Controller addresses of the model (modMain::ControllerID): the two
    // program-counter bytes, the variable area's start and a variable's
    // address; -1 for a model that has none.
    static int32_t PcLowAddress(int16_t controllerId);
    static int32_t PcHighAddress(int16_t controllerId);
    static int32_t VariableAreaStart(int16_t controllerId);
    static int32_t VariableAddress(int16_t controllerId, int16_t position);
    // The line on which the program counter stands: the last line whose
    // object position is at most pc, else line 1.
    static int32_t LineOfCounter(const std::vector<int32_t>& lineObjPos, int32_t totalLines, int32_t pc);

    QToolBar* TB = nullptr;
    QAction* btnSingleRun = nullptr;
    QAction* btnRun = nullptr;
    QAction* btnClearMem = nullptr;
    QAction* btnClose = nullptr;
    QGroupBox* frame_Var = nullptr;
    QLabel* Label1 = nullptr;
    QTableWidget* Grid_Var = nullptr;
    QLabel* Label3 = nullptr;  // "PC"
    QLabel* Label2 = nullptr;  // "Dec" over lbl_PC_DEC
    QLabel* Label4 = nullptr;  // "Hex" over lbl_PC_HEX
    QLabel* lbl_PC_DEC = nullptr;
    QLabel* lbl_PC_HEX = nullptr;
    QTableWidget* Grid_Prog = nullptr;

    // Window-level values.
    int32_t TotalLines = 0;
    int16_t TotalVars = 0;
    std::vector<int32_t> LineObjPos, LineStartPos, LineLength;
    std::vector<DebugVariable> DebugVars;
    std::array<uint8_t, kMemorySize> MemoryImage{};
    int32_t ProgramCounter = 0;
    int32_t CurrentLine = 1;

    void Form_Load();
    void Form_Unload();
    void TB_ButtonClick(QAction* button);
    void SetUpGrids();
    void FillProgramGrid();
    void LoadVariableTable();
    void ReadMemoryImage();
    void ShowVariableValues();
    void ShowCurrentLine();
    void SingleStep();
    void RunAndClose();

    // Ends the window: what waits is dropped (see above).
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    void SetLineColours(int32_t line, bool current);
    // Scrolls the program grid so that the current line is its top row.
    void ScrollToCurrentLine();

    // A tool-bar key's command, run now as one exchange of this window.
    void CarryOut(QAction* button);
    // Carries out the first waiting click when nothing stands in its way;
    // CarryOutLater asks for that once the line is quiet.
    void CarryOutNext();
    void CarryOutLater();
    void DropWaiting();
    void ShowWaiting();

    std::deque<QAction*> waiting_;  // clicks kept, oldest first
    int carrying_ = 0;              // this window's exchanges under way (its load, a key's command)
    bool ended_ = false;            // closed: nothing more is carried out
    bool abortAsked_ = false;       // the close ended an exchange of this window
    bool cursorShown_ = false;
    // Another exchange holds the link: the next try.
    QTimer* retry_ = nullptr;

    bool loaded_ = true;
    bool unloaded_ = false;
    bool holdsPort_ = false;  // the load went ahead and opened the port
};
