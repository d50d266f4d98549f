// vxServoUpDown: a value box for one servo's setting.  A yellow label shows
// the value; two arrow pictures beside it step it up or down by one within
// 10 to 190.  Each step and each assignment of Value raises ValueChanged,
// which is where the host writes the value to the controller.
//
// Value is stored as given, without a range test: the zero-point windows set
// any byte they read and hold it to their own range in their ValueChanged
// handler.  Every assignment raises ValueChanged, also one that does not
// change the value.  An arrow that would leave 10 to 190 does nothing.
//
// Saved properties (see vxServoCommon.h), key, type and default, in order:
// "Enabled" Boolean True, "BackColor" Long &HFFFF, "ForeColor" Long
// &H80000008, "Value" Integer 100.  Loading "Value" stores it without showing
// it and without raising ValueChanged.
#pragma once

#include <QWidget>

#include <cstdint>

#include "vxServoCommon.h"

class QLabel;

namespace vxServoDetail {
class ClickLabel;
class PictureBox;
}  // namespace vxServoDetail

class VXSERVO_EXPORT vxServoUpDown : public QWidget {
    Q_OBJECT

public:
    // A new box: value 100, shown.
    explicit vxServoUpDown(QWidget* parent = nullptr);
    ~vxServoUpDown() override;

    static constexpr int16_t kMinStep = 10;  // the arrows stay within these
    static constexpr int16_t kMaxStep = 190;
    static constexpr int kDefaultWidthTwips = 810;
    static constexpr int kDefaultHeightTwips = 300;

    bool Enabled() const { return isEnabled(); }
    void setEnabled(bool on);
    void Refresh();
    // Back and fore colour of the value label (colour codes, vxServoCommon.h).
    int32_t BackColor() const { return backColor_; }
    void setBackColor(int32_t colour);
    int32_t ForeColor() const { return foreColor_; }
    void setForeColor(int32_t colour);
    // The value; setting it shows it and raises ValueChanged.
    int16_t Value() const { return value_; }
    void setValue(int16_t value);

    void InitProperties();
    void ReadProperties(const vxPropertyBag& bag);
    void WriteProperties(vxPropertyBag& bag) const;

    // The parts, for hosts that need them and for tests.
    QLabel* lblValue() const;
    QWidget* picUp() const;
    QWidget* picDown() const;

signals:
    void Click();     // on the value label
    void DblClick();  // on the value label
    void KeyDown(int16_t KeyCode, int16_t Shift);
    void KeyUp(int16_t KeyCode, int16_t Shift);
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void KeyPress(int16_t KeyAscii);
    void ValueChanged();
    void PropertyChanged(const QString& PropertyName);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void step(int delta);
    void applyColours();
    void raiseMouse(QMouseEvent* e, void (vxServoUpDown::*signal)(int16_t, int16_t, float, float));

    vxServoDetail::ClickLabel* lblValue_ = nullptr;
    vxServoDetail::PictureBox* picUp_ = nullptr;
    vxServoDetail::PictureBox* picDown_ = nullptr;
    int32_t backColor_ = 0xFFFF;
    int32_t foreColor_ = static_cast<int32_t>(0x80000008u);
    int16_t value_ = 100;
};
