// frmWait: the small modeless window that asks the user to wait while a slow
// controller exchange runs.  Callers load and show it before the exchange and
// unload it afterwards; the link's error box unloads it too.  Its only logic
// is a progress bar that keeps cycling while the event queue runs.
#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>

class QFrame;
class QLabel;
class QProgressBar;

class frmWait : public QWidget {
    Q_OBJECT

public:
    // The loaded window, creating (and localising) it when it is not loaded.
    // It is not shown: call show() on it.  It is owned by the main window
    // when one exists.
    static frmWait& Load();
    // The loaded window, or nullptr.
    static frmWait* Loaded();
    // Stops its timer and destroys it; nothing when it is not loaded.
    static void Unload();

    // The face of a wait window, built into `window`: a box frame filling
    // it, and inside the frame `message` centred over a progress bar
    // (0..100, at 0, without text).
    struct Panel {
        QFrame* Shape1 = nullptr;
        QLabel* Label1 = nullptr;
        QProgressBar* pb = nullptr;
    };
    static Panel BuildPanel(QWidget* window, const QString& message);

    ~frmWait() override;

    QFrame* Shape1 = nullptr;       // frame around the window
    QLabel* Label1 = nullptr;       // "wait a second." (string 4534)
    QProgressBar* pb = nullptr;     // 0..100, cycling
    QTimer Timer;                   // 10 ms, advances the bar

    // Timer event: one step of the bar, back to 0 after 100.
    void Timer_Timer();
    int16_t Counter() const { return counter_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmWait(QWidget* owner);
    void Form_Load();
    void Form_Unload();

    int16_t counter_ = 0;
};
