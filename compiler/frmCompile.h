// The compiler's small progress window: a bar and a percentage label.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "qvv2_export.h"

namespace qvv2 {

class QVV2_EXPORT frmCompile : public QWidget {
    Q_OBJECT
public:
    explicit frmCompile(QWidget* parent = nullptr);
    // Shows the percentage in the label ("35%") and on the bar.
    void ChangeValue(int16_t percent);

    QProgressBar* PB;
    QLabel* lblpercent;
};

}  // namespace qvv2
