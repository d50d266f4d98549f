// vxServoSlide2: one servo of a robot on one small panel.  A check box says
// whether the servo is in use, two labels show the servo's number and its
// position, a slider runs over the positions 10 to 190 and four step buttons
// move it by -5, -1, +1 and +5.  The panel folds to its header line and
// unfolds to show the slider and the buttons when the pointer moves over the
// header; the pointer over the frame below folds it again.
//
// The widget only displays and reports: its host moves the servo when it
// hears Change (the position changed) or Click (the check box changed).  Both
// are raised for a user's action and equally for a value set from code
// through setValue or setCheckValue, whenever the value really changes; the
// hosts rely on that.  A position outside 10 to 190 set from code is refused
// (setValue returns false, nothing changes, nothing is raised): clamping it
// would drive a servo to an end stop the program never asked for.
//
// A press on the slider's groove steps the position by 5 towards the pointer
// and repeats the step while the button stays held, and only then: a host
// whose Change handler waits for a controller (and handles the release
// inside that wait) still gets one step for one click.
//
// Saved properties (see vxServoCommon.h), key, type and default, in order:
// "BackColor" Long &HE0E0E0, "ForeColor" Long &H80000008, "Enabled" Boolean
// True, "Font" (the host's font), "BorderStyle" Integer 0, "Value" Long 100,
// "ScrollView" Boolean True, "MotorNo" Integer 0, "CheckValue" Integer 0.
// Loading "ScrollView" stores the flag without folding or unfolding, and
// loading "MotorNo" stores the number without showing it: the number label
// keeps its caption until the host sets MotorNo.
//
// Geometry is kept in twips (15 per pixel): unfolded the panel is 960 twips
// high (its frame pp 960, the inner panel p 825), folded 405 (pp 405, p 285).
// The width is the host's.
#pragma once

#include <QWidget>

#include <cstdint>

#include "vxServoCommon.h"

class QCheckBox;
class QLabel;
class QSlider;
class QAbstractButton;

namespace vxServoDetail {
class ClickLabel;
class PictureBox;
class StepButton;
}  // namespace vxServoDetail

class VXSERVO_EXPORT vxServoSlide2 : public QWidget {
    Q_OBJECT

public:
    // A new panel: unfolded, position 100, servo number 0, check box clear.
    explicit vxServoSlide2(QWidget* parent = nullptr);
    ~vxServoSlide2() override;

    static constexpr int32_t kMinValue = 10;
    static constexpr int32_t kMaxValue = 190;
    static constexpr int kUnfoldedHeightTwips = 960;
    static constexpr int kUnfoldedInnerHeightTwips = 825;
    static constexpr int kFoldedHeightTwips = 405;
    static constexpr int kFoldedInnerHeightTwips = 285;
    static constexpr int kDefaultWidthTwips = 1035;

    // Back colour of the panel (a colour code, vxServoCommon.h).
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t colour);
    // Colour of the servo number.
    int32_t ForeColor() const { return foreColor_; }
    void setForeColor(int32_t colour);
    // Whether the panel takes input (all of its parts).
    bool Enabled() const { return isEnabled(); }
    void setEnabled(bool on);
    // Font of the servo number.
    QFont Font() const;
    void setFont(const QFont& font);
    // 0: no border, 1: a single line around the panel; other values are
    // refused (false).
    int16_t BorderStyle() const { return borderStyle_; }
    bool setBorderStyle(int16_t style);
    // Repaints the panel.
    void Refresh();

    // The slider's position, 10 to 190 (while the slider is dragged, where
    // its handle stands).  A value outside 10 to 190 is refused: false, and
    // nothing changes.  A new value raises Change and shows in the label.
    int32_t Value() const;
    bool setValue(int32_t value);
    // True while unfolded.  Setting it folds or unfolds the panel.
    bool ScrollView() const { return scrollView_; }
    void setScrollView(bool unfolded);
    // The servo number shown in the header.
    int16_t MotorNo() const { return motorNo_; }
    void setMotorNo(int16_t number);
    // The check box: 0 clear, 1 ticked, 2 greyed.  Other values are refused
    // (false).  A change raises Click.
    int32_t CheckValue() const;
    bool setCheckValue(int32_t value);

    // Persistence (vxServoCommon.h).
    void InitProperties();
    void ReadProperties(const vxPropertyBag& bag);
    void WriteProperties(vxPropertyBag& bag) const;

    // The parts, for hosts that need them and for tests.
    QCheckBox* chkUse() const;
    QLabel* lblMotorNo() const;
    QLabel* lblMotorVal() const;
    QSlider* ServoSlider() const;
    QAbstractButton* cmdll() const;
    QAbstractButton* cmdl() const;
    QAbstractButton* cmdr() const;
    QAbstractButton* cmdrr() const;
    QWidget* pp() const;
    QWidget* p() const;

signals:
    void Click();  // the check box changed
    void DblClick();
    void KeyDown(int16_t KeyCode, int16_t Shift);
    void KeyPress(int16_t KeyAscii);
    void KeyUp(int16_t KeyCode, int16_t Shift);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void Change();  // the slider's value changed
    void Resize();
    void Scroll();      // the slider is being dragged
    void ValueClick();  // the position label was clicked
    // A persisted property was assigned.
    void PropertyChanged(const QString& PropertyName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void unfold();
    void fold();
    void layoutParts();
    void applyColours();
    void stepBy(int step);
    void showPosition(int value);
    void raiseMouse(QMouseEvent* e, void (vxServoSlide2::*signal)(int16_t, int16_t, float, float));

    QWidget* pp_ = nullptr;
    QWidget* p_ = nullptr;
    QCheckBox* chkUse_ = nullptr;
    QLabel* lblMotorNo_ = nullptr;
    vxServoDetail::ClickLabel* lblMotorVal_ = nullptr;
    QSlider* slider_ = nullptr;
    vxServoDetail::StepButton* cmdll_ = nullptr;
    vxServoDetail::StepButton* cmdl_ = nullptr;
    vxServoDetail::StepButton* cmdr_ = nullptr;
    vxServoDetail::StepButton* cmdrr_ = nullptr;

    int32_t backColor_ = 0xE0E0E0;
    int32_t foreColor_ = static_cast<int32_t>(0x80000008u);
    int16_t borderStyle_ = 0;
    int16_t motorNo_ = 0;
    bool scrollView_ = true;
};
