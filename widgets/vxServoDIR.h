// vxServoDIR: a small square picture that shows one of two direction
// pictures by its value: imgDIR0 (turning one way) when Value is 0, imgDIR1
// (the other way) for any other value.  A click only reports Click; the host
// decides the new direction and sets Value.
//
// The widget is always 390 x 390 twips (26 x 26 pixels); a host that resizes
// it gets that size back.
//
// Saved property (see vxServoCommon.h): "Value" Integer, default 1.  Loading
// it stores the value without changing the picture shown, which stays as it
// was until Value is set.
#pragma once

#include <QWidget>

#include <cstdint>

#include "vxServoCommon.h"

namespace vxServoDetail {
class PictureBox;
}

class VXSERVO_EXPORT vxServoDIR : public QWidget {
    Q_OBJECT

public:
    // A new picture: Value 1, showing imgDIR1.
    explicit vxServoDIR(QWidget* parent = nullptr);
    ~vxServoDIR() override;

    static constexpr int kSizeTwips = 390;
    static constexpr int kImageTwips = 360;

    // Setting the value shows the matching picture.
    int16_t Value() const { return value_; }
    void setValue(int16_t value);
    bool Enabled() const { return isEnabled(); }
    // Border style of the picture (0: none).
    int16_t BorderStyle() const { return 0; }

    // Which picture is shown: 0 for imgDIR0, 1 for imgDIR1.
    int ShownPicture() const { return shown_; }

    void InitProperties();
    void ReadProperties(const vxPropertyBag& bag);
    void WriteProperties(vxPropertyBag& bag) const;

    QSize sizeHint() const override;
    QWidget* imgDIR() const;

signals:
    void Click();
    void DblClick();
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);
    void PropertyChanged(const QString& PropertyName);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void showPicture(int which);

    vxServoDetail::PictureBox* imgDIR_ = nullptr;
    int16_t value_ = 1;
    int shown_ = 1;
};
