#include "build/EventYield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace modMain {

void YieldToEvents() {
    if (!QCoreApplication::instance()) return;
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 15) return;
    last.start();
    QCoreApplication::processEvents();
}

}  // namespace modMain
