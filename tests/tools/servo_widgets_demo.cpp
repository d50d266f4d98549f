// servo_widgets_demo: a small window with the three servo widgets in their
// usual states, for looking at them at any scale (QT_SCALE_FACTOR=2).  With
// a file name it saves a picture of the window there and ends.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "vxServoDIR.h"
#include "vxServoSlide2.h"
#include "vxServoUpDown.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Servo widgets"));
    auto* grid = new QGridLayout(&window);

    // Sliders: a new one, one in use at 57, one with the humanoid window's
    // font and a two-digit number, one folded, one disabled.
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSizeF(9.75);
    for (int i = 0; i < 5; ++i) {
        auto* s = new vxServoSlide2(&window);
        s->setMotorNo(static_cast<int16_t>(i == 2 ? 23 : i));
        if (i == 1) {
            s->setCheckValue(1);
            s->setValue(57);
        }
        if (i == 2) {
            s->setFont(courier);
            s->setBackColor(static_cast<int32_t>(0x80000005u));
            s->setValue(190);
        }
        if (i == 3) s->setScrollView(false);
        if (i == 4) s->setEnabled(false);
        s->setMinimumSize(s->size());
        grid->addWidget(s, 0, i, Qt::AlignTop);
    }
    const int16_t values[] = {100, 10, 250};
    for (int i = 0; i < 3; ++i) {
        auto* u = new vxServoUpDown(&window);
        u->setValue(values[i]);
        u->setMinimumSize(u->size());
        grid->addWidget(u, 1, i, Qt::AlignTop);
    }
    for (int i = 0; i < 2; ++i) {
        auto* d = new vxServoDIR(&window);
        d->setValue(static_cast<int16_t>(i));
        grid->addWidget(d, 2, i, Qt::AlignTop);
    }
    grid->addWidget(new QLabel(QStringLiteral("DIR 0 / DIR 1"), &window), 2, 2, 1, 2);
    window.show();

    if (argc > 1) {
        const QString file = QString::fromLocal8Bit(argv[1]);
        QTimer::singleShot(300, [&app, &window, file] {
            const QPixmap shot = window.grab();
            const bool ok = shot.save(file);
            std::printf("%s %dx%d dpr %.1f\n", ok ? "saved" : "could not save", shot.width(), shot.height(),
                        shot.devicePixelRatio());
            app.exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
