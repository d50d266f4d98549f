// ServoKnob: the rotary knob of the real-time servo window.  One knob stands
// for one servo motor: its value is the servo position (servo units, 0..255)
// and it turns between a lower and an upper range (the motor's limits).
//
// The user turns it with the mouse, the wheel or the arrow keys; each change
// of the value made that way raises Change(index, value), which the window
// sends to the controller.  A value set from code (SetValue, a range change)
// shows on the knob but raises no Change: it is the servo's own position
// read back, which needs no move.
//
// A value set from code outside Min..Max is refused: the knob keeps its
// value and SetValue returns false.  Clamping it instead would move the
// servo to an end stop it was never told to go to.
//
// A servo can stand outside its Min..Max all the same (turned by hand while
// it was free); ShowServoAt puts the knob where it stands.  The knob's reach
// then stretches from that position to the range, so that the user's next
// turn starts where the servo is and never goes further out.  As the user
// turns it back, the reach shrinks behind the knob (once a drag is let go),
// until it is Min..Max again.
//
// While the knob is off (SetOn(false)) it is greyed and takes no input, so it
// raises no Change.
//
// A drag never wraps.  The range runs clockwise from seven o'clock (Min) to
// five o'clock (Max); the gap between them at the bottom belongs to neither
// end.  During a drag the knob follows the pointer's angle step by step: once
// the pointer leaves the range across one end, the knob stays at that end
// until the pointer comes back into the range across the same end, wherever
// it wanders meanwhile.  So consecutive values of a drag never differ by more
// than the pointer turned, and a servo is never sent across its whole range
// because the hand passed the bottom of the dial.
#pragma once

#include <QColor>
#include <QDial>

#include <cstdint>

class ServoKnob : public QDial {
    Q_OBJECT

public:
    explicit ServoKnob(int16_t index, QWidget* parent = nullptr);

    // The motor number the knob passes with its Change event.
    int16_t Index() const { return index_; }

    // Value: the knob's position (its default property).
    int16_t Value() const { return static_cast<int16_t>(value()); }
    // Sets the position; false, with nothing changed, outside Min..Max.
    bool SetValue(int16_t position);
    // Shows the position the servo stands at, also outside Min..Max (the
    // reach stretches to it); false, with nothing changed, outside 0..255.
    // Raises no Change either.
    bool ShowServoAt(int16_t position);

    // On/off state: an off knob is drawn grey and ignores the user.
    bool On() const { return on_; }
    void SetOn(bool on);

    // Upper and lower range.  A range is kept only when it stays inside
    // 0..255 with Min <= Max (else the call returns false and changes
    // nothing); a value outside the new range is pulled to its nearer end on
    // the knob only, without a Change event.
    int16_t Max() const { return max_; }
    int16_t Min() const { return min_; }
    bool SetMax(int16_t position);
    bool SetMin(int16_t position);

    // Appearance, each in percent of the knob's diameter or ring unless
    // said: the value text's height, the inner face's diameter, the
    // pointer's length in the ring, the darkness of the rim's shade, the
    // value arc's width in the ring, and the distance between two scale
    // ticks in servo units (0: no ticks).  Values outside 0..100 (ticks:
    // 0..255) are brought to the nearer end.
    void Setup(int16_t textPercent, int16_t facePercent, int16_t pointerPercent, int16_t shadePercent,
               int16_t arcPercent, int16_t tickStep);
    int16_t TextPercent() const { return textPercent_; }
    int16_t FacePercent() const { return facePercent_; }
    int16_t PointerPercent() const { return pointerPercent_; }
    int16_t ShadePercent() const { return shadePercent_; }
    int16_t ArcPercent() const { return arcPercent_; }
    int16_t TickStep() const { return tickStep_; }

    // Face colour as 0x00BBGGRR (16777215 is white).
    int32_t Color() const { return color_; }
    void SetColor(int32_t bgr);

    // Draws the knob again with its current settings.
    void Redraw();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user turned the knob to `value`.
    void Change(int16_t index, int16_t value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Runs f with the Change event held back (values set from code).
    template <typename F>
    void Quietly(F f);
    void OnValueChanged(int value);
    // The reach: Min..Max, stretched to a value that stands outside it.
    void FitReach();

    // Where a drag holds the knob: under the pointer, or at one end until
    // the pointer comes back across it.
    enum class Hold { Pointer, AtMin, AtMax };
    // The pointer's place on the dial: degrees clockwise from Min's end,
    // 0 to 360; the range is 0 to 300, the gap above 300.
    double SweepOf(const QPointF& point) const;
    // Follows the pointer from the last sweep to `sweep`; the value to show.
    int DragTo(double sweep);

    bool dragging_ = false;
    Hold hold_ = Hold::Pointer;
    double lastSweep_ = 0;

    int16_t index_ = 0;
    int16_t min_ = 10;
    int16_t max_ = 190;
    bool on_ = true;
    bool quiet_ = false;
    int32_t color_ = 0xFFFFFF;
    int16_t textPercent_ = 18;
    int16_t facePercent_ = 50;
    int16_t pointerPercent_ = 50;
    int16_t shadePercent_ = 50;
    int16_t arcPercent_ = 30;
    int16_t tickStep_ = 50;
};
